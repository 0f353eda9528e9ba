// The main view on screen for tests: a shown borderless top-level window at a
// fixed place holds it as the frame does, a clock says which half-year it
// starts in, and helpers let windows paint and read back what they show.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "Capture.h"
#include "DataGuard.h"
#include "MessagePump.h"
#include "view/CalendarView.h"
#include "view/Commands.h"
#include "framework/Gdi.h"
#include "framework/Window.h"

namespace viewtest {

// Today for views made after the call.
inline SYSTEMTIME& FakeToday() {
    static SYSTEMTIME today{};
    return today;
}

inline void SetToday(int year, int month, int day = 15) {
    SYSTEMTIME& today = FakeToday();
    today = SYSTEMTIME{};
    today.wYear = static_cast<WORD>(year);
    today.wMonth = static_cast<WORD>(month);
    today.wDay = static_cast<WORD>(day);
}

inline SYSTEMTIME FakeClock() {
    return FakeToday();
}

// Notes every command the view sees and those it leaves to the default procedure.
class RecordingView : public CalendarView {
public:
    RecordingView() : CalendarView(TestData(), &FakeClock) {}

    struct Command {
        WORD id;
        WORD code;
        HWND control;
    };
    std::vector<Command> commands;
    std::vector<WORD> unhandled;
    // Off: the dialog commands stop here instead of opening modal dialogs.
    bool opensDialogs = false;

    BEGIN_MSG_MAP(RecordingView)
        MESSAGE_HANDLER(WM_COMMAND, OnCommandSeen)
        CHAIN_MSG_MAP(CalendarView)
        MESSAGE_HANDLER(WM_COMMAND, OnCommandUnhandled)
    END_MSG_MAP()

private:
    LRESULT OnCommandSeen(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled) {
        const WORD id = LOWORD(wParam);
        commands.push_back({id, HIWORD(wParam), reinterpret_cast<HWND>(lParam)});
        // The dialog commands would open modal dialogs, which these tests don't drive.
        const bool opensDialog = id == CMD_SETTINGS || id == CMD_PRINT || id == CMD_HELP ||
                                 id == CMD_ABOUT || id == CMD_CYCLE_HISTORY;
        handled = opensDialog && !opensDialogs;
        return 0;
    }
    LRESULT OnCommandUnhandled(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
        unhandled.push_back(LOWORD(wParam));
        handled = FALSE;
        return 0;
    }
};

// Stands where the frame stands; counts close requests instead of closing.
class Host : public CWindowImpl<Host, CWinTraits<WS_POPUP | WS_CLIPCHILDREN>> {
public:
    static constexpr const wchar_t* kClassName = L"LunabelTestViewHost";

    int closeRequests = 0;

    BEGIN_MSG_MAP(Host)
        MESSAGE_HANDLER(WM_CLOSE, OnClose)
    END_MSG_MAP()

private:
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&) {
        ++closeRequests;
        return 0;
    }
};

// A shown view starting in the half-year of `today`, with empty default data.
class ShownView : public ::testing::Test {
protected:
    static constexpr int kHostX = 40;
    static constexpr int kHostY = 40;

    void SetUp() override {
        DataGuard::Use({});
        // The real pointer stays out of the way of the messages the tests send.
        ::SetCursorPos(1270, 1010);
        PumpMessages();
    }

    void TearDown() override {
        if (host.IsWindow()) {
            host.DestroyWindow();
        }
        PumpMessages();
    }

    // Shows the view in the half-year holding year-month, today being `day`.
    void Open(int year, int month, int day = 15) {
        SetToday(year, month, day);
        const SIZE size = view.GetSize();
        ASSERT_NE(host.Create(nullptr, RECT{kHostX, kHostY, kHostX + size.cx, kHostY + size.cy},
                              L"Lunabel view test", WS_POPUP | WS_CLIPCHILDREN),
                  nullptr);
        ASSERT_NE(view.Create(host, RECT{0, 0, size.cx, size.cy}, nullptr,
                              WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN),
                  nullptr);
        host.ShowWindow(SW_SHOWNOACTIVATE);
        Paint(host);
        PumpMessages();
    }

    HWND Child(WORD id) const { return ::GetDlgItem(view, id); }

    void Command(WORD id) { ::SendMessageW(view, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

    const DayCell* Cell(int grid, int day) const {
        for (const auto& row : view.Grid(grid)->cells) {
            for (const DayCell& cell : row) {
                if (cell.day == day) {
                    return &cell;
                }
            }
        }
        return nullptr;
    }
    bool Marked(int grid, int day) const {
        const DayCell* cell = Cell(grid, day);
        return cell != nullptr && cell->marked;
    }

    DataGuard savedData;
    RecordingView view;
    Host host;
};

} // namespace viewtest
