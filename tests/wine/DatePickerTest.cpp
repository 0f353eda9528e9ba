// The year caption between the arrows: its texts in the user's locale, its
// rounded shape and what it paints over the view's background.
#include "CalendarViewTestSupport.h"

#include "calendar/DatePicker.h"

namespace {

constexpr COLORREF kRose = RGB(215, 24, 62);

class DatePickerTest : public viewtest::ShownView {
protected:
    HWND PickerWindow() const { return view.Picker().Handle(); }
};

// A locale that knows no month: the caption must still read.
class SilentLocale : public CalendarLocale {
public:
    std::wstring MonthName(int) const override { return {}; }
    std::wstring AbbreviatedDayName(int) const override { return {}; }
    std::wstring ShortestDayName(int) const override { return {}; }
    int FirstDayOfWeek() const override { return 0; }
};

} // namespace

TEST_F(DatePickerTest, ShowsTheYearAndTheHalfYearsMonthRange) {
    struct Case {
        int month;
        const wchar_t* range;
    };
    for (const Case& c : {Case{2, L"January - June"}, Case{11, L"July - December"}}) {
        SCOPED_TRACE(c.month);
        if (host.IsWindow()) {
            host.DestroyWindow();
        }
        Open(2006, c.month);
        EXPECT_EQ(view.Picker().YearText(), L"2006");
        EXPECT_EQ(view.Picker().RangeText(), c.range);
    }
}

TEST_F(DatePickerTest, EnglishNamesStandInForAMissingLocale) {
    const SilentLocale silent;
    DatePicker picker(nullptr, silent);
    picker.SetHalfYear(1999, false);
    EXPECT_EQ(picker.YearText(), L"1999");
    EXPECT_EQ(picker.RangeText(), L"July - December");
}

TEST_F(DatePickerTest, CornersAreCutByARoundedRegion) {
    Open(2006, 1);
    gdi::Region region(::CreateRectRgn(0, 0, 0, 0));
    ASSERT_EQ(::GetWindowRgn(PickerWindow(), region.Get()), COMPLEXREGION);
    // The system's rounded regions end a pixel short on the right and bottom.
    RECT box{};
    ::GetRgnBox(region.Get(), &box);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, 0);
    EXPECT_GE(box.right, 349);
    EXPECT_GE(box.bottom, 39);
    const int right = box.right - 1;
    const int bottom = box.bottom - 1;
    for (const POINT corner :
         {POINT{0, 0}, POINT{right, 0}, POINT{0, bottom}, POINT{right, bottom}}) {
        EXPECT_FALSE(::PtInRegion(region.Get(), corner.x, corner.y)) << corner.x << "," << corner.y;
    }
    for (const POINT edge : {POINT{0, 20}, POINT{175, 0}, POINT{right, 20}, POINT{175, bottom}}) {
        EXPECT_TRUE(::PtInRegion(region.Get(), edge.x, edge.y)) << edge.x << "," << edge.y;
    }

    // The view's own background shows at the cut corner.
    Paint(host);
    const Capture shown(view);
    const Capture background(view.BackgroundDC(), 0, 0, shown.Width(), shown.Height());
    EXPECT_EQ(shown.At(280, 64), background.At(280, 64));
}

TEST_F(DatePickerTest, PaintsTheLineTheYearAndTheRangeOverTheBackground) {
    Open(2006, 1);
    Paint(host);
    const Capture shown(PickerWindow());
    ASSERT_EQ(shown.Width(), 350);
    ASSERT_EQ(shown.Height(), 40);
    for (int x = 2; x < 348; ++x) {
        ASSERT_EQ(shown.At(x, 20), kRose) << "line pixel " << x;
    }
    const Capture under(view.BackgroundDC(), 280, 64, 350, 40);
    int changedAbove = 0;
    int changedBelow = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 350; ++x) {
            if (y != 20 && shown.At(x, y) != under.At(x, y)) {
                (y < 20 ? changedAbove : changedBelow)++;
            }
        }
    }
    EXPECT_GT(changedAbove, 30) << "the year is drawn above the line";
    EXPECT_GT(changedBelow, 60) << "the month range is drawn below it";
    // Only text colour besides the background: nothing is erased to white.
    EXPECT_EQ(shown.At(10, 5), under.At(10, 5));
    EXPECT_EQ(shown.At(10, 35), under.At(10, 35));
}
