#include "calendar/CalendarWindow.h"

#include "cycle/CalendarData.h"
#include "framework/AppModule.h"
#include "framework/ResourceText.h"
#include "resource.h"
#include "skin/PaintBuffer.h"

#include <windowsx.h>

namespace {

// A date as the user's locale writes it: DATE_LONGDATE gives "Friday, July 3,
// 2026" under en-US, DATE_YEARMONTH "July 2026".
std::wstring LocaleDate(int year, int month, int day, DWORD format) {
    SYSTEMTIME date{};
    date.wYear = static_cast<WORD>(year);
    date.wMonth = static_cast<WORD>(month);
    date.wDay = static_cast<WORD>(day);
    wchar_t text[128] = L"";
    if (::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, format, &date, nullptr, text, 128, nullptr) ==
        0) {
        // Never for the supported years; a plain date still tells the day.
        std::swprintf(text, 128, L"%04d-%02d-%02d", year, month, day);
    }
    return text;
}

UINT StateText(DayState state) {
    switch (state) {
    case DayState::FirstDay:
        return IDS_DAY_FIRST_DAY;
    case DayState::PeriodDay:
        return IDS_DAY_PERIOD;
    case DayState::ExpectedPeriodDay:
        return IDS_DAY_EXPECTED_PERIOD;
    case DayState::FertileDay:
        return IDS_DAY_FERTILE;
    case DayState::Plain:
        break;
    }
    return 0;
}

} // namespace

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
    const gdi::PaintScope paint(hwnd_);
    const HDC dc = paint.Get();
    {
        PaintBuffer buffer(dc);
        Present(buffer, 0, 0, hoverDay);
        if (focusFramed) {
            if (const DayCell* cell = CellOf(focusDay)) {
                const RECT frame = ToRect(cell->rect);
                ::DrawFocusRect(buffer, &frame);
            }
        }
    }
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
        Click(day);
    }
    return 0;
}

void CalendarWindow::Click(int day) {
    ::SendMessageW(GetParent(), WM_DAY_CLICKED, static_cast<WPARAM>(year), MAKELPARAM(month, day));
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

LRESULT CalendarWindow::OnDefaultAction(UINT, WPARAM wParam, LPARAM, BOOL&) {
    // The month may have changed since the reader asked.
    if (CellOf(static_cast<int>(wParam))) {
        Click(static_cast<int>(wParam));
    }
    return 0;
}

const DayCell* CalendarWindow::CellOf(int day) const {
    if (day <= 0) {
        return nullptr;
    }
    for (const auto& row : cells) {
        for (const DayCell& cell : row) {
            if (cell.day == day) {
                return &cell;
            }
        }
    }
    return nullptr;
}

void CalendarWindow::SetFocusDay(int day, bool active, bool framed) {
    const bool announce = active && day > 0 && (day != focusDay || !focusActive);
    const bool repaint = (framed || focusFramed) && (day != focusDay || framed != focusFramed);
    focusDay = day;
    focusActive = active;
    focusFramed = framed && day > 0;
    if (repaint) {
        Invalidate();
    }
    if (announce && IsWindow()) {
        ::NotifyWinEvent(EVENT_OBJECT_FOCUS, hwnd_, OBJID_CLIENT, day);
    }
}

int CalendarWindow::DayAtScreen(POINT screen) const {
    RECT window = GetWindowRect();
    if (!::PtInRect(&window, screen)) {
        return 0;
    }
    ::ScreenToClient(hwnd_, &screen);
    return DayAt(MAKELPARAM(screen.x, screen.y));
}

RECT CalendarWindow::DayScreenRect(int day) const {
    RECT rect = AccessibleChildRect(day);
    ::MapWindowPoints(hwnd_, HWND_DESKTOP, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

DayState CalendarWindow::StateOfDay(int day) const {
    const DayCell* cell = CellOf(day);
    return cell ? StateOf(*cell, Data().GetShowFertility()) : DayState::Plain;
}

void CalendarWindow::OnClassified() {
    Calendar::OnClassified();
    AnnounceChanges();
}

void CalendarWindow::AnnounceChanges() {
    const bool newMonth = year != spokenYear || month != spokenMonth;
    spokenYear = year;
    spokenMonth = month;
    // Without a window nobody can be listening.
    const bool listening = IsWindow() != FALSE;
    if (newMonth && listening) {
        ::NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, hwnd_, OBJID_CLIENT, CHILDID_SELF);
    }
    const int days = DaysInMonth(year, month);
    for (int day = 1; day < static_cast<int>(spokenStates.size()); ++day) {
        const DayState state = day <= days ? StateOfDay(day) : DayState::Plain;
        const bool changed = state != spokenStates[static_cast<std::size_t>(day)];
        spokenStates[static_cast<std::size_t>(day)] = state;
        if (listening && day <= days && (newMonth || changed)) {
            ::NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, hwnd_, OBJID_CLIENT, day);
        }
    }
}

long CalendarWindow::AccessibleChildCount() const {
    return DaysInMonth(year, month);
}

std::wstring CalendarWindow::AccessibleName(long child) const {
    if (child == CHILDID_SELF) {
        return LocaleDate(year, month, 1, DATE_YEARMONTH);
    }
    const int day = static_cast<int>(child);
    const std::wstring date = LocaleDate(year, month, day, DATE_LONGDATE);
    const UINT state = StateText(StateOfDay(day));
    return state == 0 ? date : FormatResourceString(state, {date});
}

long CalendarWindow::AccessibleRole(long child) const {
    return child == CHILDID_SELF ? ROLE_SYSTEM_TABLE : ROLE_SYSTEM_CELL;
}

long CalendarWindow::AccessibleState(long child) const {
    if (child == CHILDID_SELF) {
        return 0;
    }
    long state = STATE_SYSTEM_FOCUSABLE;
    if (focusActive && child == focusDay) {
        state |= STATE_SYSTEM_FOCUSED;
    }
    return state;
}

std::wstring CalendarWindow::AccessibleDefaultAction(long child) const {
    if (child == CHILDID_SELF) {
        return {};
    }
    const DayCell* cell = CellOf(static_cast<int>(child));
    return LoadResourceString(cell && cell->marked ? IDS_ACTION_REMOVE_MARK : IDS_ACTION_MARK);
}

bool CalendarWindow::DoAccessibleDefaultAction(long child) {
    if (child == CHILDID_SELF) {
        return false;
    }
    return PostMessage(kDefaultAction, static_cast<WPARAM>(child)) != FALSE;
}

RECT CalendarWindow::AccessibleChildRect(long child) const {
    const DayCell* cell = CellOf(static_cast<int>(child));
    return cell ? ToRect(cell->rect) : RECT{};
}

long CalendarWindow::AccessibleChildAt(POINT client) const {
    return DayAt(MAKELPARAM(client.x, client.y));
}

// As the cells lie: cells outside the month hold day 0, which is none.
long CalendarWindow::AccessibleNeighbour(long child, long direction) const {
    for (int r = 0; r < kGridRows; ++r) {
        for (int c = 0; c < kGridColumns; ++c) {
            if (cells[r][c].day != child) {
                continue;
            }
            switch (direction) {
            case NAVDIR_LEFT:
                return c > 0 ? cells[r][c - 1].day : 0;
            case NAVDIR_RIGHT:
                return c + 1 < kGridColumns ? cells[r][c + 1].day : 0;
            case NAVDIR_UP:
                return r > 0 ? cells[r - 1][c].day : 0;
            case NAVDIR_DOWN:
                return r + 1 < kGridRows ? cells[r + 1][c].day : 0;
            default:
                return 0;
            }
        }
    }
    return 0;
}

long CalendarWindow::AccessibleFocus() const {
    return focusActive ? focusDay : 0;
}
