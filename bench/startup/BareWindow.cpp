// The yardstick for Lunabel's start-up: the least a Windows program does to
// show a window of the same client size (675 x 557) with the same frame
// styles. It registers a plain class, creates and shows the window and fills
// the client area when asked to paint.
//
// Two more builds show what parts of Lunabel's start-up cost the system
// itself: BARE_WINDOW_TEXT also creates one font and draws one line with it
// (a program's first text: Wine's font set-up); BARE_WINDOW_CHILDREN also
// creates child windows as many and as large as Lunabel's (a view over the
// client area with seven buttons, a caption and six month grids inside),
// each filling itself when asked to paint.
#include <windows.h>

namespace {

constexpr int kClientWidth = 675;
constexpr int kClientHeight = 557;
constexpr DWORD kStyle = WS_VISIBLE | WS_DLGFRAME | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
constexpr const wchar_t* kClassName = L"BareWindow";

HBRUSH fill = nullptr;
#ifdef BARE_WINDOW_CHILDREN
HBRUSH childFill = nullptr; // children show apart from the frame when painted
#endif
#ifdef BARE_WINDOW_TEXT
HFONT font = nullptr;
#endif

#ifdef BARE_WINDOW_CHILDREN
void CreateChildren(HWND frame) {
    const auto child = [](HWND parent, RECT r, DWORD style) {
        return ::CreateWindowExW(0, kClassName, nullptr, WS_CHILD | WS_VISIBLE | style, r.left,
                                 r.top, r.right - r.left, r.bottom - r.top, parent, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
    };
    const HWND view =
        child(frame, RECT{0, 0, kClientWidth, kClientHeight}, WS_CLIPCHILDREN | WS_CLIPSIBLINGS);
    for (int i = 0; i < 5; ++i) { // the top row of buttons
        child(view, RECT{280 + 75 * i, 0, 330 + 75 * i, 57}, 0);
    }
    child(view, RECT{250, 73, 276, 97}, 0); // the arrows
    child(view, RECT{630, 73, 656, 97}, 0);
    child(view, RECT{280, 64, 630, 104}, 0); // the caption
    for (int i = 0; i < 6; ++i) {            // the month grids
        const int left = 14 + 222 * (i % 3);
        const int top = 113 + 222 * (i / 3);
        child(view, RECT{left, top, left + 206, top + 210}, 0);
    }
}
#endif

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
#ifdef BARE_WINDOW_CHILDREN
    case WM_CREATE:
        if (::GetParent(window) == nullptr) {
            CreateChildren(window);
        }
        return 0;
#endif
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        const HDC dc = ::BeginPaint(window, &paint);
        RECT client{};
        ::GetClientRect(window, &client);
#ifdef BARE_WINDOW_CHILDREN
        ::FillRect(dc, &client, ::GetParent(window) ? childFill : fill);
#else
        ::FillRect(dc, &client, fill);
#endif
#ifdef BARE_WINDOW_TEXT
        const HGDIOBJ previous = ::SelectObject(dc, font);
        ::SetBkMode(dc, TRANSPARENT);
        ::DrawTextW(dc, L"July 2026", -1, &client, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
        ::SelectObject(dc, previous);
#endif
        ::EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        if (::GetParent(window) == nullptr) {
            ::PostQuitMessage(0);
        }
        return 0;
    default:
        return ::DefWindowProcW(window, msg, wParam, lParam);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    fill = ::CreateSolidBrush(RGB(250, 214, 224));
#ifdef BARE_WINDOW_CHILDREN
    childFill = ::CreateSolidBrush(RGB(255, 250, 252));
#endif
#ifdef BARE_WINDOW_TEXT
    font = ::CreateFontW(-26, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                         DEFAULT_PITCH, L"Comic Sans MS");
#endif

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    if (::RegisterClassExW(&wc) == 0) {
        return 1;
    }

    // The system gives every overlapped window a caption.
    RECT outer{0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&outer, kStyle | WS_CAPTION, FALSE, kExStyle);
    const HWND window = ::CreateWindowExW(
        kExStyle, kClassName, L"Bare window", kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
        outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return 1;
    }
    ::ShowWindow(window, showCommand);

    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
