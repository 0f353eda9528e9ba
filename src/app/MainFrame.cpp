#include "app/MainFrame.h"

#include "cycle/PersistentCalendarData.h"

BOOL CMainFrame::PreTranslateMessage(MSG* msg) {
    return accelerators && ::TranslateAcceleratorW(hwnd_, accelerators, msg) ? TRUE : FALSE;
}

LRESULT CMainFrame::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
    clientWindow =
        view.Create(hwnd_, rcDefault, nullptr,
                    WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, WS_EX_STATICEDGE);

    // The system adds a caption to every overlapped window: size with the
    // style the window really has, so the client area is the picture's size.
    const SIZE size = view.GetSize();
    RECT outer{0, 0, size.cx, size.cy};
    ::AdjustWindowRectEx(&outer, GetStyle(), FALSE, GetExStyle());
    const RECT current = GetWindowRect();
    ::MoveWindow(hwnd_, current.left, current.top, outer.right - outer.left,
                 outer.bottom - outer.top, TRUE);

    if (CMessageLoop* loop = AppModule().GetMessageLoop()) {
        loop->AddMessageFilter(this);
    }
    return 0;
}

LRESULT CMainFrame::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    // The loop outlives the window; it must not call a filter that is gone.
    if (CMessageLoop* loop = AppModule().GetMessageLoop()) {
        loop->RemoveMessageFilter(this);
    }
    handled = FALSE;
    return 0;
}

// The process is ended after this message without running its exit code, so
// the save that normally happens at exit happens now.
LRESULT CMainFrame::OnEndSession(UINT, WPARAM wParam, LPARAM, BOOL&) {
    if (wParam) {
        if (PersistentCalendarData* data = PersistentCalendarData::Current()) {
            data->SaveNow();
        }
    }
    return 0;
}
