// The skinned-dialog base on a real dialog over a window of known pixels.
#include <gtest/gtest.h>

#include "DialogPixels.h"
#include "ModalDialogDriver.h"

#include "framework/Dialog.h"
#include "skin/CxImage.h"
#include "skin/TransparentDlg.h"

#include "resource.h"

#include <uxtheme.h>

#include <optional>

namespace {

// A skinned dialog with nothing of its own, on the settings template (it has
// static texts).
class SkinProbeDlg : public CDialogImpl<SkinProbeDlg>, public TransparentDlg {
public:
    enum { IDD = IDD_SETTINGS };

    SkinProbeDlg(HWND owner, const wchar_t* picture) : TransparentDlg(owner), picture_(picture) {}

    BEGIN_MSG_MAP(SkinProbeDlg)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_CTLCOLORSTATIC, OnCtlColorStatic)
        COMMAND_RANGE_HANDLER(IDOK, IDCANCEL, OnClose)
    END_MSG_MAP()

    RECT templateClient{};

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
        ::GetClientRect(Handle(), &templateClient);
        InitBackground(Handle(), picture_);
        return 1;
    }
    LRESULT OnClose(WORD, WORD id, HWND, BOOL&) {
        EndDialog(id);
        return 0;
    }

    const wchar_t* picture_;
};

void Close(HWND dialog) {
    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

// What the background must be: the owner's pattern under the dialog, blurred,
// darkened, lifted by the gamma, with the picture laid over it.
CxImage ExpectedBackground(const RECT& owner, const RECT& dialog, const CxImage* picture) {
    const int width = dialog.right - dialog.left;
    const int height = dialog.bottom - dialog.top;
    CxImage image;
    image.Create(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 24);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const COLORREF under = ModalDialogDriver::PatternAt(dialog.left - owner.left + x,
                                                                dialog.top - owner.top + y);
            image.SetPixelColor(x, height - 1 - y, ToBgr(under));
        }
    }
    const int kernel[9] = {1, 2, 1, 2, 0, 2, 1, 2, 1};
    image.Convolve3x3(kernel, 3, 16, 0);
    image.ApplyGamma(9.0f);
    if (picture != nullptr) {
        image.BlendFrom(*picture, 0, 0);
    }
    return image;
}

// Points of the picture with alpha 0, 255 and in between, inside the header
// strip where the template puts no control.
std::vector<POINT> PointsOfEachOpacity(const CxImage& picture) {
    std::optional<POINT> clear, solid, partial;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < picture.Width(); ++x) {
            const int alpha = AlphaAt(picture, x, y);
            auto& slot = alpha == 0 ? clear : alpha == 255 ? solid : partial;
            if (!slot) {
                slot = POINT{x, y};
            }
        }
    }
    std::vector<POINT> points;
    for (const auto& point : {clear, solid, partial}) {
        if (point) {
            points.push_back(*point);
        }
    }
    return points;
}

RECT WindowRectOf(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}

} // namespace

class TransparentDlgTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(settingsPicture.LoadFromResource(L"dlg_settings")); }
    CxImage settingsPicture;
};

TEST_F(TransparentDlgTest, CentresOverTheOwnerEvenPastTheScreenEdge) {
    struct Case {
        const char* name;
        RECT owner;
    };
    const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    const Case cases[] = {
        {"inside the screen", {100, 100, 775, 657}},
        {"off the top-left corner", {-500, -400, 175, 157}},
        {"off the bottom-right corner",
         {screenWidth - 100, screenHeight - 60, screenWidth + 575, screenHeight + 497}},
        // Odd differences: the half is truncated toward zero, also when negative.
        {"smaller than the dialog", {300, 300, 400, 361}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModalDialogDriver driver(c.owner);
        RECT placed{};
        RECT client{};
        driver.Script({[&](HWND dialog) {
            placed = WindowRectOf(dialog);
            ::GetClientRect(dialog, &client);
            Close(dialog);
        }});
        SkinProbeDlg dialog(driver.Owner(), L"dlg_settings");
        EXPECT_EQ(dialog.DoModal(driver.Owner()), IDCANCEL);

        const int w = settingsPicture.Width();
        const int h = settingsPicture.Height();
        const int ownerWidth = c.owner.right - c.owner.left;
        const int ownerHeight = c.owner.bottom - c.owner.top;
        const RECT expected{
            c.owner.left + (ownerWidth - w) / 2, c.owner.top + (ownerHeight - h) / 2,
            c.owner.left + (ownerWidth - w) / 2 + w, c.owner.top + (ownerHeight - h) / 2 + h};
        EXPECT_TRUE(::EqualRect(&placed, &expected))
            << placed.left << "," << placed.top << " - " << placed.right << "," << placed.bottom;
        EXPECT_EQ(client.right, w) << "no border";
        EXPECT_EQ(client.bottom, h) << "no caption";
    }
}

TEST_F(TransparentDlgTest, BackgroundIsTheFrostedOwnerUnderThePicture) {
    const RECT ownerRect{100, 100, 775, 657};
    ModalDialogDriver driver(ownerRect);
    std::optional<Capture> composed, onScreen;
    RECT placed{};
    SkinProbeDlg dialog(driver.Owner(), L"dlg_settings");
    driver.Script({[&](HWND window) {
        placed = WindowRectOf(window);
        composed.emplace(dialog.ComposedDC(), 0, 0, placed.right - placed.left,
                         placed.bottom - placed.top);
        gdi::WindowDC dc(window);
        onScreen.emplace(dc.Get(), 0, 0, placed.right - placed.left, placed.bottom - placed.top);
        Close(window);
    }});
    ASSERT_EQ(dialog.DoModal(driver.Owner()), IDCANCEL);
    ASSERT_TRUE(composed && onScreen);

    const CxImage expected = ExpectedBackground(ownerRect, placed, &settingsPicture);
    int mismatches = 0;
    for (int y = 0; y < expected.Height(); ++y) {
        for (int x = 0; x < expected.Width(); ++x) {
            if (composed->At(x, y) != PictureAt(expected, x, y) && ++mismatches <= 5) {
                ADD_FAILURE() << "composed pixel " << x << "," << y;
            }
        }
    }
    EXPECT_EQ(mismatches, 0);

    const std::vector<POINT> points = PointsOfEachOpacity(settingsPicture);
    ASSERT_EQ(points.size(), 3u) << "the picture should have clear, solid and partial pixels";
    for (const POINT& p : points) {
        SCOPED_TRACE(::testing::Message() << "alpha " << AlphaAt(settingsPicture, p.x, p.y));
        EXPECT_EQ(onScreen->At(p.x, p.y), PictureAt(expected, p.x, p.y));
    }
    // Where the picture is clear the frost shows, not the colour stored under it.
    const POINT clear = points[0];
    EXPECT_NE(onScreen->At(clear.x, clear.y), PictureAt(settingsPicture, clear.x, clear.y));
}

TEST_F(TransparentDlgTest, WithoutAPictureKeepsTheTemplateSizeAndShowsOnlyTheFrost) {
    const RECT ownerRect{100, 100, 775, 657};
    ModalDialogDriver driver(ownerRect);
    std::optional<Capture> composed;
    RECT placed{};
    SkinProbeDlg dialog(driver.Owner(), nullptr);
    driver.Script({[&](HWND window) {
        placed = WindowRectOf(window);
        composed.emplace(dialog.ComposedDC(), 0, 0, placed.right - placed.left,
                         placed.bottom - placed.top);
        Close(window);
    }});
    ASSERT_EQ(dialog.DoModal(driver.Owner()), IDCANCEL);
    EXPECT_EQ(placed.right - placed.left, dialog.templateClient.right);
    EXPECT_EQ(placed.bottom - placed.top, dialog.templateClient.bottom);

    const CxImage expected = ExpectedBackground(ownerRect, placed, nullptr);
    for (const POINT p : {POINT{0, 0}, POINT{17, 9}, POINT{expected.Width() - 1, 40}}) {
        EXPECT_EQ(composed->At(p.x, p.y), PictureAt(expected, p.x, p.y)) << p.x << "," << p.y;
    }
}

TEST_F(TransparentDlgTest, StaticTextShowsThePictureBehindItsLetters) {
    ModalDialogDriver driver;
    SkinProbeDlg dialog(driver.Owner(), L"dlg_settings");
    int compared = 0;
    int mismatches = 0;
    driver.Script({[&](HWND window) {
        // The first label is right-aligned: its left part holds no letters.
        HWND label = ::FindWindowExW(window, nullptr, L"Static", L"Menstrual cycle length:");
        ASSERT_NE(label, nullptr);
        const RECT rect = WindowRectIn(label, window);
        gdi::WindowDC dc(window);
        const Capture shown(dc.Get(), rect.left, rect.top, 30, rect.bottom - rect.top);
        const Capture background(dialog.ComposedDC(), rect.left, rect.top, 30,
                                 rect.bottom - rect.top);
        for (int y = 0; y < shown.Height(); ++y) {
            for (int x = 0; x < shown.Width(); ++x) {
                ++compared;
                mismatches += shown.At(x, y) != background.At(x, y);
            }
        }
        Close(window);
    }});
    ASSERT_EQ(dialog.DoModal(driver.Owner()), IDCANCEL);
    EXPECT_GT(compared, 0);
    EXPECT_EQ(mismatches, 0);
}

// Visual styles are on in the test process (its manifest asks for common
// controls 6, and the prefix has a theme), so a button starts out themed.
TEST(TransparentDlgThemeTest, RemoveVisualStyleLeavesButtonsUnthemed) {
    HWND parent = ::CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr,
                                    nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    for (const DWORD style : {BS_AUTOCHECKBOX, BS_AUTORADIOBUTTON}) {
        HWND button = ::CreateWindowExW(0, L"Button", L"Label", WS_CHILD | WS_VISIBLE | style, 0, 0,
                                        120, 20, parent, nullptr, nullptr, nullptr);
        ASSERT_NE(::GetWindowTheme(button), nullptr) << "visual styles are off: nothing to check";
        TransparentDlg::RemoveVisualStyle(button);
        EXPECT_EQ(::GetWindowTheme(button), nullptr) << "style " << style;
        // Themes reloaded later (a theme change) must not bring it back.
        ::SendMessageW(button, WM_THEMECHANGED, 0, 0);
        EXPECT_EQ(::GetWindowTheme(button), nullptr) << "style " << style;
    }
    ::DestroyWindow(parent);
}
