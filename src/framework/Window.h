// Window objects: a thin handle wrapper, the window template that ties a
// window to its C++ object and dispatches its messages through a message map,
// and the message-map macros.
//
//   class Swatch : public CWindowImpl<Swatch> {
//   public:
//       static constexpr const wchar_t* kClassName = L"LunabelSwatch";
//       static WindowClassInfo GetWndClassInfo() {
//           WindowClassInfo info;
//           info.style = CS_HREDRAW | CS_VREDRAW;
//           return info;
//       }
//       BEGIN_MSG_MAP(Swatch)
//           MESSAGE_HANDLER(WM_PAINT, OnPaint)
//       END_MSG_MAP()
//   private:
//       LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
//   };
//
// A handler clears its BOOL& argument to pass the message on (to the next
// entry, a chained map, and finally the default procedure).
#pragma once

#include <windows.h>

// The handle and the few calls every window class needs.
class CWindow {
public:
    // Lets the system choose position and size.
    static constexpr RECT rcDefault{CW_USEDEFAULT, CW_USEDEFAULT, 0, 0};

    CWindow() = default;
    explicit CWindow(HWND window) : hwnd_(window) {}

    HWND Handle() const { return hwnd_; }
    operator HWND() const { return hwnd_; }

    BOOL IsWindow() const { return ::IsWindow(hwnd_); }
    BOOL DestroyWindow() { return ::DestroyWindow(hwnd_); }
    BOOL ShowWindow(int command) { return ::ShowWindow(hwnd_, command); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)); }
    HWND GetParent() const { return ::GetParent(hwnd_); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(hwnd_, id); }
    RECT GetClientRect() const {
        RECT rect{};
        ::GetClientRect(hwnd_, &rect);
        return rect;
    }
    RECT GetWindowRect() const {
        RECT rect{};
        ::GetWindowRect(hwnd_, &rect);
        return rect;
    }
    // The window's rectangle in the client coordinates of `other`, as a rule its parent.
    RECT GetRectIn(HWND other) const {
        RECT rect = GetWindowRect();
        ::MapWindowPoints(HWND_DESKTOP, other, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    BOOL Invalidate(BOOL erase = TRUE) { return ::InvalidateRect(hwnd_, nullptr, erase); }
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::SendMessageW(hwnd_, msg, wParam, lParam);
    }
    BOOL PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::PostMessageW(hwnd_, msg, wParam, lParam);
    }

protected:
    HWND hwnd_ = nullptr;
};

// Default style and extended style of a window class, taken when the caller
// of Create passes 0.
template <DWORD Style, DWORD ExStyle = 0> struct CWinTraits {
    static DWORD GetWndStyle(DWORD style) { return style ? style : Style; }
    static DWORD GetWndExStyle(DWORD exStyle) { return exStyle ? exStyle : ExStyle; }
};

using CControlWinTraits = CWinTraits<WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS>;

// What a window class registers with, besides its name. A class hides
// GetWndClassInfo with its own.
struct WindowClassInfo {
    UINT style = 0;
    const wchar_t* cursor = IDC_ARROW; // a system cursor, or null
    HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    const wchar_t* icon = nullptr; // an icon resource of the module, or null
};

// The part of the window template that does not depend on the class.
class CWindowImplRoot : public CWindow {
public:
    CWindowImplRoot() = default;
    CWindowImplRoot(const CWindowImplRoot&) = delete;
    CWindowImplRoot& operator=(const CWindowImplRoot&) = delete;

    // The message map: TRUE with `result` set when the message was handled.
    virtual BOOL ProcessWindowMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam,
                                      LRESULT& result) = 0;
    // A window that outlives its object is cut loose from it and destroyed.
    virtual ~CWindowImplRoot();
    // Called after WM_NCDESTROY, when the handle is already gone from the object.
    virtual void OnFinalMessage(HWND) {}

protected:
    static ATOM RegisterWindowClass(const wchar_t* name, const WindowClassInfo& info, WNDPROC proc);
    HWND CreateWithClass(ATOM atom, HWND parent, const RECT& rect, const wchar_t* text, DWORD style,
                         DWORD exStyle, HMENU menuOrId);
    // Shared by every class of the template. It keeps the object in
    // GWLP_USERDATA, so window classes must leave that slot alone.
    static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
};

// T names its window class in `static constexpr const wchar_t* kClassName`:
// accessibility tools and users' automation scripts find the windows by it.
template <class T, class Traits = CControlWinTraits> class CWindowImpl : public CWindowImplRoot {
public:
    static WindowClassInfo GetWndClassInfo() { return {}; }

    HWND Create(HWND parent, const RECT& rect = rcDefault, const wchar_t* text = nullptr,
                DWORD style = 0, DWORD exStyle = 0, UINT id = 0) {
        return CreateWithClass(WindowClassAtom(), parent, rect, text, Traits::GetWndStyle(style),
                               Traits::GetWndExStyle(exStyle),
                               reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
    }

    // Registered on first use, once per process.
    static ATOM WindowClassAtom() {
        static const ATOM atom =
            RegisterWindowClass(T::kClassName, T::GetWndClassInfo(), WindowProc);
        return atom;
    }
};

// --- message maps ------------------------------------------------------------

#define BEGIN_MSG_MAP(theClass)                                                                    \
public:                                                                                            \
    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,                  \
                              LRESULT& lResult) override {                                         \
        BOOL bHandled = TRUE;                                                                      \
        (void)hWnd;                                                                                \
        (void)wParam;                                                                              \
        (void)lParam;                                                                              \
        (void)bHandled;

// LRESULT func(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled)
#define MESSAGE_RANGE_HANDLER(msgFirst, msgLast, func)                                             \
    if (uMsg >= (msgFirst) && uMsg <= (msgLast)) {                                                 \
        bHandled = TRUE;                                                                           \
        lResult = func(uMsg, wParam, lParam, bHandled);                                            \
        if (bHandled) {                                                                            \
            return TRUE;                                                                           \
        }                                                                                          \
    }

#define MESSAGE_HANDLER(msg, func) MESSAGE_RANGE_HANDLER(msg, msg, func)

// LRESULT func(WORD notifyCode, WORD id, HWND control, BOOL& handled)
#define COMMAND_RANGE_HANDLER(idFirst, idLast, func)                                               \
    if (uMsg == WM_COMMAND && LOWORD(wParam) >= (idFirst) && LOWORD(wParam) <= (idLast)) {         \
        bHandled = TRUE;                                                                           \
        lResult = func(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam), bHandled);  \
        if (bHandled) {                                                                            \
            return TRUE;                                                                           \
        }                                                                                          \
    }

#define COMMAND_ID_HANDLER(id, func) COMMAND_RANGE_HANDLER(id, id, func)

#define CHAIN_MSG_MAP(theBase)                                                                     \
    if (theBase::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult)) {                      \
        return TRUE;                                                                               \
    }

#define END_MSG_MAP()                                                                              \
    return FALSE;                                                                                  \
    }
