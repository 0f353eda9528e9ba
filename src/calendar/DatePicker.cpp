#include "calendar/DatePicker.h"

#include "framework/ResourceText.h"
#include "resource.h"
#include "skin/PaintBuffer.h"

namespace {

constexpr COLORREF kRose = RGB(215, 24, 62);
constexpr wchar_t kFace[] = L"Comic Sans MS";
constexpr int kYearHeight = 20;
constexpr int kRangeHeight = 16;
constexpr int kCornerRadius = 5;
// The year starts this far above the window: it sits high, clear of the line.
constexpr int kYearRaise = 6;

} // namespace

DatePicker::DatePicker(const HDC* background, const CalendarLocale& names)
    : backgroundDC(background), locale(names), linePen(::CreatePen(PS_SOLID, 1, kRose)),
      yearFont(gdi::MakeFont(kFace, -kYearHeight, FW_BOLD)),
      rangeFont(gdi::MakeFont(kFace, -kRangeHeight, FW_NORMAL)) {}

void DatePicker::SetScale(const DisplayScale& scale) {
    displayScale = scale;
    yearFont = gdi::MakeFont(kFace, -scale.FontHeight(kYearHeight), FW_BOLD);
    rangeFont = gdi::MakeFont(kFace, -scale.FontHeight(kRangeHeight), FW_NORMAL);
}

DatePicker::~DatePicker() {
    if (IsWindow()) {
        DestroyWindow();
    }
}

std::wstring DatePicker::MonthName(int month) const {
    std::wstring name = locale.MonthName(month);
    // A caption reading " - " says nothing; English says at least something.
    return name.empty() ? EnglishCalendarLocale().MonthName(month) : name;
}

void DatePicker::SetHalfYear(int year, bool firstHalf) {
    yearText = std::to_wstring(year);
    const int first = firstHalf ? 1 : 7;
    rangeText = MonthName(first) + L" - " + MonthName(first + 5);
    if (IsWindow()) {
        ::NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, hwnd_, OBJID_CLIENT, CHILDID_SELF);
    }
}

std::wstring DatePicker::AccessibleName(long) const {
    return FormatResourceString(IDS_CAPTION_NAME, {yearText, rangeText});
}

// Rounded corners fitted to the size, for a place of any scale.
LRESULT DatePicker::OnSize(UINT, WPARAM, LPARAM, BOOL& handled) {
    const RECT clientRect = GetClientRect();
    gdi::Region corners(::CreateRoundRectRgn(clientRect.left, clientRect.top, clientRect.right,
                                             clientRect.bottom, displayScale.Edge(kCornerRadius),
                                             displayScale.Edge(kCornerRadius)));
    // The window owns the region from here on.
    if (::SetWindowRgn(hwnd_, corners.Get(), TRUE)) {
        corners.Release();
    }
    handled = FALSE;
    return 0;
}

LRESULT DatePicker::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
    const gdi::PaintScope paint(hwnd_);
    const HDC dc = paint.Get();
    {
        PaintBuffer buffer(dc);
        const RECT place = GetRectIn(GetParent());
        ::BitBlt(buffer, 0, 0, place.right - place.left, place.bottom - place.top, *backgroundDC,
                 place.left, place.top, SRCCOPY);

        ::SetTextColor(buffer, kRose);
        ::SetBkMode(buffer, TRANSPARENT);
        const RECT clientRect = GetClientRect();
        const int half = (clientRect.bottom - clientRect.top) / 2;
        {
            gdi::SelectGuard font(buffer, yearFont.Get());
            gdi::DrawString(buffer, yearText,
                            RECT{clientRect.left, clientRect.top - displayScale.Edge(kYearRaise),
                                 clientRect.right, clientRect.bottom - half},
                            DT_SINGLELINE | DT_CENTER);
        }
        {
            gdi::SelectGuard font(buffer, rangeFont.Get());
            gdi::DrawString(
                buffer, rangeText,
                RECT{clientRect.left, clientRect.top + half, clientRect.right, clientRect.bottom},
                DT_SINGLELINE | DT_VCENTER | DT_CENTER);
        }
        gdi::SelectGuard pen(buffer, linePen.Get());
        ::MoveToEx(buffer, 0, half, nullptr);
        ::LineTo(buffer, clientRect.right - clientRect.left, half);
    }
    return 0;
}
