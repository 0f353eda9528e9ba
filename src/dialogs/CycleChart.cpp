#include "dialogs/CycleChart.h"

#include "history/ChartPainter.h"
#include "skin/PaintBuffer.h"

CycleChart::CycleChart(HDC skinPicture, const DisplayScale& scale)
    : skin(skinPicture), numberFont(gdi::MakeFont(L"Comic Sans MS", -scale.FontHeight(11), FW_BOLD,
                                                  ANTIALIASED_QUALITY)) {}

CycleChart::~CycleChart() {
    if (IsWindow()) {
        DestroyWindow();
    }
}

void CycleChart::Show(const CycleHistory& history, const std::wstring& description) {
    recent = history.RecentCycles();
    medianTenths = history.figures.medianTenths;
    ::SetWindowTextW(hwnd_, description.c_str());
    Invalidate(FALSE);
}

LRESULT CycleChart::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
    const gdi::PaintScope paint(hwnd_);
    const HDC dc = paint.Get();
    {
        PaintBuffer buffer(dc);
        const RECT client = GetClientRect();
        const RECT place = GetRectIn(GetParent());
        ::BitBlt(buffer, 0, 0, client.right, client.bottom, skin, place.left, place.top, SRCCOPY);
        DrawCycleChart(buffer, client, recent, medianTenths, numberFont.Get());
    }
    return 0;
}
