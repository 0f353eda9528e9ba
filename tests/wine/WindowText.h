// Reading windows as a test does: their class names and texts, and UTF-8 for
// what a failing test prints.
#pragma once

#include <windows.h>

#include <string>

inline std::string Utf8(const std::wstring& text) {
    std::string bytes(static_cast<std::size_t>(::WideCharToMultiByte(CP_UTF8, 0, text.c_str(),
                                                                     static_cast<int>(text.size()),
                                                                     nullptr, 0, nullptr, nullptr)),
                      '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(),
                          static_cast<int>(bytes.size()), nullptr, nullptr);
    return bytes;
}

inline std::wstring ClassOf(HWND window) {
    wchar_t name[64] = L"";
    ::GetClassNameW(window, name, 64);
    return name;
}

inline std::wstring WindowText(HWND window) {
    wchar_t text[2048] = L"";
    ::GetWindowTextW(window, text, 2048);
    return text;
}
