// Where the parts of a yearly report page go, in printer device pixels. Kept
// apart from the drawing so that the numbers can be checked without a printer.
// All arithmetic is integer and truncates, as the drawing expects.
#pragma once

#include "cycle/MonthModel.h"

// What GetDeviceCaps tells of the paper: PHYSICALOFFSETX/Y, PHYSICALWIDTH/HEIGHT.
struct PageMetrics {
    int offsetX = 0;
    int offsetY = 0;
    int width = 0;
    int height = 0;
};

struct PagePoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const PagePoint&, const PagePoint&) = default;
};

// p percent of x, truncated.
constexpr int PercentOf(int x, int p) {
    return x * p / 100;
}

// The area everything is drawn in: five percent of the paper in from each
// side, in the DC's coordinates (origin at the printable area's corner).
Rect ComputeContentBox(const PageMetrics& page);

// Cell heights of the year title and of the credit text.
constexpr int YearTitleFontHeight(const PageMetrics& page) {
    return page.height / 20;
}
constexpr int CreditFontHeight(const PageMetrics& page) {
    return page.height / 100;
}

// The credit block: flush with the content box's right edge and centred
// vertically on the year title.
Rect PlaceCredit(const Rect& content, int titleHeight, int creditWidth, int creditHeight);

struct MonthGridGeometry {
    int left = 0;
    int gridTop = 0;
    int availWidth = 0;
    int availHeight = 0;
    int hGap = 0;
    int vGap = 0;
    int columns = 0;
    int rows = 0;
    int cellWidth = 0;
    int cellHeight = 0;

    // Top-left corner of month 1..12: January at the top left, then left to
    // right and down.
    PagePoint MonthOrigin(int month) const;
};

// The twelve months below the title: four columns when the space is wider
// than high, otherwise three.
MonthGridGeometry ComputeMonthGrid(const Rect& content, int titleHeight);
