#include "cycle/DataStore.h"

#include "DataStoreTestSupport.h"
#include "cycle/CalendarData.h"

#include <shlobj.h>

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
        ASSERT_TRUE(store.Save(data));
        EXPECT_EQ(ReadFileBytes(path), kFreshFile);
        EXPECT_EQ(ListFolder(folder), std::vector<std::wstring>{L"Lunabel.data"});
    }
};

TEST_F(DataStoreTest, FreshDataIsSavedAsThe36ByteFile) {
    DataStore store(DataPath());
    CalendarData data;
    EXPECT_EQ(store.Load(data), LoadOutcome::NoFile);
    ASSERT_TRUE(store.Save(data));
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
    ASSERT_TRUE(DataStore(DataPath()).Save(saved));

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
    EXPECT_FALSE(store.Save(data));
}

// Every way a save can fail leaves the previous file as it was, byte for byte,
// and no temporary file behind.
TEST_F(DataStoreTest, FailedSaveLeavesThePreviousFileIntact) {
    CalendarData changed;
    changed.ToggleMark(2006, 3, 15);

    {
        SCOPED_TRACE("read-only file");
        ASSERT_TRUE(WriteFileBytes(DataPath(), kUserFile));
        DataStore store(DataPath());
        CalendarData data;
        ASSERT_EQ(store.Load(data), LoadOutcome::Loaded);
        ASSERT_TRUE(SetFileAttributesW(DataPath().c_str(), FILE_ATTRIBUTE_READONLY));
        EXPECT_FALSE(store.Save(changed));
        EXPECT_EQ(ReadFileBytes(DataPath()), kUserFile);
        EXPECT_EQ(ListFolder(folder_), std::vector<std::wstring>{L"Lunabel.data"});
        ASSERT_TRUE(SetFileAttributesW(DataPath().c_str(), FILE_ATTRIBUTE_NORMAL));
    }
    {
        SCOPED_TRACE("file held open without sharing");
        ASSERT_TRUE(WriteFileBytes(DataPath(), kUserFile));
        DataStore store(DataPath());
        CalendarData data;
        ASSERT_EQ(store.Load(data), LoadOutcome::Loaded);
        HeldFile held(DataPath(), 0);
        ASSERT_TRUE(held.Held());
        EXPECT_FALSE(store.Save(changed));
        held.Release();
        EXPECT_EQ(ReadFileBytes(DataPath()), kUserFile);
        EXPECT_EQ(ListFolder(folder_), std::vector<std::wstring>{L"Lunabel.data"});
    }
    {
        SCOPED_TRACE("folder missing");
        const std::wstring missing = In(L"missing");
        DataStore store(missing + L"\\Lunabel.data");
        CalendarData data;
        EXPECT_EQ(store.Load(data), LoadOutcome::NoFile);
        EXPECT_FALSE(store.Save(changed));
        EXPECT_FALSE(PathExists(missing));
        EXPECT_EQ(store.SavedTo(), L"");
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

    ASSERT_TRUE(store.Save(data));
    EXPECT_EQ(store.DamagedCopy(), DataPath() + L".damaged");
    EXPECT_EQ(ReadFileBytes(DataPath() + L".damaged"), kDamagedFile);

    // Later saves of the same run replace the file and copy nothing more.
    data.SetCycleLength(28);
    ASSERT_TRUE(store.Save(data));
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
    ASSERT_TRUE(store.Save(data));
    EXPECT_EQ(store.DamagedCopy(), DataPath() + L".damaged.2");
    EXPECT_EQ(ReadFileBytes(DataPath() + L".damaged"), older);
    EXPECT_EQ(ReadFileBytes(DataPath() + L".damaged.1"), older);
    EXPECT_EQ(ReadFileBytes(DataPath() + L".damaged.2"), kDamagedFile);
}

TEST_F(DataStoreTest, DamagedFileThatCannotBeCopiedIsNotSavedOver) {
    ASSERT_TRUE(WriteFileBytes(DataPath(), kDamagedFile));
    DataStore store(DataPath());
    CalendarData data;
    ASSERT_EQ(store.Load(data), LoadOutcome::Damaged);
    {
        // Nobody may read it, so no copy can be made; deleting stays allowed.
        HeldFile held(DataPath(), FILE_SHARE_DELETE);
        ASSERT_TRUE(held.Held());
        EXPECT_FALSE(store.Save(data));
    }
    EXPECT_EQ(ReadFileBytes(DataPath()), kDamagedFile);
    EXPECT_EQ(ListFolder(folder_), std::vector<std::wstring>{L"Lunabel.data"});

    ASSERT_TRUE(store.Save(data));
    EXPECT_EQ(ReadFileBytes(DataPath() + L".damaged"), kDamagedFile);
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

    ASSERT_TRUE(store.Save(data));
    EXPECT_EQ(store.SavedTo(), DataPath() + L".unsaved");
    EXPECT_EQ(ReadFileBytes(DataPath()), kUserFile);
    EXPECT_EQ(ReadFileBytes(DataPath() + L".unsaved"), kFreshFile);

    // A second save of the same run goes to the same name.
    data.ToggleMark(2006, 1, 30);
    data.SetCycleLength(30);
    data.SetPeriodLength(4);
    ASSERT_TRUE(store.Save(data));
    EXPECT_EQ(ReadFileBytes(DataPath() + L".unsaved"), kUserFile);
    EXPECT_EQ(ListFolder(folder_),
              (std::vector<std::wstring>{L"Lunabel.data", L"Lunabel.data.unsaved"}));
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
    ASSERT_TRUE(store.Save(data));
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
    ASSERT_TRUE(store.Save(data));
    EXPECT_EQ(ReadFileBytes(path), kFreshFile);
    EXPECT_EQ(ReadFileBytes(path + L".damaged"), kDamagedFile);
    EXPECT_EQ(ListFolder(folder),
              (std::vector<std::wstring>{L"Lunabel.data", L"Lunabel.data.damaged"}));
}

} // namespace
