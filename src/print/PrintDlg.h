// The print dialog: which printer, its driver's own settings, which years.
// Closed with Print, it leaves the chosen printer's name and the year list
// for the print command to read.
#pragma once

#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "print/DeviceSettings.h"
#include "print/PrintChoices.h"
#include "resource.h"
#include "skin/TransparentDlg.h"

#include <windows.h>
#include <winspool.h>

#include <string>
#include <vector>

// The spooler queries the dialog makes; tests put their own printers here.
struct SpoolerCalls {
    decltype(&::EnumPrintersW) enumPrinters = &::EnumPrintersW;
    decltype(&::GetDefaultPrinterW) getDefaultPrinter = &::GetDefaultPrinterW;
};

struct PrinterEntry {
    std::wstring printerName;
    std::wstring serverName; // empty for a printer of this machine
};

class PrintDlg : public CDialogImpl<PrintDlg>, public TransparentDlg {
public:
    enum { IDD = IDD_PRINT };

    // `printerName` is the printer chosen last (empty the first time): it is
    // preselected. `settings` is changed in place by a printer change and by
    // the driver's properties dialog, also when the dialog is cancelled.
    PrintDlg(HWND view, const std::wstring& printerName, DeviceSettings& settings,
             SpoolerCalls spooler = {});
    ~PrintDlg() override = default;

    BEGIN_MSG_MAP(PrintDlg)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDOK, OnClose)
        COMMAND_ID_HANDLER(IDCANCEL, OnClose)
        COMMAND_ID_HANDLER(IDC_PRINT_PROPERTIES, OnProperties)
        COMMAND_ID_HANDLER(IDC_PRINTER, OnPrinterCommand)
        MESSAGE_HANDLER(WM_CTLCOLORSTATIC, OnColorStatic)
    END_MSG_MAP()

    // After IDOK: the chosen printer and the years, one page each.
    const std::wstring& PrinterName() const { return chosenPrinter; }
    const std::vector<int>& Years() const { return years; }
    // The printers in the order the spooler listed them.
    const std::vector<PrinterEntry>& Printers() const { return printers; }

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnClose(WORD, WORD id, HWND, BOOL&);
    LRESULT OnProperties(WORD, WORD, HWND, BOOL&);
    LRESULT OnPrinterCommand(WORD code, WORD, HWND, BOOL& handled);
    LRESULT OnColorStatic(UINT, WPARAM wParam, LPARAM lParam, BOOL&);

    bool ListPrinters();
    void FillPrinterCombo();
    void Preselect();
    std::wstring DefaultPrinter() const;
    // The list entry of the combo's selection, or null with nothing selected.
    const PrinterEntry* SelectedPrinter() const;
    YearChoice CheckedYearChoice() const;

    gdi::Font dialogFont;
    std::vector<PrinterEntry> printers;
    std::wstring chosenPrinter;
    std::vector<int> years;
    HWND printerCombo = nullptr;
    HWND thisYearRadio = nullptr;
    HWND lastTwoYearsRadio = nullptr;
    HWND allYearsRadio = nullptr;
    DeviceSettings& settings;
    SpoolerCalls spooler;
};
