// What an import would add, shown before anything is added: the file she
// chose is read off the window's thread (a progress bar and Cancel while it
// lasts), then the new period starts, the periods that fall on hers, the rows
// left out and why, and the order of day and month where the file leaves it
// open. A file nothing can be taken from says what it is and what is read.
//
//   ImportPreviewDlg preview(owner, path, ReadOptionsForUser(), data);
//   if (preview.DoModal(owner) == IDOK) { ...add preview.StartsToAdd()... }
#pragma once

#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "import/BackgroundRead.h"
#include "import/ImportPlan.h"
#include "import/ImportRead.h"
#include "skin/TransparentDlg.h"

#include "resource.h"

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

class ImportPreviewDlg : public CDialogImpl<ImportPreviewDlg>, public TransparentDlg {
public:
    enum { IDD = IDD_IMPORT_PREVIEW };

    // `marks` and `periodLength` are hers, for the periods the file shares.
    ImportPreviewDlg(HWND owner, std::wstring path, const imports::ReadOptions& options,
                     std::vector<DateKey> marks, int periodLength);
    ~ImportPreviewDlg() override;

    // After IDOK, ascending.
    const std::vector<DateKey>& StartsToAdd() const { return plan.newStarts; }
    // Once read: what the summary says (for tests, and what a screen reader reads).
    std::wstring SummaryText() const;

    BEGIN_MSG_MAP(ImportPreviewDlg)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_CTLCOLORSTATIC, OnColorStatic)
        MESSAGE_HANDLER(WM_NOTIFY, OnNotify)
        COMMAND_ID_HANDLER(IDOK, OnAdd)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
        COMMAND_ID_HANDLER(IDC_PREVIEW_ORDER, OnOrderChosen)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnColorStatic(UINT, WPARAM wParam, LPARAM lParam, BOOL&);
    LRESULT OnNotify(UINT, WPARAM, LPARAM lParam, BOOL& handled);
    LRESULT OnAdd(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnOrderChosen(WORD, WORD, HWND, BOOL&);

    void SetTexts();
    void AddColumns();
    void ShowReading(bool reading);
    void Read(imports::ReadOutcome outcome);
    // Plans again from the days read in `order` and shows the plan.
    void Show(imports::DateOrder order);

    std::wstring path;
    imports::ReadOptions options;
    std::vector<DateKey> marks;
    int periodLength;
    gdi::Font labelFont;
    gdi::Font titleFont;
    std::unique_ptr<imports::BackgroundRead> reading;
    imports::ImportRead read;
    imports::ImportPlan plan;
    // The list's rows: the file's period starts, ascending, with hers where they fall on one.
    std::vector<imports::PeriodOnHers> rows;
};
