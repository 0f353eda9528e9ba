#include "app/MainFrame.h"

#include <optional>

#include "app/SaveMessages.h"
#include "cycle/PersistentCalendarData.h"
#include "cycle/SessionChanges.h"
#include "cycle/IdleLock.h"
#include "dialogs/LockOptionsDlg.h"
#include "dialogs/ProtectDlg.h"
#include "dialogs/UnlockDlg.h"
#include "files/Files.h"
#include "framework/AppModule.h"
#include "framework/Preferences.h"
#include "framework/ResourceText.h"
#include "skin/TransparentDlg.h"

#include <wtsapi32.h>

namespace {
// Fires once, after the first paint: timers come after every paint is done,
// so a question about the data never holds up the window or a second copy.
constexpr UINT_PTR kAfterStartTimer = 1;
// While another program holds the data file, saving is tried again this often
// until it goes through, without waiting for her next change.
constexpr UINT_PTR kRetrySaveTimer = 2;
constexpr UINT kRetrySaveEvery = 3000;
// Whether she has been away long enough, and whether what held up a lock is gone.
constexpr UINT_PTR kIdleTimer = 3;
constexpr UINT kIdleCheckEvery = 5000;
constexpr UINT_PTR kLockRetryTimer = 4;
constexpr UINT kLockRetryEvery = 250;

constexpr wchar_t kLockWithWindowsValue[] = L"LockWithWindows";
constexpr wchar_t kLockAfterMinutesValue[] = L"LockAfterMinutes";

int Tell(HWND owner, const std::wstring& text, UINT style) {
    return ::MessageBoxW(owner, text.c_str(), LoadResourceString(IDS_APP_NAME).c_str(), style);
}

void TellProtectionFailed(HWND owner, const SaveResult& result) {
    Tell(owner,
         FormatResourceString(IDS_PROTECT_FAILED, {result.file, SystemErrorText(result.error)}),
         MB_OK | MB_ICONWARNING);
}

std::wstring Lines(const std::vector<std::wstring>& paths) {
    std::wstring lines;
    for (const std::wstring& path : paths) {
        lines += (lines.empty() ? L"" : L"\n") + path;
    }
    return lines;
}
} // namespace

CMainFrame::CMainFrame(CalendarData& data, PersistentCalendarData* savedData)
    : saved(savedData), view(data) {}

BOOL CMainFrame::PreTranslateMessage(MSG* msg) {
    return accelerators && ::TranslateAcceleratorW(hwnd_, accelerators, msg) ? TRUE : FALSE;
}

// The window's size for a client of `client` at `dpi`: the caption and
// borders grow with the scale too.
SIZE CMainFrame::OuterSize(SIZE client, UINT dpi) const {
    RECT outer{0, 0, client.cx, client.cy};
    ::AdjustWindowRectExForDpi(&outer, GetStyle(), FALSE, GetExStyle(), dpi);
    return SIZE{outer.right - outer.left, outer.bottom - outer.top};
}

// Another screen, or another scale: the pictures of the new scale are made
// before the window takes its new size, so nothing shows stretched.
LRESULT CMainFrame::OnDpiChanged(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    view.ChangeScale(DisplayScale(LOWORD(wParam)));
    const auto* suggested = reinterpret_cast<const RECT*>(lParam);
    const SIZE size = OuterSize(view.GetSize(), LOWORD(wParam));
    ::SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, size.cx, size.cy,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

// The exact size at the coming scale, rather than the system's linear guess.
LRESULT CMainFrame::OnGetDpiScaledSize(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    const DisplayScale coming(static_cast<int>(wParam));
    const SIZE base = view.BaseSize();
    *reinterpret_cast<SIZE*>(lParam) =
        OuterSize(SIZE{coming.Edge(base.cx), coming.Edge(base.cy)}, static_cast<UINT>(wParam));
    return TRUE;
}

LRESULT CMainFrame::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
    clientWindow =
        view.Create(hwnd_, rcDefault, nullptr,
                    WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, WS_EX_STATICEDGE);

    // The system adds a caption to every overlapped window: size with the
    // style the window really has, so the client area is the picture's size.
    const SIZE size = OuterSize(view.GetSize(), ::GetDpiForWindow(hwnd_));
    const RECT current = GetWindowRect();
    ::MoveWindow(hwnd_, current.left, current.top, size.cx, size.cy, TRUE);

    if (CMessageLoop* loop = AppModule().GetMessageLoop()) {
        loop->AddMessageFilter(this);
    }
    if (saved != nullptr) {
        saved->SetSaveObserver(
            [this](const SaveResult& result, bool firstFailure) { OnSaved(result, firstFailure); });
        ShowProtection();
        ::SetTimer(hwnd_, kAfterStartTimer, USER_TIMER_MINIMUM, nullptr);
        LoadLockChoices();
        inputWatch = std::make_unique<InputWatch>();
        ::WTSRegisterSessionNotification(hwnd_, NOTIFY_FOR_THIS_SESSION);
        ::SetTimer(hwnd_, kIdleTimer, kIdleCheckEvery, nullptr);
    }
    return 0;
}

// Every way of closing ends here, while the window can still ask her.
LRESULT CMainFrame::OnClose(UINT, WPARAM, LPARAM, BOOL& handled) {
    if (saved == nullptr || SaveBeforeClosing(*saved)) {
        handled = FALSE; // the default procedure destroys the window
    }
    return 0;
}

LRESULT CMainFrame::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    // The loop outlives the window; it must not call a filter that is gone.
    if (CMessageLoop* loop = AppModule().GetMessageLoop()) {
        loop->RemoveMessageFilter(this);
    }
    if (saved != nullptr) {
        saved->SetSaveObserver(nullptr);
        ::WTSUnRegisterSessionNotification(hwnd_);
    }
    handled = FALSE;
    return 0;
}

// The process is ended after this message without running its exit code, and
// nothing may wait for her: what cannot be saved is kept as a copy.
LRESULT CMainFrame::OnEndSession(UINT, WPARAM wParam, LPARAM, BOOL&) {
    if (!wParam || saved == nullptr) {
        return 0;
    }
    closing = true;
    if (!saved->SaveNow().saved) {
        saved->KeepUnsavedCopy();
    }
    return 0;
}

LRESULT CMainFrame::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    if (wParam == kRetrySaveTimer) {
        if (saved != nullptr && !closing) {
            saved->RetrySave();
        }
        return 0;
    }
    if (wParam == kIdleTimer) {
        if (saved != nullptr && !saved->IsLocked() &&
            idle::ShouldLock(InputWatch::LastInput(), ::GetTickCount64(), idleMinutes)) {
            RequestLock();
        }
        return 0;
    }
    if (wParam == kLockRetryTimer) {
        ::KillTimer(hwnd_, kLockRetryTimer);
        RequestLock();
        return 0;
    }
    if (wParam != kAfterStartTimer) {
        handled = FALSE;
        return 0;
    }
    ::KillTimer(hwnd_, kAfterStartTimer);
    if (saved != nullptr) {
        CheckDataAfterStart(*saved);
    }
    return 0;
}

// Each cause once per run of failures; the next successful save ends the run
// and takes away the message that the file is held, if it still shows.
void CMainFrame::OnSaved(const SaveResult& result, bool firstFailure) {
    // Locked: the sealed state is written when it can be, without a word over
    // the password dialog; what failed is said by the save after the unlock.
    if (saved != nullptr && saved->IsLocked()) {
        if (!result.saved && files::IsHeldElsewhere(result.error)) {
            ::SetTimer(hwnd_, kRetrySaveTimer, kRetrySaveEvery, nullptr);
        } else {
            ::KillTimer(hwnd_, kRetrySaveTimer);
        }
        return;
    }
    if (result.saved) {
        toldError = 0;
        ::KillTimer(hwnd_, kRetrySaveTimer);
        CloseFileHeld(fileHeldMessage);
        if (result.backupError != 0 && !toldBackupFailed && !closing) {
            toldBackupFailed = true;
            TellBackupFailed(MessageOwner(), result);
        }
        return;
    }
    if (files::IsHeldElsewhere(result.error) && !closing) {
        ::SetTimer(hwnd_, kRetrySaveTimer, kRetrySaveEvery, nullptr);
    }
    if (closing || tellingFailure || (!firstFailure && result.error == toldError)) {
        return;
    }
    toldError = result.error;
    tellingFailure = true;
    if (files::IsHeldElsewhere(result.error)) {
        TellFileHeld(MessageOwner(), result, fileHeldMessage);
    } else {
        TellSaveFailed(MessageOwner(), result);
    }
    tellingFailure = false;
}

// Whether the window may close: all is saved, or she chose to close without.
bool CMainFrame::SaveBeforeClosing(PersistentCalendarData& data) {
    closing = true;
    for (;;) {
        const SaveResult result = data.SaveNow();
        if (result.saved) {
            return true;
        }
        const ExitChoice choice = AskAtExit(MessageOwner(), result);
        if (choice == ExitChoice::TryAgain) {
            continue;
        }
        if (choice == ExitChoice::CloseWithoutSaving && KeepChangesAndClose(data)) {
            return true;
        }
        closing = false;
        return false;
    }
}

// Closing without saving still keeps her changes, in a copy she is told of.
bool CMainFrame::KeepChangesAndClose(PersistentCalendarData& data) {
    const SaveResult copy = data.KeepUnsavedCopy();
    if (!copy.saved) {
        return AskToCloseAnyway(MessageOwner(), copy);
    }
    TellChangesKept(MessageOwner(), copy, copy.file.starts_with(data.Path()));
    return true;
}

void CMainFrame::CheckDataAfterStart(PersistentCalendarData& data) {
    if (data.LastLoad() == LoadOutcome::Locked && !UnlockAtStart(data)) {
        return;
    }
    switch (data.LastLoad()) {
    case LoadOutcome::NoPath:
        return;
    case LoadOutcome::Locked:
        return;
    case LoadOutcome::NewerVersion:
        // Never overwritten: nothing is written at all, and Lunabel ends.
        Tell(MessageOwner(), FormatResourceString(IDS_NEWER_VERSION, {data.Path()}),
             MB_OK | MB_ICONWARNING);
        PostMessageW(WM_CLOSE);
        return;
    case LoadOutcome::Unreadable:
        TellUnreadable(MessageOwner(), data.Path(), data.LoadError(), data.SaveTarget());
        return;
    default:
        break;
    }
    const bool recovered = !data.RecoveredFrom().empty();
    // Taken from what a save cut short left: into the data file with it.
    if (data.HasUnsavedChanges()) {
        data.ScheduleSave();
    }
    if (recovered) {
        TellRecoveredSave(MessageOwner(), data.DamagedCopy());
    } else if (data.LastLoad() == LoadOutcome::Damaged) {
        OfferBackup(data);
    }
    if (::IsWindow(hwnd_)) {
        OfferUnsavedCopies(data);
    }
    if (::IsWindow(hwnd_) && !data.IsProtected()) {
        OfferProtectedCopies(data);
    }
}

bool CMainFrame::UnlockAtStart(PersistentCalendarData& data) {
    for (;;) {
        UnlockDlg unlock(view.Handle(), UnlockDlg::Purpose::Open, data.SealedHeader());
        const INT_PTR answer = unlock.DoModal(view.Handle());
        if (answer == IDOK) {
            data.Unlock(unlock.TakeKey());
            break;
        }
        if (answer == IDC_FORGOT_PASSWORD && ::IsWindow(hwnd_)) {
            if (RecoverAtStart(data)) {
                break;
            }
            continue;
        }
        // Cancel ends Lunabel; nothing was read, nothing is written.
        if (::IsWindow(hwnd_)) {
            PostMessageW(WM_CLOSE);
        }
        return false;
    }
    ShowProtection();
    ShowDataChanged();
    return ::IsWindow(hwnd_) != FALSE;
}

bool CMainFrame::RecoverAtStart(PersistentCalendarData& data) {
    ProtectDlg recover(view.Handle(), ProtectDlg::Mode::Recover, data.SealedHeader());
    if (recover.DoModal(view.Handle()) != IDOK) {
        return false;
    }
    keyring::Protection protection = recover.TakeProtection();
    data.Unlock(recover.TakeOpenedKey());
    ApplyProtection(data, std::move(protection.key));
    return true;
}

void CMainFrame::ApplyProtection(PersistentCalendarData& data, keyring::SealingKey key) {
    const SaveResult result = data.Protect(std::move(key));
    if (!result.saved) {
        TellProtectionFailed(MessageOwner(), result);
        return;
    }
    if (!data.UnprotectedCopies().empty()) {
        Tell(MessageOwner(),
             FormatResourceString(IDS_DAMAGED_NOT_PROTECTED, {Lines(data.UnprotectedCopies())}),
             MB_OK | MB_ICONINFORMATION);
    }
}

LRESULT CMainFrame::OnProtect(WORD, WORD, HWND, BOOL&) {
    if (saved == nullptr || saved->IsLocked()) {
        return 0;
    }
    const bool change = saved->IsProtected();
    ProtectDlg protect(view.Handle(), change ? ProtectDlg::Mode::Change : ProtectDlg::Mode::TurnOn,
                       change ? saved->SealedHeader() : std::vector<std::uint8_t>());
    if (protect.DoModal(view.Handle()) == IDOK) {
        ApplyProtection(*saved, protect.TakeProtection().key);
    }
    ShowProtection();
    return 0;
}

LRESULT CMainFrame::OnRemovePassword(WORD, WORD, HWND, BOOL&) {
    if (saved == nullptr || !saved->IsProtected()) {
        return 0;
    }
    UnlockDlg unlock(view.Handle(), UnlockDlg::Purpose::Remove, saved->SealedHeader());
    if (unlock.DoModal(view.Handle()) != IDOK) {
        return 0;
    }
    // The key proved the password; it is of no further use.
    unlock.TakeKey();
    const SaveResult result = saved->RemoveProtection();
    if (result.saved) {
        Tell(MessageOwner(), LoadResourceString(IDS_PASSWORD_REMOVED), MB_OK | MB_ICONINFORMATION);
    } else {
        TellProtectionFailed(MessageOwner(), result);
    }
    ShowProtection();
    return 0;
}

// A protected file an older Lunabel could not open, kept as ".damaged" while
// it wrote a plain calendar beside it: its marks are brought back with its password.
void CMainFrame::OfferProtectedCopies(PersistentCalendarData& data) {
    for (const SealedCopy& copy : FindSealedCopies(data.Path())) {
        const bool wanted = OfferProtectedCopy(MessageOwner(), copy.file.lastWrite, copy.file.path);
        if (!::IsWindow(hwnd_)) {
            return;
        }
        if (!wanted) {
            // Asked once: set aside under a name that is not offered again.
            DeclineUnsavedCopy(data.Path(), copy.file.path);
            continue;
        }
        UnlockDlg unlock(view.Handle(), UnlockDlg::Purpose::OpenCopy, copy.bytes);
        if (unlock.DoModal(view.Handle()) != IDOK || !::IsWindow(hwnd_)) {
            continue;
        }
        const SealedEnvelope envelope(unlock.TakeKey());
        CalendarData kept;
        if (envelope.Open(copy.bytes, kept) != DataEnvelope::Opened::Opened) {
            TellDamaged(MessageOwner(), copy.file.path, copy.file.path);
            continue;
        }
        const SessionChanges changes = MarksToAdd(kept, data.Data());
        Apply(changes, data.Data());
        ShowDataChanged();
        if (data.SaveNow().saved) {
            files::Remove(copy.file.path);
            Tell(MessageOwner(), LoadResourceString(IDS_PROTECTED_COPY_MERGED),
                 MB_OK | MB_ICONINFORMATION);
        }
    }
}

LRESULT CMainFrame::OnSessionChange(UINT, WPARAM wParam, LPARAM, BOOL&) {
    if (wParam == WTS_SESSION_LOCK && lockWithWindows) {
        RequestLock();
    }
    return 0;
}

LRESULT CMainFrame::OnLock(WORD, WORD, HWND, BOOL&) {
    RequestLock();
    return 0;
}

void CMainFrame::RequestLock() {
    if (saved == nullptr || !saved->IsProtected() || saved->IsLocked() || closing) {
        return;
    }
    lockWanted = true;
    TransparentDlg::CancelOpenDialogs();
    ::PostMessageW(hwnd_, kLockMessage, 0, 0);
}

// Dispatched once the dialogs cancelled have ended; whatever is still open
// (a print under way, Save As, a question) is waited for.
LRESULT CMainFrame::OnLockMessage(UINT, WPARAM, LPARAM, BOOL&) {
    if (!lockWanted || saved == nullptr || saved->IsLocked()) {
        return 0;
    }
    if (view.DialogOpen() || ::GetLastActivePopup(hwnd_) != hwnd_ || tellingFailure) {
        ::SetTimer(hwnd_, kLockRetryTimer, kLockRetryEvery, nullptr);
        return 0;
    }
    lockWanted = false;
    LockNow(*saved);
    return 0;
}

void CMainFrame::LockNow(PersistentCalendarData& data) {
    view.ForgetImport();
    data.Lock();
    ShowProtection();
    // Blank on screen before the dialog takes its frosted copy of the view.
    ShowDataChanged();
    ::RedrawWindow(view.Handle(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    UnlockAtStart(data);
}

LRESULT CMainFrame::OnLockOptions(WORD, WORD, HWND, BOOL&) {
    LockOptionsDlg options(view.Handle(), LockChoices{lockWithWindows, idleMinutes});
    if (options.DoModal(view.Handle()) != IDOK) {
        return 0;
    }
    const LockChoices& chosen = options.Chosen();
    LSTATUS stored = WritePreference(kLockWithWindowsValue, chosen.withWindows ? 1 : 0);
    if (stored == ERROR_SUCCESS) {
        stored = WritePreference(kLockAfterMinutesValue, static_cast<DWORD>(chosen.idleMinutes));
    }
    if (stored != ERROR_SUCCESS) {
        Tell(MessageOwner(), FormatResourceString(IDS_FOLLOW_FAILED, {SystemErrorText(stored)}),
             MB_OK | MB_ICONWARNING);
    }
    lockWithWindows = chosen.withWindows;
    idleMinutes = chosen.idleMinutes;
    return 0;
}

void CMainFrame::LoadLockChoices() {
    lockWithWindows = ReadPreference(kLockWithWindowsValue).value_or(1) != 0;
    idleMinutes = idle::ChoiceOf(ReadPreference(kLockAfterMinutesValue));
}

void CMainFrame::ShowProtection() {
    if (saved == nullptr || saved->IsLocked() || saved->LastLoad() == LoadOutcome::NewerVersion) {
        view.SetProtection(CalendarView::Protection::Unavailable);
        return;
    }
    view.SetProtection(saved->IsProtected() ? CalendarView::Protection::On
                                            : CalendarView::Protection::Off);
}

void CMainFrame::OfferBackup(PersistentCalendarData& data) {
    const std::optional<files::FoundFile>& backup = data.BackupToOffer();
    CalendarData kept;
    if (!backup || !ReadDataCopy(backup->path, data.Envelope(), kept)) {
        TellDamaged(MessageOwner(), data.Path(), data.DamagedCopy());
        return;
    }
    if (!::OfferBackup(MessageOwner(), data.Path(), data.DamagedCopy(), backup->lastWrite,
                       kept.Marks().size()) ||
        !::IsWindow(hwnd_)) {
        return;
    }
    CopyState(kept, data.Data());
    ShowDataChanged();
    // A failure is told as any other.
    data.SaveNow();
}

void CMainFrame::OfferUnsavedCopies(PersistentCalendarData& data) {
    for (const files::FoundFile& copy : FindUnsavedCopies(data.Path())) {
        CalendarData kept;
        // A copy that cannot be read, or changes nothing, is left as it is.
        if (!ReadDataCopy(copy.path, data.Envelope(), kept)) {
            continue;
        }
        CalendarData base;
        const SessionChanges changes = ReadDataCopy(UnsavedBaseOf(copy.path), data.Envelope(), base)
                                           ? ChangesToApply(base, kept, data.Data())
                                           : MarksToAdd(kept, data.Data());
        if (changes.Empty()) {
            continue;
        }
        const OfferAnswer answer =
            OfferUnsavedCopy(MessageOwner(), changes, copy.lastWrite, copy.path);
        // Closed meanwhile: she is asked at the next start.
        if (answer == OfferAnswer::None || !::IsWindow(hwnd_)) {
            return;
        }
        if (answer == OfferAnswer::Decline) {
            DeclineUnsavedCopy(data.Path(), copy.path);
            continue;
        }
        Apply(changes, data.Data());
        ShowDataChanged();
        // Gone only once its changes are safe; a failure is told as any other.
        if (data.SaveNow().saved) {
            RemoveUnsavedCopy(copy.path);
        }
    }
}

void CMainFrame::ShowDataChanged() {
    for (int i = 0; i < CalendarView::kGridCount; ++i) {
        view.Grid(i)->Classify();
        view.Grid(i)->Invalidate();
    }
}

HWND CMainFrame::MessageOwner() const {
    const HWND popup = ::GetLastActivePopup(hwnd_);
    return popup != nullptr ? popup : hwnd_;
}
