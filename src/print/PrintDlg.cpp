#include "print/PrintDlg.h"

#include "cycle/CalendarData.h"
#include "framework/AppModule.h"
#include "framework/PrintJob.h"

namespace {

bool IsChecked(HWND button) {
    return ::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

} // namespace

PrintDlg::PrintDlg(HWND view, const std::wstring& printerName, DeviceSettings& heldSettings,
                   SpoolerCalls spoolerCalls)
    : TransparentDlg(view), dialogFont(MakeLabelFont()), chosenPrinter(printerName),
      settings(heldSettings), spooler(spoolerCalls) {}

LRESULT PrintDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    InitBackground(hwnd_, L"dlg_print");
    dialogFont = MakeLabelFont(Scale());

    printerCombo = GetDlgItem(IDC_PRINTER);
    thisYearRadio = GetDlgItem(IDC_THIS_YEAR);
    lastTwoYearsRadio = GetDlgItem(IDC_LAST_TWO_YEARS);
    allYearsRadio = GetDlgItem(IDC_ALL_MARKED_YEARS);

    // The range is not remembered: every opening starts on this year.
    ::SendMessageW(thisYearRadio, BM_SETCHECK, BST_CHECKED, 0);
    for (HWND radio : {thisYearRadio, allYearsRadio, lastTwoYearsRadio}) {
        RemoveVisualStyle(radio);
        ::SendMessageW(radio, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont.Get()), TRUE);
    }
    SetStaticFonts(hwnd_, dialogFont.Get());

    if (!ListPrinters()) {
        ::MessageBoxW(hwnd_, LoadResourceString(IDS_NO_PRINTERS).c_str(),
                      LoadResourceString(IDS_APP_NAME).c_str(), MB_ICONINFORMATION);
        EndDialog(IDCANCEL);
        return FALSE;
    }
    FillPrinterCombo();
    Preselect();
    return TRUE;
}

bool PrintDlg::ListPrinters() {
    constexpr DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD needed = 0;
    DWORD returned = 0;
    spooler.enumPrinters(flags, nullptr, 4, nullptr, 0, &needed, &returned);
    if (needed < sizeof(PRINTER_INFO_4W)) {
        return false;
    }
    std::vector<std::byte> buffer(needed);
    if (spooler.enumPrinters(flags, nullptr, 4, reinterpret_cast<BYTE*>(buffer.data()), needed,
                             &needed, &returned)) {
        const auto* info = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
        for (DWORD i = 0; i < returned; ++i) {
            printers.push_back({info[i].pPrinterName ? info[i].pPrinterName : L"",
                                info[i].pServerName ? info[i].pServerName : L""});
        }
    }
    return true;
}

void PrintDlg::FillPrinterCombo() {
    for (std::size_t i = 0; i < printers.size(); ++i) {
        const std::wstring label = PrinterLabel(printers[i].printerName, printers[i].serverName);
        const LRESULT index =
            ::SendMessageW(printerCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label.c_str()));
        // The combo sorts: the item data leads back to the list entry.
        ::SendMessageW(printerCombo, CB_SETITEMDATA, static_cast<WPARAM>(index),
                       static_cast<LPARAM>(i));
    }
}

std::wstring PrintDlg::DefaultPrinter() const {
    DWORD length = 0;
    if (spooler.getDefaultPrinter(nullptr, &length) ||
        ::GetLastError() != ERROR_INSUFFICIENT_BUFFER || length == 0) {
        return {};
    }
    std::wstring name(length, L'\0');
    if (!spooler.getDefaultPrinter(name.data(), &length)) {
        return {};
    }
    name.resize(::wcsnlen(name.c_str(), name.size()));
    return name;
}

void PrintDlg::Preselect() {
    if (chosenPrinter.empty()) {
        chosenPrinter = DefaultPrinter();
    }
    if (chosenPrinter.empty() && !printers.empty()) {
        chosenPrinter = printers.front().printerName;
    }
    for (std::size_t entry = 0; entry < printers.size(); ++entry) {
        if (SamePrinterName(printers[entry].printerName, chosenPrinter)) {
            const LRESULT count = ::SendMessageW(printerCombo, CB_GETCOUNT, 0, 0);
            for (LRESULT item = 0; item < count; ++item) {
                if (static_cast<std::size_t>(::SendMessageW(
                        printerCombo, CB_GETITEMDATA, static_cast<WPARAM>(item), 0)) == entry) {
                    ::SendMessageW(printerCombo, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
                }
            }
            break;
        }
    }
}

const PrinterEntry* PrintDlg::SelectedPrinter() const {
    const LRESULT item = ::SendMessageW(printerCombo, CB_GETCURSEL, 0, 0);
    if (item == CB_ERR) {
        return nullptr;
    }
    const auto entry = static_cast<std::size_t>(
        ::SendMessageW(printerCombo, CB_GETITEMDATA, static_cast<WPARAM>(item), 0));
    return entry < printers.size() ? &printers[entry] : nullptr;
}

YearChoice PrintDlg::CheckedYearChoice() const {
    if (IsChecked(allYearsRadio)) {
        return YearChoice::AllYearsWithMarks;
    }
    if (IsChecked(lastTwoYearsRadio)) {
        return YearChoice::LastTwoYears;
    }
    return YearChoice::ThisYear;
}

LRESULT PrintDlg::OnClose(WORD, WORD id, HWND, BOOL&) {
    const PrinterEntry* selected = SelectedPrinter();
    if (id == IDOK && !selected) {
        // Nothing to print to: stay open until a printer is chosen.
        ::MessageBeep(MB_OK);
        return 0;
    }
    chosenPrinter.clear();
    if (id == IDOK) {
        chosenPrinter = selected->printerName;
        int firstMarkYear = 0;
        int lastMarkYear = 0;
        CalendarData::Instance().GetMarkYearRange(firstMarkYear, lastMarkYear);
        SYSTEMTIME today{};
        ::GetLocalTime(&today);
        years = YearsToPrint(CheckedYearChoice(), today.wYear, firstMarkYear, lastMarkYear);
    }
    printerCombo = thisYearRadio = lastTwoYearsRadio = allYearsRadio = nullptr;
    EndDialog(id);
    return 0;
}

LRESULT PrintDlg::OnProperties(WORD, WORD, HWND, BOOL&) {
    const PrinterEntry* selected = SelectedPrinter();
    if (!selected) {
        ::MessageBeep(MB_OK);
        return 0;
    }
    const std::wstring name = selected->printerName;
    PrinterHandle printer(name);
    if (!printer) {
        return 0;
    }
    DEVMODEW* devMode = PrepareSettingsFor(settings, printer.Get(), name);
    if (!devMode) {
        return 0;
    }
    ::DocumentPropertiesW(hwnd_, printer.Get(), const_cast<wchar_t*>(name.c_str()), devMode,
                          devMode, DM_IN_BUFFER | DM_IN_PROMPT | DM_OUT_BUFFER);
    return 0;
}

LRESULT PrintDlg::OnPrinterCommand(WORD code, WORD, HWND, BOOL& handled) {
    if (code != CBN_SELCHANGE) {
        handled = FALSE;
        return 0;
    }
    if (const PrinterEntry* selected = SelectedPrinter()) {
        // A new printer starts from its own defaults.
        PrinterHandle printer(selected->printerName);
        settings.CopyFromPrinter(printer.Get(), selected->printerName);
    }
    return 0;
}

LRESULT PrintDlg::OnColorStatic(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    const auto dc = reinterpret_cast<HDC>(wParam);
    const HBRUSH brush = ColorStatic(dc, reinterpret_cast<HWND>(lParam));
    ::SelectObject(dc, dialogFont.Get());
    ::SetTextColor(dc, RGB(255, 0, 0));
    return reinterpret_cast<LRESULT>(brush);
}
