// The tests run windows on their own thread: these let them have their
// messages handled, or thrown away, and wait for what the messages bring.
#pragma once

#include <windows.h>

#include <functional>

inline void PumpMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// A quit request or an input left over must not reach a later test's loop.
inline void DiscardMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

// Pumps messages until `done` holds; false if it never does.
inline bool WaitFor(const std::function<bool()>& done, DWORD patienceMs = 10000) {
    const ULONGLONG end = ::GetTickCount64() + patienceMs;
    for (;;) {
        PumpMessages();
        if (done()) {
            return true;
        }
        if (::GetTickCount64() > end) {
            return false;
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// Paints whatever is invalid in the window and its children, now.
inline void Paint(HWND window) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}
