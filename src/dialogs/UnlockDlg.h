// The password dialog: opens her protected calendar at start, takes the
// password away (after asking it), or opens a protected copy that an older
// Lunabel set aside. The key is derived off the window's thread; a wrong
// password is said in the dialog, and she tries again.
//
//   UnlockDlg unlock(owner, UnlockDlg::Purpose::Open, header);
//   if (unlock.DoModal(owner) == IDOK) { data.Unlock(unlock.TakeKey()); }
//
// At start, IDC_FORGOT_PASSWORD ends it for the recovery key instead.
#pragma once

#include "crypto/KeyRing.h"
#include "framework/BackgroundWork.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "skin/TransparentDlg.h"

#include "resource.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

class UnlockDlg : public CDialogImpl<UnlockDlg>, public TransparentDlg {
public:
    enum { IDD = IDD_UNLOCK };
    enum class Purpose { Open, Remove, OpenCopy };

    // `header` is the file's header (or its first bytes) the password must fit.
    UnlockDlg(HWND owner, Purpose purpose, std::vector<std::uint8_t> header);
    ~UnlockDlg() override;

    // After IDOK: the key of the file.
    keyring::SealingKey TakeKey() { return std::move(key); }
    // What the message under the password says now (empty when nothing).
    std::wstring MessageText() const;

    BEGIN_MSG_MAP(UnlockDlg)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_CTLCOLORSTATIC, OnColorStatic)
        COMMAND_ID_HANDLER(IDOK, OnUnlock)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
        COMMAND_ID_HANDLER(IDC_FORGOT_PASSWORD, OnForgot)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnColorStatic(UINT, WPARAM wParam, LPARAM lParam, BOOL&);
    LRESULT OnUnlock(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnForgot(WORD, WORD, HWND, BOOL&);

    void Unlocked(keyring::Unlocked result);
    // While the key is derived, nothing can be typed or pressed but Cancel.
    void ShowWorking(bool working);
    void SetMessage(UINT text);

    Purpose purpose;
    std::vector<std::uint8_t> header;
    keyring::SealingKey key;
    gdi::Font labelFont;
    gdi::Font titleFont;
    std::unique_ptr<BackgroundWork<keyring::Unlocked>> work;
    bool working = false;
    bool finished = false;
};
