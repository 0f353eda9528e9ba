#include "dialogs/ProtectDlg.h"

#include <string_view>
#include <utility>

#include "crypto/PasswordRules.h"
#include "dialogs/DialogTexts.h"
#include "files/Files.h"
#include "framework/FileDialog.h"
#include "framework/AppModule.h"
#include "framework/ResourceText.h"
#include "print/RecoveryKeyPrint.h"

namespace {

struct ModeTexts {
    UINT title;
    UINT intro;
    UINT currentLabel; // 0: no current secret is asked
};

ModeTexts TextsOf(ProtectDlg::Mode mode) {
    switch (mode) {
    case ProtectDlg::Mode::TurnOn:
        break;
    case ProtectDlg::Mode::Change:
        return {IDS_CHANGE_TITLE, IDS_CHANGE_INTRO, IDS_CURRENT_LABEL};
    case ProtectDlg::Mode::Recover:
        return {IDS_RECOVER_TITLE, IDS_RECOVER_INTRO, IDS_RECOVERY_KEY_LABEL};
    }
    return {IDS_PROTECT_TITLE, IDS_PROTECT_INTRO, 0};
}

constexpr int kPasswordPage[] = {IDC_CURRENT_LABEL, IDC_CURRENT_SECRET, IDC_NEW_LABEL,
                                 IDC_NEW_PASSWORD,  IDC_REPEAT_LABEL,   IDC_REPEAT_PASSWORD};
constexpr int kKeyPage[] = {IDC_RECOVERY_KEY, IDC_KEY_SAVE, IDC_KEY_PRINT, IDC_KEY_KEPT};

std::string_view View(const cng::SecretBytes& bytes) {
    return {reinterpret_cast<const char*>(bytes.Data()), bytes.Size()};
}

UINT VerdictText(secrets::PasswordVerdict verdict) {
    switch (verdict) {
    case secrets::PasswordVerdict::Accepted:
        return 0;
    case secrets::PasswordVerdict::TooShort:
        return IDS_PASSWORD_TOO_SHORT;
    case secrets::PasswordVerdict::OneCharacter:
        return IDS_PASSWORD_ONE_CHARACTER;
    case secrets::PasswordVerdict::PlainRun:
        return IDS_PASSWORD_PLAIN_RUN;
    case secrets::PasswordVerdict::Mismatch:
        return IDS_PASSWORD_MISMATCH;
    }
    return IDS_PASSWORD_TOO_SHORT;
}

UINT RecoveryKeyText(secrets::RecoveryKeyProblem problem) {
    switch (problem) {
    case secrets::RecoveryKeyProblem::None:
        return 0;
    case secrets::RecoveryKeyProblem::WrongLength:
        return IDS_RECOVERY_KEY_LENGTH;
    case secrets::RecoveryKeyProblem::BadCharacter:
        return IDS_RECOVERY_KEY_CHARACTER;
    case secrets::RecoveryKeyProblem::CheckFailed:
        return IDS_RECOVERY_KEY_CHECK;
    }
    return IDS_RECOVERY_KEY_CHECK;
}

// Line ends as Notepad writes them.
std::wstring WindowsLines(const std::wstring& text) {
    std::wstring lines;
    for (const wchar_t c : text) {
        if (c == L'\n') {
            lines += L'\r';
        }
        lines += c;
    }
    return lines;
}

std::wstring Today() {
    wchar_t text[128] = L"";
    ::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_LONGDATE, nullptr, nullptr, text, 128,
                      nullptr);
    return text;
}

using Secret = std::shared_ptr<cng::SecretBytes>;

ProtectDlg::Made MakeNew(const Secret& password) {
    ProtectDlg::Made made;
    made.protection = keyring::Create(password->Span(), keyring::CalibrateIterations());
    made.status = made.protection ? keyring::Unlock::Unlocked : keyring::Unlock::Failed;
    return made;
}

} // namespace

ProtectDlg::ProtectDlg(HWND owner, Mode why, std::vector<std::uint8_t> fileHeader)
    : TransparentDlg(owner), mode(why), header(std::move(fileHeader)) {}

ProtectDlg::~ProtectDlg() = default;

LRESULT ProtectDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    InitBackground(hwnd_, L"dlg_protect");
    labelFont = MakeLabelFont(Scale());
    titleFont = dialog_texts::MakeTitleFont(Scale());
    keyFont = gdi::MakeFont(L"Courier New", -Scale().FontHeight(14), FW_BOLD, ANTIALIASED_QUALITY);
    const ModeTexts texts = TextsOf(mode);
    ::SetWindowTextW(hwnd_, LoadResourceString(texts.title).c_str());
    ::SetDlgItemTextW(hwnd_, IDC_PROTECT_TITLE, LoadResourceString(texts.title).c_str());
    ::SetDlgItemTextW(hwnd_, IDC_PROTECT_INTRO, LoadResourceString(texts.intro).c_str());
    ::SetDlgItemTextW(hwnd_, IDOK, LoadResourceString(IDS_NEXT).c_str());
    ::SetDlgItemTextW(hwnd_, IDC_KEY_SAVE, LoadResourceString(IDS_KEY_SAVE).c_str());
    ::SetDlgItemTextW(hwnd_, IDC_KEY_PRINT, LoadResourceString(IDS_KEY_PRINT).c_str());
    ::SetDlgItemTextW(hwnd_, IDC_KEY_KEPT, LoadResourceString(IDS_KEY_KEPT).c_str());
    if (texts.currentLabel != 0) {
        ::SetDlgItemTextW(hwnd_, IDC_CURRENT_LABEL, LoadResourceString(texts.currentLabel).c_str());
    }
    if (mode == Mode::Recover) {
        // Copied from paper: she sees what she types.
        ::SendDlgItemMessageW(hwnd_, IDC_CURRENT_SECRET, EM_SETPASSWORDCHAR, 0, 0);
    }
    for (const int control : kKeyPage) {
        ::ShowWindow(GetDlgItem(control), SW_HIDE);
    }
    for (const int control : {IDC_CURRENT_LABEL, IDC_CURRENT_SECRET}) {
        ::ShowWindow(GetDlgItem(control), texts.currentLabel != 0 ? SW_SHOW : SW_HIDE);
    }
    SetStaticFonts(hwnd_, labelFont.Get());
    ::SendMessageW(GetDlgItem(IDC_PROTECT_TITLE), WM_SETFONT,
                   reinterpret_cast<WPARAM>(titleFont.Get()), FALSE);
    ::SendMessageW(GetDlgItem(IDC_RECOVERY_KEY), WM_SETFONT,
                   reinterpret_cast<WPARAM>(keyFont.Get()), FALSE);
    RemoveVisualStyle(GetDlgItem(IDC_KEY_KEPT));
    for (const int edit : {IDC_CURRENT_SECRET, IDC_NEW_PASSWORD, IDC_REPEAT_PASSWORD}) {
        ::SendDlgItemMessageW(hwnd_, edit, EM_SETLIMITTEXT, 1024, 0);
    }
    ::SetFocus(GetDlgItem(texts.currentLabel != 0 ? IDC_CURRENT_SECRET : IDC_NEW_PASSWORD));
    return FALSE;
}

LRESULT ProtectDlg::OnColorStatic(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    const auto dc = reinterpret_cast<HDC>(wParam);
    const auto control = reinterpret_cast<HWND>(lParam);
    const int id = ::GetDlgCtrlID(control);
    if (id == IDC_RECOVERY_KEY) {
        // Read-only, but a box to copy from: white, as an edit box is.
        ::SetBkColor(dc, RGB(255, 255, 255));
        ::SetTextColor(dc, dialog_texts::kTextColour);
        return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
    }
    const HBRUSH brush = ColorStatic(dc, control);
    ::SelectObject(dc, id == IDC_PROTECT_TITLE ? titleFont.Get() : labelFont.Get());
    ::SetTextColor(dc, id == IDC_PROTECT_TITLE     ? dialog_texts::kTitleColour
                       : id == IDC_PROTECT_MESSAGE ? dialog_texts::kWarningColour
                                                   : dialog_texts::kTextColour);
    return reinterpret_cast<LRESULT>(brush);
}

bool ProtectDlg::CheckEntries() {
    if (mode != Mode::TurnOn && ::GetWindowTextLengthW(GetDlgItem(IDC_CURRENT_SECRET)) == 0) {
        ::SetFocus(GetDlgItem(IDC_CURRENT_SECRET));
        return false;
    }
    if (mode == Mode::Recover) {
        const std::optional<cng::SecretBytes> typed =
            dialog_texts::ReadSecret(GetDlgItem(IDC_CURRENT_SECRET), false);
        const UINT problem = typed
                                 ? RecoveryKeyText(secrets::ParseRecoveryKey(View(*typed)).problem)
                                 : IDS_RECOVERY_KEY_CHARACTER;
        if (problem != 0) {
            SetMessage(problem);
            ::SetFocus(GetDlgItem(IDC_CURRENT_SECRET));
            return false;
        }
    }
    const std::optional<cng::SecretBytes> fresh =
        dialog_texts::ReadSecret(GetDlgItem(IDC_NEW_PASSWORD), false);
    const std::optional<cng::SecretBytes> repeated =
        dialog_texts::ReadSecret(GetDlgItem(IDC_REPEAT_PASSWORD), false);
    const UINT verdict = fresh && repeated
                             ? VerdictText(secrets::CheckNewPassword(View(*fresh), View(*repeated)))
                             : IDS_PASSWORD_MISMATCH;
    if (verdict != 0) {
        SetMessage(verdict);
        ::SetFocus(
            GetDlgItem(verdict == IDS_PASSWORD_MISMATCH ? IDC_REPEAT_PASSWORD : IDC_NEW_PASSWORD));
        return false;
    }
    return true;
}

void ProtectDlg::StartMaking() {
    std::optional<cng::SecretBytes> current =
        dialog_texts::TakeSecret(GetDlgItem(IDC_CURRENT_SECRET));
    std::optional<cng::SecretBytes> fresh = dialog_texts::TakeSecret(GetDlgItem(IDC_NEW_PASSWORD));
    dialog_texts::TakeSecret(GetDlgItem(IDC_REPEAT_PASSWORD));
    if (!current || !fresh) {
        return;
    }
    const Secret oldSecret = std::make_shared<cng::SecretBytes>(std::move(*current));
    const Secret newSecret = std::make_shared<cng::SecretBytes>(std::move(*fresh));
    std::function<Made()> making;
    switch (mode) {
    case Mode::TurnOn:
        making = [newSecret] { return MakeNew(newSecret); };
        break;
    case Mode::Change:
        making = [oldSecret, newSecret, file = header] {
            keyring::Changed changed = keyring::Change(file, oldSecret->Span(), newSecret->Span(),
                                                       keyring::CalibrateIterations());
            Made made;
            made.status = changed.status;
            made.protection = std::move(changed.protection);
            return made;
        };
        break;
    case Mode::Recover:
        making = [oldSecret, newSecret, file = header] {
            const secrets::TypedRecoveryKey typed = secrets::ParseRecoveryKey(View(*oldSecret));
            keyring::Unlocked opened = keyring::UnlockWithRecoveryKey(file, typed.key);
            if (opened.status != keyring::Unlock::Unlocked) {
                Made made;
                made.status = opened.status;
                return made;
            }
            Made made = MakeNew(newSecret);
            made.openedKey = std::move(opened.key);
            return made;
        };
        break;
    }
    ShowWorking(true);
    work = std::make_unique<BackgroundWork<Made>>(std::move(making),
                                                  [this](Made made) { KeysMade(std::move(made)); });
}

void ProtectDlg::KeysMade(Made made) {
    ShowWorking(false);
    if (finished) {
        return;
    }
    switch (made.status) {
    case keyring::Unlock::Unlocked:
        protection = std::move(made.protection);
        openedKey = std::move(made.openedKey);
        ShowKeyPage();
        return;
    case keyring::Unlock::WrongSecret:
        SetMessage(mode == Mode::Recover ? IDS_WRONG_RECOVERY_KEY : IDS_WRONG_PASSWORD);
        break;
    case keyring::Unlock::Damaged:
    case keyring::Unlock::Failed:
        ::SetDlgItemTextW(hwnd_, IDC_PROTECT_MESSAGE,
                          FormatResourceString(IDS_CRYPTO_FAILED, {L""}).c_str());
        break;
    }
    ::SetFocus(GetDlgItem(mode == Mode::TurnOn ? IDC_NEW_PASSWORD : IDC_CURRENT_SECRET));
}

void ProtectDlg::ShowKeyPage() {
    onKeyPage = true;
    for (const int control : kPasswordPage) {
        ::ShowWindow(GetDlgItem(control), SW_HIDE);
    }
    for (const int control : kKeyPage) {
        ::ShowWindow(GetDlgItem(control), SW_SHOW);
    }
    // Named for what it now shows, for her screen reader as on the band.
    const std::wstring title = LoadResourceString(IDS_KEY_FILE_NAME);
    ::SetWindowTextW(hwnd_, title.c_str());
    ::SetDlgItemTextW(hwnd_, IDC_PROTECT_TITLE, title.c_str());
    ::SetDlgItemTextW(hwnd_, IDC_PROTECT_INTRO, LoadResourceString(IDS_KEY_INTRO).c_str());
    const std::wstring key(protection->recoveryKey.begin(), protection->recoveryKey.end());
    ::SetDlgItemTextW(hwnd_, IDC_RECOVERY_KEY, key.c_str());
    // Selected whole, ready to copy; shown from its start.
    ::SendDlgItemMessageW(hwnd_, IDC_RECOVERY_KEY, EM_SETSEL, 0, -1);
    ::SetDlgItemTextW(hwnd_, IDOK, LoadResourceString(IDS_FINISH).c_str());
    ::EnableWindow(GetDlgItem(IDOK), FALSE);
    SetMessage(0);
    ::SetFocus(GetDlgItem(IDC_RECOVERY_KEY));
}

LRESULT ProtectDlg::OnNext(WORD, WORD, HWND, BOOL&) {
    if (working) {
        return 0;
    }
    if (onKeyPage) {
        if (::IsDlgButtonChecked(hwnd_, IDC_KEY_KEPT) == BST_CHECKED) {
            finished = true;
            EndDialog(IDOK);
        }
        return 0;
    }
    SetMessage(0);
    if (CheckEntries()) {
        StartMaking();
    }
    return 0;
}

LRESULT ProtectDlg::OnCancel(WORD, WORD, HWND, BOOL&) {
    finished = true;
    // Nothing made is used: the new keys go with the dialog.
    EndDialog(IDCANCEL);
    return 0;
}

LRESULT ProtectDlg::OnKept(WORD, WORD, HWND, BOOL&) {
    ::EnableWindow(GetDlgItem(IDOK),
                   ::IsDlgButtonChecked(hwnd_, IDC_KEY_KEPT) == BST_CHECKED ? TRUE : FALSE);
    return 0;
}

LRESULT ProtectDlg::OnSaveKey(WORD, WORD, HWND, BOOL&) {
    const FileDialogResult chosen =
        AskSavePath(hwnd_, {{LoadResourceString(IDS_KEY_FILE_TYPE), L"*.txt"}},
                    LoadResourceString(IDS_KEY_FILE_NAME), L"txt");
    if (chosen.Cancelled()) {
        return 0;
    }
    if (!chosen.Chosen()) {
        Warn(FormatResourceString(IDS_FILE_DIALOG_FAILED,
                                  {SystemErrorText(static_cast<DWORD>(chosen.status))}));
        return 0;
    }
    const std::string bytes = "\xEF\xBB\xBF" + Utf8(WindowsLines(KeyText()));
    const SaveResult saved = files::ReplaceWhole(
        chosen.path, {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()},
        chosen.path + L".tmp");
    if (!saved.saved) {
        Warn(
            FormatResourceString(IDS_KEY_SAVE_FAILED, {chosen.path, SystemErrorText(saved.error)}));
    }
    return 0;
}

LRESULT ProtectDlg::OnPrintKey(WORD, WORD, HWND, BOOL&) {
    PrintRecoveryKey(hwnd_, KeyText());
    return 0;
}

std::wstring ProtectDlg::KeyText() const {
    const std::wstring key(protection->recoveryKey.begin(), protection->recoveryKey.end());
    return FormatResourceString(IDS_KEY_FILE_TEXT, {key, Today()});
}

void ProtectDlg::ShowWorking(bool busy) {
    working = busy;
    SetMessage(working ? IDS_PROTECTING : 0);
    for (const int control : {IDC_CURRENT_SECRET, IDC_NEW_PASSWORD, IDC_REPEAT_PASSWORD, IDOK}) {
        ::EnableWindow(GetDlgItem(control), working ? FALSE : TRUE);
    }
}

void ProtectDlg::Warn(const std::wstring& text) const {
    ::MessageBoxW(hwnd_, text.c_str(), LoadResourceString(IDS_APP_NAME).c_str(),
                  MB_OK | MB_ICONWARNING);
}

void ProtectDlg::SetMessage(UINT text) {
    ::SetDlgItemTextW(hwnd_, IDC_PROTECT_MESSAGE,
                      text == 0 ? L"" : LoadResourceString(text).c_str());
}

std::wstring ProtectDlg::MessageText() const {
    wchar_t text[512] = L"";
    ::GetDlgItemTextW(hwnd_, IDC_PROTECT_MESSAGE, text, 512);
    return text;
}
