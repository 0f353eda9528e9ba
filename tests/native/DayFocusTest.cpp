// The keyboard's day: where each key takes it across month, year and
// half-year boundaries, where it stops at the ends of the supported years,
// and what a screen reader says about a day.
#include "calendar/DayFocus.h"
#include "calendar/DayState.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

namespace {

constexpr DateKey D(int year, int month, int day) {
    return MakeDateKey(year, month, day);
}

struct MoveCase {
    DateKey from;
    FocusMove move;
    std::optional<DateKey> to;
};

TEST(DayFocus, KeysMoveTheDayAcrossBoundariesAndStopAtTheEndsOfTheYears) {
    using enum FocusMove;
    const MoveCase cases[] = {
        {D(2026, 7, 3), PreviousDay, D(2026, 7, 2)},
        {D(2026, 7, 1), PreviousDay, D(2026, 6, 30)},
        {D(2026, 1, 1), PreviousDay, D(2025, 12, 31)},
        {D(2024, 3, 1), PreviousDay, D(2024, 2, 29)},
        {D(2026, 6, 30), NextDay, D(2026, 7, 1)},
        {D(2026, 12, 31), NextDay, D(2027, 1, 1)},
        {D(1900, 2, 28), NextDay, D(1900, 3, 1)},
        {D(2000, 2, 28), NextDay, D(2000, 2, 29)},
        {D(2026, 7, 3), PreviousWeek, D(2026, 6, 26)},
        {D(2026, 1, 5), PreviousWeek, D(2025, 12, 29)},
        {D(2026, 6, 28), NextWeek, D(2026, 7, 5)},
        {D(2026, 12, 30), NextWeek, D(2027, 1, 6)},
        {D(2026, 2, 17), FirstOfMonth, D(2026, 2, 1)},
        {D(2024, 2, 1), LastOfMonth, D(2024, 2, 29)},
        {D(2026, 2, 1), LastOfMonth, D(2026, 2, 28)},
        {D(2026, 7, 31), LastOfMonth, D(2026, 7, 31)},
        {D(2026, 8, 31), NextHalfYear, D(2027, 2, 28)},
        {D(2023, 8, 31), NextHalfYear, D(2024, 2, 29)},
        {D(2026, 1, 15), NextHalfYear, D(2026, 7, 15)},
        {D(2026, 8, 31), PreviousHalfYear, D(2026, 2, 28)},
        {D(2026, 3, 31), PreviousHalfYear, D(2025, 9, 30)},
        // The ends of the supported years.
        {D(1900, 1, 1), PreviousDay, std::nullopt},
        {D(1900, 1, 7), PreviousWeek, std::nullopt},
        {D(1900, 1, 8), PreviousWeek, D(1900, 1, 1)},
        {D(1900, 6, 30), PreviousHalfYear, std::nullopt},
        {D(1900, 7, 1), PreviousHalfYear, D(1900, 1, 1)},
        {D(9999, 12, 31), NextDay, std::nullopt},
        {D(9999, 12, 25), NextWeek, std::nullopt},
        {D(9999, 12, 24), NextWeek, D(9999, 12, 31)},
        {D(9999, 7, 1), NextHalfYear, std::nullopt},
        {D(9999, 6, 30), NextHalfYear, D(9999, 12, 30)},
        {D(9999, 12, 31), FirstOfMonth, D(9999, 12, 1)},
        // A date that is none goes nowhere.
        {D(2026, 4, 31), NextDay, std::nullopt},
        {D(1899, 12, 31), NextDay, std::nullopt},
    };
    for (const MoveCase& c : cases) {
        SCOPED_TRACE(testing::Message() << KeyYear(c.from) << "-" << KeyMonth(c.from) << "-"
                                        << KeyDay(c.from) << " move " << static_cast<int>(c.move));
        EXPECT_EQ(MoveFocus(c.from, c.move), c.to);
    }
}

// Every supported day, one step at a time in both directions: each step is
// exactly one day of the calendar, and a half-year key lands in the next or
// previous half-year the arrow buttons step to.
TEST(DayFocus, DayStepsWalkEverySupportedDate) {
    DateKey day = D(1900, 1, 1);
    std::int64_t number = DayNumber(1900, 1, 1);
    for (;;) {
        ASSERT_TRUE(IsSupportedDate(day));
        const std::optional<DateKey> half = MoveFocus(day, FocusMove::NextHalfYear);
        ASSERT_EQ(half.has_value(), NextHalfYear(HalfYearOf(day)).has_value());
        if (half) {
            ASSERT_EQ(HalfYearOf(*half), NextHalfYear(HalfYearOf(day)));
        }
        const std::optional<DateKey> next = MoveFocus(day, FocusMove::NextDay);
        if (!next) {
            break;
        }
        ASSERT_EQ(DayNumber(KeyYear(*next), KeyMonth(*next), KeyDay(*next)), number + 1)
            << KeyYear(day) << "-" << KeyMonth(day) << "-" << KeyDay(day);
        ASSERT_EQ(MoveFocus(*next, FocusMove::PreviousDay), day);
        day = *next;
        ++number;
    }
    EXPECT_EQ(day, D(9999, 12, 31));
}

TEST(DayFocus, StartsOnTheClockDateBroughtIntoTheSupportedYears) {
    struct Case {
        int year, month, day;
        DateKey start;
    };
    const Case cases[] = {
        {2026, 7, 3, D(2026, 7, 3)},    {2024, 2, 29, D(2024, 2, 29)},
        {1899, 9, 30, D(1900, 9, 30)},  {1600, 2, 29, D(1900, 2, 28)},
        {30000, 2, 15, D(9999, 2, 15)}, {9999, 12, 31, D(9999, 12, 31)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.year << "-" << c.month << "-" << c.day);
        const DateKey start = FocusStart(c.year, c.month, c.day);
        EXPECT_EQ(start, c.start);
        EXPECT_EQ(HalfYearOf(start), HalfYearOf(c.year, c.month)) << "inside the view's half-year";
    }
}

TEST(DayState, MarksComeBeforePeriodsAndPeriodsBeforeFertileDays) {
    struct Case {
        bool marked, period, predicted, fertile, showFertility;
        DayState state;
    };
    const Case cases[] = {
        {true, false, false, false, true, DayState::FirstDay},
        {false, true, false, false, true, DayState::PeriodDay},
        {false, true, true, false, true, DayState::ExpectedPeriodDay},
        // A period longer than ten days can be fertile too: the fill says period.
        {false, true, true, true, true, DayState::ExpectedPeriodDay},
        {false, false, false, true, true, DayState::FertileDay},
        {false, false, false, true, false, DayState::Plain},
        {false, false, false, false, true, DayState::Plain},
    };
    for (const Case& c : cases) {
        DayCell cell;
        cell.day = 1;
        cell.marked = c.marked;
        cell.period = c.period;
        cell.predicted = c.predicted;
        cell.fertile = c.fertile;
        EXPECT_EQ(StateOf(cell, c.showFertility), c.state) << static_cast<int>(c.state);
    }
}

} // namespace
