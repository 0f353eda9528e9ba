#include "history/ChartPainter.h"

#include <algorithm>
#include <string>

#include "framework/Gdi.h"
#include "history/ChartLayout.h"

namespace {

void Fill(HDC dc, const Rect& rect, COLORREF colour) {
    const RECT area{rect.left, rect.top, rect.right, rect.bottom};
    gdi::Brush brush(::CreateSolidBrush(colour));
    ::FillRect(dc, &area, brush.Get());
}

// A bar framed in its darker colour; the frame stays inside the bar.
void DrawBar(HDC dc, const ChartBar& bar, int line) {
    Fill(dc, bar.rect, bar.unusual ? kChartUnusualFrame : kChartBarFrame);
    const Rect inside{bar.rect.left + line, bar.rect.top + line, bar.rect.right - line,
                      bar.rect.bottom};
    if (inside.left < inside.right && inside.top < inside.bottom) {
        Fill(dc, inside, bar.unusual ? kChartUnusualFill : kChartBarFill);
    }
}

// The length inside the top of its bar where it fits, else just above it.
void DrawLength(HDC dc, const ChartBar& bar, int line) {
    const std::wstring text = std::to_wstring(bar.length);
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    const int width = bar.rect.right - bar.rect.left;
    const bool inside = size.cy + 2 * line <= bar.rect.bottom - bar.rect.top && size.cx <= width;
    const int top = inside ? bar.rect.top + line : bar.rect.top - size.cy - line;
    const int left = bar.rect.left + (width - size.cx) / 2;
    ::SetTextColor(dc, bar.unusual ? kChartUnusualFrame : kChartBarFrame);
    ::TextOutW(dc, left, top, text.c_str(), static_cast<int>(text.size()));
}

void DrawDashes(HDC dc, int left, int right, int y, int line) {
    const int dash = 4 * line;
    for (int x = left; x < right; x += 2 * dash) {
        Fill(dc, Rect{x, y - line / 2, std::min(x + dash, right), y - line / 2 + line},
             kChartMedianColour);
    }
}

} // namespace

void DrawCycleChart(HDC dc, const RECT& area, const std::vector<CycleEntry>& recent,
                    int medianTenths, HFONT numberFont) {
    const gdi::SelectGuard font(dc, numberFont);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    const int line = std::max(1, static_cast<int>(area.bottom - area.top) / 120);
    const Rect box{area.left, area.top, area.right, area.bottom - line};
    const ChartGeometry chart =
        LayoutCycleChart(box, recent, medianTenths, metrics.tmHeight + 2 * line);

    ::SetBkMode(dc, TRANSPARENT);
    for (const ChartBar& bar : chart.bars) {
        DrawBar(dc, bar, line);
    }
    Fill(dc, Rect{chart.plot.left, chart.plot.bottom, chart.plot.right, chart.plot.bottom + line},
         kChartBaselineColour);
    if (chart.medianY) {
        DrawDashes(dc, chart.plot.left, chart.plot.right, *chart.medianY, line);
    }
    // Over the line: a number stays readable where the line crosses it.
    for (const ChartBar& bar : chart.bars) {
        DrawLength(dc, bar, line);
    }
}
