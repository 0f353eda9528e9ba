// The on-screen month grid: paints its month's picture, frames the day under
// the mouse and tells the parent which day was clicked (WM_DAY_CLICKED).
#pragma once

#include "calendar/Calendar.h"
#include "calendar/CalendarMessages.h"
#include "framework/Window.h"

#include <windows.h>

class CalendarWindow : public CWindowImpl<CalendarWindow>, public Calendar {
public:
    // `background`: the parent's picture, in the parent's client coordinates.
    explicit CalendarWindow(const HDC* background,
                            const CalendarLocale& locale = UserCalendarLocale());
    ~CalendarWindow() override;

    static constexpr const wchar_t* kClassName = L"LunabelMonthGrid";
    static WindowClassInfo GetWndClassInfo() {
        WindowClassInfo info;
        info.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
        return info;
    }

    BEGIN_MSG_MAP(CalendarWindow)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(WM_MOVE, OnMove)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MESSAGE_HANDLER(WM_CAPTURECHANGED, OnCaptureChanged)
        MESSAGE_HANDLER(WM_KILLFOCUS, OnKillFocus)
    END_MSG_MAP()

    int HoverDay() const { return hoverDay; }

private:
    LRESULT OnSize(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnMove(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    LRESULT OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnMouseMove(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnCaptureChanged(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnKillFocus(UINT, WPARAM, LPARAM, BOOL&);

    // Takes the window's place in its parent as the background offset; true when it moved.
    bool FollowPlaceInParent();
    // The day under a client point; 0 for none.
    int DayAt(LPARAM point) const;
    void SetHoverDay(int day);

    // Shared system cursors: not ours to destroy.
    HCURSOR arrowCursor;
    HCURSOR handCursor;
    int hoverDay = 0;
    bool tracking = false;
};
