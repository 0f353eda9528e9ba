// Her calendar behind a password through the real store and files: turning
// protection on seals the data file and every copy beside it, a change or the
// recovery key makes the old secrets open nothing, removing it writes them all
// plain again, and a sealed file is never written before it is unlocked.
#include "cycle/PersistentCalendarData.h"

#include "DataStoreTestSupport.h"
#include "MessagePump.h"
#include "crypto/PasswordRules.h"
#include "cycle/DataFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>

namespace {

using Bytes = std::vector<std::uint8_t>;
using keyring::Unlock;

constexpr std::uint32_t kTestIterations = 1000;

std::span<const std::uint8_t> Utf8(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

CalendarData SampleData() {
    CalendarData data;
    for (const int day : {3, 17, 29}) {
        data.ToggleMark(2025, 5, day);
    }
    data.SetCycleLength(31);
    return data;
}

void CopyInto(const CalendarData& from, CalendarData& to) {
    to.SetMarks(from.Marks());
    to.SetCycleLength(from.GetCycleLength());
}

keyring::Protection NewProtection(std::string_view password) {
    std::optional<keyring::Protection> made = keyring::Create(Utf8(password), kTestIterations);
    EXPECT_TRUE(made);
    return std::move(*made);
}

keyring::SealingKey KeyFor(const Bytes& file, std::string_view password) {
    keyring::Unlocked unlocked = keyring::UnlockWithPassword(file, Utf8(password));
    EXPECT_EQ(unlocked.status, Unlock::Unlocked);
    return std::move(unlocked.key);
}

// Whether any mark's key shows in the bytes as the plain file writes it.
bool ShowsAMark(const Bytes& bytes, const CalendarData& data) {
    for (const DateKey key : data.Marks()) {
        const std::uint8_t pattern[] = {
            static_cast<std::uint8_t>(key), static_cast<std::uint8_t>(key >> 8),
            static_cast<std::uint8_t>(key >> 16), static_cast<std::uint8_t>(key >> 24)};
        if (std::search(bytes.begin(), bytes.end(), std::begin(pattern), std::end(pattern)) !=
            bytes.end()) {
            return true;
        }
    }
    return false;
}

class SealedStoreTest : public datastore_test::TempFolderTest {
protected:
    std::wstring Data() const { return In(L"Lunabel.data"); }

    // The data file saved plain twice (so that ".bak" is made), with a copy
    // of an unsaved session, its base, a declined copy and a damaged one.
    void MakePlainCalendar() {
        {
            PersistentCalendarData user(Data());
            CopyInto(SampleData(), user.Data());
            ASSERT_TRUE(user.SaveNow().saved);
        }
        {
            PersistentCalendarData user(Data());
            user.Data().SetPeriodLength(6);
            ASSERT_TRUE(user.SaveNow().saved);
        }
        const Bytes plain = datafile::Encode(SampleData());
        for (const wchar_t* copy : {L".unsaved", L".unsaved.base", L".declined"}) {
            ASSERT_TRUE(WriteFileBytes(Data() + copy, plain));
        }
        ASSERT_TRUE(WriteFileBytes(Data() + L".damaged", {'G', 'O', 'O'}));
    }

    std::vector<std::wstring> Kin() const {
        return {Data(), Data() + L".bak", Data() + L".unsaved", Data() + L".unsaved.base",
                Data() + L".declined"};
    }

    // Every file but the damaged one sealed: no mark in its bytes, and the
    // plain reader takes none of them.
    void ExpectAllSealed(const std::string& when) {
        SCOPED_TRACE(when);
        for (const std::wstring& file : Kin()) {
            SCOPED_TRACE(testing::PrintToString(file));
            const Bytes bytes = ReadFileBytes(file).value();
            EXPECT_EQ(KindOf(bytes), FileKind::Sealed);
            EXPECT_FALSE(ShowsAMark(bytes, SampleData()));
            CalendarData read;
            EXPECT_NE(PlainEnvelope::Shared().Open(bytes, read), DataEnvelope::Opened::Opened);
        }
        EXPECT_EQ(ReadFileBytes(Data() + L".damaged").value(), Bytes({'G', 'O', 'O'}));
    }
};

TEST_F(SealedStoreTest, ProtectChangeRecoverAndRemoveCarryEveryFileAlong) {
    MakePlainCalendar();
    std::string recoveryText;
    {
        PersistentCalendarData user(Data());
        ASSERT_EQ(user.LastLoad(), LoadOutcome::Loaded);
        keyring::Protection protection = NewProtection("first moon");
        recoveryText = protection.recoveryKey;
        ASSERT_TRUE(user.Protect(std::move(protection.key)).saved);
        EXPECT_TRUE(user.IsProtected());
        EXPECT_EQ(user.UnprotectedCopies(), std::vector<std::wstring>{Data() + L".damaged"});
    }
    ExpectAllSealed("protected");

    // A start reads the header alone and waits for her key.
    {
        PersistentCalendarData user(Data());
        ASSERT_EQ(user.LastLoad(), LoadOutcome::Locked);
        EXPECT_TRUE(user.Data().Marks().empty());
        EXPECT_EQ(keyring::UnlockWithPassword(user.SealedHeader(), Utf8("first mooN")).status,
                  Unlock::WrongSecret);
        ASSERT_EQ(user.Unlock(KeyFor(user.SealedHeader(), "first moon")), LoadOutcome::Loaded);
        EXPECT_EQ(user.Data().Marks(), SampleData().Marks());

        keyring::Changed changed = keyring::Change(user.SealedHeader(), Utf8("first moon"),
                                                   Utf8("second moon"), kTestIterations);
        ASSERT_EQ(changed.status, Unlock::Unlocked);
        recoveryText = changed.protection->recoveryKey;
        ASSERT_TRUE(user.Protect(std::move(changed.protection->key)).saved);
    }
    ExpectAllSealed("changed");
    for (const std::wstring& file : Kin()) {
        const Bytes bytes = ReadFileBytes(file).value();
        EXPECT_EQ(keyring::UnlockWithPassword(bytes, Utf8("first moon")).status,
                  Unlock::WrongSecret);
        EXPECT_EQ(keyring::UnlockWithPassword(bytes, Utf8("second moon")).status, Unlock::Unlocked);
    }

    // Forgotten: the recovery key opens it, and a new password replaces both.
    {
        PersistentCalendarData user(Data());
        const secrets::TypedRecoveryKey typed = secrets::ParseRecoveryKey(recoveryText);
        ASSERT_EQ(typed.problem, secrets::RecoveryKeyProblem::None);
        keyring::Unlocked opened = keyring::UnlockWithRecoveryKey(user.SealedHeader(), typed.key);
        ASSERT_EQ(opened.status, Unlock::Unlocked);
        ASSERT_EQ(user.Unlock(std::move(opened.key)), LoadOutcome::Loaded);
        ASSERT_TRUE(user.Protect(NewProtection("third moon").key).saved);
        EXPECT_EQ(keyring::UnlockWithRecoveryKey(ReadFileBytes(Data()).value(), typed.key).status,
                  Unlock::WrongSecret);
    }
    ExpectAllSealed("recovered");

    {
        PersistentCalendarData user(Data());
        ASSERT_EQ(user.Unlock(KeyFor(user.SealedHeader(), "third moon")), LoadOutcome::Loaded);
        ASSERT_TRUE(user.RemoveProtection().saved);
        EXPECT_FALSE(user.IsProtected());
    }
    for (const std::wstring& file : Kin()) {
        SCOPED_TRACE(testing::PrintToString(file));
        CalendarData read;
        EXPECT_EQ(PlainEnvelope::Shared().Open(ReadFileBytes(file).value(), read),
                  DataEnvelope::Opened::Opened);
        EXPECT_EQ(read.Marks(), SampleData().Marks());
    }
    PersistentCalendarData user(Data());
    EXPECT_EQ(user.LastLoad(), LoadOutcome::Loaded);
}

// Whatever happens to the data before she unlocks, nothing is written: not
// the file, not a copy, never an empty calendar.
TEST_F(SealedStoreTest, LockedCalendarWritesNothing) {
    MakePlainCalendar();
    {
        PersistentCalendarData user(Data());
        ASSERT_TRUE(user.Protect(NewProtection("first moon").key).saved);
    }
    const std::vector<std::wstring> before = ListFolder(folder_);
    const Bytes sealedFile = ReadFileBytes(Data()).value();
    {
        PersistentCalendarData user(Data());
        ASSERT_EQ(user.LastLoad(), LoadOutcome::Locked);
        user.Data().ToggleMark(2025, 6, 1);
        EXPECT_FALSE(user.SaveNow().saved);
        EXPECT_FALSE(user.KeepUnsavedCopy().saved);
    }
    EXPECT_EQ(ReadFileBytes(Data()).value(), sealedFile);
    EXPECT_EQ(ListFolder(folder_), before);
}

// A protected file that fails to open is kept as ".damaged" and never
// written over; a whole sealed backup is offered with the same password.
TEST_F(SealedStoreTest, DamagedSealedFileIsKeptAndItsBackupOffered) {
    MakePlainCalendar();
    {
        PersistentCalendarData user(Data());
        ASSERT_TRUE(user.Protect(NewProtection("first moon").key).saved);
    }
    const Bytes whole = ReadFileBytes(Data()).value();
    struct Case {
        const char* name;
        std::size_t at; // the byte changed
    } cases[] = {{"body", whole.size() - 40}, {"header", 100}};
    for (const Case& damage : cases) {
        SCOPED_TRACE(damage.name);
        Bytes damaged = whole;
        damaged[damage.at] ^= 0x20;
        ASSERT_TRUE(WriteFileBytes(Data(), damaged));
        for (const std::wstring& name : ListFolder(folder_)) {
            if (name.starts_with(L"Lunabel.data.damaged.")) {
                DeleteFileW(In(name).c_str());
            }
        }
        PersistentCalendarData user(Data());
        // A damaged header is told at once: the backup's header is asked for.
        ASSERT_EQ(user.LastLoad(), LoadOutcome::Locked);
        EXPECT_EQ(user.Unlock(KeyFor(user.SealedHeader(), "first moon")), LoadOutcome::Damaged);
        EXPECT_TRUE(user.Data().Marks().empty());
        ASSERT_FALSE(user.DamagedCopy().empty());
        EXPECT_EQ(ReadFileBytes(user.DamagedCopy()).value(), damaged);
        ASSERT_TRUE(user.BackupToOffer().has_value());
        CalendarData backup;
        EXPECT_TRUE(ReadDataCopy(user.BackupToOffer()->path, user.Envelope(), backup));
        EXPECT_EQ(backup.Marks(), SampleData().Marks());
        EXPECT_EQ(ReadFileBytes(Data()).value(), damaged) << "nothing saved yet";
    }
}

// Locking seals the newest state before it wipes the marks, and the file is
// never empty or plain on the way: after every step it is whole and sealed.
TEST_F(SealedStoreTest, LockSealsTheNewestStateAndUnlockBringsItBack) {
    MakePlainCalendar();
    PersistentCalendarData user(Data());
    keyring::Protection protection = NewProtection("first moon");
    ASSERT_TRUE(user.Protect(std::move(protection.key)).saved);
    const auto fileIsSealed = [&] {
        const Bytes bytes = ReadFileBytes(Data()).value();
        EXPECT_EQ(KindOf(bytes), FileKind::Sealed);
        return bytes;
    };
    user.Data().ToggleMark(2025, 7, 4);
    const std::vector<DateKey> marks = user.Data().Marks();
    ASSERT_TRUE(user.Lock().saved);
    EXPECT_TRUE(user.IsLocked());
    EXPECT_TRUE(user.Data().Marks().empty());
    const Bytes locked = fileIsSealed();
    EXPECT_TRUE(user.SaveNow().saved) << "nothing to save";
    EXPECT_EQ(fileIsSealed(), locked) << "the wiped calendar is never saved";
    ASSERT_EQ(user.Unlock(KeyFor(locked, "first moon")), LoadOutcome::Loaded);
    EXPECT_EQ(user.Data().Marks(), marks);
    EXPECT_FALSE(user.IsLocked());
    EXPECT_EQ(fileIsSealed(), locked);
}

// A file another program holds at the lock gets the sealed state once it is
// let go, while the calendar stays locked; the unlock shows that state.
TEST_F(SealedStoreTest, HeldFileGetsTheSealedStateWhileLocked) {
    MakePlainCalendar();
    PersistentCalendarData user(Data());
    ASSERT_TRUE(user.Protect(NewProtection("first moon").key).saved);
    user.Data().ToggleMark(2025, 7, 4);
    const std::vector<DateKey> marks = user.Data().Marks();
    const Bytes before = ReadFileBytes(Data()).value();
    datastore_test::HeldFile holder(Data(), 0);
    ASSERT_TRUE(holder.Held());
    const SaveResult locked = user.Lock();
    EXPECT_FALSE(locked.saved);
    EXPECT_EQ(locked.error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_TRUE(user.Data().Marks().empty());
    holder.Release();
    EXPECT_EQ(ReadFileBytes(Data()).value(), before);
    user.RetrySave();
    ASSERT_TRUE(WaitFor([&] { return ReadFileBytes(Data()).value() != before; }));
    EXPECT_TRUE(user.IsLocked());
    const Bytes after = ReadFileBytes(Data()).value();
    EXPECT_EQ(KindOf(after), FileKind::Sealed);
    EXPECT_FALSE(ShowsAMark(after, SampleData()));
    ASSERT_EQ(user.Unlock(KeyFor(after, "first moon")), LoadOutcome::Loaded);
    EXPECT_EQ(user.Data().Marks(), marks);
}

TEST_F(SealedStoreTest, FileOfANewerVersionIsNeverWritten) {
    Bytes newer = datafile::Encode(SampleData());
    newer.insert(newer.begin(), sealed::kMagic.begin(), sealed::kMagic.end());
    newer[8] = 2;
    newer.resize(4096);
    ASSERT_TRUE(WriteFileBytes(Data(), newer));
    {
        PersistentCalendarData user(Data());
        ASSERT_EQ(user.LastLoad(), LoadOutcome::NewerVersion);
        user.Data().ToggleMark(2025, 6, 1);
        EXPECT_FALSE(user.SaveNow().saved);
    }
    EXPECT_EQ(ReadFileBytes(Data()).value(), newer);
    EXPECT_EQ(ListFolder(folder_), std::vector<std::wstring>{L"Lunabel.data"});
}

} // namespace
