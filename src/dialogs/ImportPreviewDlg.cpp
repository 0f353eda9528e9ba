#include "dialogs/ImportPreviewDlg.h"

#include <shlwapi.h>

#include <algorithm>
#include <utility>

#include "framework/ListViewText.h"
#include "framework/ResourceText.h"
#include "history/HistoryText.h"
#include "text/TextFormat.h"

namespace {

constexpr COLORREF kTitleColour = RGB(253, 232, 240);
constexpr COLORREF kTextColour = RGB(0, 0, 0);

// Shares of the list's width, in percent: the first day, then hers.
constexpr int kColumnPercent[] = {45, 55};

gdi::Font MakeTitleFont(const DisplayScale& scale) {
    return gdi::MakeFont(L"Comic Sans MS", -scale.FontHeight(22), FW_BOLD, ANTIALIASED_QUALITY);
}

struct ControlText {
    int control;
    UINT text;
};

constexpr ControlText kControlTexts[] = {
    {IDC_PREVIEW_TITLE, IDS_PREVIEW_TITLE},
    {IDC_PREVIEW_LIST_LABEL, IDS_PREVIEW_LIST_LABEL},
    {IDC_PREVIEW_ORDER_LABEL, IDS_PREVIEW_ORDER_LABEL},
    {IDOK, IDS_PREVIEW_ADD},
    {IDCANCEL, IDS_PREVIEW_CANCEL},
};

UINT ReasonText(imports::LeftOut reason) {
    switch (reason) {
    case imports::LeftOut::NoDate:
        return IDS_LEFT_OUT_NO_DATE;
    case imports::LeftOut::BadDate:
        return IDS_LEFT_OUT_BAD_DATE;
    case imports::LeftOut::WrongOrder:
        return IDS_LEFT_OUT_WRONG_ORDER;
    case imports::LeftOut::FutureDate:
        return IDS_LEFT_OUT_FUTURE;
    case imports::LeftOut::OtherEvent:
        return IDS_LEFT_OUT_OTHER_EVENT;
    case imports::LeftOut::Excluded:
        return IDS_LEFT_OUT_EXCLUDED;
    case imports::LeftOut::TooLong:
        return IDS_LEFT_OUT_TOO_LONG;
    case imports::LeftOut::TooWide:
        return IDS_LEFT_OUT_TOO_WIDE;
    }
    return IDS_LEFT_OUT_BAD_DATE;
}

// What a file nothing can be taken from turned out to be.
UINT RefusalText(const imports::ImportRead& read) {
    switch (read.shape) {
    case imports::FileShape::Empty:
        return IDS_IMPORT_EMPTY;
    case imports::FileShape::Table:
        return read.foundDateColumn ? IDS_IMPORT_NO_BLEEDING : IDS_IMPORT_NO_DATE_COLUMN;
    case imports::FileShape::Workbook:
        return IDS_IMPORT_WORKBOOK;
    case imports::FileShape::Json:
        return IDS_IMPORT_JSON;
    case imports::FileShape::Xml:
        return IDS_IMPORT_XML;
    case imports::FileShape::Archive:
        return IDS_IMPORT_ARCHIVE;
    case imports::FileShape::Database:
        return IDS_IMPORT_DATABASE;
    case imports::FileShape::Binary:
        return IDS_IMPORT_BINARY;
    }
    return IDS_IMPORT_BINARY;
}

std::wstring LeftOutText(const imports::ImportRead& read) {
    if (read.leftOutCount == 0) {
        return {};
    }
    const std::wstring separator = LoadResourceString(IDS_LIST_SEPARATOR);
    std::wstring list;
    for (const imports::LeftOutRow& row : read.firstLeftOut) {
        if (!list.empty()) {
            list += separator;
        }
        list +=
            FormatResourceString(IDS_PREVIEW_LINE, {std::to_wstring(row.line),
                                                    LoadResourceString(ReasonText(row.reason))});
    }
    const auto count = static_cast<long long>(read.leftOutCount);
    const auto more = count - static_cast<long long>(read.firstLeftOut.size());
    if (more > 0) {
        return FormatCountString(IDS_PREVIEW_LEFT_OUT_MORE, count, {list, std::to_wstring(more)});
    }
    return FormatCountString(IDS_PREVIEW_LEFT_OUT, count, {list});
}

// The file's first day, then whether it is new to her calendar.
std::wstring CellText(const imports::PeriodOnHers& row, int column) {
    if (column == 0) {
        return LongDate(row.imported);
    }
    if (row.hers == 0) {
        return LoadResourceString(IDS_PREVIEW_STATUS_NEW);
    }
    return FormatResourceString(IDS_PREVIEW_STATUS_HERS, {ShortDate(row.hers)});
}

std::wstring FileName(const std::wstring& path) {
    return ::PathFindFileNameW(path.c_str());
}

} // namespace

ImportPreviewDlg::ImportPreviewDlg(HWND owner, std::wstring file,
                                   const imports::ReadOptions& readOptions,
                                   std::vector<DateKey> herMarks, int herPeriodLength)
    : TransparentDlg(owner), path(std::move(file)), options(readOptions),
      marks(std::move(herMarks)), periodLength(herPeriodLength), labelFont(MakeLabelFont()),
      titleFont(MakeTitleFont(DisplayScale())) {
    // The progress bar's class is not among those a dialog finds registered.
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&classes);
}

ImportPreviewDlg::~ImportPreviewDlg() = default;

LRESULT ImportPreviewDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    InitBackground(hwnd_, L"dlg_import");
    labelFont = MakeLabelFont(Scale());
    titleFont = MakeTitleFont(Scale());
    SetTexts();
    SetStaticFonts(hwnd_, labelFont.Get());
    ::SendMessageW(GetDlgItem(IDC_PREVIEW_TITLE), WM_SETFONT,
                   reinterpret_cast<WPARAM>(titleFont.Get()), FALSE);
    const HWND order = GetDlgItem(IDC_PREVIEW_ORDER);
    for (const UINT text : {IDS_PREVIEW_DAY_FIRST, IDS_PREVIEW_MONTH_FIRST}) {
        ::SendMessageW(order, CB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(LoadResourceString(text).c_str()));
    }
    AddColumns();
    ::SendDlgItemMessageW(hwnd_, IDC_PREVIEW_PROGRESS, PBM_SETRANGE32, 0, 100);
    ShowReading(true);
    ::SetFocus(GetDlgItem(IDCANCEL));
    reading = std::make_unique<imports::BackgroundRead>(
        path, options,
        [this](int percent) {
            ::SendDlgItemMessageW(hwnd_, IDC_PREVIEW_PROGRESS, PBM_SETPOS, percent, 0);
        },
        [this](imports::ReadOutcome outcome) { Read(std::move(outcome)); });
    return FALSE;
}

void ImportPreviewDlg::SetTexts() {
    // No caption shows it, but a screen reader names the dialog by it.
    ::SetWindowTextW(hwnd_, LoadResourceString(IDS_PREVIEW_TITLE).c_str());
    for (const ControlText& item : kControlTexts) {
        ::SetDlgItemTextW(hwnd_, item.control, LoadResourceString(item.text).c_str());
    }
    // The order's box shows its choice and is named by the label before it.
    NameAfterLabel(hwnd_, IDC_PREVIEW_LIST, IDS_PREVIEW_LIST_LABEL);
    const std::wstring readingText = FormatResourceString(IDS_PREVIEW_READING, {FileName(path)});
    ::SetDlgItemTextW(hwnd_, IDC_PREVIEW_SUMMARY, readingText.c_str());
    ::SetDlgItemTextW(hwnd_, IDC_PREVIEW_PROGRESS, readingText.c_str());
}

void ImportPreviewDlg::AddColumns() {
    const HWND list = GetDlgItem(IDC_PREVIEW_LIST);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    RECT client{};
    ::GetClientRect(list, &client);
    const int width = client.right - ::GetSystemMetrics(SM_CXVSCROLL);
    const UINT names[] = {IDS_PREVIEW_COLUMN_START, IDS_PREVIEW_COLUMN_STATUS};
    for (int i = 0; i < 2; ++i) {
        std::wstring name = LoadResourceString(names[i]);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.cx = width * kColumnPercent[i] / 100;
        column.pszText = name.data();
        column.iSubItem = i;
        ListView_InsertColumn(list, i, &column);
    }
}

// While the file is read only the summary, the progress bar and Cancel show.
void ImportPreviewDlg::ShowReading(bool isReading) {
    ::ShowWindow(GetDlgItem(IDC_PREVIEW_PROGRESS), isReading ? SW_SHOW : SW_HIDE);
    for (const int control : {IDC_PREVIEW_LIST_LABEL, IDC_PREVIEW_LIST, IDC_PREVIEW_LEFT_OUT}) {
        ::ShowWindow(GetDlgItem(control), isReading ? SW_HIDE : SW_SHOW);
    }
    for (const int control : {IDC_PREVIEW_ORDER_LABEL, IDC_PREVIEW_ORDER}) {
        ::ShowWindow(GetDlgItem(control), !isReading && read.orderOpen ? SW_SHOW : SW_HIDE);
    }
    ::EnableWindow(GetDlgItem(IDOK), FALSE);
}

void ImportPreviewDlg::Read(imports::ReadOutcome outcome) {
    if (outcome.error == ERROR_CANCELLED) {
        return;
    }
    if (outcome.error != ERROR_SUCCESS) {
        ShowReading(false);
        ::SetDlgItemTextW(hwnd_, IDC_PREVIEW_SUMMARY,
                          FormatResourceString(IDS_IMPORT_READ_FAILED,
                                               {FileName(path), SystemErrorText(outcome.error)})
                              .c_str());
        return;
    }
    read = std::move(outcome.read);
    ShowReading(false);
    ::SendDlgItemMessageW(hwnd_, IDC_PREVIEW_ORDER, CB_SETCURSEL,
                          read.order == imports::DateOrder::DayFirst ? 0 : 1, 0);
    Show(read.order);
}

void ImportPreviewDlg::Show(imports::DateOrder order) {
    const std::vector<imports::ImportedDay>& days =
        order == read.order || !read.orderOpen ? read.days : read.otherOrder;
    plan = imports::PlanImport(days, marks, periodLength);
    rows = plan.onHers;
    for (const DateKey start : plan.newStarts) {
        rows.push_back({start, 0});
    }
    std::sort(rows.begin(), rows.end(),
              [](const auto& a, const auto& b) { return a.imported < b.imported; });

    ::SetDlgItemTextW(hwnd_, IDC_PREVIEW_SUMMARY, SummaryText().c_str());
    ::SetDlgItemTextW(hwnd_, IDC_PREVIEW_LEFT_OUT, LeftOutText(read).c_str());
    const HWND list = GetDlgItem(IDC_PREVIEW_LIST);
    ListView_SetItemCountEx(list, static_cast<int>(rows.size()), 0);
    if (!rows.empty()) {
        ListView_SetItemState(list, 0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    }
    ::InvalidateRect(list, nullptr, TRUE);

    const bool adds = !plan.newStarts.empty();
    ::EnableWindow(GetDlgItem(IDOK), adds);
    // Enter adds where there is something to add, and closes where there is not.
    ::SendMessageW(hwnd_, DM_SETDEFID, adds ? IDOK : IDCANCEL, 0);
    ::SendDlgItemMessageW(hwnd_, adds ? IDCANCEL : IDOK, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    ::SendDlgItemMessageW(hwnd_, adds ? IDOK : IDCANCEL, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    if (::GetFocus() == GetDlgItem(IDCANCEL) || ::GetFocus() == nullptr) {
        ::SetFocus(rows.empty() ? GetDlgItem(IDCANCEL) : list);
    }
}

std::wstring ImportPreviewDlg::SummaryText() const {
    if (plan.StartsFound() == 0) {
        return JoinNonEmpty(
            {LoadResourceString(RefusalText(read)), LoadResourceString(IDS_IMPORT_WHAT_IS_READ)},
            L"\n");
    }
    const auto added = static_cast<long long>(plan.newStarts.size());
    const std::wstring news = added == 0 ? LoadResourceString(IDS_PREVIEW_NONE_NEW)
                                         : FormatCountString(IDS_PREVIEW_NEW, added,
                                                             {LongDate(plan.newStarts.front()),
                                                              LongDate(plan.newStarts.back())});
    const std::wstring onHers =
        plan.onHers.empty()
            ? std::wstring()
            : FormatCountString(IDS_PREVIEW_ON_HERS, static_cast<long long>(plan.onHers.size()));
    return JoinNonEmpty({news, onHers}, L"\n");
}

LRESULT ImportPreviewDlg::OnColorStatic(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    const auto dc = reinterpret_cast<HDC>(wParam);
    const auto control = reinterpret_cast<HWND>(lParam);
    const HBRUSH brush = ColorStatic(dc, control);
    const bool title = ::GetDlgCtrlID(control) == IDC_PREVIEW_TITLE;
    ::SelectObject(dc, title ? titleFont.Get() : labelFont.Get());
    ::SetTextColor(dc, title ? kTitleColour : kTextColour);
    return reinterpret_cast<LRESULT>(brush);
}

LRESULT ImportPreviewDlg::OnNotify(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
    const std::optional<listview::Cell> cell = listview::TextAsked(lParam, IDC_PREVIEW_LIST);
    if (!cell) {
        handled = FALSE;
        return 0;
    }
    if (cell->row < rows.size()) {
        listview::Answer(lParam, CellText(rows[cell->row], cell->column));
    }
    return 0;
}

LRESULT ImportPreviewDlg::OnAdd(WORD, WORD, HWND, BOOL&) {
    if (!plan.newStarts.empty()) {
        EndDialog(IDOK);
    }
    return 0;
}

LRESULT ImportPreviewDlg::OnCancel(WORD, WORD, HWND, BOOL&) {
    reading.reset();
    EndDialog(IDCANCEL);
    return 0;
}

LRESULT ImportPreviewDlg::OnOrderChosen(WORD notifyCode, WORD, HWND control, BOOL&) {
    if (notifyCode != CBN_SELCHANGE) {
        return 0;
    }
    const auto chosen = ::SendMessageW(control, CB_GETCURSEL, 0, 0);
    Show(chosen == 1 ? imports::DateOrder::MonthFirst : imports::DateOrder::DayFirst);
    return 0;
}
