#include "history/ChartLayout.h"
#include "print/SummaryLayout.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<CycleEntry> Cycles(const std::vector<int>& lengths) {
    std::vector<CycleEntry> cycles;
    for (const int length : lengths) {
        CycleEntry entry;
        entry.length = length;
        entry.unusual = length < kNormalShortest || length > kNormalLongest;
        cycles.push_back(entry);
    }
    return cycles;
}

bool Inside(const Rect& inner, const Rect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

TEST(ChartLayoutTest, BarsStandOnTheBaselineOldestLeftHeightsInProportion) {
    const Rect area{10, 20, 10 + 12 * 30, 20 + 16 + 400};
    const ChartGeometry chart = LayoutCycleChart(area, Cycles({28, 20, 40, 30}), 290, 16);
    EXPECT_EQ(chart.plot, (Rect{10, 36, 370, 436}));
    EXPECT_EQ(chart.scaleTop, 40);
    ASSERT_EQ(chart.bars.size(), 4u);
    const std::vector<int> heights = {280, 200, 400, 300};
    for (std::size_t i = 0; i < chart.bars.size(); ++i) {
        const Rect& bar = chart.bars[i].rect;
        EXPECT_EQ(bar.bottom, 436);
        EXPECT_EQ(bar.bottom - bar.top, heights[i]) << i;
        EXPECT_EQ(bar.right - bar.left, 20);
        EXPECT_EQ(bar.left, 10 + static_cast<int>(i) * 30 + 5);
    }
    EXPECT_TRUE(chart.bars[1].unusual);
    EXPECT_FALSE(chart.bars[0].unusual);
    EXPECT_EQ(chart.medianY, 436 - 290);
}

TEST(ChartLayoutTest, ScaleGrowsWithTheLongestCycleAndOnlyTwelveBarsShow) {
    const Rect area{0, 0, 240, 90};
    const ChartGeometry empty = LayoutCycleChart(area, {}, 0, 0);
    EXPECT_TRUE(empty.bars.empty());
    EXPECT_FALSE(empty.medianY.has_value());

    std::vector<int> lengths(14, 30);
    lengths[0] = 1;   // dropped: only the twelve newest show
    lengths[13] = 90; // the newest sets the scale
    const ChartGeometry chart = LayoutCycleChart(area, Cycles(lengths), 300, 0);
    EXPECT_EQ(chart.scaleTop, 90);
    ASSERT_EQ(chart.bars.size(), 12u);
    EXPECT_EQ(chart.bars.back().rect.top, 0) << "the longest reaches the top";
    EXPECT_EQ(chart.bars.front().rect.bottom - chart.bars.front().rect.top, 30);
    EXPECT_LE(chart.bars.back().rect.right, area.right);
}

TEST(SummaryLayoutTest, BlocksFollowEachOtherInsideTheContentBox) {
    struct Case {
        const char* name;
        PageMetrics page;
    };
    const Case cases[] = {
        {"A4 portrait at 300 dpi", {75, 75, 2479, 3508}},
        {"A4 landscape", {75, 75, 3508, 2479}},
        {"letter at 600 dpi", {100, 100, 5100, 6600}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SummaryMeasures m;
        m.titleHeight = SummaryTitleFontHeight(c.page);
        m.titleWidth = m.titleHeight * 6;
        m.creditHeight = 2 * CreditFontHeight(c.page);
        m.creditWidth = 500;
        m.lineHeight = SummaryTextFontHeight(c.page);
        m.figureLines = 6;
        m.tableRows = 13;
        const SummaryLayout layout = LayoutSummaryPage(c.page, m);
        const Rect& content = layout.content;
        EXPECT_EQ(content, ComputeContentBox(c.page));
        EXPECT_EQ(layout.credit.right, content.right);
        const Rect blocks[] = {layout.title, layout.covered,     layout.figures,
                               layout.chart, layout.tableHeader, layout.Row(layout.rowsShown - 1)};
        for (std::size_t i = 0; i < std::size(blocks); ++i) {
            EXPECT_TRUE(Inside(blocks[i], content)) << "block " << i;
            if (i > 0) {
                EXPECT_GE(blocks[i].top, blocks[i - 1].bottom) << "block " << i;
            }
        }
        EXPECT_EQ(layout.figures.bottom - layout.figures.top, 6 * m.lineHeight);
        EXPECT_GT(layout.chart.bottom - layout.chart.top, 4 * m.lineHeight);
        EXPECT_EQ(layout.rowsShown, 13);
        EXPECT_FALSE(layout.hasMoreLine);
        for (int i = 1; i < kSummaryColumns; ++i) {
            EXPECT_GT(layout.columnLeft[i], layout.columnLeft[i - 1]);
        }
    }
}

TEST(SummaryLayoutTest, RowsThatDoNotFitLeaveTheLastLineToSaySo) {
    const PageMetrics page{75, 75, 2479, 3508};
    SummaryMeasures m;
    m.lineHeight = SummaryTextFontHeight(page);
    m.titleHeight = SummaryTitleFontHeight(page);
    m.figureLines = 6;
    m.tableRows = 1000;
    const SummaryLayout layout = LayoutSummaryPage(page, m);
    ASSERT_TRUE(layout.hasMoreLine);
    EXPECT_GT(layout.rowsShown, 10);
    EXPECT_EQ(layout.moreLine, layout.Row(layout.rowsShown));
    EXPECT_LE(layout.moreLine.bottom, layout.content.bottom);
    EXPECT_GT(layout.Row(layout.rowsShown + 1).bottom, layout.content.bottom)
        << "a row more would have fitted";

    // A page too small for any row shows none and no line either.
    const SummaryLayout tiny = LayoutSummaryPage(PageMetrics{0, 0, 200, 100}, m);
    EXPECT_EQ(tiny.rowsShown, 0);
    EXPECT_FALSE(tiny.hasMoreLine);
}

} // namespace
