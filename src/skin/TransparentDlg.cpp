#include "skin/TransparentDlg.h"

#include "framework/AppModule.h"
#include "framework/Window.h"
#include "skin/CxImage.h"

#include <uxtheme.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

// Blurs and darkens to 12/16; the gamma afterwards lifts it toward white.
constexpr int kFrostKernel[9] = {1, 2, 1, 2, 0, 2, 1, 2, 1};
constexpr int kFrostDivisor = 16;
constexpr float kFrostGamma = 9.0f;

// Dialog units of the template, and pixels of the dialog's font at some
// scale: a dialog unit is a quarter of the font's average width across and
// an eighth of its height down, as the dialog manager counts them.
struct BaseUnits {
    int x = 4;
    int y = 8;
    bool scalable = true; // an outline font, not a bitmap one
};

BaseUnits MeasureBaseUnits(HFONT font) {
    gdi::WindowDC screen(nullptr);
    const gdi::SelectGuard select(screen.Get(), font);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(screen.Get(), &metrics);
    const wchar_t letters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE size{};
    ::GetTextExtentPoint32W(screen.Get(), letters, 52, &size);
    return {std::max(1, static_cast<int>((size.cx / 26 + 1) / 2)),
            std::max(1, static_cast<int>(metrics.tmHeight)),
            (metrics.tmPitchAndFamily & (TMPF_VECTOR | TMPF_TRUETYPE)) != 0};
}

// The template's value behind `pixels` laid out with `now`, laid out again
// with `then`: exact, since a dialog unit is at least a pixel.
int Relaid(int pixels, int nowUnits, int thenUnits, int perUnit) {
    const int units = static_cast<int>(
        std::lround(static_cast<double>(pixels) * perUnit / static_cast<double>(nowUnits)));
    return ::MulDiv(units, thenUnits, perUnit);
}

} // namespace

// The template's controls grow with the dialog's font, and a font's rounded
// size does not grow exactly with the scale, so they would drift off the
// picture: each goes to its place at 100 % times the scale instead.
void TransparentDlg::PlaceControlsForScale(HWND dialog, const DisplayScale& scale) {
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0));
    LOGFONTW atScale{};
    if (font == nullptr || ::GetObjectW(font, sizeof atScale, &atScale) == 0) {
        return;
    }
    RECT unit{0, 0, 4, 8};
    ::MapDialogRect(dialog, &unit);
    const BaseUnits now{unit.right, unit.bottom};
    LOGFONTW atBase = atScale;
    const int points = ::MulDiv(std::abs(atScale.lfHeight), 72, scale.Dpi());
    atBase.lfHeight = -::MulDiv(points, DisplayScale::kBaseDpi, 72);
    gdi::Font baseFont(::CreateFontIndirectW(&atBase));
    BaseUnits base = MeasureBaseUnits(baseFont.Get());
    if (!base.scalable) {
        // A bitmap face comes in other sizes at other scales: the 100 % size
        // is measured on the outline face made to its measure, and the
        // controls write in that face at the scale, where the bitmap one
        // might outgrow them.
        ::lstrcpynW(atBase.lfFaceName, L"MS Shell Dlg", LF_FACESIZE);
        baseFont = gdi::Font(::CreateFontIndirectW(&atBase));
        base = MeasureBaseUnits(baseFont.Get());
        // An outline face's line does not grow quite with its height: the
        // largest whose line fits the scaled line of 100 %.
        LOGFONTW outline = atBase;
        const int line = scale.FontHeight(base.y);
        for (int height = scale.FontHeight(-atBase.lfHeight); height > 0; --height) {
            outline.lfHeight = -height;
            outlineFont_ = gdi::Font(::CreateFontIndirectW(&outline));
            if (MeasureBaseUnits(outlineFont_.Get()).y <= line) {
                break;
            }
        }
    }
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        const RECT place = CWindow(child).GetRectIn(dialog);
        const Rect scaled = scale.Of(
            Rect{Relaid(place.left, now.x, base.x, 4), Relaid(place.top, now.y, base.y, 8),
                 Relaid(place.right, now.x, base.x, 4), Relaid(place.bottom, now.y, base.y, 8)});
        ::MoveWindow(child, scaled.left, scaled.top, scaled.right - scaled.left,
                     scaled.bottom - scaled.top, FALSE);
        if (outlineFont_) {
            ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(outlineFont_.Get()), FALSE);
        }
    }
}

namespace {
// The skinned dialogs of the program that exist, for CancelOpenDialogs.
std::vector<const TransparentDlg*> openDialogs;
} // namespace

TransparentDlg::TransparentDlg(HWND owner) : owner_(owner) {
    openDialogs.push_back(this);
}

TransparentDlg::~TransparentDlg() {
    std::erase(openDialogs, this);
}

void TransparentDlg::CancelOpenDialogs() {
    for (const TransparentDlg* open : openDialogs) {
        if (::IsWindow(open->dialog_) && ::IsWindowEnabled(open->dialog_)) {
            ::PostMessageW(open->dialog_, WM_COMMAND, IDCANCEL, 0);
        }
    }
}

void TransparentDlg::InitBackground(HWND dialog, const wchar_t* picture) {
    dialog_ = dialog;
    scale_ = DisplayScale(static_cast<int>(::GetDpiForWindow(dialog)));
    if (!scale_.IsBase()) {
        PlaceControlsForScale(dialog, scale_);
    }
    RECT ownerRect{};
    ::GetWindowRect(owner_, &ownerRect);
    RECT client{};
    ::GetClientRect(dialog, &client);

    CxImage skin;
    const bool hasSkin = picture != nullptr && skin.LoadForScale(picture, scale_);
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

gdi::Font TransparentDlg::MakeLabelFont(const DisplayScale& scale) {
    return gdi::MakeFont(L"Comic Sans MS", -scale.FontHeight(12), FW_BOLD, ANTIALIASED_QUALITY);
}

void TransparentDlg::NameAfterLabel(HWND dialog, int control, UINT label) {
    std::wstring name = LoadResourceString(label);
    std::erase(name, L'&');
    ::SetDlgItemTextW(dialog, control, name.c_str());
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
