#include "app/InputWatch.h"

#include <atomic>

namespace {
std::atomic<std::uint64_t> lastInput{0};

bool IsInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCMBUTTONDBLCLK);
}
} // namespace

InputWatch::InputWatch() {
    lastInput = ::GetTickCount64();
    hook_ = ::SetWindowsHookExW(WH_GETMESSAGE, OnMessage, nullptr, ::GetCurrentThreadId());
}

InputWatch::~InputWatch() {
    if (hook_ != nullptr) {
        ::UnhookWindowsHookEx(hook_);
    }
}

std::uint64_t InputWatch::LastInput() {
    return lastInput;
}

LRESULT CALLBACK InputWatch::OnMessage(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE &&
        IsInput(reinterpret_cast<MSG*>(lParam)->message)) {
        lastInput = ::GetTickCount64();
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}
