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

Surface::Surface(int width, int height) {
    WindowDC screen(nullptr);
    bitmap_.Reset(::CreateCompatibleBitmap(screen.Get(), width, height));
    dc_ = MemoryDC(screen.Get());
    previous_ = ::SelectObject(dc_.Get(), bitmap_.Get());
}

Surface::Surface(gdi::Bitmap bitmap) : bitmap_(std::move(bitmap)) {
    WindowDC screen(nullptr);
    dc_ = MemoryDC(screen.Get());
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
