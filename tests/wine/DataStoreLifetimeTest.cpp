#include "cycle/PersistentCalendarData.h"

#include "DataStoreTestSupport.h"

namespace {

using namespace datastore_test;

class DataStoreLifetimeTest : public TempFolderTest {
protected:
    void TearDown() override {
        PersistentCalendarData::SetSaveObserver(nullptr);
        TempFolderTest::TearDown();
    }
    std::wstring DataPath() const { return In(L"Lunabel.data"); }
};

TEST_F(DataStoreLifetimeTest, LoadsWhenBornAndSavesOnceWhenDestroyed) {
    CalendarData seed;
    seed.ToggleMark(2006, 1, 30);
    seed.SetCycleLength(30);
    ASSERT_TRUE(DataStore(DataPath()).Save(seed));

    const unsigned before = PersistentCalendarData::SaveCount();
    {
        PersistentCalendarData persistent(DataPath());
        EXPECT_EQ(persistent.Store().LastLoad(), LoadOutcome::Loaded);
        EXPECT_TRUE(persistent.Data().IsMarked(2006, 1, 30));
        EXPECT_EQ(persistent.Data().GetCycleLength(), 30);
        persistent.Data().ToggleMark(2006, 2, 27);
        EXPECT_EQ(PersistentCalendarData::SaveCount(), before);
    }
    EXPECT_EQ(PersistentCalendarData::SaveCount(), before + 1);

    CalendarData reread;
    ASSERT_EQ(DataStore(DataPath()).Load(reread), LoadOutcome::Loaded);
    EXPECT_TRUE(reread.IsMarked(2006, 2, 27));
}

// A session end saves through SaveNow; the destructor, if it still runs, saves
// only what changed after that.
TEST_F(DataStoreLifetimeTest, SaveNowIsNotRepeatedByTheDestructor) {
    struct Case {
        const char* name;
        bool changeAfterSaveNow;
        unsigned saves;
    };
    const Case cases[] = {
        {"unchanged after SaveNow", false, 1},
        {"changed after SaveNow", true, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const unsigned before = PersistentCalendarData::SaveCount();
        {
            PersistentCalendarData persistent(DataPath());
            persistent.Data().ToggleMark(2006, 3, 15);
            EXPECT_TRUE(persistent.SaveNow());
            if (c.changeAfterSaveNow) {
                persistent.Data().ToggleMark(2006, 4, 12);
            }
        }
        EXPECT_EQ(PersistentCalendarData::SaveCount() - before, c.saves);
        CalendarData reread;
        ASSERT_EQ(DataStore(DataPath()).Load(reread), LoadOutcome::Loaded);
        EXPECT_EQ(reread.IsMarked(2006, 4, 12), c.changeAfterSaveNow);
        ASSERT_TRUE(DeleteFileW(DataPath().c_str()));
    }
}

TEST_F(DataStoreLifetimeTest, ObserverHearsEverySaveWithItsResult) {
    struct Heard {
        const PersistentCalendarData* source = nullptr;
        int calls = 0;
        bool saved = false;
    };
    static Heard heard;
    heard = {};
    PersistentCalendarData::SetSaveObserver([](const PersistentCalendarData& source, bool saved) {
        heard.source = &source;
        ++heard.calls;
        heard.saved = saved;
    });

    PersistentCalendarData good(DataPath());
    EXPECT_TRUE(good.SaveNow());
    EXPECT_EQ(heard.calls, 1);
    EXPECT_EQ(heard.source, &good);
    EXPECT_TRUE(heard.saved);

    PersistentCalendarData nowhere(In(L"missing") + L"\\Lunabel.data");
    EXPECT_FALSE(nowhere.SaveNow());
    EXPECT_EQ(heard.calls, 2);
    EXPECT_EQ(heard.source, &nowhere);
    EXPECT_FALSE(heard.saved);
}

TEST_F(DataStoreLifetimeTest, CurrentIsTheFirstLiveObject) {
    ASSERT_EQ(PersistentCalendarData::Current(), nullptr);
    {
        PersistentCalendarData first(DataPath());
        EXPECT_EQ(PersistentCalendarData::Current(), &first);
        {
            PersistentCalendarData second(In(L"other.data"));
            EXPECT_EQ(PersistentCalendarData::Current(), &first);
        }
        EXPECT_EQ(PersistentCalendarData::Current(), &first);
    }
    EXPECT_EQ(PersistentCalendarData::Current(), nullptr);
}

} // namespace
