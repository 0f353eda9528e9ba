#include "calendar/GridLayout.h"
#include "cycle/CalendarData.h"
#include "cycle/CalendarLocale.h"
#include "cycle/MonthModel.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <ostream>

// Internal linkage, yet found by the printers through the types' namespace.
static void PrintTo(const Rect& r, std::ostream* os) {
    *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

static void PrintTo(const GridPosition& p, std::ostream* os) {
    *os << "row " << p.row << " column " << p.column;
}

namespace {

struct LayoutCase {
    const char* name;
    int width;
    int height;
    Rect titleRect;
    Rect headerRect;
    Rect gridRect;
    std::array<int, 7> columnLefts;
    int lastColumnRight;
    std::array<int, 6> rowTops;
    int lastRowBottom;
    int titleFont;
    int dayFont;
    int heartFont;
};

void PrintTo(const LayoutCase& c, std::ostream* os) {
    *os << c.name;
}

const LayoutCase kLayouts[] = {
    // The on-screen grids.
    {.name = "Screen",
     .width = 206,
     .height = 210,
     .titleRect = {0, 4, 206, 30},
     .headerRect = {0, 26, 206, 52},
     .gridRect = {0, 54, 206, 210},
     .columnLefts = {0, 29, 58, 87, 116, 145, 174},
     .lastColumnRight = 203,
     .rowTops = {54, 78, 102, 126, 150, 174},
     .lastRowBottom = 198,
     .titleFont = 26,
     .dayFont = 16,
     .heartFont = 15},
    // A month of the printed report at 300 dpi (a = 80, column 100, row 478 / 7 + 2).
    {.name = "Print",
     .width = 700,
     .height = 640,
     .titleRect = {0, 13, 700, 93},
     .headerRect = {0, 80, 700, 160},
     .gridRect = {0, 162, 700, 640},
     .columnLefts = {0, 100, 200, 300, 400, 500, 600},
     .lastColumnRight = 700,
     .rowTops = {162, 232, 302, 372, 442, 512},
     .lastRowBottom = 582,
     .titleFont = 80,
     .dayFont = 49,
     .heartFont = 45},
    // Too small to divide: empty title and header, rows still two pixels.
    {.name = "Tiny",
     .width = 13,
     .height = 7,
     .titleRect = {0, 0, 13, 0},
     .headerRect = {0, 0, 13, 0},
     .gridRect = {0, 2, 13, 7},
     .columnLefts = {0, 1, 2, 3, 4, 5, 6},
     .lastColumnRight = 7,
     .rowTops = {2, 4, 6, 8, 10, 12},
     .lastRowBottom = 14,
     .titleFont = 0,
     .dayFont = 0,
     .heartFont = 0},
};

class LayoutCaseTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutCaseTest, Geometry) {
    const LayoutCase& c = GetParam();
    const GridLayout layout = ComputeGridLayout(c.width, c.height);

    EXPECT_EQ(layout.width, c.width);
    EXPECT_EQ(layout.height, c.height);
    EXPECT_EQ(layout.titleRect, c.titleRect);
    EXPECT_EQ(layout.headerRect, c.headerRect);
    EXPECT_EQ(layout.gridRect, c.gridRect);
    for (int col = 0; col < kGridColumns; ++col) {
        const Rect& header = layout.headerCells[col];
        EXPECT_EQ(header.left, c.columnLefts[col]) << "column " << col;
        EXPECT_EQ(header.top, c.headerRect.top);
        EXPECT_EQ(header.bottom, c.headerRect.bottom);
        EXPECT_EQ(header.right, col < 6 ? c.columnLefts[col + 1] : c.lastColumnRight);
    }
    for (int row = 0; row < kGridRows; ++row) {
        for (int col = 0; col < kGridColumns; ++col) {
            const Rect& cell = layout.cells[row][col];
            SCOPED_TRACE(testing::Message() << "cell " << row << "," << col);
            EXPECT_EQ(cell.left, layout.headerCells[col].left);
            EXPECT_EQ(cell.right, layout.headerCells[col].right);
            EXPECT_EQ(cell.top, c.rowTops[row]);
            EXPECT_EQ(cell.bottom, row < 5 ? c.rowTops[row + 1] : c.lastRowBottom);
        }
    }
    EXPECT_EQ(layout.titleFontHeight, c.titleFont);
    EXPECT_EQ(layout.dayNameFontHeight, c.dayFont);
    EXPECT_EQ(layout.dayFontHeight, c.dayFont);
    EXPECT_EQ(layout.heartFontHeight, c.heartFont);
}

INSTANTIATE_TEST_SUITE_P(Sizes, LayoutCaseTest, ::testing::ValuesIn(kLayouts),
                         [](const auto& info) { return std::string(info.param.name); });

struct HitCase {
    int x;
    int y;
    std::optional<GridPosition> expected;
};

const HitCase kScreenHits[] = {
    {0, 54, GridPosition{0, 0}},
    {202, 197, GridPosition{5, 6}},
    {28, 77, GridPosition{0, 0}},
    // Boundaries belong to the next cell.
    {29, 54, GridPosition{0, 1}},
    {0, 78, GridPosition{1, 0}},
    {174, 174, GridPosition{5, 6}},
    {173, 173, GridPosition{4, 5}},
    {100, 130, GridPosition{3, 3}},
    // Outside every cell: below the rows, right of the columns, above the grid.
    {100, 198, std::nullopt},
    {100, 209, std::nullopt},
    {203, 100, std::nullopt},
    {205, 100, std::nullopt},
    {100, 53, std::nullopt},
    {100, 10, std::nullopt},
    {100, 30, std::nullopt},
    {-1, 60, std::nullopt},
    {0, -1, std::nullopt},
};

TEST(HitTestGridTest, ScreenGrid) {
    const GridLayout layout = ComputeGridLayout(206, 210);
    for (const HitCase& c : kScreenHits) {
        SCOPED_TRACE(testing::Message() << "(" << c.x << ", " << c.y << ")");
        const auto hit = HitTestGrid(layout.cells, c.x, c.y);
        ASSERT_EQ(hit.has_value(), c.expected.has_value());
        if (hit) {
            EXPECT_EQ(hit->row, c.expected->row);
            EXPECT_EQ(hit->column, c.expected->column);
        }
    }
}

// The grid window hit-tests the rectangles its month's cells carry.
TEST(HitTestGridTest, MonthCellsAfterApply) {
    CalendarData data;
    const EnglishCalendarLocale locale;
    MonthModel model(data, locale);
    model.SetMonth(2006, 6);
    const GridLayout layout = ComputeGridLayout(206, 210);
    layout.ApplyTo(model);
    for (int r = 0; r < kGridRows; ++r) {
        for (int c = 0; c < kGridColumns; ++c) {
            EXPECT_EQ(model.cells[r][c].rect, layout.cells[r][c]);
        }
    }
    EXPECT_EQ(model.cells[0][4].day, 1) << "apply leaves the days alone";
    for (const HitCase& c : kScreenHits) {
        EXPECT_EQ(HitTestGrid(model.cells, c.x, c.y), c.expected) << c.x << ", " << c.y;
    }
}

// Every point of the laid-out area hits exactly the cell that contains it.
TEST(HitTestGridTest, EveryPointOfPrintGrid) {
    const GridLayout layout = ComputeGridLayout(700, 640);
    for (int y = 150; y < 600; y += 3) {
        for (int x = -2; x < 702; x += 3) {
            std::optional<GridPosition> expected;
            for (int r = 0; r < kGridRows && !expected; ++r) {
                for (int c = 0; c < kGridColumns && !expected; ++c) {
                    if (layout.cells[r][c].Contains(x, y)) {
                        expected = GridPosition{r, c};
                    }
                }
            }
            ASSERT_EQ(HitTestGrid(layout.cells, x, y), expected) << x << ", " << y;
        }
    }
}

// A window too small for any cell (before its first size) hits nothing.
TEST(HitTestGridTest, EmptyLayoutHitsNothing) {
    const GridLayout layout = ComputeGridLayout(0, 0);
    EXPECT_EQ(HitTestGrid(layout.cells, 0, 0), std::nullopt);
    EXPECT_EQ(HitTestGrid(layout.cells, 0, 2), std::nullopt);
}

} // namespace
