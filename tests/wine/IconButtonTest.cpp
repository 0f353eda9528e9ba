// The image buttons of the main view, on screen: their three pictures and
// caption colours as read back from the window, the mouse state machine and
// the commands it sends to the view.
#include "CalendarViewTestSupport.h"

#include <windowsx.h>

#include <algorithm>
#include <string>

#include "skin/IconButton.h"

namespace {

constexpr COLORREF kIdleCaption = RGB(254, 222, 231);
constexpr COLORREF kHoverCaption = RGB(100, 0, 0);
constexpr LPARAM kInside = MAKELPARAM(25, 20);
constexpr LPARAM kOutside = MAKELPARAM(25, 200);
// The caption's band at the bottom of a 50 x 57 button.
constexpr RECT kCaptionBand{0, 40, 50, 57};

class IconButtonTest : public viewtest::ShownView {
protected:
    void SetUp() override {
        ShownView::SetUp();
        Open(2006, 3);
        button = Child(CMD_SETTINGS);
        ASSERT_NE(button, nullptr);
        object = reinterpret_cast<IconButton*>(::GetWindowLongPtrW(button, GWLP_USERDATA));
        ASSERT_NE(object, nullptr);
        idle = std::make_unique<Capture>(button);
    }

    void Send(UINT msg, WPARAM keys, LPARAM point) {
        ::SendMessageW(button, msg, keys, point);
        Paint(button);
    }
    Capture Shown() const { return Capture(button); }
    bool Flags(bool captured, bool hovering, bool pressed) const {
        return object->IsCaptured() == captured && object->IsHovering() == hovering &&
               object->IsPressed() == pressed;
    }
    int Clicks() const {
        return static_cast<int>(
            std::count_if(view.commands.begin(), view.commands.end(), [this](const auto& c) {
                return c.id == CMD_SETTINGS && c.control == button;
            }));
    }

    HWND button = nullptr;
    IconButton* object = nullptr;
    std::unique_ptr<Capture> idle;
};

// Top-most row of the icon area that differs from the background under the button.
int FirstChangedRow(const Capture& shown, const Capture& under) {
    for (int y = 0; y < kCaptionBand.top; ++y) {
        for (int x = 0; x < shown.Width(); ++x) {
            if (shown.At(x, y) != under.At(x, y)) {
                return y;
            }
        }
    }
    return -1;
}

int FirstChangedColumn(const Capture& shown, const Capture& under) {
    for (int x = 0; x < shown.Width(); ++x) {
        for (int y = 0; y < kCaptionBand.top; ++y) {
            if (shown.At(x, y) != under.At(x, y)) {
                return x;
            }
        }
    }
    return -1;
}

} // namespace

TEST_F(IconButtonTest, ShowsTheHandOverItself) {
    EXPECT_TRUE(::SendMessageW(button, WM_SETCURSOR, reinterpret_cast<WPARAM>(button),
                               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
}

TEST_F(IconButtonTest, IdlePictureIsTheIconOverTheBackgroundWithAPaleCaption) {
    const Capture under(view.BackgroundDC(), 355, 0, 50, 57);
    EXPECT_FALSE(*idle == under) << "the icon is drawn";
    EXPECT_EQ(FirstChangedColumn(*idle, under) >= 2, true) << "the icon starts at (2, 2)";
    EXPECT_GT(idle->Count(kIdleCaption, kCaptionBand), 10);
    EXPECT_EQ(idle->Count(kHoverCaption, kCaptionBand), 0);
    EXPECT_TRUE(Flags(false, false, false));
}

TEST_F(IconButtonTest, HoverShowsABrighterIconAndADarkCaptionUntilTheMouseLeaves) {
    Send(WM_MOUSEMOVE, 0, kInside);
    EXPECT_TRUE(Flags(true, true, false));
    EXPECT_EQ(::GetCapture(), button) << "the capture tells the button when the mouse leaves";
    const Capture hover = Shown();
    EXPECT_FALSE(hover == *idle);
    EXPECT_GT(hover.Count(kHoverCaption, kCaptionBand), 10);
    EXPECT_EQ(hover.Count(kIdleCaption, kCaptionBand), 0);

    Send(WM_MOUSEMOVE, 0, kOutside);
    EXPECT_TRUE(Flags(false, false, false));
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_TRUE(Shown() == *idle);
}

TEST_F(IconButtonTest, PressedPictureIsBrighterStillAndOnePixelLowerAndFurtherRight) {
    const Capture under(view.BackgroundDC(), 355, 0, 50, 57);
    Send(WM_MOUSEMOVE, 0, kInside);
    const Capture hover = Shown();
    Send(WM_LBUTTONDOWN, MK_LBUTTON, kInside);
    EXPECT_TRUE(Flags(true, true, true));
    const Capture pressed = Shown();
    EXPECT_FALSE(pressed == hover);
    EXPECT_EQ(FirstChangedRow(pressed, under), FirstChangedRow(hover, under) + 1);
    EXPECT_EQ(FirstChangedColumn(pressed, under), FirstChangedColumn(hover, under) + 1);
    EXPECT_GT(pressed.Count(kHoverCaption, kCaptionBand), 10);

    // Dragged off, the button looks idle but stays pressed; back on, pressed again.
    Send(WM_MOUSEMOVE, MK_LBUTTON, kOutside);
    EXPECT_TRUE(Flags(true, false, true));
    EXPECT_TRUE(Shown() == *idle);
    Send(WM_MOUSEMOVE, MK_LBUTTON, kInside);
    EXPECT_TRUE(Shown() == pressed);
}

TEST_F(IconButtonTest, ReleasingOutsideAfterDraggingOutSendsNothing) {
    Send(WM_MOUSEMOVE, 0, kInside);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, kInside);
    Send(WM_MOUSEMOVE, MK_LBUTTON, kOutside);
    EXPECT_EQ(::GetCapture(), button) << "a pressed button keeps the mouse";
    Send(WM_LBUTTONUP, 0, kOutside);

    EXPECT_EQ(Clicks(), 0);
    EXPECT_TRUE(Flags(false, false, false));
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_TRUE(Shown() == *idle);
}

TEST_F(IconButtonTest, ReleasingInsideSendsOneClickEvenWhenThePressStartedElsewhere) {
    struct Case {
        const char* name;
        bool pressedHere;
    };
    for (const Case& c : {Case{"pressed on the button", true}, Case{"pressed elsewhere", false}}) {
        SCOPED_TRACE(c.name);
        view.commands.clear();
        Send(WM_MOUSEMOVE, 0, kInside);
        if (c.pressedHere) {
            Send(WM_LBUTTONDOWN, MK_LBUTTON, kInside);
        }
        Send(WM_LBUTTONUP, 0, kInside);

        ASSERT_EQ(view.commands.size(), 1u);
        EXPECT_EQ(view.commands[0].id, CMD_SETTINGS);
        EXPECT_EQ(view.commands[0].code, BN_CLICKED);
        EXPECT_EQ(view.commands[0].control, button);
        // The capture stays until the mouse leaves.
        EXPECT_TRUE(Flags(true, true, false));
        Send(WM_MOUSEMOVE, 0, kOutside);
    }
}

TEST_F(IconButtonTest, CaptureTakenByAnotherWindowResetsTheButton) {
    Send(WM_MOUSEMOVE, 0, kInside);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, kInside);
    ASSERT_TRUE(Flags(true, true, true));

    // What a modal dialog opened by the click does.
    ::SetCapture(view);
    Paint(button);
    EXPECT_TRUE(Flags(false, false, false));
    EXPECT_TRUE(Shown() == *idle);
    ::ReleaseCapture();
    EXPECT_EQ(Clicks(), 0);
}

namespace {

// Every message the test thread takes from its queue for one window.
std::vector<UINT>* recordedFor = nullptr;
HWND recordedWindow = nullptr;

LRESULT CALLBACK RecordRetrieved(int code, WPARAM wParam, LPARAM lParam) {
    const auto* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && recordedFor && msg->hwnd == recordedWindow) {
        recordedFor->push_back(msg->message);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

TEST_F(IconButtonTest, ARealDoubleClickSendsTwoCommandsAndNeverTakesTheFocus) {
    std::vector<UINT> retrieved;
    recordedFor = &retrieved;
    recordedWindow = button;
    HHOOK hook =
        ::SetWindowsHookExW(WH_GETMESSAGE, RecordRetrieved, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);

    RECT place{};
    ::GetWindowRect(button, &place);
    ::SetCursorPos(place.left + 25, place.top + 20);
    ASSERT_TRUE(WaitFor([&] { return object->IsHovering(); }))
        << "the pointer over the button hovers it";

    INPUT clicks[4]{};
    const DWORD flags[4] = {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN,
                            MOUSEEVENTF_LEFTUP};
    for (int i = 0; i < 4; ++i) {
        clicks[i].type = INPUT_MOUSE;
        clicks[i].mi.dwFlags = flags[i];
    }
    ASSERT_EQ(::SendInput(4, clicks, sizeof(INPUT)), 4u);
    const bool twoClicks = WaitFor([&] { return Clicks() == 2; });

    ::UnhookWindowsHookEx(hook);
    recordedFor = nullptr;
    EXPECT_TRUE(twoClicks) << Clicks() << " commands";
    EXPECT_NE(std::find(retrieved.begin(), retrieved.end(), UINT{WM_LBUTTONDBLCLK}),
              retrieved.end())
        << "the second press arrives as a double click";
    EXPECT_NE(::GetFocus(), button);
    ::SetCursorPos(1270, 1010);
}
