#include "history/ChartLayout.h"

#include <algorithm>
#include <cstdint>

namespace {

// Pixels above the baseline for `tenths` of a day.
int HeightOf(std::int64_t tenths, int plotHeight, int scaleTop) {
    return static_cast<int>(tenths * plotHeight / (static_cast<std::int64_t>(scaleTop) * 10));
}

} // namespace

ChartGeometry LayoutCycleChart(const Rect& area, const std::vector<CycleEntry>& cycles,
                               int medianTenths, int labelSpace) {
    ChartGeometry chart;
    chart.plot = area;
    chart.plot.top = std::min(area.top + std::max(labelSpace, 0), area.bottom);
    const int plotHeight = chart.plot.bottom - chart.plot.top;
    const int plotWidth = chart.plot.right - chart.plot.left;

    int longest = 0;
    for (const CycleEntry& cycle : cycles) {
        longest = std::max(longest, cycle.length);
    }
    chart.scaleTop = std::max(longest, kChartLeastScale);

    // Always as many slots as the figures cover: a bar is as wide with three
    // cycles as with twelve.
    const int slot = plotWidth / kFigureCycles;
    const int barWidth = std::max(slot * 2 / 3, 1);
    const int inset = (slot - barWidth) / 2;
    const std::size_t shown = std::min(cycles.size(), static_cast<std::size_t>(kFigureCycles));
    const std::size_t skipped = cycles.size() - shown;
    for (std::size_t i = 0; i < shown; ++i) {
        const CycleEntry& cycle = cycles[skipped + i];
        ChartBar bar;
        bar.length = cycle.length;
        bar.unusual = cycle.unusual;
        bar.rect.left = chart.plot.left + static_cast<int>(i) * slot + inset;
        bar.rect.right = bar.rect.left + barWidth;
        bar.rect.bottom = chart.plot.bottom;
        bar.rect.top =
            chart.plot.bottom - HeightOf(cycle.length * 10LL, plotHeight, chart.scaleTop);
        chart.bars.push_back(bar);
    }
    if (!cycles.empty()) {
        chart.medianY = chart.plot.bottom - HeightOf(medianTenths, plotHeight, chart.scaleTop);
    }
    return chart;
}
