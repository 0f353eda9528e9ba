#include "cycle/WinCalendarLocale.h"

#include <windows.h>

#include <iterator>

namespace {

// Empty when the locale has no answer.
std::wstring CalendarString(CALTYPE type) {
    wchar_t buffer[80] = {};
    const int length = ::GetCalendarInfoW(LOCALE_USER_DEFAULT, CAL_GREGORIAN, type, buffer,
                                          static_cast<int>(std::size(buffer)), nullptr);
    return length > 1 ? std::wstring(buffer) : std::wstring();
}

} // namespace

std::wstring WinCalendarLocale::MonthName(int month) const {
    if (month < 1 || month > 12) {
        return {};
    }
    std::wstring name = CalendarString(CAL_SMONTHNAME1 + month - 1);
    return name.empty() ? fallback_.MonthName(month) : name;
}

std::wstring WinCalendarLocale::AbbreviatedDayName(int weekday) const {
    if (weekday < 0 || weekday > 6) {
        return {};
    }
    // The locale counts from Monday (CAL_SABBREVDAYNAME1), we from Sunday.
    std::wstring name = CalendarString(CAL_SABBREVDAYNAME1 + (weekday + 6) % 7);
    return name.empty() ? fallback_.AbbreviatedDayName(weekday) : name;
}

std::wstring WinCalendarLocale::ShortestDayName(int weekday) const {
    if (weekday < 0 || weekday > 6) {
        return {};
    }
    std::wstring name = CalendarString(CAL_SSHORTESTDAYNAME1 + (weekday + 6) % 7);
    return name.empty() ? AbbreviatedDayName(weekday) : name;
}

int WinCalendarLocale::FirstDayOfWeek() const {
    wchar_t buffer[4] = {};
    const int length = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK, buffer,
                                        static_cast<int>(std::size(buffer)));
    // The locale answers 0 for Monday .. 6 for Sunday.
    if (length == 2 && buffer[0] >= L'0' && buffer[0] <= L'6') {
        return (buffer[0] - L'0' + 1) % 7;
    }
    return fallback_.FirstDayOfWeek();
}

const CalendarLocale& UserCalendarLocale() {
    static const WinCalendarLocale locale;
    return locale;
}
