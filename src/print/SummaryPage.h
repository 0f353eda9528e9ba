// The one-page cycle summary she can hand her doctor: a title with the dates
// covered, the figures, the chart of her recent cycles and the table of
// cycles, newest first, as many as the page holds.
#pragma once

#include "framework/Gdi.h"
#include "framework/PrintJob.h"
#include "history/CycleHistory.h"
#include "print/SummaryLayout.h"

#include <string>
#include <vector>

// The page for one device: its fonts, texts and where they go, measured on
// that device's DC.
class SummaryPage {
public:
    SummaryPage(HDC dc, const CycleHistory& history, int cycleLengthInForce);

    void Draw(HDC dc) const;

    const SummaryLayout& Layout() const { return layout; }

private:
    void DrawTable(HDC dc) const;

    const CycleHistory& history;
    gdi::Font titleFont;
    gdi::Font creditFont;
    gdi::Font textFont;
    gdi::Font boldFont;
    std::wstring title;
    std::wstring credit;
    std::wstring covered;
    std::vector<std::wstring> figures; // the heading first
    SummaryLayout layout;
};

class SummaryJobInfo : public CPrintJobInfo {
public:
    // Both must outlive the job.
    SummaryJobInfo(const CycleHistory& cycleHistory, int cycleLengthInForce)
        : history(cycleHistory), cycleLength(cycleLengthInForce) {}

    bool PrintPage(UINT page, HDC dc) override;
    bool IsValidPage(UINT page) override { return page == 0; }

private:
    const CycleHistory& history;
    int cycleLength;
};
