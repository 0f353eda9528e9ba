// The top-level frame: a window whose whole client area is one client window.
#pragma once

#include "framework/AppModule.h"
#include "framework/Handle.h"
#include "framework/Window.h"

// The application-exit command; it closes the frame.
inline constexpr WORD ID_APP_EXIT = 0xE141;

// Title string, menu, accelerators and icon of a frame share this id.
inline constexpr UINT IDR_FRAME_RESOURCES = 128;

using CFrameWinTraits = CWinTraits<WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                                   WS_EX_APPWINDOW | WS_EX_WINDOWEDGE>;

template <class T, class Traits = CFrameWinTraits>
class CFrameWindowImpl : public CWindowImpl<T, Traits> {
public:
    static WindowClassInfo GetWndClassInfo() {
        WindowClassInfo info;
        info.icon = MAKEINTRESOURCEW(IDR_FRAME_RESOURCES);
        return info;
    }

    // A null title or menu is loaded from the resources (either may not exist).
    HWND Create(HWND parent = nullptr, const RECT& rect = CWindow::rcDefault,
                const wchar_t* title = nullptr, DWORD style = 0, DWORD exStyle = 0,
                HMENU menu = nullptr) {
        const HINSTANCE instance = AppModule().GetResourceInstance();
        wchar_t loadedTitle[256] = L"";
        if (title == nullptr) {
            ::LoadStringW(instance, IDR_FRAME_RESOURCES, loadedTitle, 256);
            title = loadedTitle;
        }
        // The loaded menu is ours until a window takes it as its menu bar.
        win::Menu loadedMenu;
        if (menu == nullptr) {
            loadedMenu.Reset(::LoadMenuW(instance, MAKEINTRESOURCEW(IDR_FRAME_RESOURCES)));
            menu = loadedMenu.Get();
        }
        const HWND window =
            this->CreateWithClass(CWindowImpl<T, Traits>::WindowClassAtom(), parent, rect, title,
                                  Traits::GetWndStyle(style), Traits::GetWndExStyle(exStyle), menu);
        if (window) {
            loadedMenu.Release();
        }
        if (window) {
            accelerators = ::LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_FRAME_RESOURCES));
        }
        return window;
    }

    HWND ClientWindow() const { return clientWindow; }

    // Lays the client window over the whole client area.
    void UpdateLayout() {
        if (clientWindow == nullptr) {
            return;
        }
        RECT rect{};
        ::GetClientRect(this->hwnd_, &rect);
        ::SetWindowPos(clientWindow, nullptr, rect.left, rect.top, rect.right - rect.left,
                       rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }

    BEGIN_MSG_MAP(CFrameWindowImpl)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(WM_SETFOCUS, OnSetFocus)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        COMMAND_ID_HANDLER(ID_APP_EXIT, OnAppExit)
    END_MSG_MAP()

protected:
    HWND clientWindow = nullptr;
    HACCEL accelerators = nullptr;

private:
    LRESULT OnSize(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
        if (wParam != SIZE_MINIMIZED) {
            UpdateLayout();
        }
        handled = FALSE;
        return 0;
    }

    LRESULT OnSetFocus(UINT, WPARAM, LPARAM, BOOL& handled) {
        if (clientWindow && ::IsWindow(clientWindow)) {
            ::SetFocus(clientWindow);
        } else {
            handled = FALSE;
        }
        return 0;
    }

    // The client paints everything; erasing under it would only flicker.
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL& handled) {
        if (clientWindow == nullptr) {
            handled = FALSE;
        }
        return 1;
    }

    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
        if ((this->GetStyle() & (WS_CHILD | WS_POPUP)) == 0) {
            ::PostQuitMessage(1);
        }
        handled = FALSE;
        return 0;
    }

    LRESULT OnAppExit(WORD, WORD, HWND, BOOL&) {
        this->PostMessage(WM_CLOSE);
        return 0;
    }
};
