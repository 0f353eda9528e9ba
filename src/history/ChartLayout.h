// Where the bars of the cycle chart go, on screen and on paper alike: one
// slot per recent cycle, oldest on the left, heights from a zero baseline.
#pragma once

#include <optional>
#include <vector>

#include "cycle/MonthModel.h"
#include "history/CycleHistory.h"

// The scale reaches at least this far, so that regular cycles do not fill
// the chart to the top and look more different than they are.
constexpr int kChartLeastScale = 40;

struct ChartBar {
    Rect rect;
    int length = 0;
    bool unusual = false;
};

struct ChartGeometry {
    Rect plot;        // baseline at plot.bottom
    int scaleTop = 0; // the days plot.top stands for
    std::vector<ChartBar> bars;
    std::optional<int> medianY; // none without cycles
};

// `cycles` oldest first (CycleHistory::RecentCycles); `labelSpace` is kept
// free above the plot for the length written over the tallest bar.
ChartGeometry LayoutCycleChart(const Rect& area, const std::vector<CycleEntry>& cycles,
                               int medianTenths, int labelSpace);
