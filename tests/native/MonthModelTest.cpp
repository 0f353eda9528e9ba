#include "cycle/CalendarData.h"
#include "cycle/CalendarLocale.h"
#include "cycle/DateKey.h"
#include "cycle/MonthModel.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Days = std::vector<int>;

// The days first..last; runs join with +, e.g. R(1, 3) + R(9, 13).
Days R(int first, int last) {
    Days days;
    for (int d = first; d <= last; ++d) {
        days.push_back(d);
    }
    return days;
}

Days operator+(Days a, const Days& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct Flags {
    Days marked;
    Days period;
    Days fertile;
};

// Flags of the month's days in date order; fails on a flag outside the month.
Flags Collect(const MonthModel& model) {
    Flags flags;
    for (const auto& row : model.cells) {
        for (const DayCell& cell : row) {
            if (cell.day <= 0) {
                EXPECT_FALSE(cell.marked || cell.period || cell.fertile)
                    << "a cell outside the month carries a flag";
                continue;
            }
            if (cell.marked) {
                flags.marked.push_back(cell.day);
                EXPECT_FALSE(cell.period || cell.fertile) << "day " << cell.day;
            }
            if (cell.period) {
                flags.period.push_back(cell.day);
            }
            EXPECT_TRUE(cell.period || !cell.predicted) << "day " << cell.day;
            if (cell.fertile) {
                flags.fertile.push_back(cell.day);
            }
        }
    }
    return flags;
}

int DayCount(const MonthModel& model) {
    int count = 0;
    for (const auto& row : model.cells) {
        for (const DayCell& cell : row) {
            count += cell.day > 0 ? 1 : 0;
        }
    }
    return count;
}

struct ClassifyCase {
    const char* name;
    std::vector<DateKey> marks;
    int cycleLength;
    int periodLength;
    int year;
    int month;
    Days marked;
    Days period;
    Days fertile;
};

void PrintTo(const ClassifyCase& c, std::ostream* os) {
    *os << c.name;
}

class ClassifyCaseTest : public ::testing::TestWithParam<ClassifyCase> {};

TEST_P(ClassifyCaseTest, FlagsMatch) {
    const ClassifyCase& c = GetParam();
    CalendarData data;
    data.SetMarks(c.marks);
    data.SetCycleLength(c.cycleLength);
    data.SetPeriodLength(c.periodLength);
    const EnglishCalendarLocale locale;
    MonthModel model(data, locale);

    model.SetMonth(c.year, c.month);

    const Flags flags = Collect(model);
    EXPECT_EQ(flags.marked, c.marked);
    EXPECT_EQ(flags.period, c.period);
    EXPECT_EQ(flags.fertile, c.fertile);
}

const DateKey kJan2 = MakeDateKey(2006, 1, 2);
const DateKey kJan20 = MakeDateKey(2006, 1, 20);
const DateKey kJan30 = MakeDateKey(2006, 1, 30);
const DateKey kMar20 = MakeDateKey(2006, 3, 20);
const DateKey kJan1 = MakeDateKey(2006, 1, 1);
const std::vector<DateKey> kJan2And20 = {kJan2, kJan20};
const DateKey kFirstDay = MakeDateKey(1900, 1, 1);
const DateKey kDec20Of9999 = MakeDateKey(9999, 12, 20);
const DateKey kLastDay = MakeDateKey(9999, 12, 31);
// Days past their month's end, as a data file may hold them: stray keys.
const DateKey kApr31 = MakeDateKey(2006, 4, 31);
const DateKey kFeb31 = MakeDateKey(2006, 2, 31);
const DateKey kMay1 = MakeDateKey(2006, 5, 1);
// Keys no real day has; a data file can hold them.
const std::vector<DateKey> kBadKeys = {MakeDateKey(2006, 0, 15), MakeDateKey(2006, 1, 40),
                                       MakeDateKey(0, 1, 1),     MakeDateKey(65535, 12, 31),
                                       MakeDateKey(2006, 13, 1), MakeDateKey(1899, 12, 31)};

std::vector<DateKey> With(std::vector<DateKey> keys, DateKey extra) {
    keys.push_back(extra);
    return keys;
}

// Settings: cycle length, period length; flags: marked, period, fertile days.
const ClassifyCase kCases[] = {
    {"NoMarksJanuary", {}, 28, 5, 2006, 1, {}, {}, {}},
    {"NoMarksFebruary", {}, 28, 5, 2006, 2, {}, {}, {}},

    // One mark: recorded period, then the repeated cycle.
    {"OneMarkJanuary", {kJan30}, 28, 5, 2006, 1, {30}, {31}, {}},
    {"OneMarkFebruary", {kJan30}, 28, 5, 2006, 2, {}, R(1, 3) + R(27, 28), R(9, 13)},
    {"OneMarkMarch", {kJan30}, 28, 5, 2006, 3, {}, R(1, 3) + R(27, 31), R(9, 13)},

    // Two marks 77 days apart: nothing is predicted between them.
    {"FarMarksJanuary", {kJan2, kMar20}, 28, 5, 2006, 1, {2}, R(3, 6), R(12, 16)},
    {"FarMarksFebruary", {kJan2, kMar20}, 28, 5, 2006, 2, {}, {}, {}},
    {"FarMarksMarch", {kJan2, kMar20}, 28, 5, 2006, 3, {20}, R(21, 24), R(30, 31)},
    {"FarMarksApril", {kJan2, kMar20}, 28, 5, 2006, 4, {}, R(17, 21), R(1, 3) + R(27, 30)},

    // A new mark starts its own window.
    {"TwoMarks", kJan2And20, 28, 5, 2006, 1, {2, 20}, R(3, 6) + R(21, 24), R(12, 16) + R(30, 31)},

    // Cycle 40, period 10: ten-day periods every 40 days from the latest mark.
    {"Long1January", {kJan1}, 40, 10, 2006, 1, {1}, R(2, 10), R(11, 15)},
    {"Long1February", {kJan1}, 40, 10, 2006, 2, {}, R(10, 19), R(20, 24)},
    {"Long1March", {kJan1}, 40, 10, 2006, 3, {}, R(22, 31), {}},
    {"Long1April", {kJan1}, 40, 10, 2006, 4, {}, {}, R(1, 5)},

    // Period 12: a predicted day can be period and fertile at once.
    {"LongPeriodJanuary", {kJan1}, 28, 12, 2006, 1, {1}, R(2, 12) + R(29, 31), R(13, 15)},
    {"LongPeriodFebruary", {kJan1}, 28, 12, 2006, 2, {}, R(1, 9) + R(26, 28), R(8, 12)},

    // A cycle below one day predicts nothing; the latest mark's own days stay.
    {"CycleZeroJanuary", {kJan30}, 0, 5, 2006, 1, {30}, {31}, {}},
    {"CycleZeroFebruary", {kJan30}, 0, 5, 2006, 2, {}, R(1, 3), R(9, 13)},
    {"CycleZeroMarch", {kJan30}, 0, 5, 2006, 3, {}, {}, {}},
    {"CycleNegativeFebruary", {kJan30}, -5, 5, 2006, 2, {}, R(1, 3), R(9, 13)},
    {"CycleMinFebruary", {kJan30}, INT_MIN, 5, 2006, 2, {}, R(1, 3), R(9, 13)},
    {"CycleZeroEarlierMarks", {kJan2, kMar20}, 0, 5, 2006, 1, {2}, R(3, 6), R(12, 16)},

    // A period below one day: only the marked day itself.
    {"PeriodZeroJanuary", {kJan30}, 28, 0, 2006, 1, {30}, {}, {}},
    {"PeriodZeroFebruary", {kJan30}, 28, 0, 2006, 2, {}, {}, R(9, 13)},
    {"PeriodNegativeMarch", {kJan30}, 28, -3, 2006, 3, {}, {}, R(9, 13)},

    // Huge settings neither overflow nor wrap.
    {"HugeCycleFebruary", {kJan30}, 1000000, 1000, 2006, 2, {}, R(1, 28), {}},
    {"HugeCycleYearsLater", {kJan30}, 1000000, 1000, 2100, 6, {}, {}, {}},
    {"MaxSettings", {kFirstDay}, INT_MAX, INT_MAX, 9999, 12, {}, R(1, 31), {}},
    {"MaxCycleMinPeriod", {kFirstDay}, INT_MAX, INT_MIN, 9999, 12, {}, {}, {}},

    // Keys that are no date are invisible, even when they sort last.
    {"BadKeysJanuary", With(kBadKeys, kJan30), 28, 5, 2006, 1, {30}, {31}, {}},
    {"BadKeysFebruary", With(kBadKeys, kJan30), 28, 5, 2006, 2, {}, R(1, 3) + R(27, 28), R(9, 13)},
    {"OnlyBadKeys", kBadKeys, 28, 5, 2006, 1, {}, {}, {}},
    {"MarkBefore1900Ignored", {MakeDateKey(1899, 12, 31)}, 28, 5, 1900, 1, {}, {}, {}},

    // A day past its month's end counts from the day it carries into.
    {"April31NotInApril", {kApr31}, 28, 5, 2006, 4, {}, {}, {}},
    {"April31PredictsNothing", {kApr31}, 28, 5, 2006, 5, {}, {}, {}},
    {"February31PredictsNothing", {kFeb31}, 28, 5, 2006, 3, {}, {}, {}},
    {"April31BeforeMay1", {kApr31, kMay1}, 28, 5, 2006, 5, {1}, R(2, 5) + R(29, 31), R(11, 15)},

    // The ends of the supported years; 1900 is no leap year.
    {"First1900January", {kFirstDay}, 28, 5, 1900, 1, {1}, R(2, 5) + R(29, 31), R(11, 15)},
    {"First1900February", {kFirstDay}, 28, 5, 1900, 2, {}, R(1, 2) + R(26, 28), R(8, 12)},
    {"First1900March", {kFirstDay}, 28, 5, 1900, 3, {}, R(1, 2) + R(26, 30), R(8, 12)},
    {"Last9999December", {kDec20Of9999}, 28, 5, 9999, 12, {20}, R(21, 24), R(30, 31)},
    {"LastDay9999", {kLastDay}, 28, 5, 9999, 12, {31}, {}, {}},
    {"OutsideYearsNoFlags", {kLastDay}, 28, 5, 10000, 1, {}, {}, {}},
    {"Before1900NoFlags", {kJan30}, 28, 5, 1899, 12, {}, {}, {}},
};

INSTANTIATE_TEST_SUITE_P(Cases, ClassifyCaseTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The fertile flags are always computed; drawing decides whether they show.
TEST(ClassifyTest, FertilityDisplayOffKeepsFlags) {
    CalendarData data;
    data.SetMarks({kJan30});
    data.SetShowFertility(false);
    const EnglishCalendarLocale locale;
    MonthModel model(data, locale);
    model.SetMonth(2006, 2);
    EXPECT_EQ(Collect(model).fertile, R(9, 13));
}

// Walks day by day across years after the latest mark: predicted days follow
// (days since the mark) mod cycle, across month, year and leap-day boundaries.
TEST(ClassifyTest, PredictionRepeatsFromLatestMark) {
    struct Setting {
        DateKey mark;
        int cycle;
        int period;
        int years;
    };
    const Setting settings[] = {
        {MakeDateKey(2006, 1, 30), 28, 5, 4},
        {MakeDateKey(2006, 1, 1), 40, 10, 4},
        {MakeDateKey(2003, 12, 31), 21, 12, 3},
        {MakeDateKey(1900, 1, 1), 35, 7, 0},
    };
    const EnglishCalendarLocale locale;
    for (const Setting& s : settings) {
        CalendarData data;
        data.SetMarks({s.mark});
        data.SetCycleLength(s.cycle);
        data.SetPeriodLength(s.period);
        MonthModel model(data, locale);
        const std::int64_t markDay = DayNumber(KeyYear(s.mark), KeyMonth(s.mark), KeyDay(s.mark));
        const int firstYear = s.years > 0 ? KeyYear(s.mark) : 9997;
        const int lastYear = s.years > 0 ? firstYear + s.years : 9999;
        for (int y = firstYear; y <= lastYear; ++y) {
            for (int m = 1; m <= 12; ++m) {
                model.SetMonth(y, m);
                for (const auto& row : model.cells) {
                    for (const DayCell& cell : row) {
                        if (cell.day <= 0) {
                            continue;
                        }
                        if (MakeDateKey(y, m, cell.day) <= s.mark) {
                            EXPECT_FALSE(cell.predicted) << "recorded, not predicted";
                            continue;
                        }
                        const std::int64_t since = DayNumber(y, m, cell.day) - markDay;
                        const std::int64_t r = since % s.cycle;
                        const bool inFirstPeriod = since < s.period;
                        SCOPED_TRACE(testing::Message()
                                     << y << "-" << m << "-" << cell.day << " cycle " << s.cycle);
                        EXPECT_FALSE(cell.marked);
                        EXPECT_EQ(cell.period, r < s.period);
                        EXPECT_EQ(cell.predicted, cell.period && !inFirstPeriod)
                            << "the latest mark's own period is recorded";
                        EXPECT_EQ(cell.fertile, !inFirstPeriod && r >= 10 && r <= 14);
                    }
                }
            }
        }
    }
}

struct PlacementCase {
    int firstDayOfWeek;
    int year;
    int month;
    int day;
    int row;
    int column;
};

TEST(SetMonthTest, PlacesDaysUnderTheirWeekday) {
    const PlacementCase cases[] = {
        {1, 2006, 6, 1, 0, 3},  // Monday first, Thursday the 1st
        {1, 2006, 6, 30, 4, 4}, //
        {0, 2006, 4, 1, 0, 6},  // Sunday first, Saturday the 1st
        {0, 2006, 4, 30, 5, 0}, //
        {6, 2006, 4, 1, 0, 0},  // Saturday first
        {1, 2006, 5, 1, 0, 0},  // Monday the 1st
        {0, 2006, 5, 1, 0, 1},  //
        {7, 2006, 4, 1, 0, 6},  // out of range: taken mod 7
        {-6, 2006, 6, 1, 0, 3}, //
    };
    CalendarData data;
    for (const PlacementCase& c : cases) {
        const EnglishCalendarLocale locale(c.firstDayOfWeek);
        MonthModel model(data, locale);
        model.SetMonth(c.year, c.month);
        SCOPED_TRACE(testing::Message() << "first " << c.firstDayOfWeek << " " << c.year << "-"
                                        << c.month << "-" << c.day);
        const DayCell& cell = model.cells[c.row][c.column];
        EXPECT_EQ(cell.day, c.day);
        EXPECT_EQ(cell.text, std::to_wstring(c.day));
    }
}

TEST(SetMonthTest, DayNamesStartAtFirstWeekday) {
    CalendarData data;
    const EnglishCalendarLocale sunday(0);
    const EnglishCalendarLocale monday(1);
    MonthModel a(data, sunday);
    MonthModel b(data, monday);
    a.SetMonth(2006, 6);
    b.SetMonth(2006, 6);
    const std::array<std::wstring, 7> sundayFirst = {L"Sun", L"Mon", L"Tue", L"Wed",
                                                     L"Thu", L"Fri", L"Sat"};
    const std::array<std::wstring, 7> mondayFirst = {L"Mon", L"Tue", L"Wed", L"Thu",
                                                     L"Fri", L"Sat", L"Sun"};
    EXPECT_EQ(a.dayNames, sundayFirst);
    EXPECT_EQ(b.dayNames, mondayFirst);
    EXPECT_EQ(a.monthName, L"June");
    EXPECT_EQ(a.year, 2006);
    EXPECT_EQ(a.month, 6);
}

// Days run 1..N in consecutive cells from the 1st's column; text is the number.
TEST(SetMonthTest, FillsEveryDayOnceInOrder) {
    struct LengthCase {
        int year;
        int month;
        int days;
    };
    const LengthCase cases[] = {
        {2000, 2, 29}, {1900, 2, 28}, {2004, 2, 29},  {2006, 2, 28},  {2100, 2, 28},
        {2006, 1, 31}, {2006, 4, 30}, {2006, 12, 31}, {9999, 12, 31}, {1900, 1, 31},
    };
    CalendarData data;
    for (int first = 0; first < 7; ++first) {
        const EnglishCalendarLocale locale(first);
        MonthModel model(data, locale);
        for (const LengthCase& c : cases) {
            SCOPED_TRACE(testing::Message() << c.year << "-" << c.month << " first " << first);
            model.SetMonth(c.year, c.month);
            EXPECT_EQ(DayCount(model), c.days);
            const int start = (MonthModel::Weekday(c.year, c.month, 1) - first + 7) % 7;
            for (int index = 0; index < kGridRows * kGridColumns; ++index) {
                const DayCell& cell = model.cells[index / 7][index % 7];
                const int expected =
                    index >= start && index < start + c.days ? index - start + 1 : 0;
                EXPECT_EQ(cell.day, expected) << "index " << index;
                EXPECT_EQ(cell.text, expected ? std::to_wstring(expected) : L"");
            }
        }
    }
}

TEST(SetMonthTest, WeekdayOfKnownDates) {
    struct WeekdayCase {
        int year;
        int month;
        int day;
        int weekday;
    };
    const WeekdayCase cases[] = {
        {1900, 1, 1, 1}, {1970, 1, 1, 4}, {2000, 1, 1, 6},   {2000, 2, 29, 2}, {2006, 6, 1, 4},
        {2006, 4, 1, 6}, {2024, 3, 1, 5}, {9999, 12, 31, 5}, {1601, 1, 1, 1},  {1, 1, 1, 1},
        {0, 1, 1, 6},    {-400, 1, 1, 6}, {1899, 12, 31, 0},
    };
    for (const WeekdayCase& c : cases) {
        EXPECT_EQ(MonthModel::Weekday(c.year, c.month, c.day), c.weekday)
            << c.year << "-" << c.month << "-" << c.day;
    }
}

// A month after another shows nothing of the one before.
TEST(SetMonthTest, ResetsPreviousMonth) {
    CalendarData data;
    data.SetMarks({kJan30});
    const EnglishCalendarLocale locale;
    MonthModel model(data, locale);
    model.SetMonth(2006, 1);
    model.SetMonth(2006, 2);
    EXPECT_EQ(DayCount(model), 28);
    const Flags flags = Collect(model);
    EXPECT_TRUE(flags.marked.empty());
    for (const auto& row : model.cells) {
        for (const DayCell& cell : row) {
            EXPECT_EQ(cell.text.empty(), cell.day == 0);
        }
    }
}

// Months outside the supported years show their days without flags; no
// month number outside 1..12 shows any day. None of them throws.
TEST(SetMonthTest, UnsupportedMonthsShowNoFlags) {
    struct OddMonth {
        int year;
        int month;
        int days;
    };
    const OddMonth months[] = {
        {1899, 12, 31}, {10000, 1, 31}, {0, 2, 29},       {-4, 2, 29},      {65535, 12, 31},
        {2006, 0, 0},   {2006, 13, 0},  {INT_MAX, 1, 31}, {INT_MIN, 2, 29}, {2006, -1, 0},
    };
    CalendarData data;
    data.SetMarks(With(kBadKeys, MakeDateKey(1900, 1, 1)));
    const EnglishCalendarLocale locale;
    MonthModel model(data, locale);
    for (const OddMonth& m : months) {
        SCOPED_TRACE(testing::Message() << m.year << "-" << m.month);
        ASSERT_NO_THROW(model.SetMonth(m.year, m.month));
        EXPECT_EQ(DayCount(model), m.days);
        const Flags flags = Collect(model);
        EXPECT_TRUE(flags.marked.empty() && flags.period.empty() && flags.fertile.empty());
        if (m.days == 0) {
            EXPECT_TRUE(model.monthName.empty());
        }
    }
}

TEST(ClassifyTest, BeforeAnyMonthIsHarmless) {
    CalendarData data;
    data.SetMarks({kJan30});
    const EnglishCalendarLocale locale;
    MonthModel model(data, locale);
    ASSERT_NO_THROW(model.Classify());
    EXPECT_EQ(DayCount(model), 0);
}

class RecordingModel : public MonthModel {
public:
    using MonthModel::MonthModel;
    int calls = 0;
    Days markedSeen;

protected:
    void OnClassified() override {
        ++calls;
        markedSeen = Collect(*this).marked;
    }
};

// The hook runs once per Classify, after the flags are final, and each
// Classify reflects the data as it is at that moment.
TEST(ClassifyTest, HookSeesFreshFlags) {
    CalendarData data;
    const EnglishCalendarLocale locale;
    RecordingModel model(data, locale);
    model.SetMonth(2006, 1);
    EXPECT_EQ(model.calls, 1);
    EXPECT_TRUE(model.markedSeen.empty());

    data.ToggleMark(2006, 1, 30);
    EXPECT_TRUE(Collect(model).marked.empty()) << "flags change only on Classify";
    model.Classify();
    EXPECT_EQ(model.calls, 2);
    EXPECT_EQ(model.markedSeen, Days{30});

    data.SetPeriodLength(3);
    data.ToggleMark(2006, 1, 2);
    model.Classify();
    EXPECT_EQ(model.calls, 3);
    EXPECT_EQ(model.markedSeen, (Days{2, 30}));
    EXPECT_EQ(Collect(model).period, (Days{3, 4, 31}));

    model.SetMonth(1800, 1);
    EXPECT_EQ(model.calls, 4) << "unsupported months still notify";
}

} // namespace
