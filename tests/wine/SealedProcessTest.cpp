// The real program meeting a protected file that was changed or broken
// behind its back: each is refused with its own words, kept byte for byte,
// and never written over; a whole sealed backup is offered once unlocked.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "DataFileBytes.h"
#include "ProgramProcessSupport.h"
#include "crypto/KeyRing.h"
#include "cycle/CalendarData.h"
#include "cycle/SealedEnvelope.h"
#include "framework/ResourceText.h"
#include "resource.h"
#include "view/Commands.h"

#include <wtsapi32.h>

namespace {

using namespace programtest;

constexpr std::string_view kPassword = "Moon7abc";
const DateKey kJan = MakeDateKey(2006, 1, 10);
const DateKey kFeb = MakeDateKey(2006, 2, 7);

std::span<const std::uint8_t> Utf8(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

struct Sealed {
    Bytes file;   // her calendar with kJan
    Bytes backup; // the same key, with kJan and kFeb
};

Sealed SealedCalendar() {
    std::optional<keyring::Protection> protection = keyring::Create(Utf8(kPassword), 1000);
    EXPECT_TRUE(protection);
    const SealedEnvelope envelope(std::move(protection->key));
    CalendarData data;
    data.SetMarks({kJan});
    Sealed sealed{envelope.Seal(data), {}};
    data.SetMarks({kJan, kFeb});
    sealed.backup = envelope.Seal(data);
    return sealed;
}

// The header asks for more iterations than any Lunabel writes, its hash made whole.
Bytes AskingBillions(const Bytes& file) {
    sealed::ParsedHeader parsed = sealed::ParseHeader(file, cng::SystemSha256());
    parsed.header.password.iterations = 4'000'000'000u;
    Bytes changed = *sealed::SerializeHeader(parsed.header, cng::SystemSha256());
    changed.insert(changed.end(), file.begin() + sealed::kHeaderSize, file.end());
    return changed;
}

Bytes Flipped(Bytes file, std::size_t at) {
    file[at] ^= 0x01;
    return file;
}

bool Contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

class SealedFile : public RealDataFileTest {
protected:
    void SetUp() override {
        RealDataFileTest::SetUp();
        for (const std::wstring& name : FilesBeside(dataPath)) {
            ::DeleteFileW((Folder(dataPath) + name).c_str());
        }
        before.clear();
    }
    void TearDown() override {
        program.Stop();
        RealDataFileTest::TearDown();
    }

    // Types the password into the password dialog and unlocks.
    void Unlock() {
        const HWND dialog = AwaitPopup(program);
        ASSERT_NE(dialog, nullptr);
        ASSERT_NE(::GetDlgItem(dialog, IDC_UNLOCK_PASSWORD), nullptr) << "not the password dialog";
        ::SetDlgItemTextW(dialog, IDC_UNLOCK_PASSWORD, L"Moon7abc");
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(Eventually([&] { return !::IsWindow(dialog); }));
    }

    ProgramCopy program;
};

TEST_F(SealedFile, ChangedOrBrokenFileIsRefusedAndKeptAsItWas) {
    const Sealed sealed = SealedCalendar();
    struct Case {
        const char* name;
        Bytes file;
        bool unlock; // the header is whole: the password is asked first
        UINT told;
    } cases[] = {
        {"a byte of the body changed", Flipped(sealed.file, sealed.file.size() - 30), true,
         IDS_DAMAGED_AT_START},
        {"cut after its header", Bytes(sealed.file.begin(), sealed.file.begin() + 300), true,
         IDS_DAMAGED_AT_START},
        {"a header asking for 4 billion iterations", AskingBillions(sealed.file), false,
         IDS_DAMAGED_AT_START},
        {"a byte of the header changed", Flipped(sealed.file, 40), false, IDS_DAMAGED_AT_START},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteFileBytes(dataPath, c.file));
        const HWND frame = program.StartAndWaitForFrame();
        ASSERT_NE(frame, nullptr);
        if (c.unlock) {
            Unlock();
        }
        const std::wstring told = AnswerPopup(program, L"OK");
        EXPECT_TRUE(Contains(told, FormatResourceString(c.told, {dataPath})))
            << std::string(told.begin(), told.end());
        EXPECT_EQ(ReadFileBytes(dataPath + L".damaged"), c.file);
        ::PostMessageW(frame, WM_CLOSE, 0, 0);
        EXPECT_EQ(program.ExitCode(), 1);
        EXPECT_EQ(ReadFileBytes(dataPath), c.file) << "nothing was written over it";
        for (const std::wstring& name : FilesBeside(dataPath)) {
            ::DeleteFileW((Folder(dataPath) + name).c_str());
        }
    }
}

// The body broke, but the backup beside it is whole: her password opens
// both, and the backup is offered.
TEST_F(SealedFile, BrokenFileOffersItsSealedBackup) {
    const Sealed sealed = SealedCalendar();
    const Bytes broken = Flipped(sealed.file, sealed.file.size() - 30);
    ASSERT_TRUE(WriteFileBytes(dataPath, broken));
    ASSERT_TRUE(WriteFileBytes(dataPath + L".bak", sealed.backup));
    const HWND frame = program.StartAndWaitForFrame();
    ASSERT_NE(frame, nullptr);
    Unlock();
    const std::wstring told = AnswerPopup(program, L"Yes");
    EXPECT_TRUE(Contains(told, L"holds 2 period starts")) << std::string(told.begin(), told.end());
    ASSERT_TRUE(Eventually([&] {
        const std::optional<Bytes> now = ReadFileBytes(dataPath);
        return now && *now != broken && KindOf(*now) == FileKind::Sealed;
    }));
    ::PostMessageW(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.ExitCode(), 1);
    EXPECT_EQ(ReadFileBytes(dataPath + L".damaged"), broken);
    keyring::Unlocked unlocked =
        keyring::UnlockWithPassword(*ReadFileBytes(dataPath), Utf8(kPassword));
    ASSERT_EQ(unlocked.status, keyring::Unlock::Unlocked);
    const SealedEnvelope envelope(std::move(unlocked.key));
    CalendarData restored;
    ASSERT_EQ(envelope.Open(*ReadFileBytes(dataPath), restored), DataEnvelope::Opened::Opened);
    EXPECT_EQ(restored.Marks(), std::vector<DateKey>({kJan, kFeb}));
}

// What an older Lunabel leaves: the protected file it could not read kept as
// ".damaged", a plain calendar beside it. Its marks come back with its password.
TEST_F(SealedFile, ProtectedCopyAnOlderLunabelSetAsideIsMergedBack) {
    const Sealed sealed = SealedCalendar();
    const DateKey kMay = MakeDateKey(2007, 5, 1);
    ASSERT_TRUE(WriteFileBytes(dataPath, FileBytes().Good().Opts(28, 5, 1).Days({kMay}).bytes));
    ASSERT_TRUE(WriteFileBytes(dataPath + L".damaged", sealed.backup));
    const HWND frame = program.StartAndWaitForFrame();
    ASSERT_NE(frame, nullptr);
    const std::wstring offered = AnswerPopup(program, L"Yes");
    EXPECT_TRUE(Contains(offered, dataPath + L".damaged"));
    Unlock();
    const std::wstring told = AnswerPopup(program, L"OK");
    EXPECT_TRUE(Contains(told, LoadResourceString(IDS_PROTECTED_COPY_MERGED)));
    ::PostMessageW(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.ExitCode(), 1);
    EXPECT_EQ(ReadFileBytes(dataPath),
              FileBytes().Good().Opts(28, 5, 1).Days({kJan, kFeb, kMay}).bytes);
    EXPECT_FALSE(FilesBeside(dataPath).contains(FileName(dataPath) + L".damaged"));
}

// A second copy started while the password is asked brings the password
// dialog to the front; Cancel there ends Lunabel, writing nothing.
TEST_F(SealedFile, SecondCopyBringsThePasswordForwardAndCancelEnds) {
    const Bytes file = SealedCalendar().file;
    ASSERT_TRUE(WriteFileBytes(dataPath, file));
    ASSERT_NE(program.StartAndWaitForFrame(), nullptr);
    const HWND dialog = AwaitPopup(program);
    ASSERT_NE(dialog, nullptr);
    const HWND other = ::CreateWindowExW(0, L"STATIC", L"in front", WS_POPUP | WS_VISIBLE, 0, 0, 50,
                                         50, nullptr, nullptr, nullptr, nullptr);
    ::SetForegroundWindow(other);
    ASSERT_TRUE(Eventually([&] { return ::GetForegroundWindow() == other; }));
    ProgramCopy second;
    ASSERT_TRUE(second.Start());
    EXPECT_EQ(second.ExitCode(), 0);
    EXPECT_TRUE(Eventually([&] { return ::GetForegroundWindow() == dialog; }));
    ::DestroyWindow(other);
    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(program.ExitCode(), 1);
    EXPECT_EQ(ReadFileBytes(dataPath), file);
    EXPECT_EQ(FilesBeside(dataPath), std::set<std::wstring>{FileName(dataPath)});
}

// Windows locking the session locks her calendar: the cycle history is
// closed, the click made just before is sealed into the file, and the
// password dialog asks again.
TEST_F(SealedFile, WindowsLockClosesTheHistoryAndLocksWithTheClickSaved) {
    const Bytes file = SealedCalendar().file;
    ASSERT_TRUE(WriteFileBytes(dataPath, file));
    const HWND frame = program.StartAndWaitForFrame();
    ASSERT_NE(frame, nullptr);
    Unlock();
    ClickDay(frame, kFeb);
    ::PostMessageW(::GetWindow(frame, GW_CHILD), WM_COMMAND, CMD_CYCLE_HISTORY, 0);
    const HWND history = AwaitPopup(program);
    ASSERT_NE(history, nullptr);
    ASSERT_EQ(::GetDlgItem(history, IDC_UNLOCK_PASSWORD), nullptr) << "not the cycle history";
    ::PostMessageW(frame, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0);
    EXPECT_TRUE(Eventually([&] { return !::IsWindow(history); }));
    const HWND dialog = AwaitPopup(program);
    ASSERT_NE(dialog, nullptr);
    EXPECT_NE(::GetDlgItem(dialog, IDC_UNLOCK_PASSWORD), nullptr);

    const Bytes locked = *ReadFileBytes(dataPath);
    keyring::Unlocked unlocked = keyring::UnlockWithPassword(locked, Utf8(kPassword));
    ASSERT_EQ(unlocked.status, keyring::Unlock::Unlocked);
    CalendarData inFile;
    ASSERT_EQ(SealedEnvelope(std::move(unlocked.key)).Open(locked, inFile),
              DataEnvelope::Opened::Opened);
    EXPECT_EQ(inFile.Marks(), std::vector<DateKey>({kJan, kFeb}));

    Unlock();
    ::PostMessageW(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.ExitCode(), 1);
}

// A later Lunabel's file: said, left exactly as it is, and Lunabel ends.
TEST_F(SealedFile, FileOfANewerVersionIsLeftAloneAndLunabelEnds) {
    Bytes newer = SealedCalendar().file;
    newer[8] = 2;
    ASSERT_TRUE(WriteFileBytes(dataPath, newer));
    ASSERT_NE(program.StartAndWaitForFrame(), nullptr);
    const std::wstring told = AnswerPopup(program, L"OK");
    EXPECT_TRUE(Contains(told, FormatResourceString(IDS_NEWER_VERSION, {dataPath})));
    EXPECT_EQ(program.ExitCode(), 1);
    EXPECT_EQ(ReadFileBytes(dataPath), newer);
    EXPECT_EQ(FilesBeside(dataPath), std::set<std::wstring>{FileName(dataPath)});
}

} // namespace
