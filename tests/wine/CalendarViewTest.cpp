// The main view on screen: its children and their places, the half-year it
// starts in and steps to, clicks on days, its commands, and its GDI use over
// long sessions.
#include "CalendarViewTestSupport.h"

#include <optional>
#include <ostream>
#include <string>

namespace {

constexpr COLORREF kPeriodFill = RGB(100, 200, 255);
constexpr COLORREF kMarkedFill = RGB(255, 100, 100);

class CalendarViewTest : public viewtest::ShownView {
protected:
    void Reopen(int year, int month) {
        if (host.IsWindow()) {
            host.DestroyWindow();
        }
        Open(year, month);
    }

    // Months the six grids show, and the caption, match the half-year.
    void ExpectShowing(int year, bool firstHalf) {
        EXPECT_EQ(view.Year(), year);
        EXPECT_EQ(view.FirstHalf(), firstHalf);
        for (int i = 0; i < CalendarView::kGridCount; ++i) {
            EXPECT_EQ(view.Grid(i)->year, year) << "grid " << i;
            EXPECT_EQ(view.Grid(i)->month, (firstHalf ? 1 : 7) + i) << "grid " << i;
        }
        EXPECT_EQ(view.Picker().YearText(), std::to_wstring(year));
        EXPECT_EQ(view.Picker().RangeText(), firstHalf ? L"January - June" : L"July - December");
    }

    // The fill colour a grid shows for a day, away from its number.
    COLORREF FillOf(int grid, int day) const {
        const DayCell* cell = Cell(grid, day);
        const Capture shown(view.Grid(grid)->Handle());
        return cell ? shown.At(cell->rect.left + 3, cell->rect.top + 3) : CLR_INVALID;
    }

    bool NothingToPaint() const {
        for (int i = 0; i < CalendarView::kGridCount; ++i) {
            if (::GetUpdateRect(view.Grid(i)->Handle(), nullptr, FALSE)) {
                return false;
            }
        }
        return !::GetUpdateRect(view.Picker().Handle(), nullptr, FALSE);
    }

    bool AllGridsToPaint() const {
        for (int i = 0; i < CalendarView::kGridCount; ++i) {
            if (!::GetUpdateRect(view.Grid(i)->Handle(), nullptr, FALSE)) {
                return false;
            }
        }
        return true;
    }
};

RECT PlaceInParent(HWND child) {
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

} // namespace

TEST_F(CalendarViewTest, ChildrenSitAtTheirPlacesWithTheirIdsAndCaptions) {
    Open(2006, 1);
    struct Case {
        WORD id;
        RECT rect;
        const wchar_t* text;
    };
    const Case buttons[] = {
        {CMD_SETTINGS, {355, 0, 405, 57}, L"Settings"},
        {CMD_PRINT, {430, 0, 480, 57}, L"Print"},
        {CMD_ABOUT, {505, 0, 555, 57}, L"About"},
        {CMD_EXIT, {580, 0, 630, 57}, L"Exit"},
        {CMD_HELP, {280, 0, 330, 57}, L"Help"},
        {CMD_PREV, {250, 73, 276, 97}, L""},
        {CMD_NEXT, {630, 73, 656, 97}, L""},
    };
    for (const Case& c : buttons) {
        SCOPED_TRACE(c.id);
        const HWND child = Child(c.id);
        ASSERT_NE(child, nullptr);
        const RECT placed = PlaceInParent(child);
        EXPECT_TRUE(::EqualRect(&placed, &c.rect));
        wchar_t text[32] = L"?";
        ::GetWindowTextW(child, text, 32);
        EXPECT_STREQ(text, c.text);
        EXPECT_EQ(::GetWindowLongPtrW(child, GWL_STYLE) & 0xFFFF0000, WS_CHILD | WS_VISIBLE);
    }

    const RECT picker = PlaceInParent(view.Picker().Handle());
    const RECT pickerPlace{280, 64, 630, 104};
    EXPECT_TRUE(::EqualRect(&picker, &pickerPlace));
    const RECT grids[] = {{14, 113, 220, 323}, {236, 113, 442, 323}, {458, 113, 664, 323},
                          {14, 335, 220, 545}, {236, 335, 442, 545}, {458, 335, 664, 545}};
    for (int i = 0; i < CalendarView::kGridCount; ++i) {
        const RECT grid = PlaceInParent(view.Grid(i)->Handle());
        EXPECT_TRUE(::EqualRect(&grid, &grids[i])) << "grid " << i;
    }
}

TEST_F(CalendarViewTest, StartsInTheHalfYearOfTodayWithinTheSupportedYears) {
    struct Case {
        int year;
        int month;
        int shownYear;
        bool firstHalf;
    };
    const Case cases[] = {
        {2026, 1, 2026, true},   {2026, 6, 2026, true},  {2026, 7, 2026, false},
        {2026, 12, 2026, false}, {1899, 3, 1900, true},  {1601, 12, 1900, false},
        {9999, 12, 9999, false}, {30000, 2, 9999, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.year << "-" << c.month);
        Reopen(c.year, c.month);
        ExpectShowing(c.shownYear, c.firstHalf);
    }
}

TEST_F(CalendarViewTest, ArrowsStepByHalfAYearAndStopAtTheSupportedYears) {
    struct Case {
        int year;
        bool firstHalf;
        WORD command;
        int expectedYear;
        bool expectedFirstHalf;
    };
    const Case cases[] = {
        {2006, true, CMD_PREV, 2005, false},  {2006, true, CMD_NEXT, 2006, false},
        {2006, false, CMD_PREV, 2006, true},  {2006, false, CMD_NEXT, 2007, true},
        {1900, false, CMD_PREV, 1900, true},  {1900, true, CMD_PREV, 1900, true},
        {1900, true, CMD_NEXT, 1900, false},  {9999, true, CMD_NEXT, 9999, false},
        {9999, false, CMD_NEXT, 9999, false}, {9999, false, CMD_PREV, 9999, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.year << (c.firstHalf ? " H1 " : " H2 ")
                                        << (c.command == CMD_PREV ? "prev" : "next"));
        Reopen(c.year, c.firstHalf ? 3 : 9);
        Command(c.command);
        ExpectShowing(c.expectedYear, c.expectedFirstHalf);
    }
}

TEST_F(CalendarViewTest, AStepAtTheEndOfTheYearsRedrawsNothing) {
    for (const auto& [month, year, command] :
         {std::tuple{2, 1900, CMD_PREV}, std::tuple{8, 9999, CMD_NEXT}}) {
        SCOPED_TRACE(year);
        Reopen(year, month);
        Paint(host);
        ASSERT_TRUE(NothingToPaint());
        Command(command);
        EXPECT_TRUE(NothingToPaint());
    }
}

TEST_F(CalendarViewTest, SteppingAwayAndBackFindsTheDataAsItWas) {
    Open(2006, 4);
    CalendarData& data = TestData();
    data.ToggleMark(2006, 2, 3);
    const auto marks = data.Marks();
    const auto revision = data.Revision();

    for (int i = 0; i < 40; ++i) {
        Command(CMD_PREV);
    }
    Command(CMD_NEXT);
    Command(CMD_PREV);
    for (int i = 0; i < 40; ++i) {
        Command(CMD_NEXT);
    }
    ExpectShowing(2006, true);
    EXPECT_EQ(data.Marks(), marks);
    EXPECT_EQ(data.Revision(), revision) << "only clicks change data";
    ASSERT_NE(Cell(1, 3), nullptr);
    EXPECT_TRUE(Cell(1, 3)->marked);
}

TEST_F(CalendarViewTest, AClickedDayTogglesTheMarkAndMovesLaterPredictions) {
    Open(2006, 1);
    CalendarData& data = TestData();
    ::SendMessageW(view, WM_DAY_CLICKED, 2006, MAKELPARAM(1, 10));
    Paint(host);
    ASSERT_TRUE(data.IsMarked(2006, 1, 10));
    EXPECT_EQ(FillOf(0, 10), kMarkedFill);
    EXPECT_EQ(FillOf(1, 7), kPeriodFill) << "predicted 28 days on";
    EXPECT_EQ(FillOf(5, 27), kPeriodFill);

    ::SendMessageW(view, WM_DAY_CLICKED, 2006, MAKELPARAM(1, 20));
    EXPECT_TRUE(AllGridsToPaint());
    Paint(host);
    EXPECT_TRUE(data.IsMarked(2006, 1, 20));
    EXPECT_FALSE(Cell(1, 7)->period);
    EXPECT_TRUE(Cell(1, 17)->period);
    EXPECT_NE(FillOf(1, 7), kPeriodFill);
    EXPECT_EQ(FillOf(1, 17), kPeriodFill);
    EXPECT_TRUE(Cell(5, 9)->period) << "June follows too";
    EXPECT_FALSE(Cell(5, 27)->period);

    // A second click on the same day takes the mark away again.
    ::SendMessageW(view, WM_DAY_CLICKED, 2006, MAKELPARAM(1, 20));
    Paint(host);
    EXPECT_FALSE(data.IsMarked(2006, 1, 20));
    EXPECT_EQ(FillOf(1, 7), kPeriodFill);
    EXPECT_NE(FillOf(1, 17), kPeriodFill);
}

TEST_F(CalendarViewTest, APressOnAGridCellReachesTheData) {
    Open(2006, 8);
    const DayCell* cell = Cell(2, 14); // September 14
    ASSERT_NE(cell, nullptr);
    ::SendMessageW(view.Grid(2)->Handle(), WM_LBUTTONDOWN, MK_LBUTTON,
                   MAKELPARAM(cell->rect.left + 5, cell->rect.top + 5));
    EXPECT_TRUE(TestData().IsMarked(2006, 9, 14));
    EXPECT_TRUE(AllGridsToPaint());
    EXPECT_TRUE(Cell(2, 14)->marked);
    EXPECT_TRUE(Cell(3, 12)->period) << "October's predicted period";
}

TEST_F(CalendarViewTest, ExitAsksTheParentToCloseByPostedMessage) {
    Open(2006, 1);
    Command(CMD_EXIT);
    EXPECT_EQ(host.closeRequests, 0) << "posted, not sent";
    EXPECT_TRUE(WaitFor([&] { return host.closeRequests == 1; }));
}

TEST_F(CalendarViewTest, CommandsAreKnownByTheirLowWordAndTheRestFallThrough) {
    Open(2006, 1);
    ::SendMessageW(view, WM_COMMAND, MAKEWPARAM(CMD_NEXT, 0x1234), 0);
    EXPECT_FALSE(view.FirstHalf()) << "the notification code is not looked at";
    ::SendMessageW(view, WM_COMMAND, MAKEWPARAM(0xBFFF, 0), 0);
    ::SendMessageW(view, WM_COMMAND, MAKEWPARAM(1, 0), 0);
    EXPECT_EQ(view.unhandled, (std::vector<WORD>{0xBFFF, 1}));
    EXPECT_EQ(host.closeRequests, 0);
}

TEST_F(CalendarViewTest, LongSessionsLeakNoGdiObjects) {
    Open(2006, 1);
    const long before = gdi::GdiObjectCount();
    // Painting every tenth time keeps the test short; a paint that leaks still shows.
    for (int i = 0; i < 1000; ++i) {
        Command(i < 500 ? CMD_NEXT : CMD_PREV);
        if (i % 10 == 0) {
            Paint(host);
        }
    }
    ExpectShowing(2006, true);
    for (int i = 0; i < 1000; ++i) {
        // 500 different days, each clicked twice.
        const int k = i % 500;
        ::SendMessageW(view, WM_DAY_CLICKED, static_cast<WPARAM>(2006 + k / 168),
                       MAKELPARAM(1 + (k / 28) % 6, 1 + k % 28));
        if (i % 10 == 0) {
            Paint(host);
        }
    }
    EXPECT_TRUE(TestData().Marks().empty()) << "every day was clicked twice";
    EXPECT_EQ(gdi::GdiObjectCount(), before);
}
