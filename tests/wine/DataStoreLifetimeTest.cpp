#include "cycle/PersistentCalendarData.h"

#include "DataStoreTestSupport.h"
#include "MessagePump.h"
#include "cycle/DataFile.h"

#include <vector>

namespace {

using namespace datastore_test;

class DataStoreLifetimeTest : public TempFolderTest {
protected:
    std::wstring DataPath() const { return In(L"Lunabel.data"); }

    // The saver's outcomes come back as messages: pump until `data` has none
    // left to wait for and the file holds what it should.
    static bool WaitUntilSaved(PersistentCalendarData& data) {
        return WaitFor([&] { return !data.HasUnsavedChanges(); });
    }

    void SeedFile() {
        CalendarData seed;
        seed.ToggleMark(2006, 1, 30);
        seed.SetCycleLength(30);
        ASSERT_TRUE(DataStore(DataPath()).Save(seed).saved);
    }
};

TEST_F(DataStoreLifetimeTest, EachChangeIsSavedSoonWithTheBytesTheExitSaveWouldWrite) {
    SeedFile();
    PersistentCalendarData persistent(DataPath());
    EXPECT_EQ(persistent.LastLoad(), LoadOutcome::Loaded);
    EXPECT_TRUE(persistent.Data().IsMarked(2006, 1, 30));
    EXPECT_EQ(persistent.Data().GetCycleLength(), 30);
    EXPECT_FALSE(persistent.HasUnsavedChanges());

    persistent.Data().ToggleMark(2006, 2, 27);
    EXPECT_TRUE(persistent.HasUnsavedChanges());
    ASSERT_TRUE(WaitUntilSaved(persistent));
    EXPECT_EQ(ReadFileBytes(DataPath()), datafile::Encode(persistent.Data()));
    EXPECT_EQ(persistent.SaveCount(), 1u);

    // A burst between two messages (an import, a dialog's settings) is one save.
    for (int day = 1; day <= 28; ++day) {
        persistent.Data().ToggleMark(2007, 2, day);
    }
    persistent.Data().SetPeriodLength(6);
    ASSERT_TRUE(WaitUntilSaved(persistent));
    EXPECT_EQ(ReadFileBytes(DataPath()), datafile::Encode(persistent.Data()));
    EXPECT_EQ(persistent.SaveCount(), 2u);
    EXPECT_EQ(ListFolder(folder_),
              (std::vector<std::wstring>{L"Lunabel.data", L"Lunabel.data.bak"}));
}

// The exit save writes only what is left: nothing after a run without changes
// (the file, and its backup, stay as they were), the last change otherwise.
TEST_F(DataStoreLifetimeTest, DestructionSavesOnlyWhatIsLeft) {
    SeedFile();
    const Bytes olderBackup = {7};
    ASSERT_TRUE(WriteFileBytes(DataPath() + L".bak", olderBackup));
    const auto before = ReadFileBytes(DataPath());
    { PersistentCalendarData untouched(DataPath()); }
    EXPECT_EQ(ReadFileBytes(DataPath()), before);
    EXPECT_EQ(ReadFileBytes(DataPath() + L".bak"), olderBackup);
    EXPECT_EQ(ListFolder(folder_),
              (std::vector<std::wstring>{L"Lunabel.data", L"Lunabel.data.bak"}));

    Bytes expected;
    {
        PersistentCalendarData persistent(DataPath());
        persistent.Data().ToggleMark(2006, 3, 15); // no message pumped: still pending
        expected = datafile::Encode(persistent.Data());
    }
    EXPECT_EQ(ReadFileBytes(DataPath()), expected);
}

// She hears of the first failure of a run, not of every one after it; a save
// that succeeds ends the run.
TEST_F(DataStoreLifetimeTest, ObserverHearsEverySaveAndWhichFailureIsTheFirst) {
    SeedFile();
    PersistentCalendarData persistent(DataPath());
    struct Heard {
        bool saved;
        bool firstFailure;
    };
    std::vector<Heard> heard;
    persistent.SetSaveObserver([&](const SaveResult& result, bool firstFailure) {
        heard.push_back({result.saved, firstFailure});
        EXPECT_EQ(result.file, DataPath());
    });
    const auto changeAndWait = [&] {
        const std::size_t count = heard.size();
        persistent.Data().ToggleMark(2006, 5, static_cast<int>(count) + 1);
        return WaitFor([&] { return heard.size() > count; });
    };

    ASSERT_TRUE(SetFileAttributesW(DataPath().c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(changeAndWait());
    ASSERT_TRUE(changeAndWait());
    ASSERT_TRUE(SetFileAttributesW(DataPath().c_str(), FILE_ATTRIBUTE_NORMAL));
    ASSERT_TRUE(changeAndWait());
    ASSERT_TRUE(SetFileAttributesW(DataPath().c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(changeAndWait());
    ASSERT_TRUE(SetFileAttributesW(DataPath().c_str(), FILE_ATTRIBUTE_NORMAL));

    ASSERT_EQ(heard.size(), 4u);
    EXPECT_FALSE(heard[0].saved);
    EXPECT_TRUE(heard[0].firstFailure);
    EXPECT_FALSE(heard[1].saved);
    EXPECT_FALSE(heard[1].firstFailure);
    EXPECT_TRUE(heard[2].saved);
    EXPECT_FALSE(heard[3].saved);
    EXPECT_TRUE(heard[3].firstFailure);
    EXPECT_TRUE(persistent.HasUnsavedChanges());
    EXPECT_TRUE(persistent.SaveNow().saved);
    EXPECT_EQ(ReadFileBytes(DataPath()), datafile::Encode(persistent.Data()));
}

// At process exit nobody can be asked: what cannot be saved goes to a copy,
// exactly as it was, and the data file stays as it was.
TEST_F(DataStoreLifetimeTest, DestructionKeepsACopyOfWhatItCannotSave) {
    SeedFile();
    const auto before = ReadFileBytes(DataPath());
    Bytes expected;
    {
        PersistentCalendarData persistent(DataPath());
        persistent.Data().ToggleMark(2006, 3, 15);
        persistent.Data().SetShowFertility(false);
        expected = datafile::Encode(persistent.Data());
        HeldFile held(DataPath(), 0);
        ASSERT_TRUE(held.Held());
        ASSERT_FALSE(persistent.SaveNow().saved);
        EXPECT_TRUE(persistent.HasUnsavedChanges());
        held.Release();
        ASSERT_TRUE(SetFileAttributesW(DataPath().c_str(), FILE_ATTRIBUTE_READONLY));
    }
    ASSERT_TRUE(SetFileAttributesW(DataPath().c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(ReadFileBytes(DataPath()), before);
    EXPECT_EQ(ReadFileBytes(DataPath() + L".unsaved"), expected);
}

// Taken from a temporary file, the state is not in the data file yet.
TEST_F(DataStoreLifetimeTest, RecoveredStateIsUnsavedUntilSaved) {
    CalendarData kept;
    kept.ToggleMark(2006, 3, 15);
    ASSERT_TRUE(WriteFileBytes(DataPath() + L".tmp", datafile::Encode(kept)));
    PersistentCalendarData persistent(DataPath());
    EXPECT_TRUE(persistent.Data().IsMarked(2006, 3, 15));
    EXPECT_TRUE(persistent.HasUnsavedChanges());
    persistent.ScheduleSave();
    ASSERT_TRUE(WaitUntilSaved(persistent));
    EXPECT_EQ(ReadFileBytes(DataPath()), datafile::Encode(kept));
    EXPECT_EQ(ListFolder(folder_), std::vector<std::wstring>{L"Lunabel.data"});
}

} // namespace
