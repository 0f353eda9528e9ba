// Plays the user at the keyboard from a second thread while the test thread
// sits in modal loops: waits for the dialog she would see next, reads it and
// types real key strokes (SendInput) into it.
//
//   UserAtKeyboard user([](UserAtKeyboard& u) {
//       const HWND box = u.AwaitDialog(L"Lunabel");
//       u.Keys({VK_RETURN});
//   });
//   dialog.DoModal(owner);           // runs until the script has closed it
//   EXPECT_TRUE(user.Finish()) << user.Failure();
//
// A script that does not find what it waits for records why and closes every
// dialog of the test thread, so the test fails instead of hanging.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "WindowText.h"

class UserAtKeyboard {
public:
    using Script = std::function<void(UserAtKeyboard&)>;

    struct Stop {}; // thrown by a wait that runs out

    explicit UserAtKeyboard(Script script) : guiThread_(::GetCurrentThreadId()) {
        worker_ = std::thread([this, script = std::move(script)] {
            try {
                script(*this);
            } catch (const Stop&) {
                CloseEverything();
            }
        });
    }
    UserAtKeyboard(const UserAtKeyboard&) = delete;
    UserAtKeyboard& operator=(const UserAtKeyboard&) = delete;
    ~UserAtKeyboard() { Finish(); }

    // Waits for the script to end; true when nothing went wrong.
    bool Finish() {
        if (worker_.joinable()) {
            worker_.join();
        }
        return failure_.empty();
    }
    const std::string& Failure() const { return failure_; }

    // The dialog of the test thread that has the keyboard (active, enabled,
    // painted), once `match` accepts it.
    HWND AwaitDialogWhere(const std::function<bool(HWND)>& match, const std::string& what) {
        HWND found = nullptr;
        Await(
            [&] {
                found = ActiveDialog();
                return found && match(found);
            },
            what);
        return found;
    }

    HWND AwaitDialog(const std::wstring& title) {
        return AwaitDialogWhere([&title](HWND dialog) { return WindowText(dialog) == title; },
                                "a dialog titled '" + Narrow(title) + "'");
    }

    // Waits until `done` holds; a failure named `what` when it never does.
    void Await(const std::function<bool()>& done, const std::string& what,
               DWORD patienceMs = 20000) {
        const ULONGLONG end = ::GetTickCount64() + patienceMs;
        while (!done()) {
            if (::GetTickCount64() > end) {
                Fail("gave up waiting for " + what);
            }
            ::Sleep(10);
        }
    }

    // Records a failure and stops the script.
    [[noreturn]] void Fail(const std::string& why) {
        if (failure_.empty()) {
            failure_ = why;
        }
        throw Stop{};
    }

    // Key presses, each down and up; a modifier given first is held for the rest.
    void Keys(std::initializer_list<WORD> keys, std::initializer_list<WORD> held = {}) {
        std::vector<INPUT> input;
        for (const WORD key : held) {
            input.push_back(Key(key, false));
        }
        for (const WORD key : keys) {
            input.push_back(Key(key, false));
            input.push_back(Key(key, true));
        }
        for (const WORD key : held) {
            input.push_back(Key(key, true));
        }
        Send(input);
    }

    // Text typed character by character.
    void Type(const std::wstring& text) {
        std::vector<INPUT> input;
        for (const wchar_t c : text) {
            INPUT down{};
            down.type = INPUT_KEYBOARD;
            down.ki.wScan = c;
            down.ki.dwFlags = KEYEVENTF_UNICODE;
            INPUT up = down;
            up.ki.dwFlags |= KEYEVENTF_KEYUP;
            input.push_back(down);
            input.push_back(up);
        }
        Send(input);
    }

    // The window with the keyboard focus in the test thread.
    HWND Focus() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        ::GetGUIThreadInfo(guiThread_, &info);
        return info.hwndFocus;
    }

    // The text of a message box: its static with id 0xFFFF.
    static std::wstring MessageText(HWND box) {
        wchar_t text[2048] = L"";
        ::GetDlgItemTextW(box, 0xFFFF, text, 2048);
        return text;
    }

    static std::string Narrow(const std::wstring& text) {
        std::string out;
        for (const wchar_t c : text) {
            out += c < 128 ? static_cast<char>(c) : '?';
        }
        return out;
    }

private:
    static INPUT Key(WORD key, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        return input;
    }

    void Send(std::vector<INPUT>& input) {
        // Keys go to the foreground window: it must be the test's dialog.
        if (::GetWindowThreadProcessId(::GetForegroundWindow(), nullptr) != guiThread_) {
            Fail("the test's window is not in the foreground");
        }
        ::SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
    }

    // Active, enabled, shown and fully painted: what she sees and types into.
    HWND ActiveDialog() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        if (!::GetGUIThreadInfo(guiThread_, &info) || !info.hwndActive) {
            return nullptr;
        }
        const HWND active = info.hwndActive;
        wchar_t className[16] = L"";
        ::GetClassNameW(active, className, 16);
        if (std::wstring(className) != L"#32770" || !::IsWindowVisible(active) ||
            !::IsWindowEnabled(active) || ::GetUpdateRect(active, nullptr, FALSE)) {
            return nullptr;
        }
        // The focus lands inside once the dialog has finished opening.
        if (!info.hwndFocus || (info.hwndFocus != active && !::IsChild(active, info.hwndFocus))) {
            return nullptr;
        }
        return active;
    }

    // Ends every dialog of the test thread, innermost first, until none is left.
    void CloseEverything() const {
        const ULONGLONG end = ::GetTickCount64() + 20000;
        while (::GetTickCount64() < end) {
            HWND dialog = nullptr;
            ::EnumThreadWindows(
                guiThread_,
                [](HWND window, LPARAM found) -> BOOL {
                    wchar_t className[16] = L"";
                    ::GetClassNameW(window, className, 16);
                    if (std::wstring(className) == L"#32770" && ::IsWindowVisible(window)) {
                        *reinterpret_cast<HWND*>(found) = window;
                        if (::IsWindowEnabled(window)) {
                            return FALSE;
                        }
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&dialog));
            if (!dialog) {
                return;
            }
            ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            ::Sleep(50);
        }
    }

    DWORD guiThread_;
    std::string failure_;
    std::thread worker_;
};
