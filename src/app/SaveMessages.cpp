#include "app/SaveMessages.h"

#include <commctrl.h>

#include <cwctype>
#include <iterator>

#include "framework/AppModule.h"
#include "framework/ResourceText.h"
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

OfferAnswer OfferUnsavedCopy(HWND owner, std::size_t newMarks, const FILETIME& saved,
                             const std::wstring& copy) {
    const std::wstring text =
        FormatCountString(IDS_OFFER_UNSAVED, static_cast<long long>(newMarks),
                          {LocalDateTime(saved, true), LocalDateTime(saved, false), copy});
    switch (Show(owner, text, MB_YESNO | MB_ICONQUESTION)) {
    case IDYES:
        return OfferAnswer::Add;
    case IDNO:
        return OfferAnswer::Decline;
    default:
        return OfferAnswer::None;
    }
}
