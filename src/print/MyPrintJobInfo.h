// The yearly report: one page per year of the list, the year as title, a
// credit at the top right and the twelve months below.
#pragma once

#include "framework/Gdi.h"
#include "framework/PrintJob.h"
#include "print/PageLayout.h"

#include <string>
#include <vector>

// The credit's two lines, at the top right of every printed page.
std::wstring ReportCredit();

// One year's page for one device: its fonts and where everything goes, as
// measured on that device's DC.
class ReportPage {
public:
    ReportPage(HDC dc, int year);

    void Draw(HDC dc) const;

    int Year() const { return year; }
    const Rect& Content() const { return content; }
    const RECT& TitleRect() const { return titleRect; }
    const RECT& CreditRect() const { return creditRect; }
    const MonthGridGeometry& Grid() const { return grid; }

private:
    int year;
    std::wstring credit;
    gdi::Font titleFont;
    gdi::Font creditFont;
    Rect content;
    RECT titleRect{};
    RECT creditRect{};
    MonthGridGeometry grid;
};

class MyPrintJobInfo : public CPrintJobInfo {
public:
    // The list must outlive the job; page n prints years[n].
    explicit MyPrintJobInfo(const std::vector<int>& yearList) : years(yearList) {}

    bool PrintPage(UINT page, HDC dc) override;
    bool IsValidPage(UINT page) override;

private:
    const std::vector<int>& years;
};
