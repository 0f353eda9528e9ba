// The real program started twice against the user's real data file (kept aside
// and put back around each test): the second start shows the first copy and
// leaves without writing anything, and the first copy still saves at its exit.
//
// The prepared files are ones a save would change: a valid file not in the
// writer's form (rewritten on save), or a damaged one (a ".damaged" copy is
// kept beside it on save). Any write by the second copy would show.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "MessagePump.h"
#include "ProgramProcessSupport.h"
#include "cycle/DataStore.h"

namespace {

using namespace programtest;

constexpr std::uint32_t kEarly = (2007u << 16) | (5u << 8) | 2u;
constexpr std::uint32_t kLate = (2007u << 16) | (6u << 8) | 1u;

// Marks out of order and OPTS after DAYS: valid, but not as the program writes it.
Bytes UnorderedFile() {
    Bytes file;
    PutTag(file, "GOOD");
    PutWord(file, 0);
    PutTag(file, "DAYS");
    PutWord(file, 8);
    PutWord(file, kLate);
    PutWord(file, kEarly);
    PutTag(file, "OPTS");
    PutWord(file, 12);
    PutWord(file, 26);
    PutWord(file, 6);
    PutWord(file, 1);
    return file;
}

Bytes WrittenFile() {
    Bytes file;
    PutTag(file, "GOOD");
    PutWord(file, 0);
    PutTag(file, "OPTS");
    PutWord(file, 12);
    PutWord(file, 26);
    PutWord(file, 6);
    PutWord(file, 1);
    PutTag(file, "DAYS");
    PutWord(file, 8);
    PutWord(file, kEarly);
    PutWord(file, kLate);
    return file;
}

Bytes DamagedFile() {
    Bytes file;
    PutTag(file, "BAD!");
    PutWord(file, 7);
    return file;
}

std::wstring FileName(const std::wstring& path) {
    return path.substr(path.find_last_of(L"\\/") + 1);
}

// Names in the data file's folder that begin with its name: the file itself, and
// any temporary, damaged or unsaved file made beside it.
std::set<std::wstring> FilesBeside(const std::wstring& dataPath) {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW((dataPath + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            names.insert(found.cFileName);
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    return names;
}

ULONGLONG LastWrite(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return (ULONGLONG{data.ftLastWriteTime.dwHighDateTime} << 32) |
           data.ftLastWriteTime.dwLowDateTime;
}

using Copy = ProgramCopy;

class TwoCopies : public ::testing::Test {
protected:
    void SetUp() override {
        dataPath = LocateDataFile();
        ASSERT_FALSE(dataPath.empty());
        saved = ReadFile(dataPath);
        before = FilesBeside(dataPath);
    }

    void TearDown() override {
        // Whatever the copies made beside the data file goes; the file comes back.
        for (const std::wstring& name : FilesBeside(dataPath)) {
            if (!before.contains(name)) {
                ::DeleteFileW((Folder(dataPath) + name).c_str());
            }
        }
        if (saved) {
            WriteFile(dataPath, *saved);
        } else {
            ::DeleteFileW(dataPath.c_str());
        }
    }

    // Starts the first copy on `prepared` and a second one, and checks that the
    // second changed nothing. Returns the first copy's frame.
    HWND StartTwice(const Bytes& prepared, bool minimised) {
        WriteFile(dataPath, prepared);
        if (!first.Start()) {
            ADD_FAILURE() << "cannot start the program, error " << ::GetLastError();
            return nullptr;
        }
        const HWND frame = first.WaitForFrame();
        if (frame == nullptr) {
            ADD_FAILURE() << "the first copy showed no window";
            return nullptr;
        }
        if (minimised) {
            ::ShowWindow(frame, SW_MINIMIZE);
            EXPECT_TRUE(::IsIconic(frame));
        }
        const ULONGLONG written = LastWrite(dataPath);
        const std::set<std::wstring> files = FilesBeside(dataPath);

        Copy second;
        EXPECT_TRUE(second.Start());
        EXPECT_EQ(second.ExitCode(), 0) << "the second copy did not leave";

        EXPECT_EQ(Frames(), std::vector<HWND>{frame}) << "one window, the first copy's";
        EXPECT_EQ(ReadFile(dataPath), prepared) << "the second copy wrote the data file";
        EXPECT_EQ(LastWrite(dataPath), written);
        EXPECT_EQ(FilesBeside(dataPath), files) << "the second copy made a file";
        return frame;
    }

    void CloseFirst(HWND frame) {
        ::PostMessageW(frame, WM_CLOSE, 0, 0);
        EXPECT_EQ(first.ExitCode(), 1);
    }

    std::wstring dataPath;
    std::optional<Bytes> saved;
    std::set<std::wstring> before;
    Copy first;
};

} // namespace

TEST_F(TwoCopies, SecondStartLeavesTheDataToTheFirstWhichSavesAtExit) {
    const HWND frame = StartTwice(UnorderedFile(), false);
    ASSERT_NE(frame, nullptr);

    CloseFirst(frame);
    EXPECT_EQ(ReadFile(dataPath), WrittenFile());
}

TEST_F(TwoCopies, SecondStartMakesNoCopyOfADamagedFile) {
    const HWND frame = StartTwice(DamagedFile(), false);
    ASSERT_NE(frame, nullptr);

    // The first copy keeps the damaged file aside when it saves, once.
    CloseFirst(frame);
    int copies = 0;
    for (const std::wstring& name : FilesBeside(dataPath)) {
        if (name.starts_with(FileName(dataPath) + L".damaged")) {
            ++copies;
            EXPECT_EQ(ReadFile(Folder(dataPath) + name), DamagedFile());
        }
    }
    EXPECT_EQ(copies, 1);
}

TEST_F(TwoCopies, SecondStartBringsTheMinimisedFirstCopyBack) {
    const HWND frame = StartTwice(UnorderedFile(), true);
    ASSERT_NE(frame, nullptr);

    EXPECT_TRUE(WaitFor([&] { return !::IsIconic(frame); }, kPatience));
    EXPECT_TRUE(WaitFor([&] { return ::GetForegroundWindow() == frame; }, kPatience));
    CloseFirst(frame);
}
