// Modal dialogs from templates, with the same message maps as windows.
//
//   class NameDlg : public CDialogImpl<NameDlg> {
//   public:
//       enum { IDD = IDD_NAME };
//       BEGIN_MSG_MAP(NameDlg)
//           MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
//           COMMAND_ID_HANDLER(IDOK, OnClose)
//           COMMAND_ID_HANDLER(IDCANCEL, OnClose)
//       END_MSG_MAP()
//       ...
//   };
//   NameDlg dlg;
//   if (dlg.DoModal(owner) == IDOK) ...
//
// What a map leaves unhandled gets the system's default dialog handling.
#pragma once

#include "framework/AppModule.h"
#include "framework/Window.h"

class CDialogImplRoot : public CWindow {
public:
    CDialogImplRoot() = default;
    CDialogImplRoot(const CDialogImplRoot&) = delete;
    CDialogImplRoot& operator=(const CDialogImplRoot&) = delete;

    virtual BOOL ProcessWindowMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam,
                                      LRESULT& result) = 0;
    virtual ~CDialogImplRoot() = default;
    virtual void OnFinalMessage(HWND) {}

    BOOL EndDialog(int result) { return ::EndDialog(hwnd_, result); }

    // From an in-memory template, e.g. one built at run time.
    INT_PTR DoModalIndirect(const DLGTEMPLATE* dialogTemplate, HWND owner, LPARAM initParam = 0);

protected:
    INT_PTR DoModalFromResource(const wchar_t* templateName, HWND owner, LPARAM initParam);
    // Keeps the object in DWLP_USER, so dialogs must leave that slot alone.
    static INT_PTR CALLBACK DialogProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    // Handed to WM_INITDIALOG in place of the object the system passes.
    LPARAM initParam_ = 0;
};

template <class T> class CDialogImpl : public CDialogImplRoot {
public:
    // The answer given to EndDialog, or -1 if the dialog could not be made.
    INT_PTR DoModal(HWND owner = ::GetActiveWindow(), LPARAM initParam = 0) {
        return DoModalFromResource(MAKEINTRESOURCEW(T::IDD), owner, initParam);
    }
};
