// The day the keyboard works on in the main view, and where each navigation
// key takes it. Plain date arithmetic, kept within the supported years.
#pragma once

#include "calendar/HalfYear.h"
#include "cycle/DateKey.h"

#include <optional>

enum class FocusMove {
    PreviousDay,
    NextDay,
    PreviousWeek,
    NextWeek,
    FirstOfMonth,
    LastOfMonth,
    PreviousHalfYear,
    NextHalfYear,
};

// Where the focus starts for a date of the clock: that date, or outside the
// supported years the same month and day in the nearest one, which is where
// HalfYearOf puts the view.
DateKey FocusStart(int year, int month, int day);

// The same day of the month `months` months on, or that month's last day
// where it is shorter; none outside the supported years.
std::optional<DateKey> ShiftMonths(DateKey date, int months);

// Where `move` takes the focus from a supported date; none where it would
// leave the supported years.
std::optional<DateKey> MoveFocus(DateKey from, FocusMove move);

constexpr HalfYear HalfYearOf(DateKey date) {
    return HalfYearOf(KeyYear(date), KeyMonth(date));
}
