// The month grid on screen, in a parent that handles clicks as the view does:
// clicks toggle marks, the picture shows marks, periods and hearts over the
// parent's background, the hover frame follows the mouse, and a screen
// reader walks and presses the days.
#include <gtest/gtest.h>

#include <windows.h>

#include <oleacc.h>
#include <windowsx.h>

#include <memory>
#include <stdexcept>
#include <vector>

#include "DataGuard.h"
#include "MessagePump.h"
#include "calendar/CalendarWindow.h"
#include "framework/Handle.h"
#include "skin/CxImage.h"
#include "framework/Window.h"
#include "CalendarDrawTestSupport.h"

using gridtest::Canvas;

namespace {

const EnglishCalendarLocale kSundayFirst(0);

constexpr int kParentSize = 300;
constexpr POINT kParentAt{960, 40};
constexpr POINT kGridAt{20, 30};
constexpr int kGridWidth = 206;
constexpr int kGridHeight = 210;

constexpr COLORREF kMarkedFill = RGB(255, 100, 100);
constexpr COLORREF kMarkedFrame = RGB(160, 0, 0);
constexpr COLORREF kPeriodFill = RGB(100, 200, 255);
constexpr COLORREF kPeriodFrame = RGB(0, 50, 160);

// Stands in for the view: owns the background picture and toggles the
// clicked day, then reclassifies and repaints the grid.
class TestParent
    : public CWindowImpl<TestParent, CWinTraits<WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN>> {
public:
    static constexpr const wchar_t* kClassName = L"LunabelTestGridParent";

    TestParent() : background(kParentSize, kParentSize), backgroundDC(background.Get()) {
        // Blocks of different colours, so a background copied from the wrong
        // place shows.
        for (int y = 0; y < kParentSize; y += 16) {
            for (int x = 0; x < kParentSize; x += 16) {
                gdi::Brush brush(
                    ::CreateSolidBrush(RGB(120 + (x * 7 / 16) % 100, 150 + (y * 5 / 16) % 90, 90)));
                const RECT block{x, y, x + 16, y + 16};
                ::FillRect(background.Get(), &block, brush.Get());
            }
        }
    }

    BEGIN_MSG_MAP(TestParent)
        MESSAGE_HANDLER(WM_DAY_CLICKED, OnDayClicked)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
    END_MSG_MAP()

    Canvas background;
    HDC backgroundDC;
    CalendarWindow* grid = nullptr;
    int clicks = 0;

private:
    LRESULT OnDayClicked(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
        ++clicks;
        TestData().ToggleMark(static_cast<int>(wParam), LOWORD(lParam), HIWORD(lParam));
        if (grid) {
            grid->Classify();
            grid->Invalidate();
        }
        return 0;
    }
    LRESULT OnEraseBackground(UINT, WPARAM wParam, LPARAM, BOOL&) {
        ::BitBlt(reinterpret_cast<HDC>(wParam), 0, 0, kParentSize, kParentSize, backgroundDC, 0, 0,
                 SRCCOPY);
        return 1;
    }
};

LPARAM At(int x, int y) {
    return MAKELPARAM(x, y);
}

LPARAM CentreOf(const DayCell& cell) {
    return At((cell.rect.left + cell.rect.right) / 2, (cell.rect.top + cell.rect.bottom) / 2);
}

class CalendarWindowTest : public ::testing::Test {
protected:
    // One parent for all, kept until the process ends: destroying, hiding
    // or moving off screen a shown top-level window makes Wine wait two
    // seconds for a window manager that is not there. It sits in a corner
    // where it is out of other tests' way.
    static void SetUpTestSuite() {
        if (!parent) {
            parent = new TestParent;
            parent->Create(nullptr, RECT{kParentAt.x, kParentAt.y, kParentAt.x + kParentSize,
                                         kParentAt.y + kParentSize});
        }
    }

    void SetUp() override {
        ASSERT_TRUE(parent->IsWindow());
        // Marks 27 May and 20 June 2006: 20 June is marked, 21-24 are period
        // days, 6-10 and 30 June are fertile.
        DataGuard::Use({MakeDateKey(2006, 5, 27), MakeDateKey(2006, 6, 20)});
        parent->clicks = 0;
        parent->grid = &grid;
        ASSERT_TRUE(grid.Create(
            *parent, RECT{kGridAt.x, kGridAt.y, kGridAt.x + kGridWidth, kGridAt.y + kGridHeight},
            nullptr, WS_CHILD | WS_VISIBLE));
        grid.SetMonth(2006, 6);
        grid.Invalidate();
    }
    void TearDown() override { parent->grid = nullptr; }

    const DayCell& Cell(int day) const {
        for (const auto& row : grid.cells) {
            for (const DayCell& cell : row) {
                if (cell.day == day) {
                    return cell;
                }
            }
        }
        throw std::out_of_range("no such day");
    }

    // What the grid shows once it has painted.
    Canvas Capture(int width = kGridWidth, int height = kGridHeight) {
        ::UpdateWindow(grid);
        Canvas shot(width, height);
        gdi::WindowDC dc(grid);
        ::BitBlt(shot.Get(), 0, 0, width, height, dc.Get(), 0, 0, SRCCOPY);
        return shot;
    }

    COLORREF BackgroundAt(int x, int y) const {
        return parent->background.At(kGridAt.x + x, kGridAt.y + y);
    }

    void MoveTo(LPARAM point) { grid.SendMessage(WM_MOUSEMOVE, 0, point); }

    static inline TestParent* parent = nullptr;
    DataGuard data;
    CalendarWindow grid{&parent->backgroundDC, kSundayFirst};
};

} // namespace

TEST_F(CalendarWindowTest, ClickingADayTogglesItsMark) {
    ASSERT_FALSE(TestData().IsMarked(2006, 6, 12));
    grid.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, CentreOf(Cell(12)));
    grid.SendMessage(WM_LBUTTONUP, 0, CentreOf(Cell(12)));
    EXPECT_TRUE(TestData().IsMarked(2006, 6, 12));
    EXPECT_TRUE(Cell(12).marked);

    // The cell's top-left pixel belongs to it too.
    grid.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(Cell(12).rect.left, Cell(12).rect.top));
    EXPECT_FALSE(TestData().IsMarked(2006, 6, 12));
    EXPECT_FALSE(Cell(12).marked);
    EXPECT_EQ(parent->clicks, 2);
}

TEST_F(CalendarWindowTest, ClicksBesideTheDaysSendNothing) {
    const LPARAM points[] = {
        At(100, 10),                // title
        At(100, 40),                // weekday names
        CentreOf(grid.cells[0][0]), // before the 1st
        CentreOf(grid.cells[5][3]), // after the 30th
        At(100, 205),               // below the last row
        At(204, 100),               // right of the last column
    };
    for (const LPARAM point : points) {
        grid.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, point);
    }
    EXPECT_EQ(parent->clicks, 0);
}

TEST_F(CalendarWindowTest, ADoubleClickTogglesOnce) {
    const LPARAM point = CentreOf(Cell(12));
    grid.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, point);
    grid.SendMessage(WM_LBUTTONUP, 0, point);
    grid.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, point);
    grid.SendMessage(WM_LBUTTONUP, 0, point);
    EXPECT_EQ(parent->clicks, 1);
    EXPECT_TRUE(TestData().IsMarked(2006, 6, 12));
}

TEST_F(CalendarWindowTest, ARealDoubleClickArrivesAsOneClickAndADoubleClick) {
    const LPARAM point = CentreOf(Cell(12));
    POINT screen{GET_X_LPARAM(point), GET_Y_LPARAM(point)};
    ::ClientToScreen(grid, &screen);
    ::SetCursorPos(screen.x, screen.y);
    INPUT inputs[4]{};
    const DWORD flags[] = {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN,
                           MOUSEEVENTF_LEFTUP};
    for (int i = 0; i < 4; ++i) {
        inputs[i].type = INPUT_MOUSE;
        inputs[i].mi.dwFlags = flags[i];
    }
    ASSERT_EQ(::SendInput(4, inputs, sizeof(INPUT)), 4u);

    int ups = 0;
    int doubleClicks = 0;
    const ULONGLONG deadline = ::GetTickCount64() + 10000;
    while (ups < 2 && ::GetTickCount64() < deadline) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.hwnd == grid.Handle()) {
                ups += msg.message == WM_LBUTTONUP ? 1 : 0;
                doubleClicks += msg.message == WM_LBUTTONDBLCLK ? 1 : 0;
            }
            ::DispatchMessageW(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    }
    ::SetCursorPos(5, 1015);
    ASSERT_EQ(ups, 2);
    EXPECT_EQ(doubleClicks, 1);
    EXPECT_EQ(parent->clicks, 1);
    EXPECT_TRUE(TestData().IsMarked(2006, 6, 12));
}

namespace {

struct PixelCase {
    const char* what;
    int x, y;
    COLORREF colour; // kBackground: what the parent shows there
};
constexpr COLORREF kBackground = 0xFFFFFFFF;

} // namespace

TEST_F(CalendarWindowTest, DaysAreFilledAndFramedOverTheParentsBackground) {
    // Day 20 is cell (58, 126, 87, 150), day 22 (116, 126, 145, 150),
    // day 24 (174, 126, 203, 150); the 1st sits in column 4 of row 0.
    const PixelCase cases[] = {
        {"marked fill", 61, 129, kMarkedFill},
        {"marked fill, lower right", 83, 146, kMarkedFill},
        {"marked frame, left", 59, 138, kMarkedFrame},
        {"marked frame, bottom", 72, 148, kMarkedFrame},
        {"marked frame, right", 85, 130, kMarkedFrame},
        {"marked cell's own edge", 58, 126, kBackground},
        {"period fill", 119, 129, kPeriodFill},
        {"period frame, top", 130, 127, kPeriodFrame},
        {"period frame, right", 143, 140, kPeriodFrame},
        {"last period day", 177, 146, kPeriodFill},
        {"plain day", 33, 130, kBackground},
        {"day after the period", 3, 153, kBackground},
        {"above the title", 100, 1, kBackground},
        {"right of the columns", 204, 100, kBackground},
        {"below the rows", 100, 205, kBackground},
    };
    const Canvas shot = Capture();
    for (const PixelCase& c : cases) {
        const COLORREF expected = c.colour == kBackground ? BackgroundAt(c.x, c.y) : c.colour;
        EXPECT_EQ(shot.At(c.x, c.y), expected) << c.what;
    }
    // Cells outside the month are left as they are.
    for (const DayCell* cell :
         {&grid.cells[0][0], &grid.cells[0][3], &grid.cells[5][0], &grid.cells[5][6]}) {
        const RECT r = gridtest::ToRECT(cell->rect);
        int differing = 0;
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x) {
                differing += shot.At(x, y) != BackgroundAt(x, y) ? 1 : 0;
            }
        }
        EXPECT_EQ(differing, 0) << r.left << "," << r.top;
    }
    EXPECT_GT(shot.Count(RECT{0, 4, 206, 30}, RGB(215, 24, 62)), 20);
    EXPECT_GT(shot.Count(RECT{0, 26, 206, 52}, RGB(162, 3, 29)), 20);
}

TEST_F(CalendarWindowTest, FertileDaysShowTheHeartOnlyWhileTheDisplayIsOn) {
    CxImage heart;
    ASSERT_TRUE(heart.LoadFromResource(L"heart_small"));
    // Day 6 (58, 78, 87, 102) is fertile, day 4 (0, 78, 29, 102) is not.
    const DayCell& fertile = Cell(6);
    ASSERT_TRUE(fertile.fertile);
    const int hx = fertile.rect.right - heart.Width() - 2;
    const int hy = fertile.rect.bottom - heart.Height() - 2;
    const int ox = Cell(4).rect.right - heart.Width() - 2;

    Canvas expected(kGridWidth, kGridHeight);
    ::BitBlt(expected.Get(), 0, 0, kGridWidth, kGridHeight, parent->backgroundDC, kGridAt.x,
             kGridAt.y, SRCCOPY);
    heart.DrawBlended(expected.Get(), hx, hy);

    for (const bool show : {true, false}) {
        TestData().SetShowFertility(show);
        grid.Classify();
        grid.Invalidate();
        const Canvas shot = Capture();
        int heartPixels = 0;
        for (int y = hy; y < hy + heart.Height(); ++y) {
            for (int x = 0; x < heart.Width(); ++x) {
                const COLORREF withHeart = expected.At(hx + x, y);
                heartPixels += withHeart != BackgroundAt(hx + x, y) ? 1 : 0;
                EXPECT_EQ(shot.At(hx + x, y), show ? withHeart : BackgroundAt(hx + x, y))
                    << show << " " << x << "," << y;
                EXPECT_EQ(shot.At(ox + x, y), BackgroundAt(ox + x, y)) << show;
            }
        }
        EXPECT_GT(heartPixels, 10);
    }
}

TEST_F(CalendarWindowTest, HoverFramesTheDayUnderTheMouseUntilItLeaves) {
    const DayCell& period = Cell(22);
    const POINT edge{period.rect.left + 1, period.rect.top + 10};
    EXPECT_EQ(Capture().At(edge.x, edge.y), kPeriodFrame);

    // The first move only takes the capture.
    MoveTo(CentreOf(period));
    EXPECT_EQ(::GetCapture(), grid.Handle());
    EXPECT_EQ(grid.HoverDay(), 0);
    MoveTo(CentreOf(period));
    EXPECT_EQ(grid.HoverDay(), 22);
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
    Canvas shot = Capture();
    for (const POINT p : {edge, POINT{period.rect.right - 2, period.rect.top + 5},
                          POINT{period.rect.left + 8, period.rect.top + 1},
                          POINT{period.rect.left + 8, period.rect.bottom - 2}}) {
        EXPECT_EQ(shot.At(p.x, p.y), kMarkedFrame) << p.x << "," << p.y;
    }
    EXPECT_EQ(shot.At(period.rect.left + 3, period.rect.top + 3), kPeriodFill);

    // A cell without a day: no frame, the arrow.
    MoveTo(CentreOf(grid.cells[0][0]));
    EXPECT_EQ(grid.HoverDay(), 0);
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(Capture().At(edge.x, edge.y), kPeriodFrame);

    MoveTo(CentreOf(period));
    EXPECT_EQ(Capture().At(edge.x, edge.y), kMarkedFrame);
    // Leaving the client area ends tracking and the frame.
    MoveTo(At(-3, 50));
    EXPECT_EQ(grid.HoverDay(), 0);
    EXPECT_NE(::GetCapture(), grid.Handle());
    EXPECT_EQ(Capture().At(edge.x, edge.y), kPeriodFrame);
}

TEST_F(CalendarWindowTest, LosingTheCaptureOrFocusClearsTheHover) {
    const DayCell& period = Cell(22);
    const POINT edge{period.rect.left + 1, period.rect.top + 10};
    MoveTo(CentreOf(period));
    MoveTo(CentreOf(period));
    ASSERT_EQ(grid.HoverDay(), 22);

    ::SetCapture(*parent);
    EXPECT_EQ(grid.HoverDay(), 0);
    EXPECT_EQ(Capture().At(edge.x, edge.y), kPeriodFrame);
    ::ReleaseCapture();

    // Tracking starts over: the next move takes the capture back.
    MoveTo(CentreOf(period));
    EXPECT_EQ(::GetCapture(), grid.Handle());
    MoveTo(CentreOf(period));
    ASSERT_EQ(grid.HoverDay(), 22);
    grid.SendMessage(WM_KILLFOCUS);
    EXPECT_EQ(grid.HoverDay(), 0);
    EXPECT_EQ(Capture().At(edge.x, edge.y), kPeriodFrame);
}

TEST_F(CalendarWindowTest, MovedOrResizedTheGridRedrawsOverItsNewPlace) {
    struct Place {
        int x, y, width, height;
        POINT markedFill; // inside day 20 for that size
    };
    const Place places[] = {{50, 41, kGridWidth, kGridHeight, {61, 129}},
                            {20, 30, 250, 260, {73, 156}}};
    for (const Place& p : places) {
        ::MoveWindow(grid, p.x, p.y, p.width, p.height, TRUE);
        const Canvas shot = Capture(p.width, p.height);
        for (const POINT q : {POINT{1, 1}, POINT{10, 60}, POINT{p.width - 2, p.height - 2}}) {
            EXPECT_EQ(shot.At(q.x, q.y), parent->background.At(p.x + q.x, p.y + q.y))
                << p.width << ": " << q.x << "," << q.y;
        }
        EXPECT_EQ(shot.At(p.markedFill.x, p.markedFill.y), kMarkedFill) << p.width;
    }
}

TEST_F(CalendarWindowTest, CreatingAndDestroyingKeepsNoObjectsAlive) {
    const long before = gdi::GdiObjectCount();
    for (int i = 0; i < 100; ++i) {
        auto other = std::make_unique<CalendarWindow>(&parent->backgroundDC, kSundayFirst);
        ASSERT_TRUE(other->Create(*parent, RECT{20, 30, 226, 240}, nullptr, WS_CHILD | WS_VISIBLE));
        other->SetMonth(2006, 1 + i % 12);
        ::UpdateWindow(*other);
        // Half go with their window destroyed first, half with it still alive.
        if (i % 2 == 0) {
            other->DestroyWindow();
        }
    }
    EXPECT_EQ(gdi::GdiObjectCount(), before);
}

// June 2006 with Sunday first: the 1st is a Thursday (column 4), the 30th a
// Friday in the fifth row.
TEST_F(CalendarWindowTest, AReaderWalksTheDaysPressesOneAndLosesTheGridWithItsWindow) {
    const com::Apartment apartment;
    com::Ptr<IAccessible> table;
    ASSERT_EQ(::AccessibleObjectFromWindow(grid, static_cast<DWORD>(OBJID_CLIENT),
                                           __uuidof(IAccessible), table.PutVoid()),
              S_OK);
    struct Step {
        long from;
        long direction;
        long to; // 0: none
    };
    const Step steps[] = {
        {CHILDID_SELF, NAVDIR_FIRSTCHILD, 1},
        {CHILDID_SELF, NAVDIR_LASTCHILD, 30},
        {1, NAVDIR_PREVIOUS, 0},
        {1, NAVDIR_NEXT, 2},
        {30, NAVDIR_NEXT, 0},
        {3, NAVDIR_NEXT, 4},
        {1, NAVDIR_LEFT, 0},
        {1, NAVDIR_UP, 0},
        {1, NAVDIR_DOWN, 8},
        {3, NAVDIR_RIGHT, 0},
        {4, NAVDIR_LEFT, 0},
        {10, NAVDIR_UP, 3},
        {23, NAVDIR_DOWN, 30},
        {24, NAVDIR_DOWN, 0},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << s.from << " direction " << s.direction);
        VARIANT start;
        ::VariantInit(&start);
        start.vt = VT_I4;
        start.lVal = s.from;
        VARIANT end;
        ::VariantInit(&end);
        const HRESULT result = table->accNavigate(s.direction, start, &end);
        if (s.to == 0) {
            EXPECT_EQ(result, S_FALSE);
            EXPECT_EQ(end.vt, VT_EMPTY);
        } else {
            EXPECT_EQ(result, S_OK);
            ASSERT_EQ(end.vt, VT_I4);
            EXPECT_EQ(end.lVal, s.to);
        }
    }

    // The default action takes the click's road, once the reader's call returned.
    VARIANT day;
    ::VariantInit(&day);
    day.vt = VT_I4;
    day.lVal = 14;
    ASSERT_EQ(table->accDoDefaultAction(day), S_OK);
    EXPECT_TRUE(WaitFor([&] { return parent->clicks == 1; }));
    EXPECT_TRUE(TestData().IsMarked(2006, 6, 14));
    BSTR action = nullptr;
    ASSERT_EQ(table->get_accDefaultAction(day, &action), S_OK);
    EXPECT_STREQ(action, L"Remove mark");
    ::SysFreeString(action);

    grid.DestroyWindow();
    BSTR name = nullptr;
    EXPECT_EQ(table->get_accName(day, &name), CO_E_OBJNOTCONNECTED)
        << "the grid is gone; its object says so instead of reading what is left";
    EXPECT_EQ(name, nullptr);
}
