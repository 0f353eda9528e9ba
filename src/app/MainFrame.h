// The main window: a fixed-size frame around the calendar view, sized so that
// its client area is exactly the view's background picture. It also speaks
// for the user's data file: it tells her when a save fails, asks her at exit
// when her changes could not be saved, and offers back changes an earlier run
// could only keep in a copy, a damaged file's backup, and an interrupted
// save it finished.
#pragma once

#include <cstdint>
#include <memory>

#include "app/InputWatch.h"

#include "view/CalendarView.h"
#include "view/Commands.h"
#include "crypto/KeyRing.h"
#include "cycle/SaveWorker.h"
#include "framework/FrameWindow.h"
#include "framework/MessageLoop.h"

class CalendarData;
class PersistentCalendarData;

class CMainFrame : public CFrameWindowImpl<CMainFrame>, public CMessageFilter {
public:
    // Style and extended style the program creates the frame with.
    static constexpr DWORD kStyle = WS_VISIBLE | WS_DLGFRAME | WS_SYSMENU;
    static constexpr DWORD kExStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
    static constexpr const wchar_t* kClassName = L"LunabelFrame";

    // `saved` keeps `data` in her file; null for a frame that keeps nothing.
    explicit CMainFrame(CalendarData& data, PersistentCalendarData* saved = nullptr);

    BOOL PreTranslateMessage(MSG* msg) override;

    BEGIN_MSG_MAP(CMainFrame)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_CLOSE, OnClose)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_ENDSESSION, OnEndSession)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        MESSAGE_HANDLER(WM_DPICHANGED, OnDpiChanged)
        MESSAGE_HANDLER(WM_GETDPISCALEDSIZE, OnGetDpiScaledSize)
        MESSAGE_HANDLER(WM_WTSSESSION_CHANGE, OnSessionChange)
        MESSAGE_HANDLER(kLockMessage, OnLockMessage)
        COMMAND_ID_HANDLER(CMD_LOCK, OnLock)
        COMMAND_ID_HANDLER(CMD_LOCK_OPTIONS, OnLockOptions)
        COMMAND_ID_HANDLER(CMD_PROTECT, OnProtect)
        COMMAND_ID_HANDLER(CMD_REMOVE_PASSWORD, OnRemovePassword)
        CHAIN_MSG_MAP(CFrameWindowImpl<CMainFrame>)
    END_MSG_MAP()

    CalendarView& View() { return view; }

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEndSession(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDpiChanged(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnGetDpiScaledSize(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSessionChange(UINT, WPARAM wParam, LPARAM, BOOL&);
    LRESULT OnLockMessage(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLock(WORD, WORD, HWND, BOOL&);
    LRESULT OnLockOptions(WORD, WORD, HWND, BOOL&);
    LRESULT OnProtect(WORD, WORD, HWND, BOOL&);
    LRESULT OnRemovePassword(WORD, WORD, HWND, BOOL&);
    SIZE OuterSize(SIZE client, UINT dpi) const;

    void OnSaved(const SaveResult& result, bool firstFailure);
    bool SaveBeforeClosing(PersistentCalendarData& data);
    bool KeepChangesAndClose(PersistentCalendarData& data);
    void CheckDataAfterStart(PersistentCalendarData& data);
    // The password dialog over blank grids until she opens her calendar;
    // false when she chose to end Lunabel instead.
    bool UnlockAtStart(PersistentCalendarData& data);
    // A lock asked for (a key, Windows, idle minutes): what may be closed is
    // closed, and the lock waits for the rest (a print, Save As, a question).
    void RequestLock();
    // Seals, blanks the grids, and asks for the password over them.
    void LockNow(PersistentCalendarData& data);
    void LoadLockChoices();
    // "Forgot password?": the recovery key and a new password. False when
    // she went back to the password.
    bool RecoverAtStart(PersistentCalendarData& data);
    // Seals her files with the new key; tells her when it could not.
    void ApplyProtection(PersistentCalendarData& data, keyring::SealingKey key);
    void OfferProtectedCopies(PersistentCalendarData& data);
    void ShowProtection();
    void OfferBackup(PersistentCalendarData& data);
    void OfferUnsavedCopies(PersistentCalendarData& data);
    // The grids show the data again after it changed under them.
    void ShowDataChanged();
    // Messages go to the dialog on top, if one is open.
    HWND MessageOwner() const;

    PersistentCalendarData* saved;
    CalendarView view;
    // Closing: the question at exit speaks for any failure, not a message box.
    bool closing = false;
    bool tellingFailure = false;
    // The cause told in this run of failures, so that each is told once.
    std::uint32_t toldError = 0;
    bool toldBackupFailed = false;
    // The message that another program holds the file, while it shows.
    HWND fileHeldMessage = nullptr;
    static constexpr UINT kLockMessage = WM_APP + 1;
    bool lockWanted = false;
    bool lockWithWindows = true;
    int idleMinutes = 0;
    std::unique_ptr<InputWatch> inputWatch;
};
