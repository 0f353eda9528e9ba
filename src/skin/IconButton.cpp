#include "skin/IconButton.h"

#include "framework/AppModule.h"
#include "resource.h"
#include "skin/CxImage.h"
#include "skin/PaintBuffer.h"

#include <windowsx.h>

namespace {

constexpr wchar_t kCaptionFace[] = L"Comic Sans MS";
constexpr int kCaptionHeight = 12;
// Smaller is hard to read; a caption that needs it wants shorter words.
constexpr int kSmallestCaptionHeight = 9;
// The picture lies this far in from the button's top-left corner.
constexpr int kIconInset = 2;

constexpr COLORREF kIdleCaption = RGB(254, 222, 231);
constexpr COLORREF kHoverCaption = RGB(100, 0, 0);
constexpr float kHoverGamma = 1.3f;
// Applied on top of the hover gamma.
constexpr float kPressedGamma = 1.6f;

} // namespace

IconButton::IconButton(const HDC* background, const wchar_t* imageName)
    : labelFont(gdi::MakeFont(kCaptionFace, -kCaptionHeight, FW_BOLD)),
      handCursor(::LoadCursorW(nullptr, IDC_HAND)), backgroundDC(background), iconName(imageName) {}

IconButton::~IconButton() {
    // While the surfaces still exist: destruction may still paint.
    if (IsWindow()) {
        DestroyWindow();
    }
}

LRESULT IconButton::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
    Rebuild();
    return 0;
}

void IconButton::Rebuild() {
    // The button starts from exactly the background pixels under it.
    const RECT place = GetRectIn(GetParent());
    const int width = place.right - place.left;
    const int height = place.bottom - place.top;
    CxImage icon;
    icon.LoadForScale(iconName, scale, origin.x + kIconInset, origin.y + kIconInset);
    const int inset = scale.Length(origin.x, kIconInset);
    const int pressedInset = scale.Length(origin.x, kIconInset + 1);

    normalSurface = gdi::Surface(width, height);
    hoverSurface = gdi::Surface(width, height);
    pressedSurface = gdi::Surface(width, height);
    for (const gdi::Surface* surface : {&normalSurface, &hoverSurface, &pressedSurface}) {
        ::BitBlt(surface->Get(), 0, 0, width, height, *backgroundDC, place.left, place.top,
                 SRCCOPY);
    }

    icon.DrawBlended(normalSurface.Get(), inset, inset);
    icon.ApplyGamma(kHoverGamma);
    icon.DrawBlended(hoverSurface.Get(), inset, inset);
    // Brighter still and one pixel down and right: the button gives way.
    icon.ApplyGamma(kPressedGamma);
    icon.DrawBlended(pressedSurface.Get(), pressedInset, pressedInset);
    FitCaption(width);
    ::InvalidateRect(hwnd_, nullptr, FALSE);
}

// Another language's word may be longer than the button is wide. It is
// written a pixel smaller at a time until it takes at most nine tenths of
// the width, a margin for faces that run wider than the one measured.
void IconButton::FitCaption(int width) {
    wchar_t text[256] = L"";
    const int length = ::GetWindowTextW(hwnd_, text, 256);
    gdi::WindowDC screen(nullptr);
    const int smallest = scale.FontHeight(kSmallestCaptionHeight);
    for (int height = scale.FontHeight(kCaptionHeight);; --height) {
        labelFont = gdi::MakeFont(kCaptionFace, -height, FW_BOLD);
        SIZE size{};
        {
            const gdi::SelectGuard font(screen.Get(), labelFont.Get());
            ::GetTextExtentPoint32W(screen.Get(), text, length, &size);
        }
        if (size.cx * 10 <= width * 9 || height <= smallest) {
            return;
        }
    }
}

LRESULT IconButton::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
    const gdi::PaintScope paint(hwnd_);
    const HDC dc = paint.Get();
    {
        PaintBuffer buffer(dc);
        // Pressed but dragged off the button looks idle until the mouse returns.
        const gdi::Surface& picture =
            hovering ? (pressed ? pressedSurface : hoverSurface) : normalSurface;
        ::BitBlt(buffer, 0, 0, clientRect.right - clientRect.left,
                 clientRect.bottom - clientRect.top, picture.Get(), 0, 0, SRCCOPY);

        wchar_t text[256] = L"";
        const int length = ::GetWindowTextW(hwnd_, text, 256);
        ::SetTextColor(buffer, hovering ? kHoverCaption : kIdleCaption);
        ::SetBkMode(buffer, TRANSPARENT);
        gdi::SelectGuard font(buffer, labelFont.Get());
        RECT area = clientRect;
        ::DrawTextW(buffer, text, length, &area, DT_SINGLELINE | DT_BOTTOM | DT_CENTER);
    }
    return 0;
}

LRESULT IconButton::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&) {
    clientRect = RECT{0, 0, LOWORD(lParam), HIWORD(lParam)};
    return 0;
}

LRESULT IconButton::OnSetCursor(UINT, WPARAM, LPARAM, BOOL&) {
    ::SetCursor(handCursor);
    return TRUE;
}

bool IconButton::Contains(LPARAM point) const {
    return ::PtInRect(&clientRect, POINT{GET_X_LPARAM(point), GET_Y_LPARAM(point)}) != FALSE;
}

void IconButton::Release() {
    // Never another window's capture. Giving ours up sends WM_CAPTURECHANGED
    // while `captured` is still set, which also clears the other flags.
    if (::GetCapture() == hwnd_) {
        ::ReleaseCapture();
    }
    captured = false;
    Invalidate();
}

LRESULT IconButton::OnMouseMove(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    // The button went up somewhere we did not hear of.
    if (pressed && !(wParam & MK_LBUTTON)) {
        pressed = false;
        Invalidate();
    }
    const bool inside = Contains(lParam);
    if (inside != hovering) {
        hovering = inside;
        Invalidate();
    }
    if (!inside && !pressed) {
        Release();
        return 0;
    }
    // Holding the capture is how the button learns that the mouse left.
    if (!captured) {
        ::SetCapture(hwnd_);
        captured = true;
        Invalidate();
    }
    return 0;
}

LRESULT IconButton::OnLButtonDown(UINT, WPARAM, LPARAM, BOOL&) {
    pressed = true;
    Invalidate();
    return 0;
}

LRESULT IconButton::OnLButtonUp(UINT, WPARAM, LPARAM lParam, BOOL&) {
    pressed = false;
    if (!Contains(lParam)) {
        Release();
        return 0;
    }
    if (SendClick()) {
        Invalidate();
    }
    return 0;
}

bool IconButton::SendClick() {
    const HWND self = hwnd_;
    ::SendMessageW(GetParent(), WM_COMMAND,
                   MAKEWPARAM(::GetDlgCtrlID(self), static_cast<WORD>(BN_CLICKED)),
                   reinterpret_cast<LPARAM>(self));
    // The command may have ended this window (Exit closes the program).
    return ::IsWindow(self) != FALSE;
}

LRESULT IconButton::OnCaptureChanged(UINT, WPARAM, LPARAM lParam, BOOL&) {
    // Another window took the mouse, e.g. a dialog the click opened.
    if (captured && reinterpret_cast<HWND>(lParam) != hwnd_) {
        captured = false;
        hovering = false;
        pressed = false;
        Invalidate();
    }
    return 0;
}

LRESULT IconButton::OnPress(UINT, WPARAM, LPARAM, BOOL&) {
    SendClick();
    return 0;
}

std::wstring IconButton::AccessibleName(long) const {
    if (!accessibleName.empty()) {
        return accessibleName;
    }
    wchar_t text[256] = L"";
    ::GetWindowTextW(hwnd_, text, 256);
    return text;
}

long IconButton::AccessibleState(long) const {
    if (!hovering) {
        return 0;
    }
    return pressed ? STATE_SYSTEM_PRESSED | STATE_SYSTEM_HOTTRACKED : STATE_SYSTEM_HOTTRACKED;
}

std::wstring IconButton::AccessibleDefaultAction(long) const {
    return LoadResourceString(IDS_ACTION_PRESS);
}

bool IconButton::DoAccessibleDefaultAction(long) {
    return PostMessage(kPress) != FALSE;
}
