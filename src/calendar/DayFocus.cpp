#include "calendar/DayFocus.h"

#include <algorithm>
#include <cstdint>

namespace {

// The date of a day number (days since 1 January 1970), the inverse of
// DayNumber for the proleptic Gregorian calendar.
DateKey DateOfDayNumber(std::int64_t number) {
    // Counted from 1 March of year 0, so that the leap day ends a year.
    const std::int64_t days = number + 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    const int month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    const int year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
    return MakeDateKey(year, month, day);
}

std::optional<DateKey> AddDays(DateKey date, int days) {
    const DateKey moved =
        DateOfDayNumber(DayNumber(KeyYear(date), KeyMonth(date), KeyDay(date)) + days);
    if (!IsSupportedDate(moved)) {
        return std::nullopt;
    }
    return moved;
}

} // namespace

DateKey FocusStart(int year, int month, int day) {
    const int shownYear = std::clamp(year, kFirstSupportedYear, kLastSupportedYear);
    const int shownMonth = std::clamp(month, 1, 12);
    return MakeDateKey(shownYear, shownMonth,
                       std::clamp(day, 1, DaysInMonth(shownYear, shownMonth)));
}

std::optional<DateKey> ShiftMonths(DateKey date, int months) {
    const int index = KeyYear(date) * 12 + KeyMonth(date) - 1 + months;
    const int year = index / 12;
    const int month = index % 12 + 1;
    if (year < kFirstSupportedYear || year > kLastSupportedYear) {
        return std::nullopt;
    }
    return MakeDateKey(year, month, std::min(KeyDay(date), DaysInMonth(year, month)));
}

std::optional<DateKey> MoveFocus(DateKey from, FocusMove move) {
    if (!IsSupportedDate(from)) {
        return std::nullopt;
    }
    switch (move) {
    case FocusMove::PreviousDay:
        return AddDays(from, -1);
    case FocusMove::NextDay:
        return AddDays(from, 1);
    case FocusMove::PreviousWeek:
        return AddDays(from, -7);
    case FocusMove::NextWeek:
        return AddDays(from, 7);
    case FocusMove::FirstOfMonth:
        return MakeDateKey(KeyYear(from), KeyMonth(from), 1);
    case FocusMove::LastOfMonth:
        return MakeDateKey(KeyYear(from), KeyMonth(from),
                           DaysInMonth(KeyYear(from), KeyMonth(from)));
    case FocusMove::PreviousHalfYear:
        return ShiftMonths(from, -6);
    case FocusMove::NextHalfYear:
        return ShiftMonths(from, 6);
    }
    return std::nullopt;
}
