// The link made of a static control: its colours from the browser settings,
// the label-only hit area, hover underline, mouse and keyboard activation,
// the tooltip, and giving the control back.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <ostream>
#include <string>

#include "HyperLinkTestSupport.h"
#include "framework/Gdi.h"
#include "framework/HyperLink.h"
#include "framework/Window.h"

using linktest::BrowserSetting;
using linktest::FakeShell;
using linktest::HasLine;
using linktest::Shown;
using linktest::ToScreen;

namespace {

constexpr COLORREF kBackground = RGB(255, 255, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr wchar_t kLabel[] = L"www.lunabel.example";
constexpr wchar_t kTarget[] = L"https://www.lunabel.example/";
constexpr int kStaticId = 1020;

// --- the colour value itself ---------------------------------------------------

struct ParseCase {
    const wchar_t* value;
    std::optional<COLORREF> expected;
};

void PrintTo(const ParseCase& c, std::ostream* out) {
    *out << '"';
    for (const wchar_t* p = c.value; *p; ++p) {
        *out << static_cast<char>(*p);
    }
    *out << '"';
}

class AnchorColorParsing : public ::testing::TestWithParam<ParseCase> {};

TEST_P(AnchorColorParsing, GivesTheColourOrTheDefault) {
    EXPECT_EQ(ParseAnchorColor(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, AnchorColorParsing,
    ::testing::Values(ParseCase{L"255,0,0", kRed}, ParseCase{L"1,2,3", RGB(1, 2, 3)},
                      ParseCase{L"256,257,258", RGB(0, 1, 2)},
                      ParseCase{L"10,10,10000", RGB(10, 10, 16)}, // 11 characters: still read
                      ParseCase{L"100,100,1000", std::nullopt},   // 12 characters
                      ParseCase{L"12,34", std::nullopt}, ParseCase{L"12", std::nullopt},
                      ParseCase{L"", std::nullopt}, ParseCase{L"5,5,", std::nullopt},
                      ParseCase{L",,", std::nullopt}, ParseCase{L",,7", RGB(0, 0, 7)},
                      ParseCase{L"-1,5,5", std::nullopt}, ParseCase{L"5,-1,5", std::nullopt},
                      ParseCase{L"-01,5,5", std::nullopt}, ParseCase{L"5,5,-1", RGB(5, 5, 255)},
                      ParseCase{L"-2,0,0", RGB(254, 0, 0)}, ParseCase{L" 7, 8, 9", RGB(7, 8, 9)},
                      ParseCase{L"+5,6,7", RGB(5, 6, 7)}, ParseCase{L"1,2,3,4", RGB(1, 2, 3)},
                      ParseCase{L"x,y,z", RGB(0, 0, 0)}, ParseCase{L"9a,8b,7c", RGB(9, 8, 7)}));

// --- the values as stored in the registry ----------------------------------------

struct StoredCase {
    const char* name;
    const wchar_t* valueName;
    DWORD type;
    std::wstring bytes; // stored as is: no terminator unless written here
    LinkColors expected;
};

void PrintTo(const StoredCase& c, std::ostream* out) {
    *out << c.name;
}

std::wstring Terminated(const wchar_t* text) {
    return std::wstring(text) + L'\0';
}

class LinkColorsFromRegistry : public ::testing::TestWithParam<StoredCase> {};

TEST_P(LinkColorsFromRegistry, ReadsWhatTheBrowserWould) {
    const StoredCase& c = GetParam();
    const wchar_t* other =
        std::wstring(c.valueName) == L"Anchor Color" ? L"Anchor Color Visited" : L"Anchor Color";
    BrowserSetting otherUnset(other, REG_SZ, nullptr, 0);
    BrowserSetting setting(c.valueName, c.type, c.bytes.data(),
                           static_cast<DWORD>(c.bytes.size() * sizeof(wchar_t)));
    const LinkColors colors = ReadLinkColors();
    EXPECT_EQ(colors.link, c.expected.link);
    EXPECT_EQ(colors.visited, c.expected.visited);
}

constexpr LinkColors kDefaults{};

INSTANTIATE_TEST_SUITE_P(
    Values, LinkColorsFromRegistry,
    ::testing::Values(
        StoredCase{
            "Red", L"Anchor Color", REG_SZ, Terminated(L"255,0,0"), {kRed, RGB(128, 0, 128)}},
        StoredCase{"Expandable",
                   L"Anchor Color",
                   REG_EXPAND_SZ,
                   Terminated(L"0,128,0"),
                   {RGB(0, 128, 0), RGB(128, 0, 128)}},
        StoredCase{"VisitedOnly",
                   L"Anchor Color Visited",
                   REG_SZ,
                   Terminated(L"1,2,3"),
                   {RGB(0, 0, 255), RGB(1, 2, 3)}},
        StoredCase{"ElevenCharacters",
                   L"Anchor Color",
                   REG_SZ,
                   Terminated(L"10,10,10000"),
                   {RGB(10, 10, 16), RGB(128, 0, 128)}},
        StoredCase{"TwelveCharacters", L"Anchor Color", REG_SZ, Terminated(L"100,100,1000"),
                   kDefaults},
        StoredCase{"TwelveWithoutTerminator", L"Anchor Color", REG_SZ, L"100,100,1000", kDefaults},
        StoredCase{"ElevenWithoutTerminator",
                   L"Anchor Color",
                   REG_SZ,
                   L"10,10,10000",
                   {RGB(10, 10, 16), RGB(128, 0, 128)}},
        StoredCase{"NotAString", L"Anchor Color", REG_BINARY, Terminated(L"255,0,0"), kDefaults},
        StoredCase{"OneComma", L"Anchor Color", REG_SZ, Terminated(L"12,34"), kDefaults},
        StoredCase{"Missing", L"Anchor Color", REG_SZ, L"", kDefaults}));

// --- a link on a window ---------------------------------------------------------

// Stands in for the dialog: gives the font and the brush the link asks for.
class LinkHost : public CWindowImpl<LinkHost, CWinTraits<WS_POPUP | WS_CLIPCHILDREN>> {
public:
    static constexpr const wchar_t* kClassName = L"LunabelTestLinkHost";

    HFONT font = nullptr;
    int brushRequests = 0;

    BEGIN_MSG_MAP(LinkHost)
        MESSAGE_HANDLER(WM_GETFONT, OnGetFont)
        MESSAGE_HANDLER(WM_CTLCOLORSTATIC, OnColorStatic)
    END_MSG_MAP()

private:
    LRESULT OnGetFont(UINT, WPARAM, LPARAM, BOOL&) { return reinterpret_cast<LRESULT>(font); }
    LRESULT OnColorStatic(UINT, WPARAM, LPARAM, BOOL&) {
        ++brushRequests;
        return reinterpret_cast<LRESULT>(brush_.Get());
    }
    gdi::Brush brush_{::CreateSolidBrush(kBackground)};
};

class HyperLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        // No test starts with the pointer over its window.
        linktest::MoveMouse({1, 1});
        host_.font = font_.Get();
        host_.Create(nullptr, RECT{60, 60, 380, 160});
        CreateStatic(SS_CENTER);
        // Shown without activation: under Wine an activated top-level window
        // takes seconds to go away again. A click activates it.
        host_.ShowWindow(SW_SHOWNOACTIVATE);
        ::SetForegroundWindow(host_);
        ::UpdateWindow(host_);
        PumpMessages();
    }
    void TearDown() override {
        link_.UnsubclassWindow();
        host_.DestroyWindow();
        linktest::MoveMouse({1, 1});
        PumpMessages();
    }

    void CreateStatic(DWORD alignment) {
        if (static_) {
            ::DestroyWindow(static_);
        }
        static_ = ::CreateWindowExW(0, L"Static", kLabel, WS_CHILD | WS_VISIBLE | alignment, 10, 10,
                                    300, 60, host_, reinterpret_cast<HMENU>(kStaticId),
                                    ::GetModuleHandleW(nullptr), nullptr);
    }

    void Attach(LinkUnderline underline = LinkUnderline::OnHover) {
        ASSERT_TRUE(link_.SubclassWindow(static_));
        link_.SetHyperLink(kTarget);
        link_.SetUnderline(underline);
    }

    POINT OnLabel() const { return ToScreen(static_, linktest::LabelCentre(link_)); }
    POINT BesideLabel() const { return ToScreen(static_, linktest::BesideLabel(link_)); }
    // Inside the host, outside the link's control.
    POINT OutsideControl() const { return ToScreen(host_, {5, 90}); }

    bool HoverReaches(bool hovering) {
        return WaitFor([&] { return link_.IsHovering() == hovering; });
    }

    gdi::Font font_{::CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  DEFAULT_PITCH, L"MS Sans Serif")};
    LinkHost host_;
    HWND static_ = nullptr;
    CHyperLink link_;
};

int TextWidth(HFONT font, const wchar_t* text) {
    gdi::WindowDC dc(nullptr);
    gdi::SelectGuard select(dc.Get(), font);
    SIZE size{};
    ::GetTextExtentPoint32W(dc.Get(), text, static_cast<int>(wcslen(text)), &size);
    return size.cx;
}

// Where the label's rectangle starts in a 300-pixel control.
struct AlignCase {
    const char* name;
    DWORD style;
    bool parentFont;
};

void PrintTo(const AlignCase& c, std::ostream* out) {
    *out << c.name;
}

class HyperLinkHitArea : public HyperLinkTest, public ::testing::WithParamInterface<AlignCase> {};

TEST_P(HyperLinkHitArea, IsTheLabelTextPlacedLikeTheStatic) {
    const AlignCase& c = GetParam();
    if (!c.parentFont) {
        host_.font = nullptr;
    }
    CreateStatic(c.style);
    Attach();
    const HFONT measured =
        c.parentFont ? font_.Get() : static_cast<HFONT>(::GetStockObject(SYSTEM_FONT));
    const int width = TextWidth(measured, kLabel);
    const RECT hit = link_.HitRect();
    EXPECT_EQ(hit.right - hit.left, width);
    EXPECT_EQ(hit.top, 0);
    EXPECT_GT(hit.bottom, 0);
    EXPECT_LT(hit.bottom, 60) << "one line of text, not the whole control";
    switch (c.style) {
    case SS_CENTER:
        EXPECT_EQ(hit.left, (300 - width) / 2);
        break;
    case SS_RIGHT:
        EXPECT_EQ(hit.right, 300);
        break;
    default:
        EXPECT_EQ(hit.left, 0);
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(Alignments, HyperLinkHitArea,
                         ::testing::Values(AlignCase{"Centre", SS_CENTER, true},
                                           AlignCase{"Left", SS_LEFT, true},
                                           AlignCase{"Right", SS_RIGHT, true},
                                           AlignCase{"CentreSystemFont", SS_CENTER, false}));

// --- drawing ------------------------------------------------------------------------

struct DrawCase {
    const wchar_t* anchorColor;
    COLORREF expected;
};

void PrintTo(const DrawCase& c, std::ostream* out) {
    ParseCase p{c.anchorColor, std::nullopt};
    PrintTo(p, out);
}

class HyperLinkBrowserColour : public HyperLinkTest,
                               public ::testing::WithParamInterface<DrawCase> {};

TEST_P(HyperLinkBrowserColour, DrawsAnUnvisitedLabelInIt) {
    BrowserSetting setting(L"Anchor Color", GetParam().anchorColor);
    Attach();
    const Capture shown = Shown(static_);
    const RECT hit = link_.HitRect();
    EXPECT_GT(shown.Count(GetParam().expected, hit), 20);
    const COLORREF other = GetParam().expected == kRed ? kDefaultLinkColor : kRed;
    EXPECT_EQ(shown.Count(other, hit), 0);
}

INSTANTIATE_TEST_SUITE_P(Values, HyperLinkBrowserColour,
                         ::testing::Values(DrawCase{L"255,0,0", kRed},
                                           DrawCase{L"12,34", kDefaultLinkColor}));

TEST_F(HyperLinkTest, StandsOnTheBrushItsParentGives) {
    Attach();
    const Capture shown = Shown(static_);
    EXPECT_GT(host_.brushRequests, 0);
    const RECT hit = link_.HitRect();
    // Beside and under the label only the parent's background shows.
    EXPECT_EQ(shown.Count(kBackground, {hit.right, 0, 300, 60}), (300 - hit.right) * 60);
    EXPECT_EQ(shown.Count(kBackground, {0, hit.bottom, 300, 60}), 300 * (60 - hit.bottom));
}

TEST_F(HyperLinkTest, DisabledLinkIsGrey) {
    BrowserSetting setting(L"Anchor Color", L"255,0,0");
    Attach();
    ::EnableWindow(static_, FALSE);
    const Capture shown = Shown(static_);
    const RECT hit = link_.HitRect();
    EXPECT_GT(shown.Count(::GetSysColor(COLOR_GRAYTEXT), hit), 20);
    EXPECT_EQ(shown.Count(kRed, hit), 0);
}

TEST_F(HyperLinkTest, UnderlineFollowsThePointer) {
    Attach();
    const COLORREF blue = link_.Colors().link;
    EXPECT_FALSE(HasLine(Shown(static_), blue, link_.HitRect()));

    linktest::MoveMouse(OnLabel());
    ASSERT_TRUE(HoverReaches(true));
    EXPECT_TRUE(HasLine(Shown(static_), blue, link_.HitRect()));

    // Leaving the control sends no move to it: only the leave notice can drop it.
    linktest::MoveMouse(OutsideControl());
    ASSERT_TRUE(HoverReaches(false));
    EXPECT_FALSE(HasLine(Shown(static_), blue, link_.HitRect()));
}

TEST_F(HyperLinkTest, AlwaysUnderlinedWithoutThePointer) {
    Attach(LinkUnderline::Always);
    EXPECT_TRUE(HasLine(Shown(static_), link_.Colors().link, link_.HitRect()));
}

// --- the mouse ----------------------------------------------------------------------

TEST_F(HyperLinkTest, OnlyTheLabelReactsToThePointer) {
    FakeShell shell;
    Attach();
    const HCURSOR hand = ::LoadCursorW(nullptr, IDC_HAND);

    linktest::MoveMouse(OnLabel());
    ASSERT_TRUE(HoverReaches(true));
    EXPECT_EQ(::GetCursor(), hand);

    linktest::MoveMouse(BesideLabel());
    ASSERT_TRUE(HoverReaches(false));
    EXPECT_NE(::GetCursor(), hand);

    linktest::Click(BesideLabel());
    // Input is handled in order: once the second click has opened the link,
    // the first one is done.
    linktest::Click(OnLabel());
    ASSERT_TRUE(WaitFor([&] { return shell.Count() > 0; }));
    EXPECT_EQ(shell.Count(), 1u);
    EXPECT_TRUE(link_.IsVisited());
}

TEST_F(HyperLinkTest, ReleaseAwayFromTheLabelCancels) {
    FakeShell shell;
    Attach();
    linktest::MoveMouse(OnLabel());
    INPUT press{};
    press.type = INPUT_MOUSE;
    press.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    ::SendInput(1, &press, sizeof press);
    linktest::MoveMouse(BesideLabel());
    INPUT release = press;
    release.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(1, &release, sizeof release);

    linktest::Click(OnLabel());
    ASSERT_TRUE(WaitFor([&] { return shell.Count() > 0; }));
    EXPECT_EQ(shell.Count(), 1u);
}

TEST_F(HyperLinkTest, HandsTheTargetToTheShell) {
    FakeShell shell;
    Attach();
    linktest::Click(OnLabel());
    ASSERT_TRUE(WaitFor([&] { return shell.Count() > 0; }));
    const FakeShell::Call& call = shell.Log().front();
    EXPECT_EQ(call.owner, nullptr);
    EXPECT_EQ(call.verb, L"open");
    EXPECT_EQ(call.target, kTarget);
    EXPECT_FALSE(call.parameters);
    EXPECT_FALSE(call.directory);
    EXPECT_EQ(call.show, SW_SHOWNORMAL);
}

struct ShellCase {
    INT_PTR answer;
    bool visited;
};

void PrintTo(const ShellCase& c, std::ostream* out) {
    *out << "answer " << c.answer;
}

class HyperLinkShellAnswer : public HyperLinkTest,
                             public ::testing::WithParamInterface<ShellCase> {};

TEST_P(HyperLinkShellAnswer, MarksVisitedOnlyOnSuccess) {
    FakeShell shell(GetParam().answer);
    Attach();
    linktest::Click(OnLabel());
    ASSERT_TRUE(WaitFor([&] { return shell.Count() > 0; }));
    EXPECT_EQ(link_.IsVisited(), GetParam().visited);
    const Capture shown = Shown(static_);
    // Inside the focus rectangle, whose dots take other colours.
    RECT hit = link_.HitRect();
    ::InflateRect(&hit, -1, -1);
    const int visitedPixels = shown.Count(kDefaultVisitedColor, hit);
    const int linkPixels = shown.Count(kDefaultLinkColor, hit);
    if (GetParam().visited) {
        EXPECT_GT(visitedPixels, 20);
        EXPECT_EQ(linkPixels, 0);
    } else {
        EXPECT_EQ(visitedPixels, 0);
        EXPECT_GT(linkPixels, 20);
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, HyperLinkShellAnswer,
                         ::testing::Values(ShellCase{33, true}, ShellCase{32, false},
                                           ShellCase{2, false}));

// --- the keyboard -------------------------------------------------------------------

TEST_F(HyperLinkTest, AClickGivesTheFocusAndKeysOpenAgain) {
    FakeShell shell;
    Attach();
    const RECT hit = link_.HitRect();
    const Capture unfocused = Shown(static_);

    linktest::Click(OnLabel());
    ASSERT_TRUE(WaitFor([&] { return shell.Count() == 1; }));
    ASSERT_EQ(::GetFocus(), static_);
    EXPECT_EQ(::SendMessageW(static_, WM_GETDLGCODE, 0, 0), DLGC_WANTCHARS);

    // The focus rectangle runs along the label's edge.
    const Capture focused = Shown(static_);
    int changed = 0;
    for (int x = hit.left; x < hit.right; ++x) {
        changed += focused.At(x, hit.top) != unfocused.At(x, hit.top) ? 1 : 0;
    }
    EXPECT_GT(changed, (hit.right - hit.left) / 3);

    ::SendMessageW(static_, WM_CHAR, L' ', 0);
    EXPECT_EQ(shell.Count(), 2u);
    ::SendMessageW(static_, WM_CHAR, L'\r', 0);
    EXPECT_EQ(shell.Count(), 3u);
    ::SendMessageW(static_, WM_CHAR, L'a', 0);
    EXPECT_EQ(shell.Count(), 3u);

    ::SetFocus(host_);
    ::SendMessageW(static_, WM_CHAR, L' ', 0);
    EXPECT_EQ(shell.Count(), 3u) << "keys count only while the link has the focus";
}

// --- tooltip and lifetime -------------------------------------------------------------

TEST_F(HyperLinkTest, TooltipShowsTheTargetOverTheLabel) {
    Attach();
    const HWND tip = link_.ToolTip();
    ASSERT_TRUE(::IsWindow(tip));
    wchar_t className[64]{};
    ::GetClassNameW(tip, className, 64);
    EXPECT_STREQ(className, L"tooltips_class32");
    ASSERT_EQ(::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);

    wchar_t text[128]{};
    TOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.lpszText = text;
    ASSERT_TRUE(::SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&info)));
    EXPECT_STREQ(text, kTarget);
    EXPECT_EQ(info.hwnd, static_);
    const RECT hit = link_.HitRect();
    EXPECT_TRUE(::EqualRect(&info.rect, &hit));

    ::DestroyWindow(static_);
    EXPECT_FALSE(::IsWindow(tip)) << "the tooltip goes with the control";
    EXPECT_EQ(link_.Handle(), nullptr);
    static_ = nullptr;
}

TEST_F(HyperLinkTest, NewTextIsTheNewLabel) {
    Attach();
    ::SetWindowTextW(static_, L"Lunabel");
    EXPECT_EQ(link_.Label(), L"Lunabel");
    const RECT hit = link_.HitRect();
    EXPECT_EQ(hit.right - hit.left, TextWidth(font_.Get(), L"Lunabel"));

    TOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    ASSERT_TRUE(
        ::SendMessageW(link_.ToolTip(), TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&info)));
    EXPECT_TRUE(::EqualRect(&info.rect, &hit)) << "the tooltip follows the label";
}

TEST_F(HyperLinkTest, DetachGivesTheControlItsOwnProcedureBack) {
    const LONG_PTR own = ::GetWindowLongPtrW(static_, GWLP_WNDPROC);
    const long gdiBefore = gdi::GdiObjectCount();
    for (int i = 0; i < 50; ++i) {
        Attach();
        ASSERT_NE(::GetWindowLongPtrW(static_, GWLP_WNDPROC), own);
        const HWND tip = link_.ToolTip();
        EXPECT_EQ(link_.UnsubclassWindow(), static_);
        EXPECT_FALSE(::IsWindow(tip));
    }
    EXPECT_EQ(::GetWindowLongPtrW(static_, GWLP_WNDPROC), own);
    EXPECT_EQ(gdi::GdiObjectCount(), gdiBefore);
    EXPECT_EQ(link_.Handle(), nullptr);
    EXPECT_EQ(link_.UnsubclassWindow(), nullptr);
    // A plain static again: the mouse passes through it.
    EXPECT_EQ(::SendMessageW(static_, WM_NCHITTEST, 0, 0), HTTRANSPARENT);
}

TEST_F(HyperLinkTest, OneLinkPerControl) {
    Attach();
    CHyperLink second;
    EXPECT_FALSE(second.SubclassWindow(static_));
    EXPECT_FALSE(link_.SubclassWindow(static_)) << "already holding a control";
}

WNDPROC g_below = nullptr;
LRESULT CALLBACK Outer(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::CallWindowProcW(g_below, window, msg, wParam, lParam);
}

TEST_F(HyperLinkTest, DetachUnderAnotherSubclassLeavesTheChainWorking) {
    const LONG_PTR own = ::GetWindowLongPtrW(static_, GWLP_WNDPROC);
    {
        CHyperLink link;
        ASSERT_TRUE(link.SubclassWindow(static_));
        g_below = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(static_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Outer)));
        EXPECT_EQ(link.UnsubclassWindow(), static_);
        EXPECT_EQ(::GetWindowLongPtrW(static_, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(Outer));
    }
    // The link is gone; what is left of it only passes messages on.
    EXPECT_NE(reinterpret_cast<LONG_PTR>(g_below), own);
    EXPECT_EQ(::SendMessageW(static_, WM_NCHITTEST, 0, 0), HTTRANSPARENT);
    wchar_t text[64]{};
    ::GetWindowTextW(static_, text, 64);
    EXPECT_STREQ(text, kLabel);
    ::RedrawWindow(static_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_TRUE(::DestroyWindow(static_));
    static_ = nullptr;
}

} // namespace
