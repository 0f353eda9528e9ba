// The cycle history: her cycles newest first, their figures in words, a
// chart of the recent ones, and what she can do with them: predictions from
// her own cycles, a printed summary, export and import. Every change of her
// data goes through CalendarData; the owner shows it once the dialog closes.
//
//   CycleHistoryDlg dialog(view, data, printerName, printerSettings, lastImport);
//   dialog.DoModal(view);
#pragma once

#include "cycle/CalendarData.h"
#include "dialogs/CycleChart.h"
#include "framework/Dialog.h"
#include "files/Files.h"
#include "framework/Gdi.h"
#include "framework/ListViewText.h"
#include "history/CycleHistory.h"
#include "history/HistoryText.h"
#include "import/ImportUndo.h"
#include "print/DeviceSettings.h"
#include "skin/TransparentDlg.h"

#include "resource.h"

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class CycleHistoryDlg : public CDialogImpl<CycleHistoryDlg>, public TransparentDlg {
public:
    enum { IDD = IDD_CYCLE_HISTORY };

    // `printerName` and `printerSettings` are the view's memory of the last
    // print: the summary preselects that printer and updates both.
    // `lastImport` keeps what an import here adds, for the view's Undo import.
    // `beforeExport` runs before the Save As of an export, over this dialog.
    CycleHistoryDlg(HWND view, CalendarData& data, std::wstring& printerName,
                    DeviceSettings& printerSettings, imports::ImportUndo& lastImport,
                    std::function<void(HWND owner)> beforeExport = nullptr);
    ~CycleHistoryDlg() override;

    BEGIN_MSG_MAP(CycleHistoryDlg)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_CTLCOLORSTATIC, OnColorStatic)
        MESSAGE_HANDLER(WM_NOTIFY, OnNotify)
        COMMAND_ID_HANDLER(IDCANCEL, OnClose)
        COMMAND_ID_HANDLER(IDC_HISTORY_USE, OnUse)
        COMMAND_ID_HANDLER(IDC_HISTORY_FOLLOW, OnFollow)
        COMMAND_ID_HANDLER(IDC_HISTORY_PRINT, OnPrint)
        COMMAND_ID_HANDLER(IDC_HISTORY_EXPORT, OnExport)
        COMMAND_ID_HANDLER(IDC_HISTORY_IMPORT, OnImport)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnColorStatic(UINT, WPARAM wParam, LPARAM lParam, BOOL&);
    LRESULT OnNotify(UINT, WPARAM, LPARAM lParam, BOOL& handled);
    LRESULT OnClose(WORD, WORD, HWND, BOOL&);
    LRESULT OnUse(WORD, WORD, HWND, BOOL&);
    LRESULT OnFollow(WORD, WORD, HWND, BOOL&);
    LRESULT OnPrint(WORD, WORD, HWND, BOOL&);
    LRESULT OnExport(WORD, WORD, HWND, BOOL&);
    LRESULT OnImport(WORD, WORD, HWND, BOOL&);

    void SetTexts();
    void PlaceChart();
    void AddColumns();
    // Works the history out again from the marks and shows it everywhere.
    void Refresh();
    void ShowFigures();
    // The list holds no items of its own: it asks for each cell's text.
    std::wstring CellText(const listview::Cell& cell);

    gdi::Font labelFont;
    gdi::Font titleFont;
    // Made once the skin it lies on is composed.
    std::optional<CycleChart> chart;
    CalendarData& data;
    CycleHistory history;
    std::wstring& printerName;
    DeviceSettings& printerSettings;
    imports::ImportUndo& lastImport;
    std::function<void(HWND owner)> beforeExport;
    // The row the list asked about last, and the text handed out for it.
    std::size_t cachedRow = static_cast<std::size_t>(-1);
    CycleRow cachedText;
    // An export still being written: its outcome is told when it ends.
    std::unique_ptr<files::BackgroundReplace> export_;
};
