// The real program as a child process against the user's real data file, and
// the bytes of the data files the process tests prepare and expect.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "DataFileBytes.h"
#include "TestFiles.h"
#include "app/MainFrame.h"
#include "calendar/CalendarMessages.h"
#include "cycle/DataStore.h"
#include "cycle/DateKey.h"

namespace programtest {

constexpr DWORD kPatience = 60000; // ms; only reached when something is broken

inline std::wstring Folder(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

inline std::wstring FileName(const std::wstring& path) {
    return path.substr(path.find_last_of(L"\\/") + 1);
}

// Names in the data file's folder that begin with its name: the file itself, and
// any temporary, damaged or unsaved file made beside it.
inline std::set<std::wstring> FilesBeside(const std::wstring& dataPath) {
    std::set<std::wstring> names;
    for (const std::wstring& name : ListFolder(Folder(dataPath))) {
        if (name.starts_with(FileName(dataPath))) {
            names.insert(name);
        }
    }
    return names;
}

// lunabel.exe lies beside the test executable.
inline std::wstring ProgramPath() {
    wchar_t path[MAX_PATH] = L"";
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return Folder(path) + L"lunabel.exe";
}

inline BOOL CALLBACK CollectFrames(HWND window, LPARAM param) {
    wchar_t name[64] = L"";
    ::GetClassNameW(window, name, 64);
    if (std::wstring(name) == CMainFrame::kClassName) {
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    }
    return TRUE;
}

// Every main window of every running copy.
inline std::vector<HWND> Frames() {
    std::vector<HWND> frames;
    ::EnumWindows(CollectFrames, reinterpret_cast<LPARAM>(&frames));
    return frames;
}

// One started copy of the program; a copy still running at the end is killed.
class ProgramCopy {
public:
    ProgramCopy() = default;
    ProgramCopy(const ProgramCopy&) = delete;
    ProgramCopy& operator=(const ProgramCopy&) = delete;
    ~ProgramCopy() { Stop(); }

    bool Start() {
        std::wstring commandLine = L"\"" + ProgramPath() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        return ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                nullptr, &startup, &info_) != 0;
    }

    // Starts the copy and waits for its frame; null, and the test failed, if
    // either does not happen.
    HWND StartAndWaitForFrame() {
        if (!Start()) {
            ADD_FAILURE() << "cannot start the program, error " << ::GetLastError();
            return nullptr;
        }
        const HWND frame = WaitForFrame();
        if (frame == nullptr) {
            ADD_FAILURE() << "the program showed no window";
        }
        return frame;
    }

    // The frame of this copy once it is shown; null if the process ends first.
    // A frame still being created is listed already, before its view exists:
    // shown, it has all its children.
    HWND WaitForFrame() {
        ::WaitForInputIdle(info_.hProcess, kPatience);
        const ULONGLONG deadline = ::GetTickCount64() + kPatience;
        while (::GetTickCount64() < deadline) {
            for (HWND frame : Frames()) {
                DWORD owner = 0;
                ::GetWindowThreadProcessId(frame, &owner);
                if (owner == info_.dwProcessId && ::IsWindowVisible(frame)) {
                    return frame;
                }
            }
            if (::WaitForSingleObject(info_.hProcess, 50) == WAIT_OBJECT_0) {
                return nullptr;
            }
        }
        return nullptr;
    }

    // The exit code once ended, or -1 if it does not end.
    long long ExitCode() {
        if (::WaitForSingleObject(info_.hProcess, kPatience) != WAIT_OBJECT_0) {
            return -1;
        }
        DWORD code = 0;
        ::GetExitCodeProcess(info_.hProcess, &code);
        return code;
    }

    void Terminate(UINT code) { ::TerminateProcess(info_.hProcess, code); }

    bool Running() const {
        return info_.hProcess != nullptr &&
               ::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
    }
    DWORD Id() const { return info_.dwProcessId; }

    // Kills the copy if it still runs and lets its handles go.
    void Stop() {
        if (info_.hProcess == nullptr) {
            return;
        }
        if (::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(info_.hProcess, 0);
            ::WaitForSingleObject(info_.hProcess, kPatience);
        }
        ::CloseHandle(info_.hProcess);
        ::CloseHandle(info_.hThread);
        info_ = {};
    }

private:
    PROCESS_INFORMATION info_{};
};

// A day clicked in the copy whose frame this is, the way a grid reports it;
// sent, so that it has been handled when this returns.
inline void ClickDay(HWND frame, DateKey key) {
    ::SendMessageW(::GetWindow(frame, GW_CHILD), WM_DAY_CLICKED, KeyYear(key),
                   MAKELPARAM(KeyMonth(key), KeyDay(key)));
}

// The copy's message box or task dialog, if one is shown.
inline HWND PopupOf(DWORD processId) {
    struct Search {
        DWORD processId;
        HWND found;
    } search{processId, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            wchar_t name[16] = L"";
            ::GetClassNameW(window, name, 16);
            if (owner == s.processId && ::IsWindowVisible(window) &&
                std::wstring(name) == L"#32770") {
                s.found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Every text a dialog shows, its buttons' included, one per line.
inline std::wstring TextsOf(HWND dialog) {
    std::wstring texts;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t text[2048] = L"";
        ::GetWindowTextW(child, text, 2048);
        texts += std::wstring(text) + L"\n";
    }
    return texts;
}

// Presses the dialog's button with this text (its access-key mark ignored).
inline bool PressButton(HWND dialog, const std::wstring& caption) {
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t text[256] = L"";
        ::GetWindowTextW(child, text, 256);
        std::wstring plain(text);
        std::erase(plain, L'&');
        if (plain == caption) {
            ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(child), BN_CLICKED),
                           reinterpret_cast<LPARAM>(child));
            return true;
        }
    }
    return false;
}

// Polls until `done` holds; false if it never does.
inline bool Eventually(const std::function<bool()>& done) {
    const ULONGLONG deadline = ::GetTickCount64() + kPatience;
    while (!done()) {
        if (::GetTickCount64() > deadline) {
            return false;
        }
        ::Sleep(5);
    }
    return true;
}

// Plain ASCII of a text, for a failure's message.
inline std::string Narrow(const std::wstring& text) {
    return {text.begin(), text.end()};
}

// The copy's next message box or dialog, once it shows; null if none comes.
inline HWND AwaitPopup(const ProgramCopy& copy) {
    HWND popup = nullptr;
    Eventually([&] { return (popup = PopupOf(copy.Id())) != nullptr; });
    return popup;
}

// The copy's next popup's texts, then its button pressed.
inline std::wstring AnswerPopup(const ProgramCopy& copy, const std::wstring& button) {
    const HWND popup = AwaitPopup(copy);
    if (popup == nullptr) {
        ADD_FAILURE() << "no message";
        return L"";
    }
    const std::wstring texts = TextsOf(popup);
    EXPECT_TRUE(PressButton(popup, button)) << Narrow(texts);
    EXPECT_TRUE(Eventually([&] { return !::IsWindow(popup); }));
    return texts;
}

// The user's real data file is kept aside and put back around each test, and
// whatever the program made beside it goes.
class RealDataFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dataPath = LocateDataFile();
        ASSERT_FALSE(dataPath.empty());
        saved = ReadFileBytes(dataPath);
        before = FilesBeside(dataPath);
    }

    void TearDown() override {
        for (const std::wstring& name : FilesBeside(dataPath)) {
            if (!before.contains(name)) {
                ::DeleteFileW((Folder(dataPath) + name).c_str());
            }
        }
        if (saved) {
            WriteFileBytes(dataPath, *saved);
        } else {
            ::DeleteFileW(dataPath.c_str());
        }
    }

    std::wstring dataPath;
    std::optional<Bytes> saved;
    std::set<std::wstring> before;
};

} // namespace programtest
