#include "print/SummaryPage.h"

#include "framework/AppModule.h"
#include "framework/ResourceText.h"
#include "history/ChartPainter.h"
#include "history/HistoryText.h"
#include "print/MyPrintJobInfo.h"
#include "resource.h"

namespace {

constexpr wchar_t kFace[] = L"Comic Sans MS";
constexpr COLORREF kTextColour = RGB(0, 0, 0);
constexpr UINT kCellFormat = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX;

PageMetrics PageMetricsOf(HDC dc) {
    return PageMetrics{::GetDeviceCaps(dc, PHYSICALOFFSETX), ::GetDeviceCaps(dc, PHYSICALOFFSETY),
                       ::GetDeviceCaps(dc, PHYSICALWIDTH), ::GetDeviceCaps(dc, PHYSICALHEIGHT)};
}

RECT ToRect(const Rect& rect) {
    return RECT{rect.left, rect.top, rect.right, rect.bottom};
}

SIZE Measure(HDC dc, HFONT font, const std::wstring& text, UINT format = 0) {
    const gdi::SelectGuard select(dc, font);
    RECT rect{0, 0, 0, 0};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format | DT_CALCRECT);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

int LineHeight(HDC dc, HFONT font) {
    const gdi::SelectGuard select(dc, font);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    return metrics.tmHeight;
}

void DrawLine(HDC dc, HFONT font, const std::wstring& text, const Rect& where) {
    const gdi::SelectGuard select(dc, font);
    gdi::DrawString(dc, text, ToRect(where), kCellFormat);
}

} // namespace

SummaryPage::SummaryPage(HDC dc, const CycleHistory& cycleHistory, int cycleLengthInForce)
    : history(cycleHistory) {
    const PageMetrics page = PageMetricsOf(dc);
    // The fonts keep the stock font's quality: the printer driver decides.
    titleFont = gdi::MakeFont(kFace, SummaryTitleFontHeight(page), FW_BOLD);
    creditFont = gdi::MakeFont(kFace, CreditFontHeight(page), FW_NORMAL);
    textFont = gdi::MakeFont(kFace, SummaryTextFontHeight(page), FW_NORMAL);
    boldFont = gdi::MakeFont(kFace, SummaryTextFontHeight(page), FW_BOLD);

    title = LoadResourceString(IDS_HISTORY_TITLE);
    credit = ReportCredit();
    covered = CoveredText(history);
    figures = FigureLines(history, cycleLengthInForce);
    figures.insert(figures.begin(), FiguresHeading(history));

    SummaryMeasures measures;
    const SIZE titleSize = Measure(dc, titleFont.Get(), title, DT_SINGLELINE | DT_NOPREFIX);
    measures.titleWidth = titleSize.cx;
    measures.titleHeight = titleSize.cy;
    const SIZE creditSize = Measure(dc, creditFont.Get(), credit);
    measures.creditWidth = creditSize.cx;
    measures.creditHeight = creditSize.cy;
    measures.lineHeight = LineHeight(dc, textFont.Get());
    measures.figureLines = static_cast<int>(figures.size());
    measures.tableRows = static_cast<int>(CycleRowCount(history));
    layout = LayoutSummaryPage(page, measures);
}

void SummaryPage::Draw(HDC dc) const {
    ::SetTextColor(dc, kTextColour);
    ::SetBkMode(dc, TRANSPARENT);
    {
        const gdi::SelectGuard select(dc, titleFont.Get());
        gdi::DrawString(dc, title, ToRect(layout.title), DT_SINGLELINE | DT_NOPREFIX);
    }
    {
        const gdi::SelectGuard select(dc, creditFont.Get());
        gdi::DrawString(dc, credit, ToRect(layout.credit), DT_RIGHT | DT_NOPREFIX);
    }
    DrawLine(dc, boldFont.Get(), covered, layout.covered);

    for (std::size_t i = 0; i < figures.size(); ++i) {
        DrawLine(dc, i == 0 ? boldFont.Get() : textFont.Get(), figures[i],
                 layout.FigureLine(static_cast<int>(i)));
    }

    DrawCycleChart(dc, ToRect(layout.chart), history.RecentCycles(), history.figures.medianTenths,
                   boldFont.Get());
    ::SetTextColor(dc, kTextColour);
    DrawTable(dc);
}

void SummaryPage::DrawTable(HDC dc) const {
    const auto cell = [this](const Rect& row, int column) {
        const int right =
            column + 1 < kSummaryColumns ? layout.columnLeft[column + 1] : layout.content.right;
        return Rect{layout.columnLeft[column], row.top, right, row.bottom};
    };
    const std::vector<std::wstring> names = CycleColumnNames();
    for (int column = 0; column < kSummaryColumns; ++column) {
        DrawLine(dc, boldFont.Get(), names[static_cast<std::size_t>(column)],
                 cell(layout.tableHeader, column));
    }
    // A rule under the headings.
    const int rule = std::max(1, (layout.tableHeader.bottom - layout.tableHeader.top) / 16);
    const RECT under{layout.content.left, layout.tableHeader.bottom - rule, layout.content.right,
                     layout.tableHeader.bottom};
    ::FillRect(dc, &under, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));

    for (int row = 0; row < layout.rowsShown; ++row) {
        const CycleRow text = CycleRowAt(history, static_cast<std::size_t>(row));
        const Rect where = layout.Row(row);
        const std::wstring* cells[] = {&text.start, &text.length, &text.difference, &text.note};
        for (int column = 0; column < kSummaryColumns; ++column) {
            DrawLine(dc, textFont.Get(), *cells[column], cell(where, column));
        }
    }
    if (layout.hasMoreLine) {
        const auto hidden = static_cast<long long>(CycleRowCount(history)) - layout.rowsShown;
        DrawLine(dc, textFont.Get(), FormatCountString(IDS_SUMMARY_MORE, hidden), layout.moreLine);
    }
}

bool SummaryJobInfo::PrintPage(UINT page, HDC dc) {
    if (!IsValidPage(page)) {
        return false;
    }
    const SummaryPage summary(dc, history, cycleLength);
    summary.Draw(dc);
    return true;
}
