#include "calendar/Calendar.h"

#include "cycle/CalendarData.h"

#include <algorithm>
#include <cwchar>

namespace {

constexpr COLORREF kTitleColour = RGB(215, 24, 62);
constexpr COLORREF kScreenDayNameColour = RGB(162, 3, 29);
constexpr COLORREF kPrintDayNameColour = RGB(128, 128, 128);
constexpr COLORREF kPrintHeartColour = RGB(255, 0, 0);
constexpr COLORREF kDayColour = RGB(0, 0, 0);

// The heart suit of the Symbol font. Windows maps 0x20-0xFF of a symbol font
// to its private-use glyphs (U+F0A9 here) itself; fonts with a Unicode table,
// such as Wine's Symbol, only know 0xA9.
constexpr wchar_t kSymbolHeart = 0xA9;

RECT ToRect(const Rect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

RECT Inner(const Rect& r) {
    return RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
}

void DrawString(HDC dc, const std::wstring& text, RECT rect, UINT format) {
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
}

gdi::Font MakeGridFont(LOGFONTW logFont, int height, int weight) {
    logFont.lfHeight = height;
    logFont.lfWeight = weight;
    return gdi::Font(::CreateFontIndirectW(&logFont));
}

} // namespace

Calendar::Calendar(const HDC* background, const CalendarLocale& locale)
    : MonthModel(CalendarData::Instance(), locale),
      markedFill(::CreateSolidBrush(RGB(255, 100, 100))),
      markedFrame(::CreateSolidBrush(RGB(160, 0, 0))),
      periodFill(::CreateSolidBrush(RGB(100, 200, 255))),
      periodFrame(::CreateSolidBrush(RGB(0, 50, 160))), backgroundDC(background) {
    // Without the picture fertile days are drawn without a heart.
    heartImage.LoadFromResource(L"heart_small");
}

void Calendar::Layout(int newWidth, int newHeight) {
    width = std::max(newWidth, 0);
    height = std::max(newHeight, 0);
    layout = ComputeGridLayout(width, height);
    layout.ApplyTo(*this);

    LOGFONTW logFont = gdi::DefaultGuiLogFont();
    wcsncpy_s(logFont.lfFaceName, LF_FACESIZE, L"Comic Sans MS", _TRUNCATE);
    logFont.lfQuality = ANTIALIASED_QUALITY;
    titleFont = MakeGridFont(logFont, layout.titleFontHeight, FW_NORMAL);
    dayNameFont = MakeGridFont(logFont, layout.dayNameFontHeight, FW_BOLD);
    dayFont = MakeGridFont(logFont, layout.dayFontHeight, FW_NORMAL);
    if (IsPrintMode()) {
        // The charset too: with the GUI font's own, the font mapper may prefer
        // a text face to the one holding the heart.
        wcsncpy_s(logFont.lfFaceName, LF_FACESIZE, L"Symbol", _TRUNCATE);
        logFont.lfCharSet = SYMBOL_CHARSET;
        heartFont = MakeGridFont(logFont, layout.heartFontHeight, FW_BOLD);
    }

    // Printing draws straight onto the page and needs no surface.
    surface.Reset();
    if (!IsPrintMode() && width > 0 && height > 0) {
        surface = gdi::Surface(width, height);
    }
}

void Calendar::OnClassified() {
    if (!IsPrintMode()) {
        Render(nullptr, 0, 0);
    }
}

void Calendar::FillBackground(HDC dc) const {
    if (*backgroundDC) {
        // Makes the grid look transparent over the view's picture.
        ::BitBlt(dc, 0, 0, width, height, *backgroundDC, offsetX, offsetY, SRCCOPY);
    } else {
        const RECT all{0, 0, width, height};
        ::FillRect(dc, &all, ::GetSysColorBrush(COLOR_WINDOW));
    }
}

void Calendar::Render(HDC target, int x, int y) {
    HDC dc = target;
    if (!dc) {
        if (IsPrintMode() || !surface) {
            return;
        }
        dc = surface.Get();
        FillBackground(dc);
    }
    // Puts back the caller's origin and selections: our fonts must never stay
    // selected anywhere, or Layout could not delete them.
    const int saved = ::SaveDC(dc);
    if (target) {
        ::SetViewportOrgEx(dc, x, y, nullptr);
    }
    ::SetBkMode(dc, TRANSPARENT);
    const bool showFertility = CalendarData::Instance().GetShowFertility();

    ::SetTextColor(dc, kTitleColour);
    ::SelectObject(dc, titleFont.Get());
    DrawString(dc, monthName, ToRect(layout.titleRect), DT_SINGLELINE | DT_CENTER);

    ::SetTextColor(dc, IsPrintMode() ? kPrintDayNameColour : kScreenDayNameColour);
    ::SelectObject(dc, dayNameFont.Get());
    for (int i = 0; i < kGridColumns; ++i) {
        DrawString(dc, dayNames[i], ToRect(layout.headerCells[i]),
                   DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    }

    ::SetTextColor(dc, kDayColour);
    ::SelectObject(dc, dayFont.Get());
    for (const auto& row : cells) {
        for (const DayCell& cell : row) {
            if (cell.day > 0) {
                DrawCell(dc, cell, showFertility);
            }
        }
    }
    ::RestoreDC(dc, saved);
}

void Calendar::DrawCell(HDC dc, const DayCell& cell, bool showFertility) const {
    const RECT inner = Inner(cell.rect);
    if (cell.marked) {
        ::FillRect(dc, &inner, markedFill.Get());
        ::FrameRect(dc, &inner, markedFrame.Get());
    } else if (cell.period) {
        ::FillRect(dc, &inner, periodFill.Get());
        ::FrameRect(dc, &inner, periodFrame.Get());
    }

    if (showFertility && cell.fertile) {
        const Rect& r = cell.rect;
        if (IsPrintMode()) {
            ::SetTextColor(dc, kPrintHeartColour);
            ::SelectObject(dc, heartFont.Get());
            const wchar_t heart[] = {kSymbolHeart};
            RECT area{r.left, r.top, r.right - (r.right - r.left) / 20, r.bottom};
            ::DrawTextW(dc, heart, 1, &area, DT_SINGLELINE | DT_BOTTOM | DT_RIGHT);
            ::SetTextColor(dc, kDayColour);
            ::SelectObject(dc, dayFont.Get());
        } else {
            heartImage.DrawBlended(dc, r.right - heartImage.Width() - 2,
                                   r.bottom - heartImage.Height() - 2);
        }
    }

    DrawString(dc, cell.text, ToRect(cell.rect), DT_SINGLELINE | DT_VCENTER | DT_CENTER);
}

void Calendar::Present(HDC target, int x, int y, int hoverDay) const {
    if (!target || !surface) {
        return;
    }
    ::BitBlt(target, x, y, width, height, surface.Get(), 0, 0, SRCCOPY);
    if (hoverDay == 0) {
        return;
    }
    for (const auto& row : cells) {
        for (const DayCell& cell : row) {
            if (cell.day == hoverDay) {
                // The cell's own rect: the hover frame ignores (x, y).
                const RECT inner = Inner(cell.rect);
                ::FrameRect(target, &inner, markedFrame.Get());
                return;
            }
        }
    }
}
