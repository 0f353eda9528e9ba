// The real program as a child process, and the bytes of the data files the
// process tests prepare and expect.
#pragma once

#include <windows.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "app/MainFrame.h"

namespace programtest {

using Bytes = std::vector<unsigned char>;

constexpr DWORD kPatience = 60000; // ms; only reached when something is broken

inline void PutWord(Bytes& out, std::uint32_t word) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<unsigned char>(word >> (8 * i)));
    }
}

inline void PutTag(Bytes& out, const char* tag) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<unsigned char>(tag[i]));
    }
}

inline std::optional<Bytes> ReadFile(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::wstring& path, const Bytes& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline std::wstring Folder(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L"\\/") + 1);
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

    // The frame of this copy once it exists; null if the process ends first.
    HWND WaitForFrame() {
        ::WaitForInputIdle(info_.hProcess, kPatience);
        const ULONGLONG deadline = ::GetTickCount64() + kPatience;
        while (::GetTickCount64() < deadline) {
            for (HWND frame : Frames()) {
                DWORD owner = 0;
                ::GetWindowThreadProcessId(frame, &owner);
                if (owner == info_.dwProcessId) {
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

} // namespace programtest
