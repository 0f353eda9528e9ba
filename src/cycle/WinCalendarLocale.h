// Month and weekday names and the first weekday of the user's Windows locale,
// Gregorian calendar. A lookup that fails gives the English answer instead.
#pragma once

#include "cycle/CalendarLocale.h"

class WinCalendarLocale : public CalendarLocale {
public:
    std::wstring MonthName(int month) const override;
    std::wstring AbbreviatedDayName(int weekday) const override;
    std::wstring ShortestDayName(int weekday) const override;
    int FirstDayOfWeek() const override;

private:
    EnglishCalendarLocale fallback_;
};

// The one the program's month grids share.
const CalendarLocale& UserCalendarLocale();
