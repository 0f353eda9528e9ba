// The window and dialog templates: messages reach the object that owns the
// window, what a map leaves alone gets the system's default handling, and
// classes register with the look they ask for.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "framework/Window.h"

namespace {

constexpr UINT kSum = WM_APP + 1;     // answers wParam + lParam
constexpr UINT kDecline = WM_APP + 2; // handler passes it on
constexpr WORD kCommandId = 42;

using PopupTraits = CWinTraits<WS_POPUP>;

class Probe : public CWindowImpl<Probe, PopupTraits> {
public:
    static constexpr const wchar_t* kClassName = L"LunabelTestProbe";

    std::vector<UINT> seen;
    HWND handleDuringCreate = nullptr;
    HWND finalHandle = nullptr;
    int commands = 0;
    int finalCalls = 0;

    BEGIN_MSG_MAP(Probe)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(kSum, OnSum)
        MESSAGE_HANDLER(kDecline, OnDecline)
        MESSAGE_HANDLER(WM_SETTEXT, OnDecline)
        COMMAND_ID_HANDLER(kCommandId, OnCommand)
    END_MSG_MAP()

    void OnFinalMessage(HWND window) override {
        ++finalCalls;
        finalHandle = window;
        EXPECT_EQ(Handle(), nullptr) << "the handle is gone before the final hook";
    }

private:
    LRESULT OnCreate(UINT msg, WPARAM, LPARAM, BOOL&) {
        seen.push_back(msg);
        handleDuringCreate = Handle();
        return 0;
    }
    LRESULT OnSum(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&) {
        seen.push_back(msg);
        return static_cast<LRESULT>(wParam) + lParam;
    }
    LRESULT OnDecline(UINT msg, WPARAM, LPARAM, BOOL& handled) {
        seen.push_back(msg);
        handled = FALSE;
        return 777;
    }
    LRESULT OnCommand(WORD, WORD, HWND, BOOL&) {
        ++commands;
        return 5;
    }
};

// A class that asks for its own class style, as the month grid and the image
// button do, and chains to a base map.
class Grid : public CWindowImpl<Grid> {
public:
    static constexpr const wchar_t* kClassName = L"LunabelTestGrid";

    static WindowClassInfo GetWndClassInfo() {
        WindowClassInfo info;
        info.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
        return info;
    }
    BEGIN_MSG_MAP(Grid)
        MESSAGE_HANDLER(kSum, OnSum)
    END_MSG_MAP()

private:
    LRESULT OnSum(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
};

class DerivedGrid : public Grid {
public:
    BEGIN_MSG_MAP(DerivedGrid)
        MESSAGE_HANDLER(kDecline, OnOwn)
        CHAIN_MSG_MAP(Grid)
    END_MSG_MAP()

private:
    LRESULT OnOwn(UINT, WPARAM, LPARAM, BOOL&) { return 2; }
};

class Parent {
public:
    Parent() { window.Create(nullptr, RECT{0, 0, 200, 100}); }
    HWND Get() const { return window.Handle(); }

private:
    Probe window;
};

std::wstring WindowText(HWND window) {
    wchar_t text[64] = L"";
    ::GetWindowTextW(window, text, 64);
    return text;
}

} // namespace

TEST(FrameworkWindow, DispatchesToTheOwningObject) {
    Probe first;
    Probe second;
    ASSERT_NE(first.Create(nullptr, RECT{0, 0, 100, 100}), nullptr);
    ASSERT_NE(second.Create(nullptr, RECT{0, 0, 100, 100}), nullptr);

    EXPECT_EQ(first.handleDuringCreate, first.Handle()) << "WM_CREATE runs inside Create";
    EXPECT_EQ(::SendMessageW(first, kSum, 2, 3), 5);
    EXPECT_EQ(::SendMessageW(second, kSum, 10, 20), 30);
    EXPECT_EQ(first.seen, (std::vector<UINT>{WM_CREATE, kSum}));
    EXPECT_EQ(second.seen, (std::vector<UINT>{WM_CREATE, kSum}));
}

TEST(FrameworkWindow, UnhandledAndDeclinedMessagesGetDefaultHandling) {
    Probe probe;
    ASSERT_NE(probe.Create(nullptr, RECT{0, 0, 100, 100}), nullptr);

    // The handler sees WM_SETTEXT but declines: the default procedure stores the text.
    EXPECT_TRUE(::SetWindowTextW(probe, L"hello"));
    EXPECT_EQ(WindowText(probe), L"hello");
    EXPECT_EQ(probe.seen.back(), static_cast<UINT>(WM_SETTEXT));

    // A declined message answers what the default procedure answers, not 777.
    EXPECT_EQ(::SendMessageW(probe, kDecline, 0, 0), 0);
    EXPECT_EQ(probe.seen.back(), kDecline);
}

TEST(FrameworkWindow, CommandsMatchOnTheLowWordOfWParam) {
    Probe probe;
    ASSERT_NE(probe.Create(nullptr, RECT{0, 0, 100, 100}), nullptr);

    EXPECT_EQ(::SendMessageW(probe, WM_COMMAND, MAKEWPARAM(kCommandId, 0x1234), 0), 5);
    EXPECT_EQ(::SendMessageW(probe, WM_COMMAND, MAKEWPARAM(kCommandId + 1, 0), 0), 0);
    EXPECT_EQ(probe.commands, 1);
}

TEST(FrameworkWindow, FinalMessageComesOnceAfterDestruction) {
    Probe probe;
    const HWND window = probe.Create(nullptr, RECT{0, 0, 100, 100});
    ASSERT_NE(window, nullptr);

    EXPECT_TRUE(probe.DestroyWindow());
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(probe.Handle(), nullptr);
    EXPECT_EQ(probe.finalCalls, 1);
    EXPECT_EQ(probe.finalHandle, window);
}

TEST(FrameworkWindow, ObjectDestroysTheWindowItStillOwns) {
    HWND window = nullptr;
    {
        Probe probe;
        window = probe.Create(nullptr, RECT{0, 0, 100, 100});
        ASSERT_NE(window, nullptr);
    }
    EXPECT_FALSE(::IsWindow(window));
}

TEST(FrameworkWindow, SecondCreateOfOneObjectFails) {
    Probe probe;
    const HWND window = probe.Create(nullptr, RECT{0, 0, 100, 100});
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(probe.Create(nullptr, RECT{0, 0, 100, 100}), nullptr);
    EXPECT_EQ(probe.Handle(), window);
}

TEST(FrameworkWindow, ChildGetsTheDefaultChildStyleAndItsId) {
    Parent parent;
    Grid grid;
    ASSERT_NE(grid.Create(parent.Get(), RECT{5, 6, 55, 66}, nullptr, 0, 0, 1234), nullptr);

    const DWORD expected = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    EXPECT_EQ(grid.GetStyle() & expected, expected);
    EXPECT_EQ(::GetDlgCtrlID(grid), 1234);
    EXPECT_EQ(grid.GetParent(), parent.Get());
    RECT rect = grid.GetWindowRect();
    ::MapWindowPoints(nullptr, parent.Get(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, 5);
    EXPECT_EQ(rect.top, 6);
    EXPECT_EQ(rect.right, 55);
    EXPECT_EQ(rect.bottom, 66);
}

TEST(FrameworkWindow, ClassesRegisterOnceWithTheirOwnLook) {
    Parent parent;
    Grid first;
    Grid second;
    Probe probe;
    ASSERT_NE(first.Create(parent.Get()), nullptr);
    ASSERT_NE(second.Create(parent.Get()), nullptr);
    ASSERT_NE(probe.Create(nullptr, RECT{0, 0, 10, 10}), nullptr);

    EXPECT_EQ(::GetClassWord(first, GCW_ATOM), ::GetClassWord(second, GCW_ATOM));
    EXPECT_NE(::GetClassWord(first, GCW_ATOM), ::GetClassWord(probe, GCW_ATOM));
    wchar_t name[64] = L"";
    ::GetClassNameW(first, name, 64);
    EXPECT_STREQ(name, L"LunabelTestGrid") << "named as the class says, for tools that look";
    EXPECT_EQ(::FindWindowW(L"LunabelTestProbe", nullptr), probe.Handle());

    EXPECT_EQ(::GetClassLongPtrW(first, GCL_STYLE),
              static_cast<ULONG_PTR>(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS));
    EXPECT_EQ(::GetClassLongPtrW(probe, GCL_STYLE), 0u);
    EXPECT_EQ(reinterpret_cast<HCURSOR>(::GetClassLongPtrW(probe, GCLP_HCURSOR)),
              ::LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(::GetClassLongPtrW(probe, GCLP_HBRBACKGROUND),
              static_cast<ULONG_PTR>(COLOR_WINDOW + 1));
}

TEST(FrameworkWindow, ChainedMapAnswersWhatTheDerivedMapLeaves) {
    Parent parent;
    DerivedGrid grid;
    ASSERT_NE(grid.Create(parent.Get()), nullptr);
    EXPECT_EQ(::SendMessageW(grid, kDecline, 0, 0), 2);
    EXPECT_EQ(::SendMessageW(grid, kSum, 0, 0), 1);
    EXPECT_EQ(::SendMessageW(grid, WM_APP + 9, 0, 0), 0);
}

// --- dialogs -----------------------------------------------------------------

namespace {

constexpr UINT kFinish = WM_APP + 20;
constexpr UINT kAnswer = WM_APP + 21;

// An empty popup dialog template, built in memory: no resource needed.
struct alignas(4) EmptyTemplate {
    DLGTEMPLATE head{WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 0, 120, 60};
    WORD menu = 0;
    WORD windowClass = 0;
    WORD title = 0;
    WORD padding = 0;
};

class ProbeDlg : public CDialogImpl<ProbeDlg> {
public:
    enum { IDD = 31999 }; // no such template
    LPARAM initParam = 0;
    LRESULT answerSeen = 0;
    LRESULT colorSeen = 0;
    std::wstring textSeen;
    int finalCalls = 0;

    BEGIN_MSG_MAP(ProbeDlg)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(kAnswer, OnAnswer)
        MESSAGE_HANDLER(WM_CTLCOLORDLG, OnColor)
        MESSAGE_HANDLER(kFinish, OnFinish)
    END_MSG_MAP()

    void OnFinalMessage(HWND) override { ++finalCalls; }

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM lParam, BOOL&) {
        initParam = lParam;
        PostMessage(kFinish);
        return TRUE;
    }
    LRESULT OnAnswer(UINT, WPARAM, LPARAM, BOOL&) { return 1234; }
    LRESULT OnColor(UINT, WPARAM, LPARAM, BOOL&) {
        return reinterpret_cast<LRESULT>(::GetStockObject(GRAY_BRUSH));
    }
    LRESULT OnFinish(UINT, WPARAM, LPARAM, BOOL&) {
        answerSeen = SendMessage(kAnswer);
        colorSeen = SendMessage(WM_CTLCOLORDLG, 0, 0);
        // Left to the default dialog handling.
        ::SetWindowTextW(hwnd_, L"dialog");
        wchar_t text[32] = L"";
        ::GetWindowTextW(hwnd_, text, 32);
        textSeen = text;
        EndDialog(77);
        return 0;
    }
};

} // namespace

TEST(FrameworkDialog, RunsModallyAndAnswersThroughTheRightChannel) {
    EmptyTemplate dialogTemplate;
    ProbeDlg dialog;
    EXPECT_EQ(dialog.DoModalIndirect(&dialogTemplate.head, nullptr, 0x5150), 77);

    EXPECT_EQ(dialog.initParam, 0x5150) << "WM_INITDIALOG gets the caller's parameter";
    EXPECT_EQ(dialog.answerSeen, 1234) << "ordinary answers go through DWLP_MSGRESULT";
    EXPECT_EQ(dialog.colorSeen, reinterpret_cast<LRESULT>(::GetStockObject(GRAY_BRUSH)))
        << "colour messages answer the brush directly";
    EXPECT_EQ(dialog.textSeen, L"dialog");
    EXPECT_EQ(dialog.Handle(), nullptr);
    EXPECT_EQ(dialog.finalCalls, 1);
}

TEST(FrameworkDialog, MissingTemplateAnswersMinusOne) {
    ProbeDlg dialog;
    EXPECT_EQ(dialog.DoModal(nullptr), -1);
    EXPECT_EQ(dialog.Handle(), nullptr);
    EXPECT_EQ(dialog.finalCalls, 0);
}
