// The main frame in this process: its size and look, its client view, and
// every way of closing it.
#include <gtest/gtest.h>

#include <windows.h>

#include <ostream>
#include <string>

#include "DataGuard.h"
#include "MessagePump.h"
#include "app/MainFrame.h"
#include "cycle/PersistentCalendarData.h"
#include "framework/AppModule.h"
#include "framework/Gdi.h"
#include "framework/MessageLoop.h"
#include "skin/DisplayScale.h"

namespace {

SIZE IconSize(HICON icon) {
    ICONINFO info{};
    if (!::GetIconInfo(icon, &info)) {
        return SIZE{0, 0};
    }
    BITMAP bitmap{};
    ::GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    gdi::Bitmap color(info.hbmColor);
    gdi::Bitmap mask(info.hbmMask);
    return SIZE{bitmap.bmWidth, bitmap.bmHeight};
}

// Hidden: without a window manager Wine waits two seconds for a shown
// top-level window to be withdrawn when it is destroyed.
constexpr DWORD kHiddenStyle = CMainFrame::kStyle & ~WS_VISIBLE;

class MainFrame : public ::testing::Test {
protected:
    void SetUp() override {
        DiscardMessages();
        ASSERT_TRUE(AppModule().AddMessageLoop(&loop));
    }
    void TearDown() override {
        if (frame.IsWindow()) {
            frame.DestroyWindow();
        }
        AppModule().RemoveMessageLoop();
        DiscardMessages(); // the frame's quit request must not end a later test's loop
    }

    HWND CreateFrame(const RECT& rect = CWindow::rcDefault) {
        return frame.Create(nullptr, rect, nullptr, kHiddenStyle, CMainFrame::kExStyle);
    }

    bool ViewCoversClient() {
        RECT client{};
        ::GetClientRect(frame, &client);
        ::MapWindowPoints(frame, nullptr, reinterpret_cast<POINT*>(&client), 2);
        const RECT view = frame.View().GetWindowRect();
        return ::EqualRect(&view, &client) != FALSE;
    }

    CMessageLoop loop;
    CMainFrame frame{TestData()};
};

} // namespace

TEST_F(MainFrame, ClientAreaIsExactlyTheBackgroundPicture) {
    ASSERT_NE(CreateFrame(), nullptr);
    const SIZE picture = frame.View().GetSize();
    EXPECT_EQ(picture.cx, 675);
    EXPECT_EQ(picture.cy, 557);

    const RECT client = frame.GetClientRect();
    EXPECT_EQ(client.right - client.left, 675);
    EXPECT_EQ(client.bottom - client.top, 557);
    // Sized with the style the window really has: the system's caption stays.
    EXPECT_EQ(frame.GetStyle() & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
}

// Moved to a screen of another scale: the size it asks for is exact, and it
// takes the suggested place with the pictures of the new scale already made,
// so the view is never shown with a picture of the wrong size.
TEST_F(MainFrame, FollowsAChangeOfScale) {
    ASSERT_NE(CreateFrame(RECT{40, 30, 300, 300}), nullptr);
    for (const int dpi : {144, 192, 96}) {
        SCOPED_TRACE(dpi);
        const DisplayScale scale(dpi);
        const SIZE client{scale.Edge(675), scale.Edge(557)};
        RECT outer{0, 0, client.cx, client.cy};
        ::AdjustWindowRectExForDpi(&outer, frame.GetStyle(), FALSE, frame.GetExStyle(),
                                   static_cast<UINT>(dpi));
        SIZE asked{};
        EXPECT_TRUE(frame.SendMessage(WM_GETDPISCALEDSIZE, static_cast<WPARAM>(dpi),
                                      reinterpret_cast<LPARAM>(&asked)));
        EXPECT_EQ(asked.cx, outer.right - outer.left);
        EXPECT_EQ(asked.cy, outer.bottom - outer.top);

        RECT suggested{50, 60, 50 + asked.cx, 60 + asked.cy};
        frame.SendMessage(WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                          reinterpret_cast<LPARAM>(&suggested));
        // This process stays at its own scale, and so does its caption: the
        // window takes the size asked for, the view the picture's.
        const RECT now = frame.GetWindowRect();
        EXPECT_EQ(now.left, 50);
        EXPECT_EQ(now.right - now.left, asked.cx);
        EXPECT_EQ(now.bottom - now.top, asked.cy);
        const SIZE picture = frame.View().GetSize();
        EXPECT_EQ(picture.cx, client.cx);
        EXPECT_EQ(picture.cy, client.cy);
    }
}

TEST_F(MainFrame, KeepsThePositionItWasCreatedAt) {
    ASSERT_NE(CreateFrame(RECT{123, 77, 423, 277}), nullptr);
    const RECT window = frame.GetWindowRect();
    EXPECT_EQ(window.left, 123);
    EXPECT_EQ(window.top, 77);
    EXPECT_NE(window.right - window.left, 300) << "only the size changes";
}

namespace {

// Notes where the system put the frame before the frame resizes itself.
class PlacedFrame : public CMainFrame {
public:
    PlacedFrame() : CMainFrame(TestData()) {}

    RECT chosen{};

    BEGIN_MSG_MAP(PlacedFrame)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        CHAIN_MSG_MAP(CMainFrame)
    END_MSG_MAP()

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL& handled) {
        chosen = GetWindowRect();
        handled = FALSE;
        return 0;
    }
};

} // namespace

TEST_F(MainFrame, KeepsThePositionTheSystemChose) {
    PlacedFrame placed;
    ASSERT_NE(
        placed.Create(nullptr, CWindow::rcDefault, nullptr, kHiddenStyle, CMainFrame::kExStyle),
        nullptr);
    const RECT window = placed.GetWindowRect();
    EXPECT_EQ(window.left, placed.chosen.left);
    EXPECT_EQ(window.top, placed.chosen.top);
    const RECT client = placed.GetClientRect();
    EXPECT_EQ(client.right, 675);
    EXPECT_EQ(client.bottom, 557);
    placed.DestroyWindow();
}

TEST_F(MainFrame, ViewIsTheClientAndCoversIt) {
    ASSERT_NE(CreateFrame(), nullptr);
    const HWND view = frame.View().Handle();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(frame.ClientWindow(), view);
    EXPECT_EQ(::GetParent(view), frame.Handle());
    EXPECT_EQ(frame.View().GetStyle() & 0xFFFF0000, 0x56000000u);
    EXPECT_EQ(frame.View().GetExStyle() & WS_EX_STATICEDGE, static_cast<DWORD>(WS_EX_STATICEDGE));
    EXPECT_TRUE(ViewCoversClient());
}

TEST_F(MainFrame, LayoutFollowsTheClientAreaUnlessMinimised) {
    ASSERT_NE(CreateFrame(), nullptr);
    const RECT before = frame.GetWindowRect();
    ::SetWindowPos(frame, nullptr, 0, 0, before.right - before.left + 40,
                   before.bottom - before.top + 30, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(ViewCoversClient());

    const RECT laidOut = frame.View().GetWindowRect();
    frame.SendMessage(WM_SIZE, SIZE_MINIMIZED, 0);
    const RECT minimised = frame.View().GetWindowRect();
    EXPECT_TRUE(::EqualRect(&minimised, &laidOut));
}

TEST_F(MainFrame, TitleIconsAndNoMenu) {
    ASSERT_NE(CreateFrame(), nullptr);
    wchar_t title[32] = L"";
    ::GetWindowTextW(frame, title, 32);
    EXPECT_STREQ(title, L"Lunabel");
    EXPECT_EQ(::GetMenu(frame), nullptr);

    EXPECT_EQ(::GetClassLongPtrW(frame, GCL_STYLE), 0u);
    EXPECT_EQ(::GetClassLongPtrW(frame, GCLP_HBRBACKGROUND),
              static_cast<ULONG_PTR>(COLOR_WINDOW + 1));
    const SIZE large = IconSize(reinterpret_cast<HICON>(::GetClassLongPtrW(frame, GCLP_HICON)));
    const SIZE small = IconSize(reinterpret_cast<HICON>(::GetClassLongPtrW(frame, GCLP_HICONSM)));
    EXPECT_EQ(large.cx, 32);
    EXPECT_EQ(large.cy, 32);
    EXPECT_EQ(small.cx, 16);
    EXPECT_EQ(small.cy, 16);

    const UINT close = ::GetMenuState(::GetSystemMenu(frame, FALSE), SC_CLOSE, MF_BYCOMMAND);
    ASSERT_NE(close, static_cast<UINT>(-1)) << "the system menu offers Close";
    EXPECT_EQ(close & (MF_GRAYED | MF_DISABLED), 0u);
}

TEST_F(MainFrame, ViewErasesWithTheBackgroundAndTheFrameErasesNothing) {
    ASSERT_NE(CreateFrame(), nullptr);
    const RECT client = frame.View().GetClientRect();
    gdi::Surface target(client.right, client.bottom);
    ::PatBlt(target.Get(), 0, 0, client.right, client.bottom, BLACKNESS);

    EXPECT_EQ(frame.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(target.Get())), 1);
    EXPECT_EQ(::GetPixel(target.Get(), 10, 10), RGB(0, 0, 0)) << "the frame draws nothing";

    EXPECT_EQ(frame.View().SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(target.Get())), 1);
    const HDC background = frame.View().BackgroundDC();
    for (const POINT p : {POINT{0, 0}, POINT{337, 278}, POINT{client.right - 1, client.bottom - 1},
                          POINT{20, 500}}) {
        EXPECT_EQ(::GetPixel(target.Get(), p.x, p.y), ::GetPixel(background, p.x, p.y))
            << p.x << "," << p.y;
    }
}

TEST_F(MainFrame, FocusGoesToTheView) {
    ASSERT_NE(CreateFrame(), nullptr);
    ::SetForegroundWindow(frame);
    ::SetFocus(frame);
    EXPECT_EQ(::GetFocus(), frame.View().Handle());
}

TEST_F(MainFrame, LeavesNoGdiObjectBehind) {
    const long baseline = gdi::GdiObjectCount();
    {
        CMainFrame another(TestData());
        ASSERT_NE(another.Create(nullptr, CWindow::rcDefault, nullptr, kHiddenStyle,
                                 CMainFrame::kExStyle),
                  nullptr);
        EXPECT_GT(gdi::GdiObjectCount(), baseline);
        another.DestroyWindow();
    }
    DiscardMessages();
    EXPECT_EQ(gdi::GdiObjectCount(), baseline);
}

// What is not saved yet when the session ends is saved at once: the process
// is ended afterwards without running its exit code.
TEST_F(MainFrame, EndOfSessionSavesWhatIsLeftAtOnce) {
    wchar_t folder[MAX_PATH] = L"";
    wchar_t path[MAX_PATH] = L"";
    ASSERT_NE(::GetTempPathW(MAX_PATH, folder), 0u);
    ASSERT_NE(::GetTempFileNameW(folder, L"lbf", 0, path), 0u);
    ::DeleteFileW(path);
    {
        PersistentCalendarData data(path);
        CMainFrame saving(data.Data(), &data);
        ASSERT_NE(
            saving.Create(nullptr, CWindow::rcDefault, nullptr, kHiddenStyle, CMainFrame::kExStyle),
            nullptr);
        // No message is pumped: the change has not been handed to the saver.
        data.Data().ToggleMark(2006, 3, 15);
        const unsigned saves = data.SaveCount();

        saving.SendMessage(WM_QUERYENDSESSION);
        saving.SendMessage(WM_ENDSESSION, FALSE);
        EXPECT_EQ(data.SaveCount(), saves) << "the session goes on";
        EXPECT_EQ(::GetFileAttributesW(path), INVALID_FILE_ATTRIBUTES);

        saving.SendMessage(WM_ENDSESSION, TRUE);
        EXPECT_EQ(data.SaveCount(), saves + 1);
        EXPECT_FALSE(data.HasUnsavedChanges());
        EXPECT_NE(::GetFileAttributesW(path), INVALID_FILE_ATTRIBUTES);
        saving.DestroyWindow();
        DiscardMessages();
    }
    ::DeleteFileW(path);
}

// --- closing -----------------------------------------------------------------

namespace {

struct CloseCase {
    const char* name;
    bool toView; // keyboard input goes to the focus window, the view
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const CloseCase& c, std::ostream* out) {
    *out << c.name;
}

class MainFrameClosing : public MainFrame, public ::testing::WithParamInterface<CloseCase> {};

} // namespace

TEST_P(MainFrameClosing, EndsTheLoopWithOne) {
    const CloseCase& c = GetParam();
    const HWND window = CreateFrame();
    ASSERT_NE(window, nullptr);

    ::PostMessageW(c.toView ? frame.View().Handle() : window, c.msg, c.wParam, c.lParam);
    EXPECT_EQ(loop.Run(), 1);

    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(frame.Handle(), nullptr);
    EXPECT_FALSE(loop.RemoveMessageFilter(&frame)) << "the frame took its filter away";
}

INSTANTIATE_TEST_SUITE_P(
    Ways, MainFrameClosing,
    ::testing::Values(CloseCase{"CloseMessage", false, WM_CLOSE, 0, 0},
                      CloseCase{"ExitCommand", false, WM_COMMAND, ID_APP_EXIT, 0},
                      CloseCase{"AltF4", true, WM_SYSKEYDOWN, VK_F4,
                                static_cast<LPARAM>((KF_ALTDOWN << 16) | (0x3E << 16) | 1)},
                      CloseCase{"SystemMenuClose", false, WM_SYSCOMMAND, SC_CLOSE,
                                MAKELPARAM(20, 10)}),
    [](const ::testing::TestParamInfo<CloseCase>& param) { return param.param.name; });
