// What the cycle history tests share: a history of her own with a break and
// an unusual cycle, the registry preference given back as it was, a scratch
// folder, and reading what the dialog's controls show and say.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>

#include <string>
#include <vector>

#include "HistoryStarts.h"
#include "TestFiles.h"
#include "WindowText.h"
#include "framework/Handle.h"
#include "cycle/DateKey.h"
#include "history/FollowCycles.h"

namespace historytest {

// Nineteen gaps from 10 February 2025 to 9 November 2026: an unusual 41, a
// break of 120 days, and an unusual 22 among the twelve most recent.
inline const std::vector<int> kLengths = {28,  30, 27, 29, 41, 28, 26, 31, 29, 28,
                                          120, 27, 29, 28, 22, 30, 28, 29, 27};
inline std::vector<DateKey> HerStarts() {
    return Starts(MakeDateKey(2025, 2, 10), kLengths);
}

// The preference as it was before the test.
class FollowGuard {
public:
    FollowGuard() : was_(IsFollowingCycles()) {}
    ~FollowGuard() { SetFollowingCycles(was_); }
    FollowGuard(const FollowGuard&) = delete;
    FollowGuard& operator=(const FollowGuard&) = delete;

private:
    bool was_;
};

// A folder of its own under the temporary folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder() {
        wchar_t temp[MAX_PATH] = L"";
        ::GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + L"lunabel-history-" + std::to_wstring(::GetCurrentProcessId());
        RemoveTree(path_);
        ::CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~ScratchFolder() { RemoveTree(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

inline std::wstring ControlText(HWND dialog, int id) {
    wchar_t text[2048] = L"";
    ::GetDlgItemTextW(dialog, id, text, 2048);
    return text;
}

// Row by row, the four columns joined by " | ".
inline std::vector<std::wstring> ListRows(HWND list) {
    std::vector<std::wstring> rows;
    const int count = ListView_GetItemCount(list);
    for (int row = 0; row < count; ++row) {
        std::wstring line;
        for (int column = 0; column < 4; ++column) {
            wchar_t text[256] = L"";
            ListView_GetItemText(list, row, column, text, 256);
            line += (column ? L" | " : L"") + std::wstring(text);
        }
        rows.push_back(line);
    }
    return rows;
}

// The name a screen reader reads for a control (Active Accessibility).
inline std::wstring AccessibleName(HWND control) {
    com::Ptr<IAccessible> object;
    if (FAILED(::AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible),
                                            object.PutVoid()))) {
        return L"<none>";
    }
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    object->get_accName(self, &name);
    const std::wstring text = name ? name : L"";
    ::SysFreeString(name);
    return text;
}

} // namespace historytest
