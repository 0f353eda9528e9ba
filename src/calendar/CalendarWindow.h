// The on-screen month grid: paints its month's picture, frames the day under
// the mouse and the keyboard's day, and tells the parent which day was
// clicked (WM_DAY_CLICKED). To a screen reader it is a table of its days.
#pragma once

#include "calendar/Calendar.h"
#include "calendar/CalendarMessages.h"
#include "calendar/DayState.h"
#include "framework/Accessible.h"
#include "framework/Window.h"

#include <windows.h>

#include <array>

class CalendarWindow : public CWindowImpl<CalendarWindow>,
                       public Calendar,
                       public AccessibleContent {
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
        MESSAGE_HANDLER(WM_GETOBJECT, accessible.OnGetObject)
        MESSAGE_HANDLER(WM_DESTROY, accessible.OnDestroy)
        MESSAGE_HANDLER(kDefaultAction, OnDefaultAction)
    END_MSG_MAP()

    int HoverDay() const { return hoverDay; }

    // The keyboard's day when this grid shows it (0 = none); `active` while the
    // keyboard focus is in the parent, `framed` when its frame shows. A reader
    // hears of the day when it becomes the active one.
    void SetFocusDay(int day, bool active, bool framed);
    int FocusDay() const { return focusDay; }
    bool FocusFramed() const { return focusFramed; }

    // The day at a point on the screen; 0 for none.
    int DayAtScreen(POINT screen) const;
    // A day's cell on the screen.
    RECT DayScreenRect(int day) const;

    long AccessibleChildCount() const override;
    std::wstring AccessibleName(long child) const override;
    long AccessibleRole(long child) const override;
    long AccessibleState(long child) const override;
    std::wstring AccessibleDefaultAction(long child) const override;
    bool DoAccessibleDefaultAction(long child) override;
    RECT AccessibleChildRect(long child) const override;
    long AccessibleChildAt(POINT client) const override;
    long AccessibleNeighbour(long child, long direction) const override;
    long AccessibleFocus() const override;

protected:
    void OnClassified() override;

private:
    LRESULT OnSize(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnMove(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    LRESULT OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnMouseMove(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnCaptureChanged(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnKillFocus(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDefaultAction(UINT, WPARAM wParam, LPARAM, BOOL&);

    // Posted by a reader's default action, so that its call returns at once.
    static constexpr UINT kDefaultAction = WM_APP + 1;

    // Takes the window's place in its parent as the background offset; true when it moved.
    bool FollowPlaceInParent();
    // The day under a client point; 0 for none.
    int DayAt(LPARAM point) const;
    void SetHoverDay(int day);
    void Click(int day);
    const DayCell* CellOf(int day) const;
    DayState StateOfDay(int day) const;
    // Tells a reader which days now say something else.
    void AnnounceChanges();

    // Shared system cursors: not ours to destroy.
    HCURSOR arrowCursor;
    HCURSOR handCursor;
    int hoverDay = 0;
    bool tracking = false;
    int focusDay = 0;
    bool focusActive = false;
    bool focusFramed = false;
    // What a reader was last told: the month and each day's state.
    int spokenYear = 0;
    int spokenMonth = 0;
    std::array<DayState, 32> spokenStates{};
    AccessibleHost accessible{*this, *this};
};
