#include "print/PageLayout.h"
#include "print/PrintChoices.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(PageLayoutTest, ContentBoxKeepsFivePercentInsideThePrintableArea) {
    struct Case {
        PageMetrics page;
        Rect expected;
    };
    const Case cases[] = {
        // A4 at 300 dpi with a quarter inch unprintable on each side.
        {{75, 75, 2479, 3508}, {75 + 123, 75 + 175, 2479 - 150 - 123, 3508 - 150 - 175}},
        // The same sheet turned.
        {{75, 75, 3508, 2479}, {75 + 175, 75 + 123, 3508 - 150 - 175, 2479 - 150 - 123}},
        // A device that prints to the edge.
        {{0, 0, 2000, 1000}, {100, 50, 1900, 950}},
        // Truncation: 5% of 1999 is 99.95.
        {{10, 0, 1999, 19}, {109, 0, 1999 - 20 - 99, 19}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ComputeContentBox(c.page), c.expected) << c.page.width << "x" << c.page.height;
    }
}

TEST(PageLayoutTest, CreditIsFlushRightAndCentredOnTheTitle) {
    const Rect content{200, 300, 2200, 3200};
    EXPECT_EQ(PlaceCredit(content, 180, 600, 80), (Rect{1600, 350, 2200, 430}));
    // An odd difference truncates towards the top.
    EXPECT_EQ(PlaceCredit(content, 181, 600, 80), (Rect{1600, 350, 2200, 430}));
    // A credit taller than the title sticks out above and below it.
    EXPECT_EQ(PlaceCredit(content, 40, 600, 81), (Rect{1600, 280, 2200, 361}));
}

TEST(PageLayoutTest, WorkedExampleGivesThreeColumnsOfFourRows) {
    // Content 4500 wide; title 100 high puts the grid at top + 200, leaving 5400.
    const Rect content{300, 400, 4800, 400 + 200 + 5400};
    const MonthGridGeometry grid = ComputeMonthGrid(content, 100);
    EXPECT_EQ(grid.gridTop, 600);
    EXPECT_EQ(grid.availWidth, 4500);
    EXPECT_EQ(grid.availHeight, 5400);
    EXPECT_EQ(grid.columns, 3);
    EXPECT_EQ(grid.rows, 4);
    EXPECT_EQ(grid.hGap, 225);
    EXPECT_EQ(grid.vGap, 270);
    EXPECT_EQ(grid.cellWidth, 1350);
    EXPECT_EQ(grid.cellHeight, 1147);
    EXPECT_EQ(grid.MonthOrigin(4), (PagePoint{300, 600 + 1417}));
}

TEST(PageLayoutTest, ColumnsFollowTheShapeOfTheGridArea) {
    struct Case {
        int width;
        int height;
        int columns;
        int rows;
    };
    const Case cases[] = {
        {3000, 2000, 4, 3}, // landscape
        {2000, 3000, 3, 4}, // portrait
        {2500, 2500, 3, 4}, // square counts as portrait
        {2501, 2500, 4, 3},
    };
    for (const Case& c : cases) {
        // The title takes 2 x 50 off the top of the content.
        const Rect content{0, 0, c.width, c.height + 100};
        const MonthGridGeometry grid = ComputeMonthGrid(content, 50);
        EXPECT_EQ(grid.columns, c.columns) << c.width << "x" << c.height;
        EXPECT_EQ(grid.rows, c.rows) << c.width << "x" << c.height;
    }
}

TEST(PageLayoutTest, MonthsRunLeftToRightThenDown) {
    const Rect content{100, 100, 4100, 100 + 2 * 80 + 3000}; // 4000 x 3000: landscape
    const MonthGridGeometry grid = ComputeMonthGrid(content, 80);
    ASSERT_EQ(grid.columns, 4);
    const int stepX = grid.cellWidth + grid.hGap;
    const int stepY = grid.cellHeight + grid.vGap;
    const int top = 100 + 160;
    for (int month = 1; month <= 12; ++month) {
        const int i = month - 1;
        EXPECT_EQ(grid.MonthOrigin(month),
                  (PagePoint{100 + (i % 4) * stepX, top + (i / 4) * stepY}))
            << "month " << month;
    }
    // The last column and row end inside the content box.
    const PagePoint december = grid.MonthOrigin(12);
    EXPECT_LE(december.x + grid.cellWidth, content.right);
    EXPECT_LE(december.y + grid.cellHeight, content.bottom);
}

TEST(PageLayoutTest, PortraitA4AtPrinterResolution) {
    // What the report draws on the PDF queue's page (title measured 233 high).
    const PageMetrics page{0, 0, 2479, 3508};
    const Rect content = ComputeContentBox(page);
    EXPECT_EQ(content, (Rect{123, 175, 2356, 3333}));
    const MonthGridGeometry grid = ComputeMonthGrid(content, 233);
    EXPECT_EQ(grid.columns, 3);
    EXPECT_EQ(grid.gridTop, 641);
    EXPECT_EQ(grid.hGap, 111);
    EXPECT_EQ(grid.vGap, 134);
    EXPECT_EQ(grid.cellWidth, 670);
    EXPECT_EQ(grid.cellHeight, 572);
}

TEST(YearsToPrintTest, RangeChoices) {
    struct Case {
        YearChoice choice;
        int firstMark;
        int lastMark;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {YearChoice::ThisYear, 0, 0, {2006}},
        {YearChoice::ThisYear, 1990, 2020, {2006}},
        {YearChoice::LastTwoYears, 0, 0, {2005, 2006}},
        {YearChoice::AllYearsWithMarks, 2003, 2006, {2003, 2004, 2005, 2006}},
        {YearChoice::AllYearsWithMarks, 2005, 2005, {2005}},
        {YearChoice::AllYearsWithMarks, 0, 0, {}},
        {YearChoice::AllYearsWithMarks, 0, 2006, {}},
        {YearChoice::AllYearsWithMarks, 2006, 0, {}},
        {YearChoice::AllYearsWithMarks, 2007, 2006, {}},
        {YearChoice::AllYearsWithMarks, 9998, 9999, {9998, 9999}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(YearsToPrint(c.choice, 2006, c.firstMark, c.lastMark), c.expected)
            << static_cast<int>(c.choice) << " " << c.firstMark << ".." << c.lastMark;
    }
}

TEST(YearsToPrintTest, RangeEndingAtTheLargestYearStops) {
    const std::vector<int> years =
        YearsToPrint(YearChoice::AllYearsWithMarks, 2006, 2147483645, 2147483647);
    EXPECT_EQ(years, (std::vector<int>{2147483645, 2147483646, 2147483647}));
}

TEST(PrintChoicesTest, LastPageIsOneBelowThePageCountUnsigned) {
    EXPECT_EQ(LastPageFor(0), 0xFFFFFFFFu);
    EXPECT_EQ(LastPageFor(1), 0u);
    EXPECT_EQ(LastPageFor(4), 3u);
}

TEST(PrintChoicesTest, SharedPrintersNameTheirServer) {
    EXPECT_EQ(PrinterLabel(L"PDF", L""), L"PDF");
    EXPECT_EQ(PrinterLabel(L"Laser", L"\\\\office"), L"Laser (\\\\office)");
}

} // namespace
