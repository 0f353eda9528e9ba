// The help dialog: a few pages of pictures with captions, paged with
// "<<", "<", ">" and ">>". Changes nothing.
//
//   HelpDlg dialog(view);
//   dialog.DoModal(view);
#pragma once

#include "dialogs/SlideShow.h"
#include "framework/Dialog.h"
#include "skin/TransparentDlg.h"

#include "resource.h"

#include <windows.h>

class HelpDlg : public CDialogImpl<HelpDlg>, public TransparentDlg {
public:
    enum { IDD = IDD_HELP };

    explicit HelpDlg(HWND view);
    ~HelpDlg() override;

    const SlideShow& Slides() const { return slideShow; }

    BEGIN_MSG_MAP(HelpDlg)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_CTLCOLORSTATIC, OnCtlColorStatic)
        COMMAND_ID_HANDLER(IDOK, OnClose)
        COMMAND_ID_HANDLER(IDCANCEL, OnClose)
        COMMAND_RANGE_HANDLER(IDC_FIRST_SLIDE, IDC_LAST_SLIDE, OnNavigate)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnClose(WORD, WORD id, HWND, BOOL&);
    LRESULT OnNavigate(WORD, WORD id, HWND, BOOL&);
    void UpdateNavigation();

    SlideShow slideShow;
};
