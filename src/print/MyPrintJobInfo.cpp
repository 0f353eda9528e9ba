#include "print/MyPrintJobInfo.h"

#include "calendar/Calendar.h"
#include "framework/ResourceText.h"
#include "product.h"
#include "resource.h"

#include <string>

std::wstring ReportCredit() {
    return FormatResourceString(IDS_REPORT_CREDIT, {L"" LUNABEL_WEB_LABEL});
}

namespace {

constexpr wchar_t kReportFace[] = L"Comic Sans MS";
constexpr COLORREF kTextColour = RGB(0, 0, 0);

PageMetrics PageMetricsOf(HDC dc) {
    return PageMetrics{::GetDeviceCaps(dc, PHYSICALOFFSETX), ::GetDeviceCaps(dc, PHYSICALOFFSETY),
                       ::GetDeviceCaps(dc, PHYSICALWIDTH), ::GetDeviceCaps(dc, PHYSICALHEIGHT)};
}

} // namespace

ReportPage::ReportPage(HDC dc, int pageYear) : year(pageYear), credit(ReportCredit()) {
    const PageMetrics metrics = PageMetricsOf(dc);
    content = ComputeContentBox(metrics);
    // Both fonts keep the stock font's quality: the printer driver decides.
    titleFont = gdi::MakeFont(kReportFace, YearTitleFontHeight(metrics), FW_BOLD);
    creditFont = gdi::MakeFont(kReportFace, CreditFontHeight(metrics), FW_NORMAL);

    {
        const gdi::SelectGuard select(dc, titleFont.Get());
        const std::wstring title = std::to_wstring(year);
        titleRect = RECT{content.left, content.top, content.right, content.top};
        ::DrawTextW(dc, title.c_str(), -1, &titleRect, DT_CALCRECT);
    }
    {
        const gdi::SelectGuard select(dc, creditFont.Get());
        // No word breaks: the lines end only at the newline.
        RECT measured{0, 0, content.right - content.left, 0};
        ::DrawTextW(dc, credit.c_str(), -1, &measured, DT_CALCRECT);
        creditRect =
            ToRect(PlaceCredit(content, titleRect.bottom - titleRect.top,
                               measured.right - measured.left, measured.bottom - measured.top));
    }
    grid = ComputeMonthGrid(content, titleRect.bottom - titleRect.top);
}

void ReportPage::Draw(HDC dc) const {
    ::SetTextColor(dc, kTextColour);
    ::SetBkMode(dc, TRANSPARENT);
    {
        const gdi::SelectGuard select(dc, titleFont.Get());
        const std::wstring title = std::to_wstring(year);
        RECT rect = titleRect;
        ::DrawTextW(dc, title.c_str(), -1, &rect, 0);
    }
    {
        const gdi::SelectGuard select(dc, creditFont.Get());
        RECT rect = creditRect;
        ::DrawTextW(dc, credit.c_str(), -1, &rect, DT_RIGHT);
    }

    Calendar month(nullptr);
    month.Layout(grid.cellWidth, grid.cellHeight);
    for (int m = 1; m <= 12; ++m) {
        month.SetMonth(year, m);
        const PagePoint origin = grid.MonthOrigin(m);
        month.Render(dc, origin.x, origin.y);
    }
}

bool MyPrintJobInfo::IsValidPage(UINT page) {
    return page < years.size();
}

bool MyPrintJobInfo::PrintPage(UINT page, HDC dc) {
    if (!IsValidPage(page)) {
        return false;
    }
    const ReportPage report(dc, years[page]);
    report.Draw(dc);
    return true;
}
