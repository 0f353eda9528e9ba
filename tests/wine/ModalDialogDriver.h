// Drives a real modal dialog from inside its own message loop.
//
// The driver is a top-level owner window. A modal dialog's loop sends its owner
// WM_ENTERIDLE each time its queue runs dry. The driver runs one step of a
// script per idle turn in which the dialog is settled: shown, with nothing
// left to paint, and done with whatever the previous step posted. No timers,
// no sleeps.
//
//   ModalDialogDriver driver;
//   driver.Script({
//       [](HWND dialog) { ::SendMessageW(dialog, WM_COMMAND, IDOK, 0); },
//   });
//   SettingsDlg dialog(driver.Owner());
//   EXPECT_EQ(dialog.DoModal(driver.Owner()), IDOK);
//   EXPECT_TRUE(driver.Finished());
//
// A dialog still open when the script has run out is ended with kAbandoned,
// and a window that never stops asking for paint is validated by force, so a
// faulty dialog fails its test instead of hanging it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

class ModalDialogDriver {
public:
    using Step = std::function<void(HWND dialog)>;
    using Painter = std::function<void(HDC dc, const RECT& client)>;

    static constexpr INT_PTR kAbandoned = 0x7A7A;

    // A borderless owner at `rect` (screen coordinates), shown and painted by
    // `painter` before the constructor returns; without one it shows a
    // gradient with a grid, so that a blur has something to blur.
    explicit ModalDialogDriver(RECT rect = {100, 100, 775, 657}, Painter painter = {})
        : painter_(std::move(painter)) {
        owner_ = ::CreateWindowExW(WS_EX_TOOLWINDOW, reinterpret_cast<LPCWSTR>(ClassAtom()),
                                   L"Dialog owner", WS_POPUP | WS_VISIBLE, rect.left, rect.top,
                                   rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                                   ::GetModuleHandleW(nullptr), this);
        ::UpdateWindow(owner_);
        active_ = this;
        hook_ = ::SetWindowsHookExW(WH_GETMESSAGE, CountPaints, nullptr, ::GetCurrentThreadId());
    }
    ModalDialogDriver(const ModalDialogDriver&) = delete;
    ModalDialogDriver& operator=(const ModalDialogDriver&) = delete;
    ~ModalDialogDriver() {
        ::UnhookWindowsHookEx(hook_);
        if (active_ == this) {
            active_ = nullptr;
        }
        if (owner_) {
            ::DestroyWindow(owner_);
        }
    }

    HWND Owner() const { return owner_; }

    // Replaces the script; the first step runs when the next dialog goes idle.
    void Script(std::vector<Step> steps) {
        steps_ = std::move(steps);
        next_ = 0;
        abandoned_ = false;
        paintStorm_ = false;
    }
    // Every step ran and the dialog closed without being abandoned.
    bool Finished() const { return next_ == steps_.size() && !abandoned_ && !paintStorm_; }
    bool Abandoned() const { return abandoned_; }
    std::size_t StepsRun() const { return next_; }

    // The default owner picture at (x, y) of the owner's client area.
    static COLORREF PatternAt(int x, int y) {
        const bool line = x % 40 == 0 || y % 40 == 0;
        return line ? RGB(40, 20, 60)
                    : RGB((x * 255) / 700 & 0xFF, (y * 255) / 600 & 0xFF, ((x + y) * 3) & 0xFF);
    }

private:
    static ATOM ClassAtom() {
        static const ATOM atom = [] {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = WindowProc;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
            wc.lpszClassName = L"LunabelTestDialogOwner";
            return ::RegisterClassExW(&wc);
        }();
        return atom;
    }

    static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(window, GWLP_USERDATA,
                                reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self =
            reinterpret_cast<ModalDialogDriver*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self != nullptr) {
            switch (msg) {
            case WM_ERASEBKGND:
                return 1;
            case WM_PAINT:
                self->Paint(window);
                return 0;
            case WM_ENTERIDLE:
                if (wParam == MSGF_DIALOGBOX) {
                    self->Idle(reinterpret_cast<HWND>(lParam));
                }
                return 0;
            case WM_NCDESTROY:
                self->owner_ = nullptr;
                break;
            default:
                break;
            }
        }
        return ::DefWindowProcW(window, msg, wParam, lParam);
    }

    void Paint(HWND window) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(window, &ps);
        RECT client;
        ::GetClientRect(window, &client);
        if (painter_) {
            painter_(dc, client);
        } else {
            // Row by row through a DIB: SetPixel on 375,000 pixels is slow under Wine.
            const int width = client.right;
            const int height = client.bottom;
            BITMAPINFO info{};
            info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
            info.bmiHeader.biWidth = width;
            info.bmiHeader.biHeight = -height;
            info.bmiHeader.biPlanes = 1;
            info.bmiHeader.biBitCount = 32;
            info.bmiHeader.biCompression = BI_RGB;
            std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    const COLORREF c = PatternAt(x, y);
                    pixels[static_cast<std::size_t>(y) * width + x] =
                        (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
                }
            }
            ::SetDIBitsToDevice(dc, 0, 0, width, height, 0, 0, 0, height, pixels.data(), &info,
                                DIB_RGB_COLORS);
        }
        ::EndPaint(window, &ps);
    }

    // The loop also goes idle right after showing the dialog, before its
    // first paint: a step waits until nothing of the dialog awaits painting.
    static bool Settled(HWND dialog) {
        if (!::IsWindowVisible(dialog) || ::GetUpdateRect(dialog, nullptr, FALSE)) {
            return false;
        }
        bool pending = false;
        ::EnumChildWindows(
            dialog,
            [](HWND child, LPARAM flag) -> BOOL {
                if (::IsWindowVisible(child) && ::GetUpdateRect(child, nullptr, FALSE)) {
                    *reinterpret_cast<bool*>(flag) = true;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&pending));
        return !pending;
    }

    // A window whose paint does not validate it keeps the loop from ever going
    // idle. After this many paints in a row it is validated by force, so the
    // test fails instead of hanging.
    static constexpr int kPaintStormLimit = 1000;

    static LRESULT CALLBACK CountPaints(int code, WPARAM wParam, LPARAM lParam) {
        auto* msg = reinterpret_cast<MSG*>(lParam);
        if (code == HC_ACTION && wParam == PM_REMOVE && msg->message == WM_PAINT && active_ &&
            ++active_->paintsSinceIdle_ > kPaintStormLimit) {
            active_->paintStorm_ = true;
            ::ValidateRect(msg->hwnd, nullptr);
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    void Idle(HWND dialog) {
        paintsSinceIdle_ = 0;
        if (!Settled(dialog)) {
            return; // the pending paints come next, then another idle turn
        }
        if (next_ < steps_.size()) {
            // Copied and advanced first: a step may end the dialog or replace the script.
            const Step step = steps_[next_++];
            step(dialog);
            // The loop idles again only after a message: a step that posted
            // nothing would leave it asleep.
            ::PostMessageW(dialog, WM_NULL, 0, 0);
        } else if (::IsWindow(dialog)) {
            abandoned_ = true;
            ::EndDialog(dialog, kAbandoned);
        }
    }

    HWND owner_ = nullptr;
    Painter painter_;
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    bool abandoned_ = false;
    bool paintStorm_ = false;
    int paintsSinceIdle_ = 0;
    HHOOK hook_ = nullptr;
    static inline ModalDialogDriver* active_ = nullptr;
};

// A click on a dialog's button as the user makes it: the button notifies the dialog.
inline void Click(HWND dialog, int id) {
    ::SendMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// The button's notification alone, which also reaches the dialog when the
// button cannot be clicked.
inline void Press(HWND dialog, int id) {
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}
