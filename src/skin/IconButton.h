// An image button on the main view's background: a picture with a caption
// below it, in three states (idle, hover, pressed), driven by the mouse; it
// never takes the keyboard focus. A click reaches the parent as WM_COMMAND /
// BN_CLICKED with the control id. To a screen reader it is a push button
// that can be pressed.
#pragma once

#include "framework/Accessible.h"
#include "framework/Gdi.h"
#include "framework/Window.h"
#include "skin/DisplayScale.h"

#include <windows.h>

#include <string>
#include <utility>

class IconButton : public CWindowImpl<IconButton>, public AccessibleContent {
public:
    // `background`: the parent's picture in its client coordinates, kept
    // alive and in place by the parent; the button starts from the pixels
    // under it. `imageName`: an IMAGES resource; a missing one leaves the
    // button blank.
    IconButton(const HDC* background, const wchar_t* imageName);
    ~IconButton() override;

    static constexpr const wchar_t* kClassName = L"LunabelImageButton";
    static WindowClassInfo GetWndClassInfo() {
        WindowClassInfo info;
        info.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
        return info;
    }

    BEGIN_MSG_MAP(IconButton)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(WM_SETCURSOR, OnSetCursor)
        MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MESSAGE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
        MESSAGE_HANDLER(WM_CAPTURECHANGED, OnCaptureChanged)
        MESSAGE_HANDLER(WM_GETFONT, OnGetFont)
        MESSAGE_HANDLER(WM_GETOBJECT, accessible.OnGetObject)
        MESSAGE_HANDLER(WM_DESTROY, accessible.OnDestroy)
        MESSAGE_HANDLER(kPress, OnPress)
    END_MSG_MAP()

    // What a screen reader calls the button; without one, its caption. The
    // arrows paint no caption and need one.
    void SetAccessibleName(std::wstring name) { accessibleName = std::move(name); }
    // The display scale it is made for and where its top-left corner lies in
    // the parent's 100 % layout; before Create.
    // Composes the pictures again from the background under it and its scale.
    void Rebuild();
    void SetLayout(const DisplayScale& displayScale, POINT layoutOrigin) {
        scale = displayScale;
        origin = layoutOrigin;
    }

    std::wstring AccessibleName(long child) const override;
    long AccessibleRole(long) const override { return ROLE_SYSTEM_PUSHBUTTON; }
    long AccessibleState(long child) const override;
    std::wstring AccessibleDefaultAction(long child) const override;
    bool DoAccessibleDefaultAction(long child) override;

    bool IsCaptured() const { return captured; }
    bool IsHovering() const { return hovering; }
    bool IsPressed() const { return pressed; }

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    LRESULT OnSize(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnSetCursor(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMouseMove(UINT, WPARAM wParam, LPARAM lParam, BOOL&);
    LRESULT OnLButtonDown(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLButtonUp(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnCaptureChanged(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnPress(UINT, WPARAM, LPARAM, BOOL&);
    // The caption's font, smaller than usual for a long caption.
    LRESULT OnGetFont(UINT, WPARAM, LPARAM, BOOL&) {
        return reinterpret_cast<LRESULT>(labelFont.Get());
    }

    // Posted by a reader's default action, so that its call returns before
    // the command opens a dialog.
    static constexpr UINT kPress = WM_APP + 1;

    // Tells the parent, as a click does; false when that ended the button.
    bool SendClick();

    bool Contains(LPARAM point) const;
    void Release();
    // Picks the caption's size so that it fits `width`.
    void FitCaption(int width);

    DisplayScale scale;
    POINT origin{};

    bool captured = false;
    bool hovering = false;
    bool pressed = false;
    RECT clientRect{};
    gdi::Font labelFont;
    // A shared system cursor: not ours to destroy.
    HCURSOR handCursor;
    const HDC* backgroundDC;
    const wchar_t* iconName;
    // The finished picture of each state, composed once and then only copied.
    gdi::Surface normalSurface;
    gdi::Surface hoverSurface;
    gdi::Surface pressedSurface;
    std::wstring accessibleName;
    AccessibleHost accessible{*this, *this};
};
