#include "dialogs/CycleHistoryDlg.h"

#include <utility>

#include <commctrl.h>

#include "cycle/CalendarData.h"
#include "dialogs/HistoryTransfer.h"
#include "framework/AppModule.h"
#include "framework/ListViewText.h"
#include "framework/ResourceText.h"
#include "history/FollowCycles.h"
#include "history/Predictions.h"
#include "print/SummaryPrint.h"

namespace {

constexpr COLORREF kTitleColour = RGB(253, 232, 240);
constexpr COLORREF kHeadingColour = RGB(215, 24, 62);
constexpr COLORREF kTextColour = RGB(0, 0, 0);

// Shares of the list's width, in percent, in the order of CycleRow.
constexpr int kColumnPercent[] = {44, 13, 15, 28};

gdi::Font MakeTitleFont(const DisplayScale& scale) {
    return gdi::MakeFont(L"Comic Sans MS", -scale.FontHeight(22), FW_BOLD, ANTIALIASED_QUALITY);
}

struct ControlText {
    int control;
    UINT text;
};

constexpr ControlText kControlTexts[] = {
    {IDC_HISTORY_TITLE, IDS_HISTORY_TITLE},
    {IDC_HISTORY_CYCLES_LABEL, IDS_HISTORY_CYCLES_LABEL},
    {IDC_HISTORY_FOLLOW, IDS_HISTORY_FOLLOW},
    {IDC_HISTORY_PRINT, IDS_HISTORY_PRINT},
    {IDC_HISTORY_EXPORT, IDS_HISTORY_EXPORT},
    {IDC_HISTORY_IMPORT, IDS_HISTORY_IMPORT},
    {IDCANCEL, IDS_HISTORY_CLOSE},
};

std::wstring JoinLines(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (const std::wstring& line : lines) {
        if (!text.empty()) {
            text += L"\r\n";
        }
        text += line;
    }
    return text;
}

} // namespace

CycleHistoryDlg::CycleHistoryDlg(HWND view, CalendarData& calendarData,
                                 std::wstring& viewPrinterName, DeviceSettings& viewPrinterSettings,
                                 imports::ImportUndo& viewLastImport,
                                 std::function<void(HWND owner)> whenExporting)
    : TransparentDlg(view), labelFont(MakeLabelFont()), titleFont(MakeTitleFont(DisplayScale())),
      data(calendarData), printerName(viewPrinterName), printerSettings(viewPrinterSettings),
      lastImport(viewLastImport), beforeExport(std::move(whenExporting)) {}

CycleHistoryDlg::~CycleHistoryDlg() = default;

LRESULT CycleHistoryDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    InitBackground(hwnd_, L"dlg_history");
    labelFont = MakeLabelFont(Scale());
    titleFont = MakeTitleFont(Scale());
    SetTexts();
    // Statics select their own font after asking for colours: each gets the
    // one it shows as its own.
    SetStaticFonts(hwnd_, labelFont.Get());
    ::SendMessageW(GetDlgItem(IDC_HISTORY_TITLE), WM_SETFONT,
                   reinterpret_cast<WPARAM>(titleFont.Get()), FALSE);
    const HWND follow = GetDlgItem(IDC_HISTORY_FOLLOW);
    RemoveVisualStyle(follow);
    ::SendMessageW(follow, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont.Get()), FALSE);
    ::SendMessageW(follow, BM_SETCHECK, IsFollowingCycles() ? BST_CHECKED : BST_UNCHECKED, 0);

    PlaceChart();
    AddColumns();
    Refresh();
    // The list first, for the arrow keys.
    ::SetFocus(GetDlgItem(IDC_HISTORY_CYCLES));
    return FALSE;
}

void CycleHistoryDlg::SetTexts() {
    // No caption shows it, but a screen reader names the dialog by it.
    ::SetWindowTextW(hwnd_, LoadResourceString(IDS_HISTORY_TITLE).c_str());
    for (const ControlText& item : kControlTexts) {
        ::SetDlgItemTextW(hwnd_, item.control, LoadResourceString(item.text).c_str());
    }
    NameAfterLabel(hwnd_, IDC_HISTORY_CYCLES, IDS_HISTORY_CYCLES_LABEL);
}

// The template holds a placeholder where the chart goes; the chart takes its
// place, and its place in the tab order, which it never stops at.
void CycleHistoryDlg::PlaceChart() {
    const HWND placeholder = GetDlgItem(IDC_HISTORY_CHART);
    const RECT place = CWindow(placeholder).GetRectIn(hwnd_);
    chart.emplace(ComposedDC(), Scale());
    chart->Create(hwnd_, place, nullptr, WS_CHILD | WS_VISIBLE, 0, IDC_HISTORY_CHART);
    ::SetWindowPos(*chart, placeholder, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::DestroyWindow(placeholder);
}

void CycleHistoryDlg::AddColumns() {
    const HWND list = GetDlgItem(IDC_HISTORY_CYCLES);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    RECT client{};
    ::GetClientRect(list, &client);
    const int width = client.right - ::GetSystemMetrics(SM_CXVSCROLL);
    const std::vector<std::wstring> names = CycleColumnNames();
    for (std::size_t i = 0; i < names.size(); ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
        column.fmt = i == 0 || i == 3 ? LVCFMT_LEFT : LVCFMT_RIGHT;
        column.cx = width * kColumnPercent[i] / 100;
        column.pszText = const_cast<wchar_t*>(names[i].c_str());
        column.iSubItem = static_cast<int>(i);
        ListView_InsertColumn(list, static_cast<int>(i), &column);
    }
}

void CycleHistoryDlg::Refresh() {
    history = ComputeCycleHistory(data.Marks());
    cachedRow = static_cast<std::size_t>(-1);
    chart->Show(history, ChartDescription(history));
    ShowFigures();

    const HWND list = GetDlgItem(IDC_HISTORY_CYCLES);
    const int rows = static_cast<int>(CycleRowCount(history));
    ListView_SetItemCountEx(list, rows, 0);
    // Her latest start is where reading begins.
    if (rows > 0 && ListView_GetNextItem(list, -1, LVNI_FOCUSED) < 0) {
        ListView_SetItemState(list, 0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    }
    ::InvalidateRect(list, nullptr, TRUE);

    const HWND use = GetDlgItem(IDC_HISTORY_USE);
    ::SetWindowTextW(use, UseButtonText(history).c_str());
    ::EnableWindow(use, history.typicalLength.has_value());
}

void CycleHistoryDlg::ShowFigures() {
    ::SetDlgItemTextW(hwnd_, IDC_HISTORY_HEADING, FiguresHeading(history).c_str());
    ::SetDlgItemTextW(hwnd_, IDC_HISTORY_FIGURES,
                      JoinLines(FigureLines(history, data.GetCycleLength())).c_str());
}

LRESULT CycleHistoryDlg::OnColorStatic(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    const auto dc = reinterpret_cast<HDC>(wParam);
    const auto control = reinterpret_cast<HWND>(lParam);
    const HBRUSH brush = ColorStatic(dc, control);
    switch (::GetDlgCtrlID(control)) {
    case IDC_HISTORY_TITLE:
        ::SelectObject(dc, titleFont.Get());
        ::SetTextColor(dc, kTitleColour);
        break;
    case IDC_HISTORY_HEADING:
        ::SelectObject(dc, labelFont.Get());
        ::SetTextColor(dc, kHeadingColour);
        break;
    default:
        ::SelectObject(dc, labelFont.Get());
        ::SetTextColor(dc, kTextColour);
        break;
    }
    return reinterpret_cast<LRESULT>(brush);
}

LRESULT CycleHistoryDlg::OnNotify(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
    const std::optional<listview::Cell> cell = listview::TextAsked(lParam, IDC_HISTORY_CYCLES);
    if (!cell) {
        handled = FALSE;
        return 0;
    }
    listview::Answer(lParam, CellText(*cell));
    return 0;
}

std::wstring CycleHistoryDlg::CellText(const listview::Cell& cell) {
    if (cell.row != cachedRow) {
        cachedText = CycleRowAt(history, cell.row);
        cachedRow = cell.row;
    }
    const std::wstring* cells[] = {&cachedText.start, &cachedText.length, &cachedText.difference,
                                   &cachedText.note};
    return cell.column >= 0 && cell.column < 4 ? *cells[cell.column] : L"";
}

LRESULT CycleHistoryDlg::OnClose(WORD, WORD, HWND, BOOL&) {
    EndDialog(IDCANCEL);
    return 0;
}

LRESULT CycleHistoryDlg::OnUse(WORD, WORD, HWND, BOOL&) {
    if (history.typicalLength) {
        data.SetCycleLength(PredictionCycleFor(*history.typicalLength));
        ShowFigures();
    }
    return 0;
}

LRESULT CycleHistoryDlg::OnFollow(WORD, WORD, HWND control, BOOL&) {
    const bool on = ::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
    if (!StoreFollowingCycles(hwnd_, on)) {
        ::SendMessageW(control, BM_SETCHECK, on ? BST_UNCHECKED : BST_CHECKED, 0);
        return 0;
    }
    // Following starts now, not at the next mark.
    if (on && ApplyTypicalCycle(data)) {
        ShowFigures();
    }
    return 0;
}

LRESULT CycleHistoryDlg::OnPrint(WORD, WORD, HWND, BOOL&) {
    RunSummaryPrint(hwnd_, printerName, printerSettings, history, data.GetCycleLength());
    return 0;
}

LRESULT CycleHistoryDlg::OnExport(WORD, WORD, HWND, BOOL&) {
    if (beforeExport) {
        beforeExport(hwnd_);
    }
    export_ = ExportHistory(hwnd_, data);
    return 0;
}

LRESULT CycleHistoryDlg::OnImport(WORD, WORD, HWND, BOOL&) {
    if (ImportHistory(hwnd_, data, lastImport)) {
        Refresh();
    }
    return 0;
}
