#include "calendar/CalendarWindow.h"

#include "skin/PaintBuffer.h"

#include <windowsx.h>

CalendarWindow::CalendarWindow(const HDC* background, const CalendarLocale& locale)
    : Calendar(background, locale), arrowCursor(::LoadCursorW(nullptr, IDC_ARROW)),
      handCursor(::LoadCursorW(nullptr, IDC_HAND)) {}

CalendarWindow::~CalendarWindow() {
    // While the Calendar part still exists: destruction sends messages.
    if (IsWindow()) {
        DestroyWindow();
    }
}

bool CalendarWindow::FollowPlaceInParent() {
    const HWND parent = GetParent();
    if (!parent) {
        return false;
    }
    const RECT place = GetRectIn(parent);
    if (place.left == offsetX && place.top == offsetY) {
        return false;
    }
    offsetX = place.left;
    offsetY = place.top;
    return true;
}

LRESULT CalendarWindow::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&) {
    Layout(LOWORD(lParam), HIWORD(lParam));
    // The window is already in place. A new surface is blank; without this a
    // resize would show garbage until the next reclassification.
    FollowPlaceInParent();
    Render(nullptr, 0, 0);
    return 0;
}

// The background under the grid follows the window's place in its parent.
LRESULT CalendarWindow::OnMove(UINT, WPARAM, LPARAM, BOOL&) {
    if (FollowPlaceInParent()) {
        Render(nullptr, 0, 0);
    }
    return 0;
}

LRESULT CalendarWindow::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(hwnd_, &paint);
    {
        PaintBuffer buffer(dc);
        Present(buffer, 0, 0, hoverDay);
    }
    ::EndPaint(hwnd_, &paint);
    return 0;
}

int CalendarWindow::DayAt(LPARAM point) const {
    const auto position = HitTestGrid(cells, GET_X_LPARAM(point), GET_Y_LPARAM(point));
    if (!position) {
        return 0;
    }
    const int day = cells[position->row][position->column].day;
    return day > 0 ? day : 0;
}

LRESULT CalendarWindow::OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL&) {
    if (const int day = DayAt(lParam); day > 0) {
        ::SendMessageW(GetParent(), WM_DAY_CLICKED, static_cast<WPARAM>(year),
                       MAKELPARAM(month, day));
    }
    return 0;
}

void CalendarWindow::SetHoverDay(int day) {
    if (day != hoverDay) {
        hoverDay = day;
        Invalidate();
    }
}

LRESULT CalendarWindow::OnMouseMove(UINT, WPARAM, LPARAM lParam, BOOL&) {
    if (!tracking) {
        // Holding the capture is how the grid learns that the mouse left.
        ::SetCapture(hwnd_);
        tracking = true;
        return 0;
    }
    const RECT client = GetClientRect();
    if (!::PtInRect(&client, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) {
        tracking = false;
        ::ReleaseCapture();
        SetHoverDay(0);
        return 0;
    }
    const int day = DayAt(lParam);
    SetHoverDay(day);
    // A window holding the capture gets no WM_SETCURSOR.
    ::SetCursor(day > 0 ? handCursor : arrowCursor);
    return 0;
}

LRESULT CalendarWindow::OnCaptureChanged(UINT, WPARAM, LPARAM lParam, BOOL&) {
    // Capture taken away by someone else ends tracking too, so the next move
    // takes it back instead of hovering without noticing the mouse leave.
    if (reinterpret_cast<HWND>(lParam) != hwnd_) {
        tracking = false;
    }
    SetHoverDay(0);
    return 0;
}

LRESULT CalendarWindow::OnKillFocus(UINT, WPARAM, LPARAM, BOOL&) {
    SetHoverDay(0);
    return 0;
}
