// The caption between the arrow buttons: the shown year in large type and,
// below a thin line, the half-year's first and last month names. It takes no
// input; the view sets what it shows.
#pragma once

#include "cycle/CalendarLocale.h"
#include "cycle/WinCalendarLocale.h"
#include "framework/Gdi.h"
#include "framework/Window.h"

#include <windows.h>

#include <string>

class CalendarView;

class DatePicker : public CWindowImpl<DatePicker> {
public:
    explicit DatePicker(CalendarView* owner, const CalendarLocale& locale = UserCalendarLocale());
    ~DatePicker() override;

    BEGIN_MSG_MAP(DatePicker)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
    END_MSG_MAP()

    // Sets the texts only; the caller repaints.
    void SetHalfYear(int year, bool firstHalf);

    const std::wstring& YearText() const { return yearText; }
    const std::wstring& RangeText() const { return rangeText; }

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 0; }

    std::wstring MonthName(int month) const;

    CalendarView* view;
    const CalendarLocale& locale;
    std::wstring yearText;
    std::wstring rangeText;
    gdi::Pen linePen;
    gdi::Font yearFont;
    gdi::Font rangeFont;
};
