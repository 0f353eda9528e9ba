// The view's dialog commands: each opens its dialog once, Settings' OK makes
// the grids follow the data, and F1 never opens a second dialog.
#include "CalendarViewTestSupport.h"

#include <functional>

#include "view/Commands.h"
#include "cycle/CalendarData.h"

namespace {

// Answers every dialog created on this thread with a command as soon as it
// exists: the answer waits in the queue until the dialog's own loop runs.
class DialogAnswerer {
public:
    using WhileOpen = std::function<void()>;

    explicit DialogAnswerer(WORD answer, WhileOpen whileOpen = {})
        : answer_(answer), whileOpen_(std::move(whileOpen)) {
        active_ = this;
        hook_ = ::SetWindowsHookExW(WH_CBT, OnCbt, nullptr, ::GetCurrentThreadId());
    }
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;
    ~DialogAnswerer() {
        ::UnhookWindowsHookEx(hook_);
        active_ = nullptr;
    }

    int Opened() const { return opened_; }

private:
    static LRESULT CALLBACK OnCbt(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_CREATEWND && active_ != nullptr) {
            const HWND window = reinterpret_cast<HWND>(wParam);
            wchar_t className[16] = L"";
            ::GetClassNameW(window, className, 16);
            if (std::wstring_view(className) == L"#32770") {
                active_->Answer(window);
            }
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    void Answer(HWND dialog) {
        ++opened_;
        if (whileOpen_) {
            whileOpen_();
        }
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(answer_, BN_CLICKED), 0);
    }

    static inline DialogAnswerer* active_ = nullptr;
    WORD answer_;
    WhileOpen whileOpen_;
    HHOOK hook_ = nullptr;
    int opened_ = 0;
};

class CalendarViewDialogsTest : public viewtest::ShownView {
protected:
    void SetUp() override {
        ShownView::SetUp();
        view.opensDialogs = true;
        Open(2006, 1);
    }
};

TEST_F(CalendarViewDialogsTest, SettingsOkReclassifiesTheGridsAndCancelDoesNot) {
    // A change the grids have not seen yet.
    TestData().ToggleMark(2006, 2, 10);
    {
        DialogAnswerer cancel(IDCANCEL);
        Command(CMD_SETTINGS);
        EXPECT_EQ(cancel.Opened(), 1);
    }
    EXPECT_FALSE(Marked(1, 10)) << "Cancel leaves the grids as they were";
    {
        DialogAnswerer ok(IDOK);
        Command(CMD_SETTINGS);
        EXPECT_EQ(ok.Opened(), 1);
    }
    EXPECT_TRUE(Marked(1, 10)) << "OK reclassifies every grid";
}

TEST_F(CalendarViewDialogsTest, HelpAndAboutOpenOnceAndChangeNothing) {
    const auto revision = TestData().Revision();
    for (const WORD id : {CMD_HELP, CMD_ABOUT}) {
        SCOPED_TRACE(id);
        DialogAnswerer close(IDCANCEL);
        Command(id);
        EXPECT_EQ(close.Opened(), 1);
    }
    EXPECT_EQ(TestData().Revision(), revision);
}

TEST_F(CalendarViewDialogsTest, F1OpensHelpButNeverASecondDialog) {
    {
        // F1 again while Help is open, and Help's button too.
        DialogAnswerer close(IDCANCEL, [this] {
            ::SendMessageW(view, WM_HELP, 0, 0);
            Command(CMD_HELP);
        });
        ::SendMessageW(view, WM_HELP, 0, 0);
        EXPECT_EQ(close.Opened(), 1);
    }
    DialogAnswerer again(IDCANCEL);
    ::SendMessageW(view, WM_HELP, 0, 0);
    EXPECT_EQ(again.Opened(), 1) << "Help opens again once closed";
}

} // namespace
