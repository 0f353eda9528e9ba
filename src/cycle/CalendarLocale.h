// Where a month grid takes its names and its first weekday from. The program
// asks the user's Windows locale; the portable code and its tests use the
// fixed English one below.
#pragma once

#include <array>
#include <string>

class CalendarLocale {
public:
    virtual ~CalendarLocale() = default;

    // Full month name; month is 1..12.
    virtual std::wstring MonthName(int month) const = 0;
    // Abbreviated weekday name; weekday is 0 = Sunday .. 6 = Saturday.
    virtual std::wstring AbbreviatedDayName(int weekday) const = 0;
    // The shortest name the locale has, for where the abbreviation is too wide.
    virtual std::wstring ShortestDayName(int weekday) const = 0;
    // The weekday that heads the first column, 0 = Sunday .. 6 = Saturday.
    virtual int FirstDayOfWeek() const = 0;
};

// English names; also what the Windows locale falls back to when a lookup fails.
class EnglishCalendarLocale : public CalendarLocale {
public:
    explicit EnglishCalendarLocale(int firstDayOfWeek = 0) : firstDayOfWeek_(firstDayOfWeek) {}

    std::wstring MonthName(int month) const override {
        static constexpr std::array<const wchar_t*, 12> names = {
            L"January", L"February", L"March",     L"April",   L"May",      L"June",
            L"July",    L"August",   L"September", L"October", L"November", L"December"};
        return month >= 1 && month <= 12 ? names[month - 1] : L"";
    }

    std::wstring AbbreviatedDayName(int weekday) const override {
        static constexpr std::array<const wchar_t*, 7> names = {L"Sun", L"Mon", L"Tue", L"Wed",
                                                                L"Thu", L"Fri", L"Sat"};
        return weekday >= 0 && weekday <= 6 ? names[weekday] : L"";
    }

    std::wstring ShortestDayName(int weekday) const override {
        static constexpr std::array<const wchar_t*, 7> names = {L"Su", L"Mo", L"Tu", L"We",
                                                                L"Th", L"Fr", L"Sa"};
        return weekday >= 0 && weekday <= 6 ? names[weekday] : L"";
    }

    int FirstDayOfWeek() const override { return firstDayOfWeek_; }

private:
    int firstDayOfWeek_;
};
