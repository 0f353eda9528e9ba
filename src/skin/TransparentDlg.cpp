#include "skin/TransparentDlg.h"

#include "framework/Window.h"
#include "skin/CxImage.h"

#include <uxtheme.h>

#include <iterator>
#include <utility>

namespace {

// Blurs and darkens to 12/16; the gamma afterwards lifts it toward white.
constexpr int kFrostKernel[9] = {1, 2, 1, 2, 0, 2, 1, 2, 1};
constexpr int kFrostDivisor = 16;
constexpr float kFrostGamma = 9.0f;

} // namespace

TransparentDlg::TransparentDlg(HWND owner) : owner_(owner) {}

TransparentDlg::~TransparentDlg() = default;

void TransparentDlg::InitBackground(HWND dialog, const wchar_t* picture) {
    dialog_ = dialog;
    RECT ownerRect{};
    ::GetWindowRect(owner_, &ownerRect);
    RECT client{};
    ::GetClientRect(dialog, &client);

    CxImage skin;
    const bool hasSkin = picture != nullptr && skin.LoadFromResource(picture);
    const int width = hasSkin ? skin.Width() : client.right - client.left;
    const int height = hasSkin ? skin.Height() : client.bottom - client.top;

    // Centred even where that leaves the screen: the frosted copy only
    // matches the view when the dialog lies exactly over it.
    const int x = ownerRect.left + (ownerRect.right - ownerRect.left - width) / 2;
    const int y = ownerRect.top + (ownerRect.bottom - ownerRect.top - height) / 2;
    ::MoveWindow(dialog, x, y, width, height, TRUE);

    gdi::WindowDC screen(nullptr);
    gdi::Bitmap under(::CreateCompatibleBitmap(screen.Get(), width, height));
    {
        gdi::MemoryDC copy(screen.Get());
        gdi::SelectGuard select(copy.Get(), under.Get());
        gdi::WindowDC ownerDC(owner_);
        ::BitBlt(copy.Get(), 0, 0, width, height, ownerDC.Get(), x - ownerRect.left,
                 y - ownerRect.top, SRCCOPY);
    }

    // Read while the bitmap is in no DC, as GetDIBits wants it.
    CxImage frosted;
    frosted.CopyFromBitmap(under.Get());
    frosted.Convolve3x3(kFrostKernel, 3, kFrostDivisor, 0);
    frosted.ApplyGamma(kFrostGamma);
    if (hasSkin) {
        frosted.BlendFrom(skin, 0, 0);
    }
    composed_ = gdi::Surface(std::move(under));
    frosted.DrawOpaque(composed_.Get(), 0, 0);
    backgroundBrush_.Reset(::CreatePatternBrush(composed_.GetBitmap()));
}

void TransparentDlg::PaintBackground(HDC dc) const {
    RECT client{};
    ::GetClientRect(dialog_, &client);
    ::BitBlt(dc, 0, 0, client.right, client.bottom, composed_.Get(), 0, 0, SRCCOPY);
}

HBRUSH TransparentDlg::ColorStatic(HDC dc, HWND control) const {
    ::SetBkMode(dc, TRANSPARENT);
    const RECT rect = CWindow(control).GetRectIn(dialog_);
    ::SetBrushOrgEx(dc, -rect.left, -rect.top, nullptr);
    return backgroundBrush_.Get();
}

void TransparentDlg::RemoveVisualStyle(HWND control) {
    if (SUCCEEDED(::SetWindowTheme(control, L"", L""))) {
        return;
    }
    // Wine refuses the empty names; a blank one names no theme class either.
    ::SetWindowTheme(control, L" ", L" ");
}

gdi::Font TransparentDlg::MakeLabelFont() {
    return gdi::MakeFont(L"Comic Sans MS", -12, FW_BOLD, ANTIALIASED_QUALITY);
}

void TransparentDlg::SetStaticFonts(HWND dialog, HFONT font) {
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[16] = L"";
        ::GetClassNameW(child, className, static_cast<int>(std::size(className)));
        if (::lstrcmpiW(className, L"Static") == 0) {
            ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        }
    }
}

LRESULT TransparentDlg::OnEraseBackground(UINT, WPARAM wParam, LPARAM, BOOL&) {
    PaintBackground(reinterpret_cast<HDC>(wParam));
    return 1;
}

LRESULT TransparentDlg::OnCtlColorStatic(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    return reinterpret_cast<LRESULT>(
        ColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
}
