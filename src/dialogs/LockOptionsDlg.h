// When her protected calendar locks by itself: with Windows, and after a
// chosen number of minutes without her keyboard or mouse.
//
//   LockOptionsDlg options(owner, current);
//   if (options.DoModal(owner) == IDOK) { ...store options.Chosen()... }
#pragma once

#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "skin/TransparentDlg.h"

#include "resource.h"

#include <windows.h>

struct LockChoices {
    bool withWindows = true;
    int idleMinutes = 0; // one of idle::kMinuteChoices; 0 never
};

class LockOptionsDlg : public CDialogImpl<LockOptionsDlg>, public TransparentDlg {
public:
    enum { IDD = IDD_LOCK_OPTIONS };

    LockOptionsDlg(HWND owner, LockChoices current);

    // After IDOK.
    const LockChoices& Chosen() const { return choices; }

    BEGIN_MSG_MAP(LockOptionsDlg)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_CTLCOLORSTATIC, OnColorStatic)
        COMMAND_ID_HANDLER(IDOK, OnOk)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnColorStatic(UINT, WPARAM wParam, LPARAM lParam, BOOL&);
    LRESULT OnOk(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);

    LockChoices choices;
    gdi::Font labelFont;
    gdi::Font titleFont;
};
