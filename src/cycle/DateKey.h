// A calendar date packed into 32 bits (year << 16 | month << 8 | day), so that
// unsigned comparison is date order, plus the date arithmetic the cycle
// questions need. Pure integer arithmetic: no time zone, no daylight saving.
#pragma once

#include <cstdint>
#include <exception>

using DateKey = std::uint32_t;

// No masking: callers pass month 1-12 and day 1-31. Arithmetic is unsigned so
// that odd inputs wrap instead of being undefined.
constexpr DateKey MakeDateKey(int year, int month, int day) {
    return ((static_cast<DateKey>(year) << 8 | static_cast<DateKey>(month)) << 8) |
           static_cast<DateKey>(day);
}

constexpr int KeyYear(DateKey key) {
    return static_cast<int>(key >> 16);
}
constexpr int KeyMonth(DateKey key) {
    return static_cast<int>((key >> 8) & 0xFF);
}
constexpr int KeyDay(DateKey key) {
    return static_cast<int>(key & 0xFF);
}

constexpr int kFirstSupportedYear = 1900;
constexpr int kLastSupportedYear = 9999;

constexpr bool IsLeapYear(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// 0 for a month outside 1-12.
constexpr int DaysInMonth(int year, int month) {
    constexpr int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) {
        return 0;
    }
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// A real calendar date within the supported years. A key such as 31 April or
// 30 February is not one: a file may hold it, and it is kept and saved back,
// but no prediction, print range or history counts it.
constexpr bool IsSupportedDate(int year, int month, int day) {
    return year >= kFirstSupportedYear && year <= kLastSupportedYear && day >= 1 &&
           day <= DaysInMonth(year, month);
}

constexpr bool IsSupportedDate(DateKey key) {
    return IsSupportedDate(KeyYear(key), KeyMonth(key), KeyDay(key));
}

// Days since 1 January 1970 in the proleptic Gregorian calendar. The day is
// counted from the 1st of the month, so 31 April gives the number of 1 May.
// Defined for any year >= 1 and month 1-12.
constexpr std::int64_t DayNumber(int year, int month, int day) {
    // Count years from March so that the leap day falls at the end of a year.
    const std::int64_t y = month <= 2 ? year - 1 : year;
    const std::int64_t era = y / 400;
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t shiftedMonth = month > 2 ? month - 3 : month + 9;
    const std::int64_t dayOfYear = (153 * shiftedMonth + 2) / 5;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468 + (day - 1);
}

inline constexpr std::uint32_t kE_FAIL = 0x80004005u;
inline constexpr std::uint32_t kE_INVALIDARG = 0x80070057u;

// A date the arithmetic refuses, with the HRESULT the program reports for it.
struct DateError : std::exception {
    explicit DateError(std::uint32_t code) : hresult(code) {}
    const char* what() const noexcept override;

    std::uint32_t hresult;
};

// DayNumber of a date given as three fields, after the range checks: E_FAIL for a
// year below 1900, a month outside 1-12 or a day the month does not have,
// E_INVALIDARG for a year past 9999.
std::int64_t CheckedDayNumber(int year, int month, int day);
