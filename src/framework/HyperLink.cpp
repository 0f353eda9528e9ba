#include "framework/HyperLink.h"

#include "framework/Handle.h"

#include <commctrl.h>

#include <algorithm>

namespace {

// The link object, and the control's own procedure. The procedure is kept on
// the window, not in the object, so a link procedure left in a chain after
// detaching can still pass messages on.
constexpr wchar_t kLinkProp[] = L"Lunabel.HyperLink";
constexpr wchar_t kProcProp[] = L"Lunabel.HyperLink.Proc";

constexpr UINT_PTR kToolId = 1;

// Reads a number the way the browser does: blanks, a sign, digits, and stops
// at anything else; no digits reads as 0.
long long ReadNumber(std::wstring_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) {
        negative = text[i] == L'-';
        ++i;
    }
    long long value = 0;
    // The whole value is at most 11 characters, so this cannot overflow.
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
    }
    return negative ? -value : value;
}

std::optional<COLORREF> ReadColorValue(HKEY key, const wchar_t* name) {
    // Room for 11 characters and the terminator; a longer value does not fit
    // and is refused with ERROR_MORE_DATA.
    wchar_t text[12]{};
    DWORD type = 0;
    DWORD size = sizeof text;
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        return std::nullopt;
    }
    std::wstring_view value(text, size / sizeof(wchar_t));
    if (const size_t end = value.find(L'\0'); end != std::wstring_view::npos) {
        value = value.substr(0, end);
    }
    return ParseAnchorColor(value);
}

UINT AlignmentFlags(DWORD style) {
    UINT flags = DT_WORDBREAK;
    switch (style & SS_TYPEMASK) {
    case SS_CENTER:
        flags |= DT_CENTER;
        break;
    case SS_RIGHT:
        flags |= DT_RIGHT;
        break;
    default:
        flags |= DT_LEFT;
        break;
    }
    if (style & SS_NOPREFIX) {
        flags |= DT_NOPREFIX;
    }
    return flags;
}

TOOLINFOW MakeToolInfo(HWND owner) {
    TOOLINFOW info{};
    // The short form: comctl32 5 refuses the longer structure.
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = owner;
    info.uId = kToolId;
    return info;
}

} // namespace

std::optional<COLORREF> ParseAnchorColor(std::wstring_view value) {
    if (value.size() > 11) {
        return std::nullopt;
    }
    const size_t first = value.find(L',');
    if (first == std::wstring_view::npos) {
        return std::nullopt;
    }
    const size_t second = value.find(L',', first + 1);
    if (second == std::wstring_view::npos || second + 1 == value.size()) {
        return std::nullopt;
    }
    const long long red = ReadNumber(value.substr(0, first));
    const long long green = ReadNumber(value.substr(first + 1, second - first - 1));
    const long long blue = ReadNumber(value.substr(second + 1));
    // -1 in the first two places is how the browser says "not set".
    if (red == -1 || green == -1) {
        return std::nullopt;
    }
    return RGB(red & 0xFF, green & 0xFF, blue & 0xFF);
}

LinkColors ReadLinkColors() {
    LinkColors colors;
    win::RegKey key;
    // Only read: asking for write access would fail for a locked-down user
    // and lose colours that are readable.
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Settings", 0,
                        KEY_READ, key.Put()) != ERROR_SUCCESS) {
        return colors;
    }
    colors.link = ReadColorValue(key.Get(), L"Anchor Color").value_or(kDefaultLinkColor);
    colors.visited =
        ReadColorValue(key.Get(), L"Anchor Color Visited").value_or(kDefaultVisitedColor);
    return colors;
}

CHyperLink::~CHyperLink() {
    UnsubclassWindow();
}

BOOL CHyperLink::SubclassWindow(HWND control) {
    if (hwnd_ != nullptr || !::IsWindow(control) || ::GetPropW(control, kProcProp) != nullptr) {
        return FALSE;
    }
    const auto original = ::GetWindowLongPtrW(control, GWLP_WNDPROC);
    if (!::SetPropW(control, kProcProp, reinterpret_cast<HANDLE>(original)) ||
        !::SetPropW(control, kLinkProp, this)) {
        ::RemovePropW(control, kProcProp);
        return FALSE;
    }
    hwnd_ = control;
    ::SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LinkProc));

    label_.assign(static_cast<size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    label_.resize(static_cast<size_t>(
        ::GetWindowTextW(control, label_.data(), static_cast<int>(label_.size()))));

    colors_ = ReadLinkColors();
    normalFont_ = reinterpret_cast<HFONT>(::SendMessageW(GetParent(), WM_GETFONT, 0, 0));
    if (normalFont_ == nullptr) {
        normalFont_ = static_cast<HFONT>(::GetStockObject(SYSTEM_FONT));
    }
    LOGFONTW font{};
    ::GetObjectW(normalFont_, sizeof font, &font);
    font.lfUnderline = TRUE;
    underlinedFont_.Reset(::CreateFontIndirectW(&font));

    CreateToolTip();
    UpdateHitRect();
    Invalidate();
    return TRUE;
}

HWND CHyperLink::UnsubclassWindow() {
    const HWND control = hwnd_;
    if (control == nullptr) {
        return nullptr;
    }
    if (trackingLeave_) {
        TRACKMOUSEEVENT cancel{sizeof cancel, TME_CANCEL | TME_LEAVE, control, 0};
        ::TrackMouseEvent(&cancel);
    }
    if (::GetCapture() == control) {
        ::ReleaseCapture();
    }
    ReleaseControl();
    ::InvalidateRect(control, nullptr, TRUE);
    return control;
}

void CHyperLink::ReleaseControl() {
    toolTip_.Reset();
    const auto current = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd_, GWLP_WNDPROC));
    if (current == LinkProc) {
        ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC,
                            reinterpret_cast<LONG_PTR>(::GetPropW(hwnd_, kProcProp)));
        ::RemovePropW(hwnd_, kProcProp);
    }
    ::RemovePropW(hwnd_, kLinkProp);
    underlinedFont_.Reset();
    normalFont_ = nullptr;
    hovering_ = false;
    trackingLeave_ = false;
    hwnd_ = nullptr;
}

void CHyperLink::SetHyperLink(const wchar_t* target) {
    target_ = target ? target : L"";
    if (toolTip_) {
        TOOLINFOW info = MakeToolInfo(hwnd_);
        info.lpszText = target_.data();
        ::SendMessageW(toolTip_.Get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
    }
}

void CHyperLink::SetUnderline(LinkUnderline underline) {
    underline_ = underline;
    if (hwnd_ != nullptr) {
        Invalidate();
    }
}

void CHyperLink::Activate() {
    if (target_.empty()) {
        return;
    }
    const auto answer = reinterpret_cast<INT_PTR>(
        shellOpen(nullptr, L"open", target_.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (answer > 32 && !visited_) {
        visited_ = true;
        if (hwnd_ != nullptr) {
            Invalidate();
        }
    }
}

bool CHyperLink::Underlined() const {
    return underline_ == LinkUnderline::Always ||
           (underline_ == LinkUnderline::OnHover && hovering_);
}

bool CHyperLink::InHitRect(LPARAM point) const {
    // Signed: the captured mouse reports points left of and above the control.
    const POINT p{static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
    return ::PtInRect(&hitRect_, p) != FALSE;
}

void CHyperLink::SetHovering(bool hovering) {
    if (hovering_ == hovering) {
        return;
    }
    hovering_ = hovering;
    if (underline_ == LinkUnderline::OnHover) {
        ::InvalidateRect(hwnd_, &hitRect_, TRUE);
    }
}

void CHyperLink::UpdateHitRect() {
    const RECT client = GetClientRect();
    RECT text = client;
    {
        gdi::WindowDC dc(hwnd_);
        gdi::SelectGuard font(dc.Get(), normalFont_);
        ::DrawTextW(dc.Get(), label_.c_str(), static_cast<int>(label_.size()), &text,
                    DT_CALCRECT | AlignmentFlags(GetStyle()));
    }
    const LONG clientWidth = client.right - client.left;
    const LONG width = std::min(text.right - text.left, clientWidth);
    const LONG height = std::min(text.bottom - text.top, client.bottom - client.top);
    LONG left = client.left;
    switch (GetStyle() & SS_TYPEMASK) {
    case SS_CENTER:
        left += (clientWidth - width) / 2;
        break;
    case SS_RIGHT:
        left += clientWidth - width;
        break;
    default:
        break;
    }
    hitRect_ = label_.empty() ? RECT{} : RECT{left, client.top, left + width, client.top + height};

    if (toolTip_) {
        TOOLINFOW info = MakeToolInfo(hwnd_);
        info.rect = hitRect_;
        ::SendMessageW(toolTip_.Get(), TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&info));
    }
}

void CHyperLink::CreateToolTip() {
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&classes);
    const auto instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
    toolTip_.Reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                     WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                                     instance, nullptr));
    if (!toolTip_) {
        return;
    }
    TOOLINFOW info = MakeToolInfo(hwnd_);
    info.lpszText = target_.data();
    ::SendMessageW(toolTip_.Get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void CHyperLink::RelayToToolTip(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!toolTip_) {
        return;
    }
    MSG relayed{hwnd_, msg, wParam, lParam, static_cast<DWORD>(::GetMessageTime()), {}};
    ::GetCursorPos(&relayed.pt);
    ::SendMessageW(toolTip_.Get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void CHyperLink::Paint(HDC dc) {
    const RECT client = GetClientRect();
    auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(GetParent(), WM_CTLCOLORSTATIC,
                                                         reinterpret_cast<WPARAM>(dc),
                                                         reinterpret_cast<LPARAM>(hwnd_)));
    if (brush == nullptr) {
        brush = ::GetSysColorBrush(COLOR_BTNFACE);
    }
    ::FillRect(dc, &client, brush);

    COLORREF color = visited_ ? colors_.visited : colors_.link;
    if (!::IsWindowEnabled(hwnd_)) {
        color = ::GetSysColor(COLOR_GRAYTEXT);
    }
    ::SetTextColor(dc, color);
    ::SetBkMode(dc, TRANSPARENT);
    {
        gdi::SelectGuard font(dc, Underlined() ? underlinedFont_.Get() : normalFont_);
        RECT text = client;
        ::DrawTextW(dc, label_.c_str(), static_cast<int>(label_.size()), &text,
                    AlignmentFlags(GetStyle()));
    }
    if (::GetFocus() == hwnd_) {
        ::DrawFocusRect(dc, &hitRect_);
    }
}

LRESULT CALLBACK CHyperLink::LinkProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    const auto original = reinterpret_cast<WNDPROC>(::GetPropW(window, kProcProp));
    auto* self = static_cast<CHyperLink*>(::GetPropW(window, kLinkProp));
    if (original == nullptr) {
        return ::DefWindowProcW(window, msg, wParam, lParam);
    }
    if (self == nullptr) {
        // Detached while another procedure sat above the link's: only pass on.
        if (msg == WM_NCDESTROY) {
            ::RemovePropW(window, kProcProp);
        }
        return ::CallWindowProcW(original, window, msg, wParam, lParam);
    }
    return self->HandleMessage(original, msg, wParam, lParam);
}

LRESULT CHyperLink::HandleMessage(WNDPROC original, UINT msg, WPARAM wParam, LPARAM lParam) {
    const HWND window = hwnd_;
    if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) {
        RelayToToolTip(msg, wParam, lParam);
    }
    switch (msg) {
    case WM_PAINT: {
        const gdi::PaintScope paint(window);
        const HDC dc = paint.Get();
        Paint(dc);
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1; // painting fills the background itself
    case WM_NCHITTEST:
        // A static without SS_NOTIFY lets the mouse through to its parent.
        return HTCLIENT;
    case WM_SETCURSOR: {
        POINT point{};
        ::GetCursorPos(&point);
        ::ScreenToClient(window, &point);
        if (LOWORD(lParam) == HTCLIENT && ::PtInRect(&hitRect_, point)) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    }
    case WM_MOUSEMOVE:
        SetHovering(InHitRect(lParam));
        if (!trackingLeave_) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
            trackingLeave_ = ::TrackMouseEvent(&track) != FALSE;
        }
        return 0;
    case WM_MOUSELEAVE:
        trackingLeave_ = false;
        SetHovering(false);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: // the class's double-click style turns a quick second press into this
        if (InHitRect(lParam)) {
            ::SetFocus(window);
            ::SetCapture(window);
        }
        return 0;
    case WM_LBUTTONUP:
        // Only a press that began on the label counts.
        if (::GetCapture() == window) {
            ::ReleaseCapture();
            if (InHitRect(lParam)) {
                Activate();
            }
        }
        return 0;
    case WM_CHAR:
        if ((wParam == VK_RETURN || wParam == VK_SPACE) && ::GetFocus() == window) {
            Activate();
            return 0;
        }
        break;
    case WM_GETDLGCODE: {
        // Enter too, or a dialog would press its default button with it.
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        if (key != nullptr && key->message == WM_KEYDOWN && key->wParam == VK_RETURN) {
            return DLGC_WANTCHARS | DLGC_WANTMESSAGE;
        }
        return DLGC_WANTCHARS;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
        Invalidate();
        return 0;
    case WM_SIZE:
        UpdateHitRect();
        break;
    case WM_SETTEXT: {
        const LRESULT result = ::CallWindowProcW(original, window, msg, wParam, lParam);
        label_ = lParam ? reinterpret_cast<const wchar_t*>(lParam) : L"";
        UpdateHitRect();
        Invalidate();
        return result;
    }
    case WM_NCDESTROY:
        ReleaseControl();
        ::RemovePropW(window, kProcProp);
        break;
    default:
        break;
    }
    return ::CallWindowProcW(original, window, msg, wParam, lParam);
}
