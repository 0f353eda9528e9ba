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
#include <ostream>
#include <string>
#include <vector>

#include "ProgramProcessSupport.h"

namespace {

using namespace programtest;

constexpr std::uint32_t kEarly = (2006u << 16) | (3u << 8) | 15u;
constexpr std::uint32_t kLate = (2006u << 16) | (4u << 8) | 12u;

Bytes PreparedFile() {
    return FileBytes().Good().Days({kLate, kEarly}).Opts(30, 4, 0).bytes;
}

Bytes WrittenFile() {
    return FileBytes().Good().Opts(30, 4, 0).Days({kEarly, kLate}).bytes;
}

class Program : public RealDataFileTest {
protected:
    void SetUp() override {
        RealDataFileTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        WriteFileBytes(dataPath, PreparedFile());
    }

    void TearDown() override {
        process.Stop();
        RealDataFileTest::TearDown();
    }

    HWND Start() { return process.StartAndWaitForFrame(); }

    long long ExitCode() { return process.ExitCode(); }

    ProgramCopy process;
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
    EXPECT_EQ(ReadFileBytes(dataPath), PreparedFile()) << "nothing is written while running";

    const HWND target = c.toView ? ::GetWindow(frame, GW_CHILD) : frame;
    ASSERT_NE(target, nullptr);
    if (c.send) {
        ::SendMessageW(target, c.msg, c.wParam, c.lParam);
    } else {
        ::PostMessageW(target, c.msg, c.wParam, c.lParam);
    }

    EXPECT_EQ(ExitCode(), 1);
    EXPECT_EQ(ReadFileBytes(dataPath), WrittenFile());
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
    EXPECT_EQ(ReadFileBytes(dataPath), PreparedFile());
    ::SendMessageW(frame, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    process.Terminate(99);

    EXPECT_EQ(ExitCode(), 99);
    EXPECT_EQ(ReadFileBytes(dataPath), WrittenFile());
}

TEST_F(Program, KilledWithoutEndOfSessionLeavesTheFileAsItWas) {
    const HWND frame = Start();
    ASSERT_NE(frame, nullptr);
    process.Terminate(99);

    EXPECT_EQ(ExitCode(), 99);
    EXPECT_EQ(ReadFileBytes(dataPath), PreparedFile());
}
