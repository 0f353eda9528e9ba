// The caption between the arrow buttons: the shown year in large type and,
// below a thin line, the half-year's first and last month names. It takes no
// input; the view sets what it shows. A screen reader reads it as one text.
#pragma once

#include "cycle/CalendarLocale.h"
#include "cycle/WinCalendarLocale.h"
#include "framework/Accessible.h"
#include "framework/Gdi.h"
#include "framework/Window.h"
#include "skin/DisplayScale.h"

#include <windows.h>

#include <string>

class DatePicker : public CWindowImpl<DatePicker>, public AccessibleContent {
public:
    // `background`: the parent's picture in its client coordinates, kept
    // alive and in place by the parent.
    explicit DatePicker(const HDC* background, const CalendarLocale& locale = UserCalendarLocale());
    ~DatePicker() override;

    static constexpr const wchar_t* kClassName = L"LunabelHalfYearCaption";

    BEGIN_MSG_MAP(DatePicker)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_GETOBJECT, accessible.OnGetObject)
        MESSAGE_HANDLER(WM_DESTROY, accessible.OnDestroy)
    END_MSG_MAP()

    // Sets the texts only; the caller repaints.
    void SetHalfYear(int year, bool firstHalf);
    // Fonts and corners for a window at `scale`; before Create.
    void SetScale(const DisplayScale& scale);

    std::wstring AccessibleName(long child) const override;
    long AccessibleRole(long) const override { return ROLE_SYSTEM_STATICTEXT; }
    long AccessibleState(long) const override { return STATE_SYSTEM_READONLY; }

    const std::wstring& YearText() const { return yearText; }
    const std::wstring& RangeText() const { return rangeText; }
    HFONT RangeFont() const { return rangeFont.Get(); }

private:
    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 0; }

    std::wstring MonthName(int month) const;

    const HDC* backgroundDC;
    const CalendarLocale& locale;
    std::wstring yearText;
    std::wstring rangeText;
    gdi::Pen linePen;
    gdi::Font yearFont;
    gdi::Font rangeFont;
    DisplayScale displayScale;
    AccessibleHost accessible{*this, *this};
};
