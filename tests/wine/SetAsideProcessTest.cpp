// The real program meeting what a PC can leave beside her file: a damaged
// file with a good backup, a save cut short, a session that could only keep
// a copy, another program holding the file, a backup that cannot be written.
// Each time she is told what happened, nothing is lost, and a good backup is
// never replaced by a damaged or empty file.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "DataStoreTestSupport.h"
#include "ProgramProcessSupport.h"
#include "files/Files.h"
#include "framework/ResourceText.h"
#include "resource.h"

namespace {

using namespace programtest;

const DateKey kJan = MakeDateKey(2006, 1, 10);
const DateKey kFeb = MakeDateKey(2006, 2, 7);
const DateKey kMar = MakeDateKey(2006, 3, 7);

// A calendar exactly as the program writes it.
Bytes Calendar(std::vector<DateKey> marks, std::uint32_t cycle = 28, std::uint32_t period = 5) {
    std::sort(marks.begin(), marks.end());
    return FileBytes().Good().Opts(cycle, period, 1).Days(marks).bytes;
}

const Bytes kDamaged = FileBytes().Tag("BAD!").Word(7).Word(9).bytes;

bool Contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

class SetAside : public RealDataFileTest {
protected:
    void SetUp() override {
        RealDataFileTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        // Copies an earlier test left would speak up first.
        for (const std::wstring& name : FilesBeside(dataPath)) {
            Remove(Folder(dataPath) + name);
        }
        before.clear();
        RemoveTemporaryCopy();
    }
    void TearDown() override {
        program.Stop();
        for (const std::wstring& name : FilesBeside(dataPath)) {
            ::SetFileAttributesW((Folder(dataPath) + name).c_str(), FILE_ATTRIBUTE_NORMAL);
        }
        RemoveTemporaryCopy();
        RealDataFileTest::TearDown();
    }

    static void Remove(const std::wstring& path) {
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(path.c_str());
    }
    std::wstring TemporaryCopy() const {
        return files::TemporaryFolder() + FileName(dataPath) + L".unsaved";
    }
    void RemoveTemporaryCopy() const {
        Remove(TemporaryCopy());
        Remove(TemporaryCopy() + L".base");
    }

    bool FileBecomes(const std::wstring& path, const Bytes& bytes) {
        return Eventually([&] { return ReadFileBytes(path) == bytes; });
    }
    void Close() {
        ::PostMessageW(frame, WM_CLOSE, 0, 0);
        EXPECT_EQ(program.ExitCode(), 1);
    }

    ProgramCopy program;
    HWND frame = nullptr;
};

class DamagedFile : public SetAside, public ::testing::WithParamInterface<bool> {};

// The damaged file is kept and named; the backup is offered with its number
// of period starts. Yes makes it the calendar; No leaves an empty one. Either
// way the backup is never replaced by the damaged or the empty file.
TEST_P(DamagedFile, IsKeptAndItsBackupOffered) {
    const bool restore = GetParam();
    const Bytes backup = Calendar({kJan, kFeb}, 30);
    ASSERT_TRUE(WriteFileBytes(dataPath, kDamaged));
    ASSERT_TRUE(WriteFileBytes(dataPath + L".bak", backup));
    frame = program.StartAndWaitForFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(ReadFileBytes(dataPath + L".damaged"), kDamaged) << "kept before any save";

    const std::wstring told = AnswerPopup(program, restore ? L"Yes" : L"No");
    EXPECT_TRUE(Contains(told, FormatResourceString(IDS_DAMAGED_AT_START, {dataPath})))
        << Narrow(told);
    EXPECT_TRUE(Contains(told, FormatResourceString(IDS_DAMAGED_KEPT, {dataPath + L".damaged"})));
    EXPECT_TRUE(Contains(told, L"holds 2 period starts"));

    ClickDay(frame, kMar);
    EXPECT_TRUE(
        FileBecomes(dataPath, restore ? Calendar({kJan, kFeb, kMar}, 30) : Calendar({kMar})));
    Close();
    EXPECT_EQ(ReadFileBytes(dataPath + L".bak"), backup);
    EXPECT_EQ(ReadFileBytes(dataPath + L".damaged"), kDamaged);
}

INSTANTIATE_TEST_SUITE_P(Answers, DamagedFile, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& param) {
                             return param.param ? "Restore" : "KeepEmpty";
                         });

// A save cut short left a whole temporary: it is taken and she is told, for a
// missing file and for an empty one alike. An empty file is damaged: it is
// kept aside, and the backup beside it stays as it was.
TEST_F(SetAside, InterruptedSaveIsFinishedAndTold) {
    const Bytes backup = Calendar({kJan});
    const Bytes whole = Calendar({kJan, kFeb});
    const Bytes cut(whole.begin(), whole.end() - 2);
    for (const bool emptyFile : {true, false}) {
        SCOPED_TRACE(emptyFile ? "empty file" : "no file");
        if (emptyFile) {
            ASSERT_TRUE(WriteFileBytes(dataPath, {}));
        }
        ASSERT_TRUE(WriteFileBytes(dataPath + L".bak", backup));
        ASSERT_TRUE(WriteFileBytes(dataPath + L".tmp", whole));
        ASSERT_TRUE(WriteFileBytes(dataPath + L".tmp.1", cut));
        frame = program.StartAndWaitForFrame();
        ASSERT_NE(frame, nullptr);
        const std::wstring told = AnswerPopup(program, L"OK");
        EXPECT_TRUE(Contains(told, LoadResourceString(IDS_RECOVERED_SAVE))) << Narrow(told);
        EXPECT_EQ(Contains(told, dataPath + L".damaged"), emptyFile);
        EXPECT_TRUE(FileBecomes(dataPath, whole));
        Close();
        EXPECT_EQ(ReadFileBytes(dataPath + L".bak"), backup);
        if (emptyFile) {
            EXPECT_EQ(ReadFileBytes(dataPath + L".damaged"), Bytes{});
        }
        program.Stop();
        for (const std::wstring& name : FilesBeside(dataPath)) {
            Remove(Folder(dataPath) + name);
        }
    }
}

class UnsavedSession : public SetAside, public ::testing::WithParamInterface<bool> {};

// The copy's changes against its base are offered and applied whole: a start
// added, one taken back, the cycle length changed. The period length she has
// changed again since stays hers. Beside the file or in the temporary folder.
TEST_P(UnsavedSession, ComesBackWhole) {
    const std::wstring copy = GetParam() ? dataPath + L".unsaved" : TemporaryCopy();
    ASSERT_TRUE(WriteFileBytes(dataPath, Calendar({kJan, kFeb}, 28, 6)));
    ASSERT_TRUE(WriteFileBytes(copy + L".base", Calendar({kJan, kFeb}, 28, 5)));
    ASSERT_TRUE(WriteFileBytes(copy, Calendar({kJan, kMar}, 30, 4)));
    frame = program.StartAndWaitForFrame();
    ASSERT_NE(frame, nullptr);
    const std::wstring offer = AnswerPopup(program, L"Yes");
    for (const wchar_t* line :
         {L"1 period start added", L"1 period start removed", L"1 setting changed", L"The copy"}) {
        EXPECT_TRUE(Contains(offer, line)) << Narrow(line) << " in " << Narrow(offer);
    }
    EXPECT_TRUE(Contains(offer, copy));
    EXPECT_TRUE(FileBecomes(dataPath, Calendar({kJan, kMar}, 30, 6)));
    EXPECT_TRUE(Eventually([&] { return !PathExists(copy) && !PathExists(copy + L".base"); }));
    Close();
}

INSTANTIATE_TEST_SUITE_P(Places, UnsavedSession, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& param) {
                             return param.param ? "BesideTheFile" : "InTheTemporaryFolder";
                         });

// Held for a moment (a virus scanner): the save waits and goes through with
// no message. Held for long (a backup tool): she is told once, in words that
// name another program, and the save goes through on its own once it lets go.
TEST_F(SetAside, FileHeldByAnotherProgramIsWaitedForAndSavedWithoutAClick) {
    ASSERT_TRUE(WriteFileBytes(dataPath, Calendar({kJan})));
    frame = program.StartAndWaitForFrame();
    ASSERT_NE(frame, nullptr);
    {
        datastore_test::HeldFile holder(dataPath, 0);
        ASSERT_TRUE(holder.Held());
        ClickDay(frame, kFeb);
        // The backup is made first; then the new file waits beside the held one.
        ASSERT_TRUE(Eventually(
            [&] { return PathExists(dataPath + L".bak") && PathExists(dataPath + L".tmp"); }));
    }
    EXPECT_TRUE(FileBecomes(dataPath, Calendar({kJan, kFeb})));
    EXPECT_EQ(PopupOf(program.Id()), nullptr);

    auto holder = std::make_unique<datastore_test::HeldFile>(dataPath, 0);
    ASSERT_TRUE(holder->Held());
    ClickDay(frame, kMar);
    const HWND told = AwaitPopup(program);
    ASSERT_NE(told, nullptr);
    EXPECT_TRUE(Contains(TextsOf(told), FormatResourceString(IDS_SAVE_FILE_HELD, {dataPath})))
        << Narrow(TextsOf(told));
    // Another click fails for the same cause: nothing new is said.
    ClickDay(frame, kJan);
    holder.reset();
    EXPECT_TRUE(FileBecomes(dataPath, Calendar({kFeb, kMar})));
    EXPECT_TRUE(Eventually([&] { return !::IsWindow(told); })) << "the message goes by itself";
    EXPECT_EQ(PopupOf(program.Id()), nullptr);
    Close();
}

// A backup that cannot be written is said once; the calendar goes on saving.
TEST_F(SetAside, ReadOnlyBackupIsToldOnce) {
    const Bytes old = Calendar({});
    ASSERT_TRUE(WriteFileBytes(dataPath, Calendar({kJan})));
    ASSERT_TRUE(WriteFileBytes(dataPath + L".bak", old));
    ASSERT_TRUE(::SetFileAttributesW((dataPath + L".bak").c_str(), FILE_ATTRIBUTE_READONLY));
    frame = program.StartAndWaitForFrame();
    ASSERT_NE(frame, nullptr);
    ClickDay(frame, kFeb);
    const std::wstring told = AnswerPopup(program, L"OK");
    EXPECT_TRUE(Contains(told, L"Your calendar is saved, but its backup could not be updated:"))
        << Narrow(told);
    EXPECT_TRUE(Contains(told, dataPath + L".bak"));
    EXPECT_EQ(ReadFileBytes(dataPath), Calendar({kJan, kFeb}));
    ClickDay(frame, kMar);
    EXPECT_TRUE(FileBecomes(dataPath, Calendar({kJan, kFeb, kMar})));
    EXPECT_EQ(PopupOf(program.Id()), nullptr);
    Close();
    EXPECT_EQ(ReadFileBytes(dataPath + L".bak"), old);
}

} // namespace
