// The real program as a child process, against the user's real data file
// (kept aside and put back around each test): a click is in the file soon
// after it is made, every way of closing ends the program with code 1, the end
// of the session saves before the process is killed, and a kill loses nothing
// that was saved.
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

constexpr std::uint32_t kClicked = (2006u << 16) | (4u << 8) | 1u;

// The prepared state with the click.
Bytes WrittenFile() {
    return FileBytes().Good().Opts(30, 4, 0).Days({kEarly, kClicked, kLate}).bytes;
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

TEST_P(ProgramClosing, ExitsWithOneWithTheClickInTheFile) {
    const CloseCase& c = GetParam();
    const HWND frame = Start();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(ReadFileBytes(dataPath), PreparedFile()) << "nothing is written without a change";

    ClickDay(frame, kClicked);
    EXPECT_TRUE(Eventually([&] { return ReadFileBytes(dataPath) == WrittenFile(); }))
        << "the click is saved while the program runs";

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

// The click and the end of the session come together: whether the click was
// saved already or not, the file holds it once WM_ENDSESSION is answered.
TEST_F(Program, EndOfSessionSavesBeforeTheProcessIsEnded) {
    const HWND frame = Start();
    ASSERT_NE(frame, nullptr);

    ClickDay(frame, kClicked);
    EXPECT_TRUE(::SendMessageW(frame, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
    ::SendMessageW(frame, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(ReadFileBytes(dataPath), WrittenFile());
    process.Terminate(99);
    EXPECT_EQ(ExitCode(), 99);
}

// Killed without warning once the file holds the click: the next start holds
// it too (one more click saves exactly the state with both), and the file
// holds exactly the expected keys. KillAfterSave.sh looks at the screen.
TEST_F(Program, KilledOnceTheClickIsSavedHoldsItAfterTheRestart) {
    HWND frame = Start();
    ASSERT_NE(frame, nullptr);
    ClickDay(frame, kClicked);
    ASSERT_TRUE(Eventually([&] { return ReadFileBytes(dataPath) == WrittenFile(); }));
    process.Terminate(99);
    ASSERT_EQ(ExitCode(), 99);

    ProgramCopy restarted;
    frame = restarted.StartAndWaitForFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(ReadFileBytes(dataPath), WrittenFile());
    const DateKey another = MakeDateKey(2006, 4, 2);
    ClickDay(frame, another);
    EXPECT_TRUE(Eventually([&] {
        return ReadFileBytes(dataPath) ==
               FileBytes().Good().Opts(30, 4, 0).Days({kEarly, kClicked, another, kLate}).bytes;
    }));
    ::PostMessageW(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(restarted.ExitCode(), 1);
}
