#include "calendar/GridLayout.h"

GridLayout ComputeGridLayout(int width, int height) {
    GridLayout layout;
    layout.width = width;
    layout.height = height;

    const int a = height / 8;
    layout.titleRect = {0, a / 6, width, (7 * a) / 6};
    layout.headerRect = {0, a, width, 2 * a};
    layout.gridRect = {0, 2 * a + 2, width, height};

    // Columns share width / 7; the remainder on the right belongs to none.
    const int columnWidth = width / kGridColumns;
    for (int c = 0; c < kGridColumns; ++c) {
        layout.headerCells[c] = {c * columnWidth, a, (c + 1) * columnWidth, 2 * a};
    }

    // Divided by 7, not by the 6 rows: the rows end above the bottom, which
    // leaves the grids their margin below the last week.
    const int rowHeight = (layout.gridRect.bottom - layout.gridRect.top) / 7 + 2;
    for (int r = 0; r < kGridRows; ++r) {
        const int top = layout.gridRect.top + r * rowHeight;
        for (int c = 0; c < kGridColumns; ++c) {
            layout.cells[r][c] = {layout.headerCells[c].left, top, layout.headerCells[c].right,
                                  top + rowHeight};
        }
    }

    layout.titleFontHeight = a;
    layout.dayNameFontHeight = height / 13;
    layout.dayFontHeight = height / 13;
    layout.heartFontHeight = height / 14;
    return layout;
}

void GridLayout::ApplyTo(MonthModel& model) const {
    for (int r = 0; r < kGridRows; ++r) {
        for (int c = 0; c < kGridColumns; ++c) {
            model.cells[r][c].rect = cells[r][c];
        }
    }
}

namespace {

template <typename RectOf> std::optional<GridPosition> HitTest(const RectOf& rectOf, int x, int y) {
    const auto span = [&](int r0, int c0, int r1, int c1) {
        return Rect{rectOf(r0, c0).left, rectOf(r0, c0).top, rectOf(r1, c1).right,
                    rectOf(r1, c1).bottom};
    };
    if (!span(0, 0, kGridRows - 1, kGridColumns - 1).Contains(x, y)) {
        return std::nullopt;
    }
    for (int r = 0; r < kGridRows; ++r) {
        if (!span(r, 0, r, kGridColumns - 1).Contains(x, y)) {
            continue;
        }
        for (int c = 0; c < kGridColumns; ++c) {
            if (rectOf(r, c).Contains(x, y)) {
                return GridPosition{r, c};
            }
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<GridPosition> HitTestGrid(const GridLayout::CellRects& cells, int x, int y) {
    return HitTest([&](int r, int c) -> const Rect& { return cells[r][c]; }, x, y);
}

std::optional<GridPosition> HitTestGrid(const MonthModel::Cells& cells, int x, int y) {
    return HitTest([&](int r, int c) -> const Rect& { return cells[r][c].rect; }, x, y);
}
