// The help dialog and its slide show, opened for real and driven from inside.
#include <gtest/gtest.h>

#include "DialogPixels.h"
#include "ModalDialogDriver.h"

#include "dialogs/HelpDlg.h"
#include "skin/CxImage.h"

#include "resource.h"

#include <commctrl.h>

#include <iterator>
#include <optional>
#include <string>

namespace {

constexpr int kNavigation[] = {IDC_FIRST_SLIDE, IDC_PREVIOUS_SLIDE, IDC_NEXT_SLIDE, IDC_LAST_SLIDE};

// "<<", "<", ">", ">>" as 1 for enabled.
std::string Enabled(HWND dialog) {
    std::string states;
    for (int id : kNavigation) {
        states += ::IsWindowEnabled(::GetDlgItem(dialog, id)) ? '1' : '0';
    }
    return states;
}

// The pictures of the pages, in order.
constexpr const wchar_t* kPictures[] = {L"dlg_settings", L"dlg_print",     L"btn_about",
                                        L"btn_right",    L"help_keyboard", L"dlg_unlock"};
constexpr int kPages = static_cast<int>(std::size(kPictures));

HWND SlideWindow(HWND dialog) {
    // The placeholder has the same id and comes first; the slide show is visible.
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (::GetDlgCtrlID(child) == IDC_SLIDES && ::IsWindowVisible(child)) {
            return child;
        }
    }
    return nullptr;
}

} // namespace

class HelpDlgTest : public ::testing::Test {
protected:
    INT_PTR Run(std::vector<ModalDialogDriver::Step> steps) {
        driver.Script(std::move(steps));
        const INT_PTR result = dialog.DoModal(driver.Owner());
        EXPECT_TRUE(driver.Finished());
        return result;
    }

    ModalDialogDriver driver;
    HelpDlg dialog{driver.Owner()};
};

TEST_F(HelpDlgTest, NavigationEnablesOnlyTheWaysThatLeadSomewhere) {
    struct Press {
        int button;
        int page;            // counted from 0
        const char* enabled; // "<<", "<", ">", ">>"
    };
    const Press presses[] = {
        {IDC_NEXT_SLIDE, 1, "1111"},  {IDC_NEXT_SLIDE, 2, "1111"}, {IDC_NEXT_SLIDE, 3, "1111"},
        {IDC_NEXT_SLIDE, 4, "1111"},  {IDC_NEXT_SLIDE, 5, "1100"}, {IDC_PREVIOUS_SLIDE, 4, "1111"},
        {IDC_FIRST_SLIDE, 0, "0011"}, {IDC_LAST_SLIDE, 5, "1100"}, {IDC_FIRST_SLIDE, 0, "0011"},
    };
    std::string opening;
    std::vector<ModalDialogDriver::Step> steps{[&](HWND window) { opening = Enabled(window); }};
    for (const Press& press : presses) {
        steps.push_back([&, press](HWND window) {
            SCOPED_TRACE(::testing::Message()
                         << "press " << press.button << " to page " << press.page);
            ASSERT_TRUE(::IsWindowEnabled(::GetDlgItem(window, press.button)));
            Click(window, press.button);
            EXPECT_EQ(dialog.Slides().Current(), press.page);
            EXPECT_EQ(Enabled(window), press.enabled);
            // The keyboard never stays on a button that went dead under it.
            HWND focus = ::GetFocus();
            EXPECT_TRUE(focus && ::IsWindowEnabled(focus));
        });
    }
    steps.push_back([](HWND window) { Click(window, IDOK); });
    EXPECT_EQ(Run(std::move(steps)), IDOK);
    EXPECT_EQ(opening, "0011");
}

TEST_F(HelpDlgTest, CloseEnterAndEscapeEndTheDialog) {
    struct Case {
        const char* name;
        void (*act)(HWND);
        INT_PTR result;
    };
    const Case cases[] = {
        {"Close button", [](HWND d) { Click(d, IDOK); }, 1},
        {"Enter", [](HWND) { ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_RETURN, 0); }, 1},
        {"Escape", [](HWND) { ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0); }, 2},
        {"Escape after paging",
         [](HWND d) {
             Click(d, IDC_LAST_SLIDE);
             ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
         },
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Run({[&](HWND window) {
                      ASSERT_NE(::GetFocus(), nullptr);
                      c.act(window);
                  }}),
                  c.result);
    }
}

TEST_F(HelpDlgTest, EachOpeningStartsAfreshOnPageOne) {
    for (int opening = 0; opening < 2; ++opening) {
        int page = -1;
        int count = 0;
        std::string enabled;
        EXPECT_EQ(Run({[&](HWND window) {
                      page = dialog.Slides().Current();
                      count = dialog.Slides().Count();
                      enabled = Enabled(window);
                      Click(window, IDC_LAST_SLIDE);
                      Click(window, IDOK);
                  }}),
                  IDOK);
        EXPECT_EQ(page, 0);
        EXPECT_EQ(count, kPages);
        EXPECT_EQ(enabled, "0011");
    }
}

// Two lines fill the strip; a longer caption needs the room its picture leaves.
TEST_F(HelpDlgTest, CaptionsAreNumberedAndFitTheirStripOrTheRoomBelowThePicture) {
    std::vector<std::wstring> captions;
    SIZE area{};
    std::vector<RECT> extents;
    Run({[&](HWND window) {
        const SlideShow& slides = dialog.Slides();
        const RECT client = [&] {
            RECT r{};
            ::GetClientRect(SlideWindow(window), &r);
            return r;
        }();
        area = {client.right, client.bottom};
        gdi::WindowDC dc(SlideWindow(window));
        gdi::SelectGuard font(dc.Get(), slides.CaptionFont());
        for (int i = 0; i < slides.Count(); ++i) {
            captions.push_back(slides.Caption(i));
            RECT r{0, 0, 0, 0};
            ::DrawTextW(dc.Get(), captions.back().c_str(), -1, &r, DT_CALCRECT);
            extents.push_back(r);
        }
        Click(window, IDOK);
    }});
    ASSERT_EQ(captions.size(), static_cast<std::size_t>(kPages));
    for (std::size_t i = 0; i < captions.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "page " << i + 1);
        const std::wstring prefix = std::to_wstring(i + 1) + L". ";
        EXPECT_EQ(captions[i].rfind(prefix, 0), 0u);
        EXPECT_GT(captions[i].size(), prefix.size() + 20) << "a real text, not just the number";
        EXPECT_LE(extents[i].right, area.cx) << "a line is wider than the page";
        CxImage picture;
        ASSERT_TRUE(picture.LoadFromResource(kPictures[i]));
        EXPECT_LE(extents[i].bottom,
                  std::max<LONG>(SlideShow::kCaptionHeight, area.cy - picture.Height()))
            << "the caption runs into the picture";
    }
}

TEST_F(HelpDlgTest, PageShowsItsPictureTopLeftAndItsCaptionInTheBottomStrip) {
    for (int page = 0; page < kPages; ++page) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(kPictures[page])));
        CxImage picture;
        ASSERT_TRUE(picture.LoadFromResource(kPictures[page]));
        std::vector<ModalDialogDriver::Step> steps;
        for (int i = 0; i < page; ++i) {
            steps.push_back([](HWND window) { Click(window, IDC_NEXT_SLIDE); });
        }
        std::optional<Capture> shown, background;
        RECT area{};
        int captionHeight = 0;
        steps.push_back([&](HWND window) {
            HWND slides = SlideWindow(window);
            ASSERT_NE(slides, nullptr);
            {
                gdi::WindowDC dc(slides);
                gdi::SelectGuard font(dc.Get(), dialog.Slides().CaptionFont());
                RECT r{0, 0, 0, 0};
                ::DrawTextW(dc.Get(), dialog.Slides().Caption(page).c_str(), -1, &r, DT_CALCRECT);
                captionHeight = std::max<int>(SlideShow::kCaptionHeight, r.bottom);
            }
            area = WindowRectIn(slides, window);
            gdi::WindowDC dc(window);
            const int width = area.right - area.left;
            const int height = area.bottom - area.top;
            shown.emplace(dc.Get(), area.left, area.top, width, height);
            background.emplace(dialog.ComposedDC(), area.left, area.top, width, height);
            Click(window, IDOK);
        });
        ASSERT_EQ(Run(std::move(steps)), IDOK);
        ASSERT_TRUE(shown && background);

        const int width = shown->Width();
        const int height = shown->Height();
        const int strip = height - captionHeight;
        const int pictureWidth = std::min(picture.Width(), width);
        const int pictureHeight = std::min(picture.Height(), strip);
        int pictureMismatches = 0;
        for (int y = 0; y < pictureHeight; y += 3) {
            for (int x = 0; x < pictureWidth; x += 3) {
                pictureMismatches += shown->At(x, y) != PictureAt(picture, x, y);
            }
        }
        EXPECT_EQ(pictureMismatches, 0) << "the picture, opaque, at the top-left";

        // Beside and below the picture, above the strip: the dialog's own
        // background, continued without a seam.
        int backgroundMismatches = 0;
        int backgroundCompared = 0;
        for (int y = 0; y < strip; y += 2) {
            for (int x = 0; x < width; x += 2) {
                if (x < picture.Width() && y < picture.Height()) {
                    continue;
                }
                ++backgroundCompared;
                backgroundMismatches += shown->At(x, y) != background->At(x, y);
            }
        }
        if (picture.Height() < strip) {
            EXPECT_GT(backgroundCompared, 0);
        }
        EXPECT_EQ(backgroundMismatches, 0);

        // Dark letters in the strip.
        int dark = 0;
        for (int y = strip; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const COLORREF c = shown->At(x, y);
                dark += GetRValue(c) + GetGValue(c) + GetBValue(c) < 200;
            }
        }
        EXPECT_GT(dark, 100) << "no caption in the bottom strip";
    }
}

namespace {

// Counts the paints of a window; stops a window that never validates itself
// from holding its loop busy for ever.
struct PaintCounter {
    int paints = 0;
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR data) {
        if (msg == WM_PAINT) {
            auto* self = reinterpret_cast<PaintCounter*>(data);
            if (++self->paints > 50) {
                ::ValidateRect(window, nullptr);
                return 0;
            }
        }
        return ::DefSubclassProc(window, msg, wParam, lParam);
    }
};

} // namespace

TEST_F(HelpDlgTest, OneInvalidationBringsExactlyOnePaint) {
    PaintCounter counter;
    HWND slides = nullptr;
    std::vector<int> paintsPerChange;
    auto change = [&](void (*act)(HWND dialog, HWND slides)) {
        return [&, act](HWND window) {
            if (slides == nullptr) {
                slides = SlideWindow(window);
                ASSERT_TRUE(::SetWindowSubclass(slides, PaintCounter::Proc, 1,
                                                reinterpret_cast<DWORD_PTR>(&counter)));
            } else {
                paintsPerChange.push_back(counter.paints);
            }
            counter.paints = 0;
            act(window, slides);
        };
    };
    Run({
        change([](HWND, HWND s) { ::InvalidateRect(s, nullptr, TRUE); }),
        change([](HWND d, HWND) { Click(d, IDC_NEXT_SLIDE); }),
        change([](HWND d, HWND) { Click(d, IDC_LAST_SLIDE); }),
        change([](HWND, HWND s) { ::InvalidateRect(s, nullptr, FALSE); }),
        change([](HWND d, HWND) { Click(d, IDOK); }),
    });
    // The dialog went idle after each change, so no paint was left pending.
    EXPECT_EQ(paintsPerChange, (std::vector<int>{1, 1, 1, 1}));
}

TEST_F(HelpDlgTest, TwoHundredOpeningsLeakNoGdiObject) {
    const long before = gdi::GdiObjectCount();
    for (int i = 0; i < 200; ++i) {
        const INT_PTR expected = i % 2 ? IDOK : IDCANCEL;
        driver.Script({[&](HWND window) {
            Click(window, IDC_NEXT_SLIDE);
            ::SendMessageW(window, WM_COMMAND, static_cast<WPARAM>(expected), 0);
        }});
        // A new object each time, as the program opens it.
        HelpDlg opened(driver.Owner());
        ASSERT_EQ(opened.DoModal(driver.Owner()), expected) << "opening " << i;
    }
    EXPECT_EQ(gdi::GdiObjectCount(), before);
}
