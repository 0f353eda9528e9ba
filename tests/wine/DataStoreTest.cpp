#include "cycle/DataStore.h"

#include "DataFileBytes.h"
#include "DataStoreTestSupport.h"
#include "cycle/CalendarData.h"
#include "cycle/DataFile.h"
#include "framework/Handle.h"

#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <thread>

namespace {

using namespace datastore_test;

// The 36-byte file of a fresh user, written out so as not to rely on the codec.
const Bytes kFreshFile = {
    0x47, 0x4F, 0x4F, 0x44, 0x00, 0x00, 0x00, 0x00, 0x4F, 0x50, 0x54, 0x53,
    0x0C, 0x00, 0x00, 0x00, 0x1C, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00,
    0x01, 0x00, 0x00, 0x00, 0x44, 0x41, 0x59, 0x53, 0x00, 0x00, 0x00, 0x00,
};

// GOOD, then OPTS cut off after the cycle length: damaged, cycle 31.
const Bytes kDamagedFile = {
    0x47, 0x4F, 0x4F, 0x44, 0x00, 0x00, 0x00, 0x00, 0x4F, 0x50,
    0x54, 0x53, 0x0C, 0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00,
};

// A well-formed file with one mark (30 January 2006), cycle 30, period 4.
const Bytes kUserFile = {
    0x47, 0x4F, 0x4F, 0x44, 0x00, 0x00, 0x00, 0x00, 0x4F, 0x50, 0x54, 0x53, 0x0C, 0x00,
    0x00, 0x00, 0x1E, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,
    0x44, 0x41, 0x59, 0x53, 0x04, 0x00, 0x00, 0x00, 0x1E, 0x01, 0xD6, 0x07,
};

std::wstring Repeat(wchar_t c, std::size_t n) {
    return std::wstring(n, c);
}

TEST(DataPathTest, IsTheApplicationDataFolderOfTheUser) {
    wchar_t appData[MAX_PATH] = {};
    ASSERT_NE(GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH), 0u);
    EXPECT_EQ(LocateDataFile(), std::wstring(appData) + L"\\Lunabel.data");
}

TEST(DataPathTest, FallsBackToTheProgramFileAndRefusesPathsThatDoNotFit) {
    const std::wstring program = L"C:\\Programs\\Lunabel\\lunabel.exe";
    struct Case {
        const char* name;
        HRESULT result;
        std::wstring folder;
        std::wstring module;
        std::wstring path;
    };
    // "\Lunabel.data" is 13 characters, ".data" 5; a path must stay below 260.
    const std::wstring folder246 = L"C:\\" + Repeat(L'f', 243);
    const std::wstring module254 = L"C:\\" + Repeat(L'm', 247) + L".exe";
    const Case cases[] = {
        {"folder found", S_OK, L"C:\\Users\\ann\\AppData\\Roaming", program,
         L"C:\\Users\\ann\\AppData\\Roaming\\Lunabel.data"},
        {"folder with trailing backslash", S_OK, L"D:\\", program, L"D:\\Lunabel.data"},
        {"folder missing (S_FALSE)", S_FALSE, L"C:\\Users\\ann\\AppData\\Roaming", program,
         program + L".data"},
        {"shell error", E_FAIL, L"", program, program + L".data"},
        {"success without a folder", S_OK, L"", program, program + L".data"},
        {"nothing known", E_FAIL, L"", L"", L""},
        {"folder path of 259", S_OK, folder246, program, folder246 + L"\\Lunabel.data"},
        {"folder path of 260", S_OK, folder246 + L"g", program, L""},
        {"module path of 259", E_FAIL, L"", module254, module254 + L".data"},
        {"module path of 260", E_FAIL, L"", module254 + L"x", L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ResolveDataPath(c.result, c.folder, c.module), c.path);
    }
}

class DataStoreTest : public TempFolderTest {
protected:
    std::wstring DataPath() const { return In(L"Lunabel.data"); }

    // The user's file in `folder`, loaded, changed and saved, is replaced whole.
    static void SaveReplacesTheFileIn(const std::wstring& folder) {
        const std::wstring path = folder + L"\\Lunabel.data";
        ASSERT_TRUE(WriteFileBytes(path, kUserFile));
        DataStore store(path);
        CalendarData data;
        ASSERT_EQ(store.Load(data), LoadOutcome::Loaded);
        EXPECT_TRUE(data.IsMarked(2006, 1, 30));
        data.ToggleMark(2006, 1, 30);
        data.SetCycleLength(28);
        data.SetPeriodLength(5);
        ASSERT_TRUE(store.Save(data).saved);
        EXPECT_EQ(ReadFileBytes(path), kFreshFile);
        EXPECT_EQ(ReadFileBytes(path + L".bak"), kUserFile) << "the file as it was at start";
        EXPECT_EQ(ListFolder(folder),
                  (std::vector<std::wstring>{L"Lunabel.data", L"Lunabel.data.bak"}));
    }
};

TEST_F(DataStoreTest, FreshDataIsSavedAsThe36ByteFile) {
    DataStore store(DataPath());
    CalendarData data;
    EXPECT_EQ(store.Load(data), LoadOutcome::NoFile);
    ASSERT_TRUE(store.Save(data).saved);
    EXPECT_EQ(ReadFileBytes(DataPath()), kFreshFile);
    EXPECT_EQ(ListFolder(folder_), std::vector<std::wstring>{L"Lunabel.data"});
    EXPECT_EQ(store.SavedTo(), DataPath());
}

TEST_F(DataStoreTest, SavedStateLoadsBackIncludingStrayKeys) {
    CalendarData saved;
    saved.ToggleMark(2006, 3, 15);
    saved.ToggleMark(2006, 2, 0);
    saved.ToggleMark(65535, 255, 255);
    saved.SetCycleLength(45);
    saved.SetPeriodLength(7);
    saved.SetShowFertilityWord(7);
    ASSERT_TRUE(DataStore(DataPath()).Save(saved).saved);

    CalendarData loaded;
    loaded.ToggleMark(1999, 1, 1);
    DataStore store(DataPath());
    EXPECT_EQ(store.Load(loaded), LoadOutcome::Loaded);
    EXPECT_EQ(loaded.Marks(), saved.Marks());
    EXPECT_EQ(loaded.GetCycleLength(), 45);
    EXPECT_EQ(loaded.GetPeriodLength(), 7);
    EXPECT_EQ(loaded.GetShowFertilityWord(), 7u);
}

TEST_F(DataStoreTest, SaveReplacesAnExistingFileCompletely) {
    SaveReplacesTheFileIn(folder_);
}

TEST_F(DataStoreTest, WithoutAPathNothingIsReadOrWritten) {
    DataStore store(L"");
    CalendarData data;
    data.ToggleMark(2006, 1, 1);
    EXPECT_EQ(store.Load(data), LoadOutcome::NoPath);
    EXPECT_TRUE(data.Marks().empty());
    EXPECT_FALSE(store.Save(data).saved);
}

// Every way a save can fail leaves the previous file as it was, byte for byte,
// no temporary file behind, and says which file and why.
TEST_F(DataStoreTest, FailedSaveLeavesThePreviousFileIntactAndSaysWhy) {
    CalendarData changed;
    changed.ToggleMark(2006, 3, 15);
    const std::vector<std::wstring> fileAndBackup{L"Lunabel.data", L"Lunabel.data.bak"};

    {
        SCOPED_TRACE("read-only file");
        ASSERT_TRUE(WriteFileBytes(DataPath(), kUserFile));
        DataStore store(DataPath());
        CalendarData data;
        ASSERT_EQ(store.Load(data), LoadOutcome::Loaded);
        ASSERT_TRUE(SetFileAttributesW(DataPath().c_str(), FILE_ATTRIBUTE_READONLY));
        const SaveResult result = store.Save(changed);
        EXPECT_FALSE(result.saved);
        EXPECT_EQ(result.error, DWORD{ERROR_ACCESS_DENIED});
        EXPECT_EQ(result.file, DataPath());
        EXPECT_EQ(ReadFileBytes(DataPath()), kUserFile);
        EXPECT_EQ(ListFolder(folder_), fileAndBackup);
        ASSERT_TRUE(SetFileAttributesW(DataPath().c_str(), FILE_ATTRIBUTE_NORMAL));
        RemoveTree(DataPath() + L".bak");
    }
    {
        SCOPED_TRACE("file held open without sharing");
        ASSERT_TRUE(WriteFileBytes(DataPath(), kUserFile));
        DataStore store(DataPath());
        CalendarData data;
        ASSERT_EQ(store.Load(data), LoadOutcome::Loaded);
        HeldFile held(DataPath(), 0);
        ASSERT_TRUE(held.Held());
        const SaveResult result = store.Save(changed);
        EXPECT_FALSE(result.saved);
        EXPECT_EQ(result.error, DWORD{ERROR_SHARING_VIOLATION});
        held.Release();
        EXPECT_EQ(ReadFileBytes(DataPath()), kUserFile);
        EXPECT_EQ(ListFolder(folder_), fileAndBackup);
    }
    {
        SCOPED_TRACE("folder missing");
        const std::wstring missing = In(L"missing");
        DataStore store(missing + L"\\Lunabel.data");
        CalendarData data;
        EXPECT_EQ(store.Load(data), LoadOutcome::NoFile);
        const SaveResult result = store.Save(changed);
        EXPECT_FALSE(result.saved);
        EXPECT_EQ(result.error, DWORD{ERROR_PATH_NOT_FOUND});
        EXPECT_FALSE(PathExists(missing));
        EXPECT_EQ(store.SavedTo(), L"");
    }
}

// A reader that has the file open when the new one is renamed over it (a virus
// scanner, an indexer, a backup) makes the system refuse the rename; once it
// lets go the save goes through, instead of failing for a moment's overlap.
TEST_F(DataStoreTest, SaveWaitsForAReaderToLetGoOfTheFile) {
    ASSERT_TRUE(WriteFileBytes(DataPath(), kUserFile));
    DataStore store(DataPath());
    CalendarData data;
    ASSERT_EQ(store.Load(data), LoadOutcome::Loaded);
    ASSERT_TRUE(store.Save(data).saved) << "the backup is made before the reader comes";

    HeldFile reader(DataPath(), FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    ASSERT_TRUE(reader.Held());
    std::atomic<bool> done{false};
    SaveResult result;
    std::thread saver([&] {
        result = store.Save(CalendarData());
        done = true;
    });
    // The temporary file stands while the rename waits for the reader.
    while (!done && !PathExists(DataPath() + L".tmp")) {
        Sleep(1);
    }
    reader.Release();
    saver.join();

    EXPECT_TRUE(result.saved) << result.error;
    EXPECT_EQ(ReadFileBytes(DataPath()), kFreshFile);
    EXPECT_EQ(ListFolder(folder_),
              (std::vector<std::wstring>{L"Lunabel.data", L"Lunabel.data.bak"}));
}

// ".bak" is the file as the run found it: written by its first save only, and
// only from a file that was read whole.
TEST_F(DataStoreTest, BackupKeepsTheStartStateOfAReadableFile) {
    const Bytes olderBackup = {7, 7, 7};
    struct Case {
        const char* name;
        std::optional<Bytes> atStart;
        std::optional<Bytes> backup;
    };
    const Case cases[] = {
        {"readable file", kUserFile, kUserFile},
        {"damaged file: kept as .damaged, the older backup stays", kDamagedFile, olderBackup},
        {"no file", std::nullopt, olderBackup},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveTree(DataPath());
        ASSERT_TRUE(WriteFileBytes(DataPath() + L".bak", olderBackup));
        if (c.atStart) {
            ASSERT_TRUE(WriteFileBytes(DataPath(), *c.atStart));
        }
        DataStore store(DataPath());
        CalendarData data;
        store.Load(data);
        data.ToggleMark(2006, 3, 15);
        ASSERT_TRUE(store.Save(data).saved);
        EXPECT_EQ(ReadFileBytes(DataPath() + L".bak"), c.backup);

        // A later save of the same run leaves it alone.
        ASSERT_TRUE(WriteFileBytes(DataPath() + L".bak", {1}));
        data.ToggleMark(2006, 4, 12);
        ASSERT_TRUE(store.Save(data).saved);
        EXPECT_EQ(ReadFileBytes(DataPath() + L".bak"), Bytes{1});
        RemoveTree(DataPath() + L".damaged");
    }
}

TEST_F(DataStoreTest, DamagedFileIsKeptBesideBeforeTheFirstSave) {
    ASSERT_TRUE(WriteFileBytes(DataPath(), kDamagedFile));
    DataStore store(DataPath());
    CalendarData data;
    data.ToggleMark(1999, 1, 1);
    ASSERT_EQ(store.Load(data), LoadOutcome::Damaged);
    EXPECT_TRUE(data.Marks().empty());
    EXPECT_EQ(data.GetCycleLength(), 31);

    ASSERT_TRUE(store.Save(data).saved);
    EXPECT_EQ(store.DamagedCopy(), DataPath() + L".damaged");
    EXPECT_EQ(ReadFileBytes(DataPath() + L".damaged"), kDamagedFile);

    // Later saves of the same run replace the file and copy nothing more.
    data.SetCycleLength(28);
    ASSERT_TRUE(store.Save(data).saved);
    EXPECT_EQ(ReadFileBytes(DataPath()), kFreshFile);
    EXPECT_EQ(ListFolder(folder_),
              (std::vector<std::wstring>{L"Lunabel.data", L"Lunabel.data.damaged"}));
}

TEST_F(DataStoreTest, DamagedCopyIsNumberedWhenTheNameIsTaken) {
    const Bytes older = {1, 2, 3};
    ASSERT_TRUE(WriteFileBytes(DataPath() + L".damaged", older));
    ASSERT_TRUE(WriteFileBytes(DataPath() + L".damaged.1", older));
    ASSERT_TRUE(WriteFileBytes(DataPath(), kDamagedFile));
    DataStore store(DataPath());
    CalendarData data;
    ASSERT_EQ(store.Load(data), LoadOutcome::Damaged);
    ASSERT_TRUE(store.Save(data).saved);
    EXPECT_EQ(store.DamagedCopy(), DataPath() + L".damaged.2");
    EXPECT_EQ(ReadFileBytes(DataPath() + L".damaged"), older);
    EXPECT_EQ(ReadFileBytes(DataPath() + L".damaged.1"), older);
    EXPECT_EQ(ReadFileBytes(DataPath() + L".damaged.2"), kDamagedFile);
}

// The copy is made as the file is read, before anything could be saved over
// it; a name taken by anything, a folder too, is left alone.
TEST_F(DataStoreTest, DamagedFileIsCopiedAtLoadUnderAFreeName) {
    ASSERT_TRUE(WriteFileBytes(DataPath(), kDamagedFile));
    const std::wstring folder = DataPath() + L".damaged";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    DataStore store(DataPath());
    CalendarData data;
    ASSERT_EQ(store.Load(data), LoadOutcome::Damaged);
    EXPECT_EQ(store.DamagedCopy(), DataPath() + L".damaged.1");
    EXPECT_EQ(ReadFileBytes(DataPath() + L".damaged.1"), kDamagedFile);
    EXPECT_TRUE(RemoveDirectoryW(folder.c_str()));
}

TEST_F(DataStoreTest, FileLockedAtStartIsLeftAloneAndTheStateGoesBeside) {
    ASSERT_TRUE(WriteFileBytes(DataPath(), kUserFile));
    DataStore store(DataPath());
    CalendarData data;
    {
        HeldFile held(DataPath(), 0);
        ASSERT_TRUE(held.Held());
        EXPECT_EQ(store.Load(data), LoadOutcome::Unreadable);
    }
    EXPECT_TRUE(data.Marks().empty());
    EXPECT_EQ(data.GetCycleLength(), 28);

    ASSERT_TRUE(store.Save(data).saved);
    EXPECT_EQ(store.SavedTo(), DataPath() + L".unsaved");
    EXPECT_EQ(ReadFileBytes(DataPath()), kUserFile);
    EXPECT_EQ(ReadFileBytes(DataPath() + L".unsaved"), kFreshFile);

    // A second save of the same run goes to the same name.
    data.ToggleMark(2006, 1, 30);
    data.SetCycleLength(30);
    data.SetPeriodLength(4);
    ASSERT_TRUE(store.Save(data).saved);
    EXPECT_EQ(ReadFileBytes(DataPath() + L".unsaved"), kUserFile);
    // Its base: nothing of the file was seen.
    EXPECT_EQ(ReadFileBytes(DataPath() + L".unsaved.base"), kFreshFile);
    EXPECT_EQ(ListFolder(folder_),
              (std::vector<std::wstring>{L"Lunabel.data", L"Lunabel.data.unsaved",
                                         L"Lunabel.data.unsaved.base"}));
}

TEST_F(DataStoreTest, UnsavedNameIsNumberedWhenTaken) {
    const Bytes older = {9};
    ASSERT_TRUE(WriteFileBytes(DataPath() + L".unsaved", older));
    ASSERT_TRUE(WriteFileBytes(DataPath(), kUserFile));
    DataStore store(DataPath());
    CalendarData data;
    {
        HeldFile held(DataPath(), 0);
        ASSERT_EQ(store.Load(data), LoadOutcome::Unreadable);
    }
    ASSERT_TRUE(store.Save(data).saved);
    EXPECT_EQ(store.SavedTo(), DataPath() + L".unsaved.1");
    EXPECT_EQ(ReadFileBytes(DataPath() + L".unsaved"), older);
    EXPECT_EQ(ReadFileBytes(DataPath() + L".unsaved.1"), kFreshFile);
}

TEST_F(DataStoreTest, NonAsciiFolderLoadsAndSaves) {
    const std::wstring folder = In(L"\u0141\u00F3d\u017A \u0414\u0430\u043D\u043D\u044B\u0435");
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    SaveReplacesTheFileIn(folder);
}

// The data path just fits; the temporary and the damaged copy beside it do not.
TEST_F(DataStoreTest, NamesBesideALongPathStillWork) {
    const std::size_t folderLength = MAX_PATH - 1 - 13;
    ASSERT_LT(folder_.size() + 2, folderLength);
    const std::wstring folder = folder_ + L"\\" + Repeat(L'a', folderLength - folder_.size() - 1);
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring path = folder + L"\\Lunabel.data";
    ASSERT_EQ(path.size(), std::size_t{MAX_PATH - 1});
    ASSERT_TRUE(WriteFileBytes(path, kDamagedFile));

    DataStore store(path);
    CalendarData data;
    ASSERT_EQ(store.Load(data), LoadOutcome::Damaged);
    data.SetCycleLength(28);
    ASSERT_TRUE(store.Save(data).saved);
    EXPECT_EQ(ReadFileBytes(path), kFreshFile);
    EXPECT_EQ(ReadFileBytes(path + L".damaged"), kDamagedFile);
    EXPECT_EQ(ListFolder(folder),
              (std::vector<std::wstring>{L"Lunabel.data", L"Lunabel.data.damaged"}));
}

// What a save cut short leaves beside the data file: temporaries whole and
// not, each with its own time, next to files that are not Lunabel's to touch.
class TemporariesTest : public DataStoreTest {
protected:
    struct Leftover {
        const wchar_t* name;
        Bytes bytes;
        int minutesAgo;
    };

    static Bytes StateWithMark(DateKey key) {
        CalendarData data;
        data.SetMarks({key});
        return datafile::Encode(data);
    }

    void Leave(const std::vector<Leftover>& files) {
        for (const auto& file : files) {
            const std::wstring path = In(file.name);
            ASSERT_TRUE(WriteFileBytes(path, file.bytes));
            FILETIME now{};
            ::GetSystemTimeAsFileTime(&now);
            ULARGE_INTEGER time{{now.dwLowDateTime, now.dwHighDateTime}};
            time.QuadPart -= static_cast<ULONGLONG>(file.minutesAgo) * 60 * 10000000;
            const FILETIME when{time.LowPart, time.HighPart};
            win::File handle(::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            ASSERT_TRUE(::SetFileTime(handle.Get(), nullptr, nullptr, &when));
        }
    }

    static std::vector<std::wstring> Names(std::initializer_list<const wchar_t*> names) {
        std::vector<std::wstring> sorted(names.begin(), names.end());
        std::sort(sorted.begin(), sorted.end());
        return sorted;
    }
};

TEST_F(TemporariesTest, NewestWholeOneStandsInForAMissingOrDamagedFile) {
    const DateKey older = MakeDateKey(2006, 1, 10);
    const DateKey newer = MakeDateKey(2006, 2, 7);
    const DateKey cutShort = MakeDateKey(2006, 3, 7);
    const Bytes newerState = StateWithMark(newer);
    const Bytes partial = FileBytes().Good().Opts(28, 5, 1).bytes; // killed before DAYS
    const std::vector<Leftover> leftovers = {
        {L"Lunabel.data.tmp", StateWithMark(older), 30},
        {L"Lunabel.data.tmp.2", newerState, 20},
        {L"Lunabel.data.tmp.3", partial, 10},
        {L"Lunabel.data.tmp.x", StateWithMark(cutShort), 5}, // not a name a save gives
        {L"Lunabel.data.tmpfile", StateWithMark(cutShort), 5},
        {L"Other.data.tmp", StateWithMark(cutShort), 5},
        {L"Lunabel.database", StateWithMark(cutShort), 5},
    };
    const auto others = Names({L"Other.data.tmp", L"Lunabel.database"});
    const auto allLeftovers = Names(
        {L"Lunabel.data.tmp", L"Lunabel.data.tmp.2", L"Lunabel.data.tmp.3", L"Lunabel.data.tmp.x",
         L"Lunabel.data.tmpfile", L"Other.data.tmp", L"Lunabel.database"});

    struct Case {
        const char* name;
        std::optional<Bytes> dataFile;
        LoadOutcome outcome;
        std::vector<DateKey> marks;
        const wchar_t* recoveredFrom;
        // The folder after the first save, besides the data file and the others.
        std::vector<std::wstring> kept;
    };
    const Case cases[] = {
        {"missing", std::nullopt, LoadOutcome::NoFile, {newer}, L"Lunabel.data.tmp.2", {}},
        {"damaged",
         kDamagedFile,
         LoadOutcome::Damaged,
         {newer},
         L"Lunabel.data.tmp.2",
         {L"Lunabel.data.damaged"}},
        // A whole file wins over any temporary, however new.
        {"whole",
         kUserFile,
         LoadOutcome::Loaded,
         {MakeDateKey(2006, 1, 30)},
         L"",
         {L"Lunabel.data.bak"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveTree(folder_);
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
        Leave(leftovers);
        if (c.dataFile) {
            ASSERT_TRUE(WriteFileBytes(DataPath(), *c.dataFile));
        }

        DataStore store(DataPath());
        CalendarData data;
        EXPECT_EQ(store.Load(data), c.outcome);
        EXPECT_EQ(data.Marks(), c.marks);
        EXPECT_EQ(store.RecoveredFrom(), *c.recoveredFrom ? In(c.recoveredFrom) : L"");
        // Cleared only once the data file holds a whole state.
        std::vector<std::wstring> expected = allLeftovers;
        if (c.dataFile) {
            expected.push_back(L"Lunabel.data");
        }
        if (c.outcome == LoadOutcome::Loaded) {
            expected = others;
            expected.push_back(L"Lunabel.data");
        }
        if (c.outcome == LoadOutcome::Damaged) {
            expected.push_back(L"Lunabel.data.damaged"); // kept at once
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(ListFolder(folder_), expected);

        ASSERT_TRUE(store.Save(data).saved);
        expected = others;
        expected.push_back(L"Lunabel.data");
        expected.insert(expected.end(), c.kept.begin(), c.kept.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(ListFolder(folder_), expected);
        if (c.outcome != LoadOutcome::Loaded) {
            EXPECT_EQ(ReadFileBytes(DataPath()), newerState);
        }
    }
}

TEST_F(TemporariesTest, WithoutAWholeOneNothingIsTakenAndNothingClearedBeforeASave) {
    Leave({{L"Lunabel.data.tmp", {}, 2}, {L"Lunabel.data.tmp.1", FileBytes().Good().bytes, 1}});
    DataStore store(DataPath());
    CalendarData data;
    EXPECT_EQ(store.Load(data), LoadOutcome::NoFile);
    EXPECT_TRUE(data.Marks().empty());
    EXPECT_EQ(store.RecoveredFrom(), L"");
    EXPECT_EQ(ListFolder(folder_), Names({L"Lunabel.data.tmp", L"Lunabel.data.tmp.1"}));
    ASSERT_TRUE(store.Save(data).saved);
    EXPECT_EQ(ListFolder(folder_), Names({L"Lunabel.data"}));
}

// A state that cannot be saved goes beside the data file under a new name, or
// into the temporary folder when not even that can be written.
TEST_F(DataStoreTest, UnsavedCopyGoesBesideOrElseToTheTemporaryFolder) {
    CalendarData data;
    data.ToggleMark(2006, 3, 15);
    const Bytes state = datafile::Encode(data);
    ASSERT_TRUE(WriteFileBytes(DataPath() + L".unsaved", {9}));

    const SaveResult beside = DataStore(DataPath()).KeepUnsavedCopy(state);
    ASSERT_TRUE(beside.saved);
    EXPECT_EQ(beside.file, DataPath() + L".unsaved.1");
    EXPECT_EQ(ReadFileBytes(beside.file), state);

    const std::wstring nowhere = In(L"missing") + L"\\Lunabel.data";
    const SaveResult elsewhere = DataStore(nowhere).KeepUnsavedCopy(state);
    ASSERT_TRUE(elsewhere.saved);
    wchar_t temp[MAX_PATH] = L"";
    ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
    EXPECT_TRUE(elsewhere.file.starts_with(std::wstring(temp) + L"Lunabel.data.unsaved"))
        << std::string(elsewhere.file.begin(), elsewhere.file.end());
    EXPECT_EQ(ReadFileBytes(elsewhere.file), state);
    ::DeleteFileW(elsewhere.file.c_str());
    // A store that never loaded knows no base to keep beside them.
    EXPECT_FALSE(PathExists(UnsavedBaseOf(beside.file)));
    EXPECT_FALSE(PathExists(UnsavedBaseOf(elsewhere.file)));
}

TEST_F(TemporariesTest, UnsavedCopiesAreFoundOldestFirstAndDeclinedOnesKept) {
    Leave({{L"Lunabel.data.unsaved.3", {3}, 5},
           {L"Lunabel.data.unsaved", {1}, 10},
           {L"Lunabel.data.unsavedx", {2}, 1},
           {L"Lunabel.data.declined", {4}, 1},
           {L"Other.data.unsaved", {5}, 1}});
    const std::vector<files::FoundFile> copies = FindUnsavedCopies(DataPath());
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_EQ(copies[0].path, DataPath() + L".unsaved");
    EXPECT_EQ(copies[1].path, DataPath() + L".unsaved.3");

    ASSERT_TRUE(WriteFileBytes(UnsavedBaseOf(copies[1].path), {6}));
    ASSERT_TRUE(DeclineUnsavedCopy(DataPath(), copies[1].path));
    EXPECT_EQ(ReadFileBytes(DataPath() + L".declined.1"), Bytes{3});
    EXPECT_EQ(ReadFileBytes(DataPath() + L".declined.1.base"), Bytes{6}) << "the base goes along";
    EXPECT_EQ(FindUnsavedCopies(DataPath()).size(), 1u);
}

} // namespace
