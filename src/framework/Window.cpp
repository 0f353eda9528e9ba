#include "framework/Window.h"

#include "framework/AppModule.h"

CWindowImplRoot::~CWindowImplRoot() {
    if (hwnd_ && ::IsWindow(hwnd_)) {
        // Cut loose first: the derived parts of the object are already gone.
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
}

ATOM CWindowImplRoot::RegisterWindowClass(const wchar_t* name, const WindowClassInfo& info,
                                          WNDPROC proc) {
    const HINSTANCE instance = AppModule().GetModuleInstance();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = info.style;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = info.cursor ? ::LoadCursorW(nullptr, info.cursor) : nullptr;
    wc.hbrBackground = info.background;
    wc.lpszClassName = name;
    if (info.icon) {
        // Kept for the life of the process, like the class itself.
        wc.hIcon = static_cast<HICON>(
            ::LoadImageW(instance, info.icon, IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
        wc.hIconSm = static_cast<HICON>(
            ::LoadImageW(instance, info.icon, IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    }
    return ::RegisterClassExW(&wc);
}

HWND CWindowImplRoot::CreateWithClass(ATOM atom, HWND parent, const RECT& rect, const wchar_t* text,
                                      DWORD style, DWORD exStyle, HMENU menuOrId) {
    if (atom == 0 || hwnd_ != nullptr) {
        return nullptr;
    }
    int x = CW_USEDEFAULT;
    int y = CW_USEDEFAULT;
    int width = CW_USEDEFAULT;
    int height = CW_USEDEFAULT;
    if (rect.left != CW_USEDEFAULT) {
        x = rect.left;
        y = rect.top;
        width = rect.right - rect.left;
        height = rect.bottom - rect.top;
    }
    // WM_NCCREATE ties the handle to the object (see WindowProc).
    ::CreateWindowExW(exStyle, MAKEINTATOM(atom), text, style, x, y, width, height, parent,
                      menuOrId, AppModule().GetModuleInstance(), this);
    return hwnd_;
}

LRESULT CALLBACK CWindowImplRoot::WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CWindowImplRoot*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr && msg == WM_NCCREATE) {
        self = static_cast<CWindowImplRoot*>(
            reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (self) {
            self->hwnd_ = window;
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
    }
    // Messages before WM_NCCREATE (WM_GETMINMAXINFO) have no object yet.
    if (self == nullptr) {
        return ::DefWindowProcW(window, msg, wParam, lParam);
    }
    LRESULT result = 0;
    if (!self->ProcessWindowMessage(window, msg, wParam, lParam, result)) {
        result = ::DefWindowProcW(window, msg, wParam, lParam);
    }
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        self->OnFinalMessage(window);
    }
    return result;
}
