// When she last used the keyboard or mouse in Lunabel, in any of its windows
// and dialogs: a hook on the thread's messages, for as long as it lives.
#pragma once

#include <windows.h>

#include <cstdint>

class InputWatch {
public:
    InputWatch();
    ~InputWatch();
    InputWatch(const InputWatch&) = delete;
    InputWatch& operator=(const InputWatch&) = delete;

    // GetTickCount64 at the last input; the watch's start before any.
    static std::uint64_t LastInput();

private:
    static LRESULT CALLBACK OnMessage(int code, WPARAM wParam, LPARAM lParam);

    HHOOK hook_ = nullptr;
};
