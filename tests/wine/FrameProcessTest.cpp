// The real program as a child process, against the user's real data file
// (kept aside and put back around each test): every way of closing ends it
// with code 1 and the file written by the exit save; the end of the session
// saves before the process is killed.
//
// The prepared file is valid but not in the writer's form (DAYS before OPTS,
// marks out of order), so a file in the writer's form proves a save happened,
// and a file left as prepared proves none did.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/MainFrame.h"
#include "cycle/DataStore.h"

namespace {

using Bytes = std::vector<unsigned char>;

void PutWord(Bytes& out, std::uint32_t word) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<unsigned char>(word >> (8 * i)));
    }
}

void PutTag(Bytes& out, const char* tag) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<unsigned char>(tag[i]));
    }
}

constexpr std::uint32_t kEarly = (2006u << 16) | (3u << 8) | 15u;
constexpr std::uint32_t kLate = (2006u << 16) | (4u << 8) | 12u;

Bytes PreparedFile() {
    Bytes file;
    PutTag(file, "GOOD");
    PutWord(file, 0);
    PutTag(file, "DAYS");
    PutWord(file, 8);
    PutWord(file, kLate);
    PutWord(file, kEarly);
    PutTag(file, "OPTS");
    PutWord(file, 12);
    PutWord(file, 30);
    PutWord(file, 4);
    PutWord(file, 0);
    return file;
}

Bytes WrittenFile() {
    Bytes file;
    PutTag(file, "GOOD");
    PutWord(file, 0);
    PutTag(file, "OPTS");
    PutWord(file, 12);
    PutWord(file, 30);
    PutWord(file, 4);
    PutWord(file, 0);
    PutTag(file, "DAYS");
    PutWord(file, 8);
    PutWord(file, kEarly);
    PutWord(file, kLate);
    return file;
}

std::optional<Bytes> ReadFile(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::wstring& path, const Bytes& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::wstring ProgramPath() {
    wchar_t path[MAX_PATH] = L"";
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring program(path);
    program.erase(program.find_last_of(L"\\/") + 1);
    return program + L"lunabel.exe";
}

struct FindFrame {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchFrame(HWND window, LPARAM param) {
    auto* find = reinterpret_cast<FindFrame*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    wchar_t name[64] = L"";
    ::GetClassNameW(window, name, 64);
    if (owner == find->processId && std::wstring(name) == CMainFrame::kClassName) {
        find->found = window;
        return FALSE;
    }
    return TRUE;
}

constexpr DWORD kPatience = 60000; // ms; only reached when something is broken

class Program : public ::testing::Test {
protected:
    void SetUp() override {
        dataPath = LocateDataFile();
        ASSERT_FALSE(dataPath.empty());
        saved = ReadFile(dataPath);
        WriteFile(dataPath, PreparedFile());
    }

    void TearDown() override {
        if (process.hProcess) {
            if (::WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
                ::TerminateProcess(process.hProcess, 0);
                ::WaitForSingleObject(process.hProcess, kPatience);
            }
            ::CloseHandle(process.hProcess);
            ::CloseHandle(process.hThread);
        }
        if (saved) {
            WriteFile(dataPath, *saved);
        } else {
            ::DeleteFileW(dataPath.c_str());
        }
    }

    // Starts the program and waits until its frame exists and it waits for input.
    HWND Start() {
        std::wstring commandLine = L"\"" + ProgramPath() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &startup, &process)) {
            ADD_FAILURE() << "cannot start the program, error " << ::GetLastError();
            return nullptr;
        }
        ::WaitForInputIdle(process.hProcess, kPatience);
        FindFrame find{process.dwProcessId, nullptr};
        for (int tries = 0; tries < 1200 && find.found == nullptr; ++tries) {
            ::EnumWindows(MatchFrame, reinterpret_cast<LPARAM>(&find));
            if (find.found == nullptr) {
                if (::WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0) {
                    break; // ended before showing a window
                }
            }
        }
        EXPECT_NE(find.found, nullptr) << "the frame did not appear";
        return find.found;
    }

    // The exit code once the process has ended, or -1 if it does not end.
    long long ExitCode() {
        if (::WaitForSingleObject(process.hProcess, kPatience) != WAIT_OBJECT_0) {
            return -1;
        }
        DWORD code = 0;
        ::GetExitCodeProcess(process.hProcess, &code);
        return code;
    }

    std::wstring dataPath;
    std::optional<Bytes> saved;
    PROCESS_INFORMATION process{};
};

struct CloseCase {
    const char* name;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    bool send;
    bool toView;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const CloseCase& c, std::ostream* out) {
    *out << c.name;
}

class ProgramClosing : public Program, public ::testing::WithParamInterface<CloseCase> {};

} // namespace

TEST_P(ProgramClosing, ExitsWithOneAndWritesTheFile) {
    const CloseCase& c = GetParam();
    const HWND frame = Start();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(ReadFile(dataPath), PreparedFile()) << "nothing is written while running";

    const HWND target = c.toView ? ::GetWindow(frame, GW_CHILD) : frame;
    ASSERT_NE(target, nullptr);
    if (c.send) {
        ::SendMessageW(target, c.msg, c.wParam, c.lParam);
    } else {
        ::PostMessageW(target, c.msg, c.wParam, c.lParam);
    }

    EXPECT_EQ(ExitCode(), 1);
    EXPECT_EQ(ReadFile(dataPath), WrittenFile());
}

INSTANTIATE_TEST_SUITE_P(
    Ways, ProgramClosing,
    ::testing::Values(
        // What the Exit button does.
        CloseCase{"CloseMessage", WM_CLOSE, 0, 0, false, false},
        CloseCase{"ExitCommand", WM_COMMAND, ID_APP_EXIT, 0, false, false},
        // Alt+F4 as the keyboard delivers it to the focus window, and as the
        // system turns it into a command.
        CloseCase{"AltF4Key", WM_SYSKEYDOWN, VK_F4,
                  static_cast<LPARAM>((KF_ALTDOWN << 16) | (0x3E << 16) | 1), false, true},
        CloseCase{"AltF4Command", WM_SYSCOMMAND, SC_CLOSE, 0, true, false},
        // The system menu's Close, picked with the mouse.
        CloseCase{"SystemMenuClose", WM_SYSCOMMAND, SC_CLOSE, MAKELPARAM(10, 10), false, false}),
    [](const ::testing::TestParamInfo<CloseCase>& param) { return param.param.name; });

TEST_F(Program, EndOfSessionSavesBeforeTheProcessIsEnded) {
    const HWND frame = Start();
    ASSERT_NE(frame, nullptr);

    EXPECT_TRUE(::SendMessageW(frame, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
    EXPECT_EQ(ReadFile(dataPath), PreparedFile());
    ::SendMessageW(frame, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    ::TerminateProcess(process.hProcess, 99);

    EXPECT_EQ(ExitCode(), 99);
    EXPECT_EQ(ReadFile(dataPath), WrittenFile());
}

TEST_F(Program, KilledWithoutEndOfSessionLeavesTheFileAsItWas) {
    const HWND frame = Start();
    ASSERT_NE(frame, nullptr);
    ::TerminateProcess(process.hProcess, 99);

    EXPECT_EQ(ExitCode(), 99);
    EXPECT_EQ(ReadFile(dataPath), PreparedFile());
}
