#include "print/SummaryLayout.h"

#include <algorithm>

namespace {

// Where each column starts, in percent of the content width: the long date
// needs the most room, the note ("outside 24 to 38 days") the next most.
constexpr int kColumnPercent[kSummaryColumns] = {0, 44, 60, 76};

// The chart takes this share of the content's height, but is never wider
// than twice its height.
constexpr int kChartHeightPercent = 25;

} // namespace

Rect SummaryLayout::FigureLine(int index) const {
    const int top = figures.top + index * lineHeight;
    return Rect{figures.left, top, figures.right, top + lineHeight};
}

Rect SummaryLayout::Row(int index) const {
    const int top = tableHeader.bottom + index * rowHeight;
    return Rect{content.left, top, content.right, top + rowHeight};
}

SummaryLayout LayoutSummaryPage(const PageMetrics& page, const SummaryMeasures& m) {
    SummaryLayout layout;
    const Rect content = ComputeContentBox(page);
    layout.content = content;
    const int width = content.right - content.left;
    const int height = content.bottom - content.top;
    const int line = std::max(m.lineHeight, 1);
    layout.lineHeight = line;
    const auto below = [&content](int top, int rectHeight) {
        return Rect{content.left, top, content.right, std::min(top + rectHeight, content.bottom)};
    };

    layout.title =
        Rect{content.left, content.top, content.left + m.titleWidth, content.top + m.titleHeight};
    layout.credit = PlaceCredit(content, m.titleHeight, m.creditWidth, m.creditHeight);
    layout.covered = below(layout.title.bottom, line);
    // One blank line between the blocks.
    layout.figures = below(layout.covered.bottom + line, m.figureLines * line);
    const int chartHeight = std::min(PercentOf(height, kChartHeightPercent), width / 2);
    layout.chart = below(layout.figures.bottom + line, chartHeight);
    layout.tableHeader = below(layout.chart.bottom + line, line);

    for (int i = 0; i < kSummaryColumns; ++i) {
        layout.columnLeft[i] = content.left + PercentOf(width, kColumnPercent[i]);
    }
    // A little air between the rows.
    layout.rowHeight = line + line / 4;
    const int room = std::max(content.bottom - layout.tableHeader.bottom, 0) / layout.rowHeight;
    const int wanted = std::max(m.tableRows, 0);
    if (wanted <= room) {
        layout.rowsShown = wanted;
        return layout;
    }
    // The last line that fits says how many rows are left out.
    layout.rowsShown = std::max(room - 1, 0);
    layout.hasMoreLine = room > 0;
    layout.moreLine = layout.Row(layout.rowsShown);
    return layout;
}
