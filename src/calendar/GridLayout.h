// Geometry of a month grid for a given size: title, weekday row, day cells and
// font heights, and which cell a point falls in. The same numbers serve the
// 206 x 210 grids on screen and the much larger months of the printed report.
#pragma once

#include "cycle/MonthModel.h"

#include <array>
#include <optional>

struct GridLayout {
    using CellRects = std::array<std::array<Rect, kGridColumns>, kGridRows>;

    int width = 0;
    int height = 0;
    Rect titleRect;
    Rect headerRect;
    Rect gridRect;
    std::array<Rect, kGridColumns> headerCells;
    CellRects cells;
    int titleFontHeight = 0;
    int dayNameFontHeight = 0;
    int dayFontHeight = 0;
    int heartFontHeight = 0;

    // Copies the cell rectangles into a month's cells; the rest is left alone.
    void ApplyTo(MonthModel& model) const;
};

GridLayout ComputeGridLayout(int width, int height);

struct GridPosition {
    int row = 0;
    int column = 0;
    friend bool operator==(const GridPosition&, const GridPosition&) = default;
};

// The cell under (x, y), or none outside all cells.
std::optional<GridPosition> HitTestGrid(const GridLayout::CellRects& cells, int x, int y);
std::optional<GridPosition> HitTestGrid(const MonthModel::Cells& cells, int x, int y);
