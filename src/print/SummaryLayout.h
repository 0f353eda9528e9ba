// Where the parts of the one-page cycle summary go, in printer device pixels,
// laid out for the page's size the way the yearly report is: the same
// content box, the title at the top left with the credit flush right beside
// it, then the dates covered, the figures, the chart and the table of cycles.
#pragma once

#include "cycle/MonthModel.h"
#include "print/PageLayout.h"

// Cell heights of the title and of the body text (dates, figures, table).
constexpr int SummaryTitleFontHeight(const PageMetrics& page) {
    return page.height / 30;
}
constexpr int SummaryTextFontHeight(const PageMetrics& page) {
    return page.height / 70;
}

// What the drawing measured on the printer's DC.
struct SummaryMeasures {
    int titleWidth = 0;
    int titleHeight = 0;
    int creditWidth = 0;
    int creditHeight = 0;
    int lineHeight = 0;  // one line of body text
    int figureLines = 0; // lines of the figures block
    int tableRows = 0;   // rows the table would have with room for all
};

// The table's columns: start date, length, difference from the median, note.
constexpr int kSummaryColumns = 4;

struct SummaryLayout {
    Rect content;
    int lineHeight = 0; // of the body text
    Rect title;
    Rect credit;
    Rect covered; // the line with the dates covered, under the title
    Rect figures;
    Rect chart;
    Rect tableHeader;
    int columnLeft[kSummaryColumns] = {};
    int rowHeight = 0;
    int rowsShown = 0;
    // Under the rows, when not all of them fit: how many are left out.
    bool hasMoreLine = false;
    Rect moreLine;

    // Line 0 is the heading of the figures.
    Rect FigureLine(int index) const;
    // Row 0 is the first under the header.
    Rect Row(int index) const;
};

SummaryLayout LayoutSummaryPage(const PageMetrics& page, const SummaryMeasures& measures);
