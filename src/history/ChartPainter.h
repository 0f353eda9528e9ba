// Draws the bar chart of her recent cycles with GDI, on screen and on paper:
// one bar per cycle with its length written on it, unusual cycles in a
// second colour, a dashed line at the median and a baseline.
#pragma once

#include <windows.h>

#include <vector>

#include "history/CycleHistory.h"

constexpr COLORREF kChartBarFill = RGB(100, 200, 255);
constexpr COLORREF kChartBarFrame = RGB(0, 50, 160);
constexpr COLORREF kChartUnusualFill = RGB(255, 170, 60);
constexpr COLORREF kChartUnusualFrame = RGB(160, 70, 0);
constexpr COLORREF kChartMedianColour = RGB(215, 24, 62);
constexpr COLORREF kChartBaselineColour = RGB(110, 90, 100);

// Draws `recent` (CycleHistory::RecentCycles) into `area` of `dc` and paints
// nothing behind the chart. Lines grow with the area, so that a printed chart
// reads like the one on screen.
void DrawCycleChart(HDC dc, const RECT& area, const std::vector<CycleEntry>& recent,
                    int medianTenths, HFONT numberFont);
