// A link made of an existing static control: the static's text becomes the
// label, a click on the label (or Enter/Space while focused) hands the target
// to the shell. Give the static WS_TABSTOP for the keyboard to reach it.
//
//   CHyperLink web;
//   web.SubclassWindow(GetDlgItem(IDC_WEB));
//   web.SetHyperLink(L"https://example.org/");
//   web.SetUnderline(LinkUnderline::OnHover);
//   ...
//   web.UnsubclassWindow(); // before the dialog ends
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <string_view>

#include "framework/Gdi.h"
#include "framework/Handle.h"
#include "framework/Window.h"

enum class LinkUnderline { Always, Never, OnHover };

constexpr COLORREF kDefaultLinkColor = RGB(0, 0, 255);
constexpr COLORREF kDefaultVisitedColor = RGB(128, 0, 128);

// A browser colour setting such as L"255,0,0"; nullopt where the value is not
// one the browser itself would take, so the default applies.
std::optional<COLORREF> ParseAnchorColor(std::wstring_view value);

struct LinkColors {
    COLORREF link = kDefaultLinkColor;
    COLORREF visited = kDefaultVisitedColor;
};

// The user's browser link colours, defaults for whatever is missing.
LinkColors ReadLinkColors();

class CHyperLink : public CWindow {
public:
    // How a link opens its target; tests put a fake here.
    using ShellOpenFn = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
    static inline ShellOpenFn shellOpen = ::ShellExecuteW;

    CHyperLink() = default;
    CHyperLink(const CHyperLink&) = delete;
    CHyperLink& operator=(const CHyperLink&) = delete;
    ~CHyperLink();

    // Takes the control over; FALSE if it is not a window or already a link.
    BOOL SubclassWindow(HWND control);
    // Gives the control back and forgets it. The control's own procedure is
    // put back only if nobody subclassed it after the link; otherwise the
    // link's procedure stays in the chain and just passes everything on.
    // Answers the control, or null if the link held none.
    HWND UnsubclassWindow();

    void SetHyperLink(const wchar_t* target);
    void SetUnderline(LinkUnderline underline);

    const std::wstring& Label() const { return label_; }
    const std::wstring& Target() const { return target_; }
    bool IsVisited() const { return visited_; }
    bool IsHovering() const { return hovering_; }
    const LinkColors& Colors() const { return colors_; }
    // The label's text rectangle in client coordinates: what reacts to the mouse.
    RECT HitRect() const { return hitRect_; }
    HWND ToolTip() const { return toolTip_.Get(); }

    // What a click or Enter/Space does.
    void Activate();

private:
    static LRESULT CALLBACK LinkProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(WNDPROC original, UINT msg, WPARAM wParam, LPARAM lParam);

    void Paint(HDC dc);
    void UpdateHitRect();
    void CreateToolTip();
    void RelayToToolTip(UINT msg, WPARAM wParam, LPARAM lParam);
    bool InHitRect(LPARAM point) const;
    void SetHovering(bool hovering);
    void ReleaseControl();
    bool Underlined() const;

    std::wstring label_;
    std::wstring target_;
    LinkUnderline underline_ = LinkUnderline::Always;
    LinkColors colors_;
    HFONT normalFont_ = nullptr; // the parent's, not owned
    gdi::Font underlinedFont_;
    RECT hitRect_{};
    win::OwnedWindow toolTip_;
    bool visited_ = false;
    bool hovering_ = false;
    bool trackingLeave_ = false;
};
