// A hidden, message-only window that runs a function for each message posted
// to it, on the thread that made it. Any thread may post; whichever loop that
// thread runs dispatches it, the modal loops of dialogs and message boxes too.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <utility>

#include "framework/Window.h"

class MessageWindow : public CWindowImpl<MessageWindow, CWinTraits<0>> {
public:
    static constexpr const wchar_t* kClassName = L"LunabelMessageWindow";
    using Handler = std::function<void(std::uintptr_t what)>;

    explicit MessageWindow(Handler handler) : handler_(std::move(handler)) {}

    // False when the window could not be made.
    bool Create() { return CWindowImpl::Create(HWND_MESSAGE, RECT{}, nullptr, 0, 0, 0) != nullptr; }

    // Safe from any thread while the window exists.
    bool Post(std::uintptr_t what) const { return ::PostMessageW(hwnd_, kPosted, what, 0) != 0; }

    BEGIN_MSG_MAP(MessageWindow)
        MESSAGE_HANDLER(kPosted, OnPosted)
    END_MSG_MAP()

private:
    static constexpr UINT kPosted = WM_APP;

    LRESULT OnPosted(UINT, WPARAM wParam, LPARAM, BOOL&) {
        handler_(wParam);
        return 0;
    }

    Handler handler_;
};
