#include "cycle/CalendarData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <random>
#include <vector>

namespace {

struct Date {
    int year, month, day;
};

DateKey Key(Date d) {
    return MakeDateKey(d.year, d.month, d.day);
}

bool Contains(const std::vector<DateKey>& keys, DateKey key) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

CalendarData WithMarks(const std::vector<DateKey>& keys) {
    CalendarData data;
    data.SetMarks(keys);
    return data;
}

struct OffsetCase {
    const char* name;
    std::vector<DateKey> marks;
    Date date;
    int offset;
};

TEST(CalendarDataTest, PreviousMarkOffset) {
    const DateKey jan30 = MakeDateKey(2006, 1, 30);
    const OffsetCase cases[] = {
        {"day after next", {jan30}, {2006, 2, 1}, -2},
        {"mark on the date itself", {jan30}, {2006, 1, 30}, 1000},
        {"day after", {jan30}, {2006, 1, 31}, -1},
        {"latest of two", {MakeDateKey(2006, 1, 10), MakeDateKey(2006, 2, 5)}, {2006, 2, 20}, -15},
        {"no marks", {}, {2006, 2, 20}, 1000},
        {"only later marks", {MakeDateKey(2007, 1, 1)}, {2006, 2, 20}, 1000},
        {"across daylight saving", {MakeDateKey(2006, 3, 20)}, {2006, 4, 3}, -14},
        {"31 April is a stray key", {MakeDateKey(2006, 4, 31)}, {2006, 5, 3}, 1000},
        {"31 April does not precede 1 May",
         {MakeDateKey(2006, 4, 31), MakeDateKey(2006, 5, 1)},
         {2006, 5, 1},
         1000},
        {"30 February is a stray key", {MakeDateKey(2004, 2, 30)}, {2004, 3, 2}, 1000},
        {"over a leap day", {MakeDateKey(2004, 2, 28)}, {2004, 3, 1}, -2},
        {"whole range", {MakeDateKey(1900, 1, 1)}, {9999, 12, 31}, -2958463},
        // Nothing before the date, so no date checks either.
        {"unsupported date without earlier mark", {jan30}, {1800, 1, 1}, 1000},
        // Stray keys are kept but never taken as the previous mark.
        {"stray day 0 before the date", {jan30, MakeDateKey(2006, 2, 0)}, {2006, 2, 1}, -2},
        {"stray day 40 before the date", {jan30, MakeDateKey(2006, 1, 40)}, {2006, 2, 1}, -2},
        {"only stray keys",
         {MakeDateKey(2006, 13, 1), MakeDateKey(1000, 1, 1)},
         {2007, 1, 1},
         1000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CalendarData data = WithMarks(c.marks);
        EXPECT_EQ(data.PreviousMarkOffset(c.date.year, c.date.month, c.date.day), c.offset);
    }
}

TEST(CalendarDataTest, PreviousMarkOffsetRefusesUnsupportedDates) {
    struct Case {
        Date date;
        std::uint32_t hresult;
    };
    const CalendarData data = WithMarks({MakeDateKey(1950, 6, 1), MakeDateKey(2006, 1, 1)});
    const Case cases[] = {
        {{-1, 1, 1}, kE_FAIL},           {{2006, 13, 1}, kE_FAIL},
        {{2006, 2, 0}, kE_FAIL},         {{2006, 2, 32}, kE_FAIL},
        {{2006, 4, 31}, kE_FAIL},        {{2006, 2, 29}, kE_FAIL},
        {{2006, 255, 255}, kE_FAIL},     {{10000, 1, 1}, kE_INVALIDARG},
        {{12000, 6, 15}, kE_INVALIDARG},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.date.year << "-" << c.date.month << "-" << c.date.day);
        try {
            data.PreviousMarkOffset(c.date.year, c.date.month, c.date.day);
            ADD_FAILURE() << "no error";
        } catch (const DateError& e) {
            EXPECT_EQ(e.hresult, c.hresult);
        }
    }
}

TEST(CalendarDataTest, ToggleMarkAddsAndRemovesExactlyOneKey) {
    CalendarData data = WithMarks({MakeDateKey(2006, 1, 30)});
    const auto before = data.Marks();

    data.ToggleMark(2006, 3, 15);
    EXPECT_EQ(data.Marks().size(), before.size() + 1);
    EXPECT_TRUE(data.IsMarked(2006, 3, 15));
    EXPECT_FALSE(data.IsMarked(2006, 3, 16));

    data.ToggleMark(2006, 3, 15);
    EXPECT_EQ(data.Marks(), before);
    EXPECT_FALSE(data.IsMarked(2006, 3, 15));
}

TEST(CalendarDataTest, StrayKeysAreKeptAndToggledExactly) {
    const DateKey stray = MakeDateKey(2006, 2, 0);
    CalendarData data = WithMarks({stray, MakeDateKey(2006, 1, 30)});
    EXPECT_TRUE(data.IsMarked(2006, 2, 0));
    EXPECT_TRUE(Contains(data.Marks(), stray));

    data.ToggleMark(2006, 2, 0);
    EXPECT_FALSE(Contains(data.Marks(), stray));
    data.ToggleMark(2006, 2, 0);
    EXPECT_TRUE(Contains(data.Marks(), stray));
    EXPECT_EQ(data.PreviousMarkOffset(2006, 2, 1), -2);
}

TEST(CalendarDataTest, GetLastMarkAnswersLatestSupportedMark) {
    const DateKey untouched = 0xDEADBEEF;
    struct Case {
        const char* name;
        std::vector<DateKey> marks;
        std::optional<DateKey> last;
    };
    const Case cases[] = {
        {"no marks", {}, std::nullopt},
        {"one", {MakeDateKey(2006, 3, 15)}, MakeDateKey(2006, 3, 15)},
        {"largest", {MakeDateKey(2006, 3, 15), MakeDateKey(2005, 12, 1)}, MakeDateKey(2006, 3, 15)},
        {"stray keys above",
         {MakeDateKey(2006, 3, 15), 0xFFFFFFFF, MakeDateKey(2006, 13, 1)},
         MakeDateKey(2006, 3, 15)},
        {"only stray keys", {0xFFFFFFFF, 0}, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CalendarData data = WithMarks(c.marks);
        DateKey last = untouched;
        EXPECT_EQ(data.GetLastMark(last), c.last.has_value());
        EXPECT_EQ(last, c.last.value_or(untouched));
    }
}

TEST(CalendarDataTest, GetMarkYearRangeUsesSupportedMarks) {
    struct Case {
        const char* name;
        std::vector<DateKey> marks;
        int first, last;
    };
    const Case cases[] = {
        {"no marks", {}, 0, 0},
        {"one mark", {MakeDateKey(2005, 7, 1)}, 2005, 2005},
        {"two years", {MakeDateKey(2006, 1, 1), MakeDateKey(2003, 5, 5)}, 2003, 2006},
        {"stray key far out", {MakeDateKey(2005, 7, 1), MakeDateKey(65535, 1, 1)}, 2005, 2005},
        {"stray key below",
         {MakeDateKey(12, 1, 1), MakeDateKey(2003, 1, 1), MakeDateKey(2006, 1, 1)},
         2003,
         2006},
        {"only stray keys", {MakeDateKey(65535, 1, 1), MakeDateKey(2006, 0, 0)}, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CalendarData data = WithMarks(c.marks);
        int first = -1;
        int last = -1;
        data.GetMarkYearRange(first, last);
        EXPECT_EQ(first, c.first);
        EXPECT_EQ(last, c.last);
    }
}

TEST(CalendarDataTest, ShowFertilityStoresZeroOrOneAndReadsAnyNonZeroAsOn) {
    CalendarData data;
    data.SetShowFertilityWord(7);
    EXPECT_TRUE(data.GetShowFertility());
    EXPECT_EQ(data.GetShowFertilityWord(), 7u);
    data.SetShowFertility(false);
    EXPECT_FALSE(data.GetShowFertility());
    EXPECT_EQ(data.GetShowFertilityWord(), 0u);
    data.SetShowFertility(true);
    EXPECT_EQ(data.GetShowFertilityWord(), 1u);
}

// The owner saves again only when the revision moved, so every change must move
// it and a write of the same value must not.
TEST(CalendarDataTest, RevisionMovesOnEveryChangeOnly) {
    CalendarData data;
    auto revision = data.Revision();
    const auto changed = [&] {
        const bool moved = data.Revision() != revision;
        revision = data.Revision();
        return moved;
    };
    data.SetCycleLength(28);
    data.SetPeriodLength(5);
    data.SetShowFertility(true);
    data.ClearMarks();
    EXPECT_FALSE(changed());

    data.SetCycleLength(30);
    EXPECT_TRUE(changed());
    data.SetPeriodLength(4);
    EXPECT_TRUE(changed());
    data.SetShowFertility(false);
    EXPECT_TRUE(changed());
    data.ToggleMark(2006, 1, 1);
    EXPECT_TRUE(changed());
    data.ToggleMark(2006, 1, 1);
    EXPECT_TRUE(changed());
    data.SetMarks({MakeDateKey(2006, 1, 1)});
    EXPECT_TRUE(changed());
    data.ClearMarks();
    EXPECT_TRUE(changed());
}

// Saving and following the cycles hang on these notifications.
TEST(CalendarDataTest, ListenersHearEveryChangeWithItsKind) {
    using Change = CalendarData::Change;
    CalendarData data;
    std::vector<Change> heard;
    std::vector<Change> heardLater;
    const int first = data.AddListener([&](Change change) { heard.push_back(change); });
    data.AddListener([&](Change change) {
        heardLater.push_back(change);
        // A listener may change the data again, as following the cycles does.
        if (change == Change::Marks) {
            data.SetCycleLength(31);
        }
    });

    data.ToggleMark(2006, 1, 1);
    data.SetCycleLength(31); // no change: nobody is told
    data.SetPeriodLength(4);
    data.SetShowFertility(false);
    data.SetMarks({});
    data.ClearMarks(); // nothing to clear
    EXPECT_EQ(heard, (std::vector<Change>{Change::Marks, Change::Settings, Change::Settings,
                                          Change::Settings, Change::Marks}));
    EXPECT_EQ(heardLater, heard);

    data.RemoveListener(first);
    data.ToggleMark(2006, 1, 2);
    EXPECT_EQ(heard.size(), 5u);
    EXPECT_EQ(heardLater.back(), Change::Marks);
}

// The straightforward answer: walk every mark from the smallest, keep the last
// supported one below the date, and count days with the standard calendar.
std::optional<int> ReferenceOffset(const CalendarData& data, Date date) {
    const DateKey key = Key(date);
    std::optional<DateKey> previous;
    for (const DateKey mark : data.Marks()) {
        if (mark >= key) {
            break;
        }
        if (IsSupportedDate(mark)) {
            previous = mark;
        }
    }
    if (!previous) {
        return CalendarData::kNoPreviousMark;
    }
    if (!IsSupportedDate(date.year, date.month, date.day)) {
        return std::nullopt;
    }
    using namespace std::chrono;
    const auto days = [](int y, int m, int d) {
        return (sys_days{year{y} / month{static_cast<unsigned>(m)} / 1} + std::chrono::days{d - 1})
            .time_since_epoch()
            .count();
    };
    return static_cast<int>(days(KeyYear(*previous), KeyMonth(*previous), KeyDay(*previous)) -
                            days(date.year, date.month, date.day));
}

TEST(CalendarDataTest, QueriesAgreeWithLinearScanOnRandomMarks) {
    std::mt19937 random(20060315);
    std::uniform_int_distribution<int> year(1995, 2010);
    std::uniform_int_distribution<int> month(0, 13);
    std::uniform_int_distribution<int> day(0, 33);
    const auto randomDate = [&] { return Date{year(random), month(random), day(random)}; };

    for (int round = 0; round < 20; ++round) {
        CalendarData data;
        const int marks = round * 15;
        for (int i = 0; i < marks; ++i) {
            const Date d = randomDate();
            data.ToggleMark(d.year, d.month, d.day);
        }
        for (int i = 0; i < 500; ++i) {
            const Date d = randomDate();
            SCOPED_TRACE(testing::Message() << d.year << "-" << d.month << "-" << d.day);
            EXPECT_EQ(data.IsMarked(d.year, d.month, d.day), Contains(data.Marks(), Key(d)));
            const auto expected = ReferenceOffset(data, d);
            try {
                const int offset = data.PreviousMarkOffset(d.year, d.month, d.day);
                EXPECT_EQ(std::optional<int>(offset), expected);
            } catch (const DateError&) {
                EXPECT_FALSE(expected.has_value());
            }
        }
    }
}

} // namespace
