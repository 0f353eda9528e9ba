// Drawing a month without a window: the layout it writes into the cells, the
// printed look, what it does with the GDI objects it owns, and months the view
// never shows.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <stdexcept>
#include <utility>
#include <vector>

#include "calendar/Calendar.h"
#include "CalendarDrawTestSupport.h"

using gridtest::Canvas;

namespace {

const EnglishCalendarLocale kSundayFirst(0);

constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr COLORREF kScreenDayName = RGB(162, 3, 29);
constexpr COLORREF kTitle = RGB(215, 24, 62);
constexpr COLORREF kPeriodFill = RGB(100, 200, 255);

bool IsRed(COLORREF c) {
    return GetRValue(c) > 200 && GetGValue(c) < 80 && GetBValue(c) < 80;
}

RECT Offset(RECT r, int dx, int dy) {
    ::OffsetRect(&r, dx, dy);
    return r;
}

// The runs of red pixels in row y between left and right.
std::vector<std::pair<int, int>> RedRuns(const Canvas& canvas, int y, int left, int right) {
    std::vector<std::pair<int, int>> runs;
    for (int x = left; x < right; ++x) {
        if (!IsRed(canvas.At(x, y))) {
            continue;
        }
        if (!runs.empty() && runs.back().second == x) {
            runs.back().second = x + 1;
        } else {
            runs.emplace_back(x, x + 1);
        }
    }
    return runs;
}

const DayCell& CellOf(const Calendar& calendar, int day) {
    for (const auto& row : calendar.cells) {
        for (const DayCell& cell : row) {
            if (cell.day == day) {
                return cell;
            }
        }
    }
    throw std::out_of_range("no such day");
}

class CalendarDraw : public ::testing::Test {
protected:
    DataGuard data;
};

} // namespace

TEST_F(CalendarDraw, LayoutWritesTheGridRectsIntoTheCells) {
    Calendar calendar(nullptr, kSundayFirst);
    calendar.Layout(206, 210);
    struct Case {
        int row, column;
        Rect rect;
    };
    const Case cases[] = {
        {0, 0, {0, 54, 29, 78}},
        {2, 3, {87, 102, 116, 126}},
        {5, 6, {174, 174, 203, 198}},
        {5, 0, {0, 174, 29, 198}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(calendar.cells[c.row][c.column].rect, c.rect) << c.row << "," << c.column;
    }
    calendar.Layout(412, 420);
    EXPECT_EQ(calendar.cells[5][6].rect, (Rect{348, 336, 406, 382}));
}

TEST_F(CalendarDraw, PrintedMonthHasGreyWeekdaysAndATitleAtTheOrigin) {
    DataGuard::Use({});
    Calendar calendar(nullptr, kSundayFirst);
    calendar.Layout(700, 728);
    calendar.SetMonth(2006, 6);
    Canvas page(800, 800);
    calendar.Render(page.Get(), 40, 30);

    POINT origin{-1, -1};
    ::GetViewportOrgEx(page.Get(), &origin);
    EXPECT_EQ(origin.x, 0);
    EXPECT_EQ(origin.y, 0);

    const RECT header = Offset(RECT{0, 91, 700, 182}, 40, 30);
    EXPECT_GT(page.Count(header, kGrey), 50);
    EXPECT_EQ(page.Count(RECT{0, 0, 800, 800}, kScreenDayName), 0);
    EXPECT_GT(page.Count(Offset(RECT{0, 15, 700, 106}, 40, 30), kTitle), 50);
    // Nothing left of or above the origin.
    EXPECT_EQ(page.Count(RECT{0, 0, 40, 800}, [](COLORREF c) { return c != RGB(255, 255, 255); }),
              0);
}

TEST_F(CalendarDraw, PrintedFertileDayGetsARedHeartBottomRight) {
    // Fertile 6-10 June 2006 after the mark of 27 May.
    DataGuard::Use({MakeDateKey(2006, 5, 27)});
    Calendar calendar(nullptr, kSundayFirst);
    // Wide cells keep the day number clear of the heart.
    calendar.Layout(1400, 728);
    calendar.SetMonth(2006, 6);
    Canvas page(1400, 728);
    calendar.Render(page.Get(), 0, 0);

    const DayCell& cell = CellOf(calendar, 6);
    ASSERT_TRUE(cell.fertile);
    const RECT r = gridtest::ToRECT(cell.rect);
    const int areaRight = r.right - (r.right - r.left) / 20;
    RECT box{r.right, r.bottom, r.left, r.top};
    for (int y = r.top; y < r.bottom; ++y) {
        for (const auto& [from, to] : RedRuns(page, y, r.left, r.right)) {
            box = {std::min<LONG>(box.left, from), std::min<LONG>(box.top, y),
                   std::max<LONG>(box.right, to), std::max<LONG>(box.bottom, y + 1)};
        }
    }
    ASSERT_LT(box.left, box.right) << "no red pixels in the fertile cell";
    EXPECT_LE(box.right, areaRight);
    // Glyph side bearing only.
    EXPECT_GE(box.right, areaRight - 16);
    EXPECT_GT(box.left, (r.left + r.right) / 2);
    EXPECT_GT(box.bottom, r.bottom - 24);

    // A heart: two lobes at the top, solid in the middle, a point below.
    const int height = box.bottom - box.top;
    const int width = box.right - box.left;
    ASSERT_GT(height, 10);
    EXPECT_EQ(RedRuns(page, box.top + height / 8, box.left, box.right).size(), 2u);
    const auto middle = RedRuns(page, box.top + height / 2, box.left, box.right);
    ASSERT_EQ(middle.size(), 1u);
    EXPECT_GE(middle[0].second - middle[0].first, width * 6 / 10);
    const auto point = RedRuns(page, box.bottom - 1, box.left, box.right);
    ASSERT_FALSE(point.empty());
    EXPECT_LE(point.back().second - point.front().first, width * 3 / 10);

    // Days that are not fertile get none.
    EXPECT_EQ(page.Count(gridtest::ToRECT(CellOf(calendar, 20).rect), IsRed), 0);
}

TEST_F(CalendarDraw, HeartsFollowTheFertilityDisplayAndAddToAPeriodFill) {
    // A period of 12 days read from a file makes days 10 and 11 of a predicted
    // cycle both period and fertile: 13 July 2006 after the mark of 5 June.
    DataGuard::Use({MakeDateKey(2006, 6, 5)});
    DataGuard::Data().SetPeriodLength(12);
    Calendar calendar(nullptr, kSundayFirst);
    calendar.Layout(700, 728);
    calendar.SetMonth(2006, 7);
    const DayCell& both = CellOf(calendar, 13);
    ASSERT_TRUE(both.period && both.fertile);
    const RECT r = gridtest::ToRECT(both.rect);

    for (const bool show : {true, false}) {
        DataGuard::Data().SetShowFertility(show);
        Canvas page(700, 728);
        calendar.Render(page.Get(), 0, 0);
        EXPECT_GT(page.Count(r, kPeriodFill), 100) << show;
        EXPECT_EQ(page.Count(r, IsRed) > 20, show) << show;
        // The grid only: the title's red is no heart.
        EXPECT_EQ(page.Count(RECT{0, 184, 700, 728}, IsRed) > 0, show) << show;
    }
}

TEST_F(CalendarDraw, RepeatedLayoutAndDrawingKeepsNoObjectsAlive) {
    DataGuard::Use({MakeDateKey(2006, 6, 5)});
    Canvas background(206, 210, RGB(250, 240, 200));
    HDC backgroundDC = background.Get();
    Canvas target(206, 210);
    const long before = gdi::GdiObjectCount();
    {
        Calendar calendar(&backgroundDC, kSundayFirst);
        calendar.SetMonth(2006, 6);
        calendar.Layout(206, 210);
        const long laidOut = gdi::GdiObjectCount();
        for (int i = 0; i < 1000; ++i) {
            calendar.Layout(206 + i % 3, 210);
            calendar.Render(nullptr, 0, 0);
            calendar.Present(target.Get(), 0, 0, i % 31);
        }
        EXPECT_EQ(gdi::GdiObjectCount(), laidOut);
        // None of its fonts stays selected where Layout could not delete it.
        EXPECT_EQ(::GetCurrentObject(calendar.SurfaceDC(), OBJ_FONT),
                  ::GetStockObject(SYSTEM_FONT));
    }
    EXPECT_EQ(gdi::GdiObjectCount(), before);
}

TEST_F(CalendarDraw, MonthsTheViewNeverShowsStillDrawSafely) {
    DataGuard::Use({MakeDateKey(2006, 6, 5)});
    Canvas background(206, 210, RGB(250, 240, 200));
    HDC backgroundDC = background.Get();
    struct Month {
        int year, month;
    };
    const Month months[] = {{1601, 1}, {1899, 12}, {10000, 1}, {-5, 3}, {2006, 0}, {2006, 13}};
    const HDC* const modes[] = {nullptr, &backgroundDC};
    for (const Month& m : months) {
        for (const HDC* mode : modes) {
            Calendar calendar(mode, kSundayFirst);
            Canvas target(206, 210);
            // Before any layout nothing is drawn, and nothing breaks.
            calendar.SetMonth(m.year, m.month);
            calendar.Render(target.Get(), 0, 0);
            calendar.Present(target.Get(), 0, 0, 1);
            calendar.Layout(206, 210);
            calendar.SetMonth(m.year, m.month);
            calendar.Render(mode ? nullptr : target.Get(), 0, 0);
            calendar.Present(target.Get(), 0, 0, 1);
            EXPECT_EQ(target.Count(RECT{0, 54, 206, 210}, kPeriodFill), 0)
                << m.year << "-" << m.month;
        }
    }
    Calendar empty(&backgroundDC, kSundayFirst);
    empty.Layout(0, 0);
    empty.Render(nullptr, 0, 0);
    EXPECT_EQ(empty.SurfaceDC(), nullptr);
}
