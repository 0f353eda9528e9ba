#include "app/MainFrame.h"

#include <optional>

#include "app/SaveMessages.h"
#include "cycle/PersistentCalendarData.h"
#include "cycle/SessionChanges.h"
#include "files/Files.h"

namespace {
// Fires once, after the first paint: timers come after every paint is done,
// so a question about the data never holds up the window or a second copy.
constexpr UINT_PTR kAfterStartTimer = 1;
// While another program holds the data file, saving is tried again this often
// until it goes through, without waiting for her next change.
constexpr UINT_PTR kRetrySaveTimer = 2;
constexpr UINT kRetrySaveEvery = 3000;

bool IsHeldElsewhere(std::uint32_t error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
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
        ::SetTimer(hwnd_, kAfterStartTimer, USER_TIMER_MINIMUM, nullptr);
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
    if (IsHeldElsewhere(result.error) && !closing) {
        ::SetTimer(hwnd_, kRetrySaveTimer, kRetrySaveEvery, nullptr);
    }
    if (closing || tellingFailure || (!firstFailure && result.error == toldError)) {
        return;
    }
    toldError = result.error;
    tellingFailure = true;
    if (IsHeldElsewhere(result.error)) {
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
    switch (data.LastLoad()) {
    case LoadOutcome::NoPath:
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
