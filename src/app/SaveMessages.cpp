#include "app/SaveMessages.h"

#include <commctrl.h>

#include <cwctype>
#include <iterator>

#include "framework/AppModule.h"
#include "framework/ResourceText.h"
#include "text/TextFormat.h"
#include "resource.h"

namespace {

// The task dialog's own buttons.
constexpr int kTryAgainButton = 100;
constexpr int kCloseButton = 101;
constexpr int kGoBackButton = 102;

int Show(HWND owner, const std::wstring& text, UINT style) {
    return ::MessageBoxW(owner, text.c_str(), LoadResourceString(IDS_APP_NAME).c_str(), style);
}

std::wstring LocalDateTime(const FILETIME& utc, bool date) {
    SYSTEMTIME universal{};
    SYSTEMTIME local{};
    if (!::FileTimeToSystemTime(&utc, &universal) ||
        !::SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) {
        return L"";
    }
    wchar_t text[128] = L"";
    if (date) {
        ::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_LONGDATE, &local, nullptr, text, 128,
                          nullptr);
    } else {
        ::GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, &local, nullptr, text, 128);
    }
    return text;
}

} // namespace

void TellSaveFailed(HWND owner, const SaveResult& result) {
    Show(owner, FormatResourceString(IDS_SAVE_FAILED, {result.file, SystemErrorText(result.error)}),
         MB_OK | MB_ICONWARNING);
}

ExitChoice AskAtExit(HWND owner, const SaveResult& result) {
    const std::wstring caption = LoadResourceString(IDS_APP_NAME);
    const std::wstring instruction = LoadResourceString(IDS_EXIT_NOT_SAVED);
    const std::wstring detail = FormatResourceString(IDS_EXIT_NOT_SAVED_DETAIL,
                                                     {result.file, SystemErrorText(result.error)});
    const std::wstring tryAgain = LoadResourceString(IDS_TRY_AGAIN);
    const std::wstring close = LoadResourceString(IDS_CLOSE_WITHOUT_SAVING);
    const std::wstring goBack = LoadResourceString(IDS_GO_BACK);
    const TASKDIALOG_BUTTON buttons[] = {
        {kTryAgainButton, tryAgain.c_str()},
        {kCloseButton, close.c_str()},
        {kGoBackButton, goBack.c_str()},
    };
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = owner;
    config.hInstance = AppModule().GetResourceInstance();
    // Escape and the close box mean "not now": back to Lunabel.
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION;
    config.pszWindowTitle = caption.c_str();
    config.pszMainIcon = TD_WARNING_ICON;
    config.pszMainInstruction = instruction.c_str();
    config.pszContent = detail.c_str();
    config.cButtons = static_cast<UINT>(std::size(buttons));
    config.pButtons = buttons;
    config.nDefaultButton = kTryAgainButton;
    int pressed = 0;
    if (FAILED(::TaskDialogIndirect(&config, &pressed, nullptr, nullptr))) {
        return ExitChoice::GoBack;
    }
    switch (pressed) {
    case kTryAgainButton:
        return ExitChoice::TryAgain;
    case kCloseButton:
        return ExitChoice::CloseWithoutSaving;
    default:
        return ExitChoice::GoBack;
    }
}

void TellChangesKept(HWND owner, const SaveResult& copy, bool besideDataFile) {
    const UINT id = besideDataFile ? IDS_CHANGES_KEPT_BESIDE : IDS_CHANGES_KEPT_ELSEWHERE;
    Show(owner, FormatResourceString(id, {copy.file}), MB_OK | MB_ICONINFORMATION);
}

bool AskToCloseAnyway(HWND owner, const SaveResult& copy) {
    return Show(owner,
                FormatResourceString(IDS_CLOSE_ANYWAY, {copy.file, SystemErrorText(copy.error)}),
                MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

void TellUnreadable(HWND owner, const std::wstring& path, std::uint32_t error,
                    const std::wstring& target) {
    Show(owner,
         FormatResourceString(IDS_UNREADABLE_AT_START, {path, SystemErrorText(error), target}),
         MB_OK | MB_ICONWARNING);
}

namespace {

// Between the paragraphs of a message.
constexpr wchar_t kParagraph[] = L"\n\n";

std::wstring DamagedKept(const std::wstring& damagedCopy) {
    return damagedCopy.empty() ? std::wstring()
                               : FormatResourceString(IDS_DAMAGED_KEPT, {damagedCopy});
}

std::wstring ChangeLines(const SessionChanges& changes) {
    std::wstring lines;
    const auto add = [&lines](UINT id, std::size_t count) {
        if (count == 0) {
            return;
        }
        if (!lines.empty()) {
            lines += L"\n";
        }
        lines += FormatCountString(id, static_cast<long long>(count));
    };
    add(IDS_CHANGE_ADDED, changes.added.size());
    add(IDS_CHANGE_REMOVED, changes.removed.size());
    add(IDS_CHANGE_SETTINGS, changes.SettingsChanged());
    return lines;
}

HRESULT CALLBACK KeepHandle(HWND dialog, UINT notification, WPARAM, LPARAM, LONG_PTR shown) {
    if (notification == TDN_CREATED) {
        *reinterpret_cast<HWND*>(shown) = dialog;
    } else if (notification == TDN_DESTROYED) {
        *reinterpret_cast<HWND*>(shown) = nullptr;
    }
    return S_OK;
}

} // namespace

OfferAnswer OfferUnsavedCopy(HWND owner, const SessionChanges& changes, const FILETIME& saved,
                             const std::wstring& copy) {
    const std::wstring text = FormatResourceString(
        IDS_OFFER_UNSAVED,
        {LocalDateTime(saved, true), LocalDateTime(saved, false), ChangeLines(changes), copy});
    switch (Show(owner, text, MB_YESNO | MB_ICONQUESTION)) {
    case IDYES:
        return OfferAnswer::Add;
    case IDNO:
        return OfferAnswer::Decline;
    default:
        return OfferAnswer::None;
    }
}

void TellDamaged(HWND owner, const std::wstring& path, const std::wstring& damagedCopy) {
    Show(owner,
         JoinNonEmpty({FormatResourceString(IDS_DAMAGED_AT_START, {path}), DamagedKept(damagedCopy),
                       LoadResourceString(IDS_STARTS_EMPTY)},
                      kParagraph),
         MB_OK | MB_ICONWARNING);
}

bool OfferBackup(HWND owner, const std::wstring& path, const std::wstring& damagedCopy,
                 const FILETIME& saved, std::size_t periodStarts) {
    const std::wstring offer =
        FormatCountString(IDS_OFFER_BACKUP, static_cast<long long>(periodStarts),
                          {LocalDateTime(saved, true), LocalDateTime(saved, false)});
    return Show(owner,
                JoinNonEmpty({FormatResourceString(IDS_DAMAGED_AT_START, {path}),
                              DamagedKept(damagedCopy), offer},
                             kParagraph),
                MB_YESNO | MB_ICONWARNING) == IDYES;
}

void TellRecoveredSave(HWND owner, const std::wstring& damagedCopy) {
    Show(owner,
         JoinNonEmpty({LoadResourceString(IDS_RECOVERED_SAVE), DamagedKept(damagedCopy)},
                      kParagraph),
         MB_OK | MB_ICONINFORMATION);
}

void TellFileHeld(HWND owner, const SaveResult& result, HWND& shown) {
    const std::wstring caption = LoadResourceString(IDS_APP_NAME);
    const std::wstring text = FormatResourceString(IDS_SAVE_FILE_HELD, {result.file});
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = owner;
    config.hInstance = AppModule().GetResourceInstance();
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
    config.dwCommonButtons = TDCBF_OK_BUTTON;
    config.pszWindowTitle = caption.c_str();
    config.pszMainIcon = TD_WARNING_ICON;
    config.pszContent = text.c_str();
    config.pfCallback = KeepHandle;
    config.lpCallbackData = reinterpret_cast<LONG_PTR>(&shown);
    ::TaskDialogIndirect(&config, nullptr, nullptr, nullptr);
    shown = nullptr;
}

void CloseFileHeld(HWND shown) {
    if (shown != nullptr) {
        ::PostMessageW(shown, TDM_CLICK_BUTTON, IDOK, 0);
    }
}

void TellBackupFailed(HWND owner, const SaveResult& result) {
    Show(owner,
         FormatResourceString(IDS_BACKUP_FAILED,
                              {result.backupFile, SystemErrorText(result.backupError)}),
         MB_OK | MB_ICONWARNING);
}

bool OfferProtectedCopy(HWND owner, const FILETIME& saved, const std::wstring& copy) {
    return Show(owner,
                FormatResourceString(IDS_OFFER_PROTECTED_COPY, {LocalDateTime(saved, true), copy}),
                MB_YESNO | MB_ICONQUESTION) == IDYES;
}
