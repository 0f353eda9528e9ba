// The yardstick for Lunabel's start-up: the least a Windows program does to
// show a window of the same client size (675 x 557) with the same frame
// styles. It registers a plain class, creates and shows the window and fills
// the client area when asked to paint. Built with BARE_WINDOW_TEXT it also
// creates one font and draws one line with it, which shows what a program's
// first text costs the system (Wine's font set-up) apart from Lunabel.
#include <windows.h>

namespace {

constexpr int kClientWidth = 675;
constexpr int kClientHeight = 557;
constexpr DWORD kStyle = WS_VISIBLE | WS_DLGFRAME | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;

HBRUSH fill = nullptr;
#ifdef BARE_WINDOW_TEXT
HFONT font = nullptr;
#endif

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        const HDC dc = ::BeginPaint(window, &paint);
        RECT client{};
        ::GetClientRect(window, &client);
        ::FillRect(dc, &client, fill);
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
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(window, msg, wParam, lParam);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    fill = ::CreateSolidBrush(RGB(250, 214, 224));
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
    wc.lpszClassName = L"BareWindow";
    if (::RegisterClassExW(&wc) == 0) {
        return 1;
    }

    // The system gives every overlapped window a caption.
    RECT outer{0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&outer, kStyle | WS_CAPTION, FALSE, kExStyle);
    const HWND window = ::CreateWindowExW(
        kExStyle, wc.lpszClassName, L"Bare window", kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
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
