// The main window: a fixed-size frame around the calendar view, sized so that
// its client area is exactly the view's background picture.
#pragma once

#include "calendar/CalendarView.h"
#include "framework/FrameWindow.h"
#include "framework/MessageLoop.h"

class CMainFrame : public CFrameWindowImpl<CMainFrame>, public CMessageFilter {
public:
    // Style and extended style the program creates the frame with.
    static constexpr DWORD kStyle = WS_VISIBLE | WS_DLGFRAME | WS_SYSMENU;
    static constexpr DWORD kExStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
    static constexpr const wchar_t* kClassName = L"LunabelFrame";

    BOOL PreTranslateMessage(MSG* msg) override;

    BEGIN_MSG_MAP(CMainFrame)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_ENDSESSION, OnEndSession)
        CHAIN_MSG_MAP(CFrameWindowImpl<CMainFrame>)
    END_MSG_MAP()

    CalendarView& View() { return view; }

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEndSession(UINT, WPARAM, LPARAM, BOOL&);

    CalendarView view;
};
