#include "calendar/Calendar.h"

#include "cycle/CalendarData.h"
#include "skin/CxImage.h"

#include <algorithm>
#include <cwchar>
#include <map>

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

RECT Inner(const Rect& r) {
    return RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
}

// Decoded once for every grid on screen at each scale; printing draws a glyph
// instead. Without the picture fertile days are drawn without a heart.
const CxImage& HeartImage(const DisplayScale& scale) {
    static std::map<int, CxImage> hearts;
    auto [at, added] = hearts.try_emplace(scale.Dpi());
    if (added) {
        at->second.LoadForScale(L"heart_small", scale);
    }
    return at->second;
}

// The heart keeps this far from the cell's bottom-right corner.
constexpr int kHeartMargin = 2;

gdi::Font MakeGridFont(int height, int weight) {
    return gdi::MakeFont(L"Comic Sans MS", height, weight, ANTIALIASED_QUALITY);
}

} // namespace

Calendar::Calendar(const HDC* background, const CalendarLocale& locale)
    : MonthModel(CalendarData::Instance(), locale),
      markedFill(::CreateSolidBrush(RGB(255, 100, 100))),
      markedFrame(::CreateSolidBrush(RGB(160, 0, 0))),
      periodFill(::CreateSolidBrush(RGB(100, 200, 255))),
      periodFrame(::CreateSolidBrush(RGB(0, 50, 160))), backgroundDC(background) {}

void Calendar::Layout(int newWidth, int newHeight) {
    layout = ComputeGridLayout(std::max(newWidth, 0), std::max(newHeight, 0));
    layout.ApplyTo(*this);

    titleFont = MakeGridFont(layout.titleFontHeight, FW_NORMAL);
    dayNameFont = MakeGridFont(layout.dayNameFontHeight, FW_BOLD);
    dayFont = MakeGridFont(layout.dayFontHeight, FW_NORMAL);
    if (IsPrintMode()) {
        // The charset too: with the GUI font's own, the font mapper may prefer
        // a text face to the one holding the heart.
        LOGFONTW logFont = gdi::DefaultGuiLogFont();
        wcsncpy_s(logFont.lfFaceName, LF_FACESIZE, L"Symbol", _TRUNCATE);
        logFont.lfHeight = layout.heartFontHeight;
        logFont.lfWeight = FW_BOLD;
        logFont.lfQuality = ANTIALIASED_QUALITY;
        logFont.lfCharSet = SYMBOL_CHARSET;
        heartFont = gdi::Font(::CreateFontIndirectW(&logFont));
    }

    // Printing draws straight onto the page and needs no surface.
    surface.Reset();
    if (!IsPrintMode() && layout.width > 0 && layout.height > 0) {
        surface = gdi::Surface(layout.width, layout.height);
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
        ::BitBlt(dc, 0, 0, layout.width, layout.height, *backgroundDC, offsetX, offsetY, SRCCOPY);
    } else {
        const RECT all{0, 0, layout.width, layout.height};
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
    gdi::DrawString(dc, monthName, ToRect(layout.titleRect), DT_SINGLELINE | DT_CENTER);

    ::SetTextColor(dc, IsPrintMode() ? kPrintDayNameColour : kScreenDayNameColour);
    ::SelectObject(dc, dayNameFont.Get());
    const auto& names = HeaderDayNames(dc);
    for (int i = 0; i < kGridColumns; ++i) {
        gdi::DrawString(dc, names[i], ToRect(layout.headerCells[i]),
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

// Some languages abbreviate to six letters ("niedz."): nine tenths of the
// column leave a margin for faces that run wider than the one measured.
const std::array<std::wstring, kGridColumns>& Calendar::HeaderDayNames(HDC dc) const {
    for (int i = 0; i < kGridColumns; ++i) {
        SIZE size{};
        ::GetTextExtentPoint32W(dc, dayNames[i].c_str(), static_cast<int>(dayNames[i].size()),
                                &size);
        const Rect& column = layout.headerCells[i];
        if (size.cx * 10 > (column.right - column.left) * 9) {
            return shortestDayNames;
        }
    }
    return dayNames;
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
            const CxImage& heart = HeartImage(displayScale);
            const int margin = displayScale.Edge(kHeartMargin);
            heart.DrawBlended(dc, r.right - heart.Width() - margin,
                              r.bottom - heart.Height() - margin);
        }
    }

    gdi::DrawString(dc, cell.text, ToRect(cell.rect), DT_SINGLELINE | DT_VCENTER | DT_CENTER);
}

void Calendar::Present(HDC target, int x, int y, int hoverDay) const {
    if (!target || !surface) {
        return;
    }
    ::BitBlt(target, x, y, layout.width, layout.height, surface.Get(), 0, 0, SRCCOPY);
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
