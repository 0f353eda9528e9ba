// The real program started twice against the user's real data file (kept aside
// and put back around each test): the second start shows the first copy and
// leaves without writing anything, and the first copy still saves.
//
// The prepared files are ones a save would change: a valid file not in the
// writer's form (rewritten on save), or a damaged one (a ".damaged" copy is
// kept beside it on save). Any write by the second copy would show.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "MessagePump.h"
#include "ProgramProcessSupport.h"

namespace {

using namespace programtest;

constexpr std::uint32_t kEarly = (2007u << 16) | (5u << 8) | 2u;
constexpr std::uint32_t kLate = (2007u << 16) | (6u << 8) | 1u;

// Marks out of order and OPTS after DAYS: valid, but not as the program writes it.
Bytes UnorderedFile() {
    return FileBytes().Good().Days({kLate, kEarly}).Opts(26, 6, 1).bytes;
}

constexpr std::uint32_t kClicked = (2007u << 16) | (5u << 8) | 20u;

// The unordered file's state with a click, as the program writes it.
Bytes WrittenFile() {
    return FileBytes().Good().Opts(26, 6, 1).Days({kEarly, kClicked, kLate}).bytes;
}

Bytes DamagedFile() {
    return FileBytes().Tag("BAD!").Word(7).bytes;
}

class TwoCopies : public RealDataFileTest {
protected:
    // Starts the first copy on `prepared` and a second one, and checks that the
    // second changed nothing. Returns the first copy's frame.
    HWND StartTwice(const Bytes& prepared, bool minimised) {
        WriteFileBytes(dataPath, prepared);
        const HWND frame = first.StartAndWaitForFrame();
        if (frame == nullptr) {
            return nullptr;
        }
        if (minimised) {
            ::ShowWindow(frame, SW_MINIMIZE);
            EXPECT_TRUE(::IsIconic(frame));
        }
        const ULONGLONG written = LastWrite(dataPath);
        const std::set<std::wstring> files = FilesBeside(dataPath);

        ProgramCopy second;
        EXPECT_TRUE(second.Start());
        EXPECT_EQ(second.ExitCode(), 0) << "the second copy did not leave";

        EXPECT_EQ(Frames(), std::vector<HWND>{frame}) << "one window, the first copy's";
        EXPECT_EQ(ReadFileBytes(dataPath), prepared) << "the second copy wrote the data file";
        EXPECT_EQ(LastWrite(dataPath), written);
        EXPECT_EQ(FilesBeside(dataPath), files) << "the second copy made a file";
        return frame;
    }

    // A change, so that the first copy saves, then its exit.
    void ChangeAndCloseFirst(HWND frame) {
        ClickDay(frame, kClicked);
        CloseFirst(frame);
    }

    void CloseFirst(HWND frame) {
        ::PostMessageW(frame, WM_CLOSE, 0, 0);
        EXPECT_EQ(first.ExitCode(), 1);
    }

    ProgramCopy first;
};

} // namespace

TEST_F(TwoCopies, SecondStartLeavesTheDataToTheFirstWhichStillSaves) {
    const HWND frame = StartTwice(UnorderedFile(), false);
    ASSERT_NE(frame, nullptr);

    ChangeAndCloseFirst(frame);
    EXPECT_EQ(ReadFileBytes(dataPath), WrittenFile());
}

TEST_F(TwoCopies, SecondStartMakesNoCopyOfADamagedFile) {
    const HWND frame = StartTwice(DamagedFile(), false);
    ASSERT_NE(frame, nullptr);

    // The first copy keeps the damaged file aside when it saves, once.
    ChangeAndCloseFirst(frame);
    int copies = 0;
    for (const std::wstring& name : FilesBeside(dataPath)) {
        if (name.starts_with(FileName(dataPath) + L".damaged")) {
            ++copies;
            EXPECT_EQ(ReadFileBytes(Folder(dataPath) + name), DamagedFile());
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
