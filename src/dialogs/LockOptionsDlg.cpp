#include "dialogs/LockOptionsDlg.h"

#include <iterator>

#include "cycle/IdleLock.h"
#include "dialogs/DialogTexts.h"
#include "framework/AppModule.h"
#include "framework/ResourceText.h"

LockOptionsDlg::LockOptionsDlg(HWND owner, LockChoices current)
    : TransparentDlg(owner), choices(current) {}

LRESULT LockOptionsDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    // The password dialog's picture: the same padlock.
    InitBackground(hwnd_, L"dlg_unlock");
    labelFont = MakeLabelFont(Scale());
    titleFont = dialog_texts::MakeTitleFont(Scale());
    const std::wstring title = LoadResourceString(IDS_LOCK_OPTIONS_TITLE);
    ::SetWindowTextW(hwnd_, title.c_str());
    ::SetDlgItemTextW(hwnd_, IDC_LOCK_TITLE, title.c_str());
    ::SetDlgItemTextW(hwnd_, IDC_LOCK_INTRO, LoadResourceString(IDS_LOCK_OPTIONS_INTRO).c_str());
    ::SetDlgItemTextW(hwnd_, IDC_LOCK_WITH_WINDOWS,
                      LoadResourceString(IDS_LOCK_WITH_WINDOWS).c_str());
    ::SetDlgItemTextW(hwnd_, IDC_LOCK_AFTER_LABEL,
                      LoadResourceString(IDS_LOCK_AFTER_LABEL).c_str());
    SetStaticFonts(hwnd_, labelFont.Get());
    ::SendMessageW(GetDlgItem(IDC_LOCK_TITLE), WM_SETFONT,
                   reinterpret_cast<WPARAM>(titleFont.Get()), FALSE);
    RemoveVisualStyle(GetDlgItem(IDC_LOCK_WITH_WINDOWS));
    ::CheckDlgButton(hwnd_, IDC_LOCK_WITH_WINDOWS,
                     choices.withWindows ? BST_CHECKED : BST_UNCHECKED);
    const HWND after = GetDlgItem(IDC_LOCK_AFTER);
    for (const int minutes : idle::kMinuteChoices) {
        const std::wstring text = minutes == 0 ? LoadResourceString(IDS_LOCK_NEVER)
                                               : FormatCountString(IDS_LOCK_MINUTES, minutes, {});
        const auto index =
            ::SendMessageW(after, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        if (minutes == choices.idleMinutes) {
            ::SendMessageW(after, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        }
    }
    NameAfterLabel(hwnd_, IDC_LOCK_AFTER, IDS_LOCK_AFTER_LABEL);
    ::SetFocus(GetDlgItem(IDC_LOCK_WITH_WINDOWS));
    return FALSE;
}

LRESULT LockOptionsDlg::OnColorStatic(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    const auto dc = reinterpret_cast<HDC>(wParam);
    const auto control = reinterpret_cast<HWND>(lParam);
    const HBRUSH brush = ColorStatic(dc, control);
    const bool title = ::GetDlgCtrlID(control) == IDC_LOCK_TITLE;
    ::SelectObject(dc, title ? titleFont.Get() : labelFont.Get());
    ::SetTextColor(dc, title ? dialog_texts::kTitleColour : dialog_texts::kTextColour);
    return reinterpret_cast<LRESULT>(brush);
}

LRESULT LockOptionsDlg::OnOk(WORD, WORD, HWND, BOOL&) {
    choices.withWindows = ::IsDlgButtonChecked(hwnd_, IDC_LOCK_WITH_WINDOWS) == BST_CHECKED;
    const auto index = ::SendDlgItemMessageW(hwnd_, IDC_LOCK_AFTER, CB_GETCURSEL, 0, 0);
    if (index >= 0 && index < static_cast<LRESULT>(std::size(idle::kMinuteChoices))) {
        choices.idleMinutes = idle::kMinuteChoices[index];
    }
    EndDialog(IDOK);
    return 0;
}

LRESULT LockOptionsDlg::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(IDCANCEL);
    return 0;
}
