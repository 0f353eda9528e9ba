// The About box: name and version, links to the web site and to support.
// Modal, changes nothing.
//
//   CAboutDlg about(view);
//   about.DoModal(view);
#pragma once

#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "framework/HyperLink.h"
#include "skin/TransparentDlg.h"

#include "resource.h"

#include <windows.h>

class CAboutDlg : public CDialogImpl<CAboutDlg>, public TransparentDlg {
public:
    enum { IDD = IDD_ABOUT };

    explicit CAboutDlg(HWND view);
    ~CAboutDlg() override;

    BEGIN_MSG_MAP(CAboutDlg)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDOK, OnClose)
        COMMAND_ID_HANDLER(IDCANCEL, OnClose)
        MESSAGE_HANDLER(WM_CTLCOLORSTATIC, OnColorStatic)
    END_MSG_MAP()

    const CHyperLink& WebLink() const { return webLink; }
    const CHyperLink& SupportLink() const { return supportLink; }

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnClose(WORD, WORD id, HWND, BOOL&);
    LRESULT OnColorStatic(UINT, WPARAM wParam, LPARAM lParam, BOOL&);

    CHyperLink webLink;
    CHyperLink supportLink;
    gdi::Font titleFont;
};
