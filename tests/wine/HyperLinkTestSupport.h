// What the link and About box tests share: a stand-in for the shell, the
// browser colour settings set for one test, real mouse input, waiting for a
// condition, and reading back the pixels a window shows.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Capture.h"
#include "MessagePump.h"
#include "framework/Gdi.h"
#include "framework/HyperLink.h"

namespace linktest {

// Takes the links' shell calls for as long as it lives.
class FakeShell {
public:
    struct Call {
        HWND owner;
        std::wstring verb;
        std::wstring target;
        bool parameters;
        bool directory;
        INT show;
    };

    explicit FakeShell(INT_PTR answer = 33) : previous_(CHyperLink::shellOpen) {
        Answer() = answer;
        Calls().clear();
        CHyperLink::shellOpen = &Open;
    }
    FakeShell(const FakeShell&) = delete;
    FakeShell& operator=(const FakeShell&) = delete;
    ~FakeShell() { CHyperLink::shellOpen = previous_; }

    const std::vector<Call>& Log() const { return Calls(); }
    std::size_t Count() const { return Calls().size(); }

private:
    static INT_PTR& Answer() {
        static INT_PTR answer = 33;
        return answer;
    }
    static std::vector<Call>& Calls() {
        static std::vector<Call> calls;
        return calls;
    }
    static HINSTANCE WINAPI Open(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                                 LPCWSTR directory, INT show) {
        Calls().push_back({owner, verb ? verb : L"", file ? file : L"", parameters != nullptr,
                           directory != nullptr, show});
        return reinterpret_cast<HINSTANCE>(Answer());
    }

    CHyperLink::ShellOpenFn previous_;
};

inline constexpr wchar_t kBrowserSettings[] = L"Software\\Microsoft\\Internet Explorer\\Settings";

// Sets one browser colour value (or removes it) and puts the old one back.
class BrowserSetting {
public:
    // `data` as raw bytes, so a test can store any type and length.
    BrowserSetting(const wchar_t* name, DWORD type, const void* data, DWORD size) : name_(name) {
        ::RegCreateKeyExW(HKEY_CURRENT_USER, kBrowserSettings, 0, nullptr, 0, KEY_READ | KEY_WRITE,
                          nullptr, &key_, nullptr);
        DWORD oldSize = 0;
        if (::RegQueryValueExW(key_, name, nullptr, &oldType_, nullptr, &oldSize) ==
            ERROR_SUCCESS) {
            old_.emplace(oldSize, '\0');
            ::RegQueryValueExW(key_, name, nullptr, &oldType_,
                               reinterpret_cast<BYTE*>(old_->data()), &oldSize);
        }
        if (data == nullptr) {
            ::RegDeleteValueW(key_, name);
        } else {
            EXPECT_EQ(::RegSetValueExW(key_, name, 0, type, static_cast<const BYTE*>(data), size),
                      ERROR_SUCCESS);
        }
    }
    // A string value, stored with its terminator.
    BrowserSetting(const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ)
        : BrowserSetting(name, type, text.c_str(),
                         static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) {}
    BrowserSetting(const BrowserSetting&) = delete;
    BrowserSetting& operator=(const BrowserSetting&) = delete;
    ~BrowserSetting() {
        if (old_) {
            ::RegSetValueExW(key_, name_.c_str(), 0, oldType_,
                             reinterpret_cast<const BYTE*>(old_->data()),
                             static_cast<DWORD>(old_->size()));
        } else {
            ::RegDeleteValueW(key_, name_.c_str());
        }
        ::RegCloseKey(key_);
    }

private:
    std::wstring name_;
    HKEY key_ = nullptr;
    DWORD oldType_ = 0;
    std::optional<std::string> old_;
};

// Real input, as the system delivers it: hit-testing included.
inline void MoveMouse(POINT screen) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(screen.x, 65535, ::GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(screen.y, 65535, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    ::SendInput(1, &input, sizeof input);
}

inline void Click(POINT screen) {
    MoveMouse(screen);
    INPUT input[2]{};
    input[0].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].type = INPUT_MOUSE;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(2, input, sizeof input[0]);
}

inline POINT ToScreen(HWND window, POINT client) {
    ::ClientToScreen(window, &client);
    return client;
}

// The middle of the label, and a point of the control beside the label.
inline POINT LabelCentre(const CHyperLink& link) {
    const RECT hit = link.HitRect();
    return {(hit.left + hit.right) / 2, (hit.top + hit.bottom) / 2};
}
inline POINT BesideLabel(const CHyperLink& link) {
    const RECT hit = link.HitRect();
    return {hit.right + 6, (hit.top + hit.bottom) / 2};
}

// What a window shows once everything pending in it is painted.
inline Capture Shown(HWND window) {
    Paint(window);
    return Capture(window);
}

// A row of `area` at least three quarters in `colour`: an underline.
inline bool HasLine(const Capture& shown, COLORREF colour, const RECT& area) {
    for (int y = area.top; y < area.bottom; ++y) {
        if (shown.Count(colour, {area.left, y, area.right, y + 1}) * 4 >=
            (area.right - area.left) * 3) {
            return true;
        }
    }
    return false;
}

} // namespace linktest
