// At 150 % the view shows the pictures rendered for 150 %, not the 100 %
// ones stretched: the background under the grids and a button, pixel for
// pixel, within the rounding of a blend.
#include "CalendarViewTestSupport.h"
#include "Capture.h"

#include "skin/CxImage.h"
#include "skin/DisplayScale.h"

#include <cstdlib>

namespace {

constexpr int kDpi = 144;
// A button at its 100 % place, and the picture inside it.
constexpr RECT kSettingsButton{355, 0, 405, 57};
constexpr int kIconInset = 2;

// Mean difference per colour channel between `expected` and what `shown`
// holds in `area`, the expected picture's (0, 0) lying at `origin` of `shown`.
double MeanDifference(const Capture& shown, const Capture& expected, const RECT& area,
                      POINT origin = {0, 0}) {
    long long sum = 0;
    long long count = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            const COLORREF a = shown.At(x + origin.x, y + origin.y);
            const COLORREF b = expected.At(x, y);
            sum += std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
                   std::abs(GetBValue(a) - GetBValue(b));
            count += 3;
        }
    }
    return count == 0 ? 255.0 : static_cast<double>(sum) / static_cast<double>(count);
}

class ScaledPictures : public viewtest::ShownView {
protected:
    // The view moved to a screen at 150 %, shown at its new size.
    void OpenAtScale() {
        Open(2026, 11);
        view.ChangeScale(scale);
        const SIZE size = view.GetSize();
        for (const HWND window : {host.Handle(), view.Handle()}) {
            ::SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
        }
        Paint(host);
        PumpMessages();
    }

    // `name` as a picture of the view's size: the 150 % rendering, or the
    // 100 % one stretched.
    Capture Expected(const wchar_t* name, bool stretched, int x = 0, int y = 0) const {
        CxImage picture;
        stretched ? picture.LoadFromResource(name) : picture.LoadForScale(name, scale, x, y);
        const gdi::Surface surface(picture.MakeDeviceBitmap(nullptr));
        if (!stretched) {
            return Capture(surface.Get(), 0, 0, picture.Width(), picture.Height());
        }
        const int width = scale.Length(x, picture.Width());
        const int height = scale.Length(y, picture.Height());
        const gdi::Surface large(width, height);
        ::SetStretchBltMode(large.Get(), HALFTONE);
        ::StretchBlt(large.Get(), 0, 0, width, height, surface.Get(), 0, 0, picture.Width(),
                     picture.Height(), SRCCOPY);
        return Capture(large.Get(), 0, 0, width, height);
    }

    const DisplayScale scale{kDpi};
};

TEST_F(ScaledPictures, BackgroundIsTheRenderingForTheScale) {
    OpenAtScale();
    const Capture shown(view);
    ASSERT_EQ(shown.Width(), scale.Edge(675));
    // The title and the first grid's frame: no child covers them.
    const RECT title{scale.Edge(10), scale.Edge(10), scale.Edge(240), scale.Edge(60)};
    const RECT gridTop{scale.Edge(14), scale.Edge(104), scale.Edge(220), scale.Edge(113)};
    for (const RECT& area : {title, gridTop}) {
        EXPECT_LT(MeanDifference(shown, Expected(L"APP-BG", false), area), 1.0);
    }
    // The letters' edges tell a rendering from a stretched picture.
    EXPECT_GT(MeanDifference(shown, Expected(L"APP-BG", true), title), 1.5)
        << "the stretched picture would differ";
}

// The button's picture keeps, under its see-through pixels, the background
// it lies on: idle, the button shows it as it is.
TEST_F(ScaledPictures, ButtonShowsItsPictureForTheScale) {
    OpenAtScale();
    const HWND button = Child(CMD_SETTINGS);
    ASSERT_NE(button, nullptr);
    const Capture shown(button);
    ASSERT_EQ(shown.Width(), scale.Length(kSettingsButton.left, 50));
    const int x = kSettingsButton.left + kIconInset;
    const int y = kSettingsButton.top + kIconInset;
    const int inset = scale.Length(kSettingsButton.left, kIconInset);
    // The upper part: the caption is written over the lower.
    const Capture rendered = Expected(L"BTN_SETTINGS", false, x, y);
    const RECT upper{0, 0, rendered.Width(), rendered.Height() / 2};
    EXPECT_LT(MeanDifference(shown, rendered, upper, {inset, inset}), 2.0);
    const Capture stretched = Expected(L"BTN_SETTINGS", true, x, y);
    EXPECT_GT(MeanDifference(shown, stretched, upper, {inset, inset}), 2.5)
        << "the stretched picture would differ";
}

} // namespace
