// Setting a password: to protect her calendar, to change the password, or to
// choose a new one with the recovery key when she forgot it. First the
// passwords (checked as they are typed in), then, once the keys are made off
// the window's thread, the new recovery key, shown this once, with Save as
// text file and Print; Finish only after she ticks that she kept it.
//
//   ProtectDlg protect(owner, ProtectDlg::Mode::TurnOn, {});
//   if (protect.DoModal(owner) == IDOK) { data.Protect(protect.TakeProtection().key); }
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
#include <optional>
#include <string>
#include <vector>

class ProtectDlg : public CDialogImpl<ProtectDlg>, public TransparentDlg {
public:
    enum { IDD = IDD_PROTECT };
    enum class Mode {
        TurnOn,  // a new password
        Change,  // her password, then a new one
        Recover, // the recovery key, then a new password
    };

    // `header` is the sealed file's header (Change, Recover); empty for TurnOn.
    ProtectDlg(HWND owner, Mode mode, std::vector<std::uint8_t> header);
    ~ProtectDlg() override;

    // After IDOK: the new protection (its key and recovery key).
    keyring::Protection TakeProtection() { return std::move(*protection); }
    // After IDOK in Recover: the key that opens the files as they are.
    keyring::SealingKey TakeOpenedKey() { return std::move(openedKey); }
    // What the message line says now (empty when nothing).
    std::wstring MessageText() const;

    BEGIN_MSG_MAP(ProtectDlg)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_CTLCOLORSTATIC, OnColorStatic)
        COMMAND_ID_HANDLER(IDOK, OnNext)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
        COMMAND_ID_HANDLER(IDC_KEY_SAVE, OnSaveKey)
        COMMAND_ID_HANDLER(IDC_KEY_PRINT, OnPrintKey)
        COMMAND_ID_HANDLER(IDC_KEY_KEPT, OnKept)
    END_MSG_MAP()

    // The keys made, or why not.
    struct Made {
        keyring::Unlock status = keyring::Unlock::Failed;
        std::optional<keyring::Protection> protection;
        keyring::SealingKey openedKey; // Recover only
    };

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnColorStatic(UINT, WPARAM wParam, LPARAM lParam, BOOL&);
    LRESULT OnNext(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnSaveKey(WORD, WORD, HWND, BOOL&);
    LRESULT OnPrintKey(WORD, WORD, HWND, BOOL&);
    LRESULT OnKept(WORD, WORD, HWND, BOOL&);

    // The password page: false (with the reason shown) when it is not fit.
    bool CheckEntries();
    void StartMaking();
    void KeysMade(Made made);
    void ShowKeyPage();
    void ShowWorking(bool working);
    void SetMessage(UINT text);
    // A message box over the dialog, for what went wrong outside it.
    void Warn(const std::wstring& text) const;
    // The key file's text: heading, key, what it is for.
    std::wstring KeyText() const;

    Mode mode;
    std::vector<std::uint8_t> header;
    std::optional<keyring::Protection> protection;
    keyring::SealingKey openedKey;
    gdi::Font labelFont;
    gdi::Font titleFont;
    gdi::Font keyFont;
    std::unique_ptr<BackgroundWork<Made>> work;
    bool working = false;
    bool onKeyPage = false;
    bool finished = false;
};
