#include "dialogs/UnlockDlg.h"

#include <utility>

#include "dialogs/DialogTexts.h"
#include "framework/AppModule.h"
#include "framework/ResourceText.h"

namespace {

struct PurposeTexts {
    UINT title;
    UINT prompt;
    UINT button;
};

PurposeTexts TextsOf(UnlockDlg::Purpose purpose) {
    switch (purpose) {
    case UnlockDlg::Purpose::Open:
        break;
    case UnlockDlg::Purpose::Remove:
        return {IDS_REMOVE_TITLE, IDS_REMOVE_PROMPT, IDS_REMOVE_BUTTON};
    case UnlockDlg::Purpose::OpenCopy:
        return {IDS_UNLOCK_TITLE, IDS_MERGE_PROMPT, IDS_UNLOCK_BUTTON};
    }
    return {IDS_UNLOCK_TITLE, IDS_UNLOCK_PROMPT, IDS_UNLOCK_BUTTON};
}

} // namespace

UnlockDlg::UnlockDlg(HWND owner, Purpose why, std::vector<std::uint8_t> fileHeader)
    : TransparentDlg(owner), purpose(why), header(std::move(fileHeader)) {}

UnlockDlg::~UnlockDlg() = default;

LRESULT UnlockDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    InitBackground(hwnd_, L"dlg_unlock");
    labelFont = MakeLabelFont(Scale());
    titleFont = dialog_texts::MakeTitleFont(Scale());
    const PurposeTexts texts = TextsOf(purpose);
    // The caption shows nowhere, but a screen reader and a second copy find it.
    ::SetWindowTextW(hwnd_, LoadResourceString(IDS_APP_NAME).c_str());
    ::SetDlgItemTextW(hwnd_, IDC_UNLOCK_TITLE, LoadResourceString(texts.title).c_str());
    ::SetDlgItemTextW(hwnd_, IDC_UNLOCK_PROMPT, LoadResourceString(texts.prompt).c_str());
    ::SetDlgItemTextW(hwnd_, IDOK, LoadResourceString(texts.button).c_str());
    if (purpose != Purpose::Open) {
        ::ShowWindow(GetDlgItem(IDC_FORGOT_PASSWORD), SW_HIDE);
    }
    SetStaticFonts(hwnd_, labelFont.Get());
    ::SendMessageW(GetDlgItem(IDC_UNLOCK_TITLE), WM_SETFONT,
                   reinterpret_cast<WPARAM>(titleFont.Get()), FALSE);
    ::SendDlgItemMessageW(hwnd_, IDC_UNLOCK_PASSWORD, EM_SETLIMITTEXT, 1024, 0);
    ::SetFocus(GetDlgItem(IDC_UNLOCK_PASSWORD));
    // Over a window that is not hers to see yet: in front, where she looks.
    ::SetForegroundWindow(hwnd_);
    return FALSE;
}

LRESULT UnlockDlg::OnColorStatic(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    const auto dc = reinterpret_cast<HDC>(wParam);
    const auto control = reinterpret_cast<HWND>(lParam);
    const HBRUSH brush = ColorStatic(dc, control);
    const int id = ::GetDlgCtrlID(control);
    ::SelectObject(dc, id == IDC_UNLOCK_TITLE ? titleFont.Get() : labelFont.Get());
    ::SetTextColor(dc, id == IDC_UNLOCK_TITLE     ? dialog_texts::kTitleColour
                       : id == IDC_UNLOCK_MESSAGE ? dialog_texts::kWarningColour
                                                  : dialog_texts::kTextColour);
    return reinterpret_cast<LRESULT>(brush);
}

LRESULT UnlockDlg::OnUnlock(WORD, WORD, HWND, BOOL&) {
    if (working || ::GetWindowTextLengthW(GetDlgItem(IDC_UNLOCK_PASSWORD)) == 0) {
        return 0;
    }
    std::optional<cng::SecretBytes> password =
        dialog_texts::TakeSecret(GetDlgItem(IDC_UNLOCK_PASSWORD));
    if (!password) {
        SetMessage(IDS_WRONG_PASSWORD);
        return 0;
    }
    ShowWorking(true);
    auto secret = std::make_shared<cng::SecretBytes>(std::move(*password));
    work = std::make_unique<BackgroundWork<keyring::Unlocked>>(
        [secret, file = header] { return keyring::UnlockWithPassword(file, secret->Span()); },
        [this](keyring::Unlocked result) { Unlocked(std::move(result)); });
    return 0;
}

void UnlockDlg::Unlocked(keyring::Unlocked result) {
    ShowWorking(false);
    if (finished) {
        return;
    }
    switch (result.status) {
    case keyring::Unlock::Unlocked:
        key = std::move(result.key);
        finished = true;
        EndDialog(IDOK);
        return;
    case keyring::Unlock::WrongSecret:
    case keyring::Unlock::Damaged:
        SetMessage(IDS_WRONG_PASSWORD);
        break;
    case keyring::Unlock::Failed:
        ::SetDlgItemTextW(hwnd_, IDC_UNLOCK_MESSAGE,
                          FormatResourceString(IDS_CRYPTO_FAILED, {L""}).c_str());
        break;
    }
    ::SetFocus(GetDlgItem(IDC_UNLOCK_PASSWORD));
}

LRESULT UnlockDlg::OnCancel(WORD, WORD, HWND, BOOL&) {
    finished = true;
    EndDialog(IDCANCEL);
    return 0;
}

LRESULT UnlockDlg::OnForgot(WORD, WORD, HWND, BOOL&) {
    finished = true;
    EndDialog(IDC_FORGOT_PASSWORD);
    return 0;
}

void UnlockDlg::ShowWorking(bool busy) {
    working = busy;
    if (working) {
        SetMessage(IDS_UNLOCKING);
    }
    for (const int control : {IDC_UNLOCK_PASSWORD, IDOK, IDC_FORGOT_PASSWORD}) {
        ::EnableWindow(GetDlgItem(control), working ? FALSE : TRUE);
    }
    if (!working) {
        SetMessage(0);
    }
}

void UnlockDlg::SetMessage(UINT text) {
    ::SetDlgItemTextW(hwnd_, IDC_UNLOCK_MESSAGE,
                      text == 0 ? L"" : LoadResourceString(text).c_str());
}

std::wstring UnlockDlg::MessageText() const {
    wchar_t text[512] = L"";
    ::GetDlgItemTextW(hwnd_, IDC_UNLOCK_MESSAGE, text, 512);
    return text;
}
