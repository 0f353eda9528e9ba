// The About box, opened for real over a test owner and driven from its own
// message loop: its look, its two links, and how it closes.
#include <gtest/gtest.h>

#include "HyperLinkTestSupport.h"
#include "ModalDialogDriver.h"

#include "dialogs/AboutDlg.h"
#include "framework/Gdi.h"

#include "product.h"
#include "resource.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

using linktest::FakeShell;
using linktest::HasLine;
using linktest::Shown;
using linktest::ToScreen;

namespace {

std::wstring TextOf(HWND window) {
    wchar_t text[128]{};
    ::GetWindowTextW(window, text, 128);
    return text;
}

std::wstring Widen(const char* text) {
    return std::wstring(text, text + std::char_traits<char>::length(text));
}

// Notes the procedure each link's static has when it is destroyed.
class DestroyWatch {
public:
    DestroyWatch() {
        Self() = this;
        hook_ = ::SetWindowsHookExW(WH_CALLWNDPROC, Hook, nullptr, ::GetCurrentThreadId());
    }
    DestroyWatch(const DestroyWatch&) = delete;
    DestroyWatch& operator=(const DestroyWatch&) = delete;
    ~DestroyWatch() {
        ::UnhookWindowsHookEx(hook_);
        Self() = nullptr;
    }

    struct Seen {
        int id;
        bool ownProcedure;
    };
    std::vector<Seen> seen;

private:
    static DestroyWatch*& Self() {
        static DestroyWatch* self = nullptr;
        return self;
    }
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && call->message == WM_DESTROY && Self() != nullptr) {
            const int id = ::GetDlgCtrlID(call->hwnd);
            wchar_t className[16]{};
            ::GetClassNameW(call->hwnd, className, 16);
            if ((id == IDC_WEB_LINK || id == IDC_SUPPORT_LINK) &&
                std::wstring(className) == L"Static") {
                const LONG_PTR current = ::GetWindowLongPtrW(call->hwnd, GWLP_WNDPROC);
                const LONG_PTR own =
                    static_cast<LONG_PTR>(::GetClassLongPtrW(call->hwnd, GCLP_WNDPROC));
                Self()->seen.push_back({id, current == own});
            }
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
    HHOOK hook_ = nullptr;
};

class AboutDlgTest : public ::testing::Test {
protected:
    void SetUp() override { linktest::MoveMouse({1, 1}); }

    // Opens the dialog, runs `steps` in it and answers its result.
    INT_PTR Run(std::vector<ModalDialogDriver::Step> steps) {
        driver.Script(std::move(steps));
        CAboutDlg dialog(driver.Owner());
        open = &dialog;
        const INT_PTR result = dialog.DoModal(driver.Owner());
        open = nullptr;
        EXPECT_TRUE(driver.Finished());
        return result;
    }

    static RECT RectIn(HWND dialog, int id) {
        RECT rect{};
        ::GetWindowRect(::GetDlgItem(dialog, id), &rect);
        ::MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }

    ModalDialogDriver driver;
    CAboutDlg* open = nullptr;
};

} // namespace

TEST_F(AboutDlgTest, IsABorderlessPictureWithNameVersionAndTwoLinks) {
    Run({[&](HWND dialog) {
        const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(dialog, GWL_STYLE));
        EXPECT_EQ(style & (WS_POPUP | WS_SYSMENU), static_cast<DWORD>(WS_POPUP | WS_SYSMENU));
        EXPECT_EQ(style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME | WS_DLGFRAME), 0u);
        RECT window{};
        ::GetWindowRect(dialog, &window);
        EXPECT_EQ(window.right - window.left, 324);
        EXPECT_EQ(window.bottom - window.top, 292);

        const std::wstring title = TextOf(::GetDlgItem(dialog, IDC_ABOUT_TITLE));
        EXPECT_EQ(title.substr(0, title.find(L'\n')), Widen(LUNABEL_VERSION_TEXT));
        EXPECT_NE(title.find(L'\n'), std::wstring::npos) << "a second line under the version";

        EXPECT_EQ(open->WebLink().Label(), Widen(LUNABEL_WEB_LABEL));
        EXPECT_EQ(open->WebLink().Target(), Widen(LUNABEL_WEB_URL));
        EXPECT_EQ(open->SupportLink().Label(), Widen(LUNABEL_SUPPORT_ADDRESS));
        EXPECT_EQ(open->SupportLink().Target(), L"mailto:" + Widen(LUNABEL_SUPPORT_ADDRESS));

        // Every text clear of the emblem's disc on the left of the picture.
        for (int id : {IDC_ABOUT_TITLE, IDC_WEB_LINK, IDC_SUPPORT_LINK}) {
            EXPECT_GE(RectIn(dialog, id).left, 100) << "control " << id;
        }
        ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    }});
}

// The box opens on OK; Tab then reaches the two links, and Enter on a link
// opens it instead of closing the box.
TEST_F(AboutDlgTest, TabReachesTheLinksAndEnterOpensTheFocusedOne) {
    FakeShell shell;
    std::vector<int> focused;
    const auto pressTab = [&](HWND) {
        focused.push_back(::GetDlgCtrlID(::GetFocus()));
        ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    };
    const INT_PTR result = Run({
        pressTab,
        pressTab,
        [&](HWND) {
            focused.push_back(::GetDlgCtrlID(::GetFocus()));
            ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
        },
        pressTab,
        [&](HWND) {
            focused.push_back(::GetDlgCtrlID(::GetFocus()));
            ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
        },
    });
    EXPECT_EQ(focused,
              (std::vector<int>{IDOK, IDC_WEB_LINK, IDC_SUPPORT_LINK, IDC_SUPPORT_LINK, IDOK}));
    ASSERT_EQ(shell.Count(), 1u);
    EXPECT_EQ(shell.Log()[0].target, L"mailto:" + Widen(LUNABEL_SUPPORT_ADDRESS));
    EXPECT_EQ(result, IDOK) << "Enter on OK still closes the box";
}

TEST_F(AboutDlgTest, EndsWithTheAnswerOfTheWayItWasClosedAndGivesTheStaticsBack) {
    struct Case {
        const char* name;
        ModalDialogDriver::Step close;
        INT_PTR expected;
    };
    const Case cases[] = {
        {"Escape", [](HWND) { ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0); }, IDCANCEL},
        {"Enter", [](HWND) { ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_RETURN, 0); }, IDOK},
        {"OK button",
         [](HWND dialog) {
             const HWND ok = ::GetDlgItem(dialog, IDOK);
             RECT button{};
             ::GetClientRect(ok, &button);
             linktest::Click(ToScreen(ok, {button.right / 2, button.bottom / 2}));
         },
         IDOK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DestroyWatch watch;
        EXPECT_EQ(Run({c.close}), c.expected);
        ASSERT_EQ(watch.seen.size(), 2u);
        for (const DestroyWatch::Seen& seen : watch.seen) {
            EXPECT_TRUE(seen.ownProcedure) << "control " << seen.id;
        }
    }
}

TEST_F(AboutDlgTest, LinksOpenFromTheirLabelAndAgainWithSpace) {
    FakeShell shell;
    bool webVisited = false;
    bool supportVisited = true;
    HWND focusAfterClick = nullptr;
    HWND web = nullptr;
    Run({[&](HWND dialog) {
             web = ::GetDlgItem(dialog, IDC_WEB_LINK);
             // Beside the label first: nothing may happen there.
             linktest::Click(ToScreen(web, linktest::BesideLabel(open->WebLink())));
             linktest::Click(ToScreen(web, linktest::LabelCentre(open->WebLink())));
         },
         [&](HWND) {
             focusAfterClick = ::GetFocus();
             // Through the dialog's loop, as a typed space travels.
             ::PostMessageW(::GetFocus(), WM_CHAR, L' ', 0);
         },
         [&](HWND dialog) {
             const HWND support = ::GetDlgItem(dialog, IDC_SUPPORT_LINK);
             linktest::Click(ToScreen(support, linktest::LabelCentre(open->SupportLink())));
         },
         [&](HWND dialog) {
             webVisited = open->WebLink().IsVisited();
             supportVisited = open->SupportLink().IsVisited();
             ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
         }});
    EXPECT_EQ(focusAfterClick, web);
    ASSERT_EQ(shell.Count(), 3u);
    EXPECT_EQ(shell.Log()[0].target, Widen(LUNABEL_WEB_URL));
    EXPECT_EQ(shell.Log()[1].target, Widen(LUNABEL_WEB_URL));
    EXPECT_EQ(shell.Log()[2].target, L"mailto:" + Widen(LUNABEL_SUPPORT_ADDRESS));
    EXPECT_TRUE(webVisited);
    EXPECT_TRUE(supportVisited);
}

TEST_F(AboutDlgTest, TextsStandOnThePictureInTheirColours) {
    linktest::BrowserSetting red(L"Anchor Color", L"255,0,0");
    Run({[&](HWND dialog) {
        const Capture shown = Shown(dialog);
        const HDC background = open->ComposedDC();
        for (int id : {IDC_ABOUT_TITLE, IDC_WEB_LINK, IDC_SUPPORT_LINK}) {
            SCOPED_TRACE(::testing::Message() << "control " << id);
            // The left edge of each control lies beside its centred text.
            const RECT r = RectIn(dialog, id);
            int mismatches = 0;
            for (int y = r.top; y < r.bottom; ++y) {
                mismatches += shown.At(r.left + 1, y) != ::GetPixel(background, r.left + 1, y);
            }
            EXPECT_EQ(mismatches, 0);
        }
        // Both links red while unvisited; the title in black.
        EXPECT_GT(shown.Count(RGB(255, 0, 0), RectIn(dialog, IDC_WEB_LINK)), 20);
        EXPECT_GT(shown.Count(RGB(255, 0, 0), RectIn(dialog, IDC_SUPPORT_LINK)), 20);
        EXPECT_GT(shown.Count(RGB(0, 0, 0), RectIn(dialog, IDC_ABOUT_TITLE)), 40);
        ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    }});
}

TEST_F(AboutDlgTest, TitleIsSetInItsOwnFont) {
    // The first line's ink is as wide as the title font makes it, which the
    // dialog's own font would not.
    const gdi::Font font = gdi::MakeFont(L"Comic Sans MS", -12, FW_BOLD, ANTIALIASED_QUALITY);
    const std::wstring version = Widen(LUNABEL_VERSION_TEXT);
    SIZE expected{};
    TEXTMETRICW metrics{};
    {
        gdi::WindowDC screen(nullptr);
        gdi::SelectGuard select(screen.Get(), font.Get());
        ::GetTextExtentPoint32W(screen.Get(), version.c_str(), static_cast<int>(version.size()),
                                &expected);
        ::GetTextMetricsW(screen.Get(), &metrics);
    }
    int inkWidth = 0;
    Run({[&](HWND dialog) {
        const Capture shown = Shown(dialog);
        const RECT r = RectIn(dialog, IDC_ABOUT_TITLE);
        int left = r.right;
        int right = r.left;
        for (int y = r.top; y < r.top + metrics.tmHeight; ++y) {
            for (int x = r.left; x < r.right; ++x) {
                if (shown.At(x, y) == RGB(0, 0, 0)) {
                    left = std::min(left, x);
                    right = std::max(right, x + 1);
                }
            }
        }
        inkWidth = right - left;
        ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    }});
    EXPECT_NEAR(inkWidth, expected.cx, 4);
}

TEST_F(AboutDlgTest, TwoHundredOpeningsLeakNoGdiObject) {
    FakeShell shell;
    const long before = gdi::GdiObjectCount();
    for (int i = 0; i < 200; ++i) {
        const int button = i % 2 ? IDOK : IDCANCEL;
        // Shown, painted, hovered and clicked each time.
        ASSERT_EQ(Run({[&](HWND dialog) {
                           const HWND web = ::GetDlgItem(dialog, IDC_WEB_LINK);
                           linktest::Click(ToScreen(web, linktest::LabelCentre(open->WebLink())));
                       },
                       [&](HWND dialog) { ::SendMessageW(dialog, WM_COMMAND, button, 0); }}),
                  button)
            << "opening " << i;
    }
    EXPECT_EQ(shell.Count(), 200u);
    EXPECT_EQ(gdi::GdiObjectCount(), before);
}
