#include "framework/Gdi.h"

#include <cwchar>

namespace gdi {

namespace {
long liveObjects = 0; // GUI thread only
} // namespace

long GdiObjectCount() {
    return liveObjects;
}

namespace detail {
void CountCreated(bool created) {
    if (created) {
        ++liveObjects;
    }
}
void CountDeleted() {
    --liveObjects;
}
} // namespace detail

MemoryDC::MemoryDC(HDC compatibleWith) : Object(::CreateCompatibleDC(compatibleWith)) {}

Bitmap MakeColourBitmap(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    return Bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
}

Surface::Surface(int width, int height) : Surface(MakeColourBitmap(width, height)) {}

// A memory DC made for the screen without a screen DC: asking for one costs
// Wine round trips to its server.
Surface::Surface(gdi::Bitmap bitmap) : bitmap_(std::move(bitmap)), dc_(nullptr) {
    previous_ = ::SelectObject(dc_.Get(), bitmap_.Get());
}

Surface::Surface(Surface&& other) noexcept
    : bitmap_(std::move(other.bitmap_)), dc_(std::move(other.dc_)),
      previous_(std::exchange(other.previous_, nullptr)) {}

Surface& Surface::operator=(Surface&& other) noexcept {
    if (this != &other) {
        Reset();
        bitmap_ = std::move(other.bitmap_);
        dc_ = std::move(other.dc_);
        previous_ = std::exchange(other.previous_, nullptr);
    }
    return *this;
}

void Surface::Reset() {
    // The bitmap must leave the DC before either is deleted.
    if (dc_ && previous_) {
        ::SelectObject(dc_.Get(), previous_);
    }
    previous_ = nullptr;
    dc_.Reset();
    bitmap_.Reset();
}

LOGFONTW DefaultGuiLogFont() {
    LOGFONTW font{};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    return font;
}

Font MakeFont(const wchar_t* face, int height, int weight, BYTE quality) {
    LOGFONTW font = DefaultGuiLogFont();
    wcsncpy_s(font.lfFaceName, face, _TRUNCATE);
    font.lfHeight = height;
    font.lfWeight = weight;
    if (quality != 0) {
        font.lfQuality = quality;
    }
    return Font(::CreateFontIndirectW(&font));
}

} // namespace gdi
