#include "skin/CxImage.h"

#include "framework/AppModule.h"
#include "skin/CxFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <utility>

static_assert(sizeof(BITMAPINFOHEADER) == sizeof(DibHeader));
static_assert(offsetof(BITMAPINFOHEADER, biBitCount) == offsetof(DibHeader, biBitCount));
static_assert(offsetof(BITMAPINFOHEADER, biSizeImage) == offsetof(DibHeader, biSizeImage));
static_assert(offsetof(BITMAPINFOHEADER, biClrUsed) == offsetof(DibHeader, biClrUsed));

namespace {

BITMAPINFO Info24(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // bottom-up, like the picture
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

std::size_t Stride24(int width) {
    return static_cast<std::size_t>(DibImage::StrideFor(static_cast<std::uint64_t>(width), 24));
}

// COLORONCOLOR for the duration of one call, as the caller had it afterwards.
class StretchModeGuard {
public:
    explicit StretchModeGuard(HDC dc) : dc_(dc), previous_(::SetStretchBltMode(dc, COLORONCOLOR)) {}
    StretchModeGuard(const StretchModeGuard&) = delete;
    StretchModeGuard& operator=(const StretchModeGuard&) = delete;
    ~StretchModeGuard() {
        if (previous_ != 0) {
            ::SetStretchBltMode(dc_, previous_);
        }
    }

private:
    HDC dc_;
    int previous_;
};

} // namespace

namespace {

// The PNG bytes of a picture resource, or an empty span.
std::span<const std::uint8_t> PictureResource(const wchar_t* name, const wchar_t* type) {
    HMODULE module = AppModule().GetResourceInstance();
    HRSRC resource = name ? ::FindResourceW(module, name, type) : nullptr;
    HGLOBAL loaded = resource ? ::LoadResource(module, resource) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data) {
        return {};
    }
    return {static_cast<const std::uint8_t*>(data), ::SizeofResource(module, resource)};
}

// Where the pictures rendered for a scale are kept.
std::wstring PictureType(int percent) {
    return percent == 100 ? std::wstring(L"IMAGES") : L"IMAGES" + std::to_wstring(percent);
}

// Width and height from a PNG's header, without decoding it.
bool PngSize(std::span<const std::uint8_t> png, int& width, int& height) {
    if (png.size() < 24) {
        return false;
    }
    const auto word = [&png](std::size_t at) {
        return static_cast<int>((std::uint32_t{png[at]} << 24) |
                                (std::uint32_t{png[at + 1]} << 16) |
                                (std::uint32_t{png[at + 2]} << 8) | png[at + 3]);
    };
    width = word(16);
    height = word(20);
    return width > 0 && height > 0;
}

} // namespace

bool CxImage::LoadFromResource(const wchar_t* name) {
    const std::span<const std::uint8_t> png = PictureResource(name, L"IMAGES");
    if (png.empty()) {
        SetLastError("Unable to load resource!");
        return false;
    }
    CxMemFile file(png.data(), png.size());
    return Decode(file, kFormatPng);
}

bool CxImage::LoadForScale(const wchar_t* name, const DisplayScale& scale, int x, int y) {
    int baseWidth = 0;
    int baseHeight = 0;
    if (scale.IsBase() || !PngSize(PictureResource(name, L"IMAGES"), baseWidth, baseHeight)) {
        return LoadFromResource(name);
    }
    const int width = scale.Length(x, baseWidth);
    const int height = scale.Length(y, baseHeight);
    for (const int percent : DisplayScale::kPictureScales) {
        if (percent < scale.PicturePercent()) {
            continue;
        }
        const std::span<const std::uint8_t> png =
            PictureResource(name, PictureType(percent).c_str());
        int renderedWidth = 0;
        int renderedHeight = 0;
        if (!PngSize(png, renderedWidth, renderedHeight) || renderedWidth < width ||
            renderedHeight < height) {
            continue;
        }
        CxMemFile file(png.data(), png.size());
        CxImage rendered;
        if (rendered.Decode(file, kFormatPng) && rendered.ShrinkTo(width, height)) {
            TakePicture(std::move(rendered));
            return true;
        }
    }
    // No rendering large enough: the layout's own size rather than a blur.
    return LoadFromResource(name);
}

int CxImage::DrawBlended(HDC dc, int x, int y) const {
    if (!IsValid() || !IsEnabled() || !dc) {
        return 0;
    }
    const int width = Width();
    const int height = Height();
    if (!HasAlpha() && !(TransparentIndex() >= 0 && Bpp() <= 8)) {
        return ::SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(width), static_cast<DWORD>(height),
                                   0, 0, 0, static_cast<UINT>(height), Bits(), Info(),
                                   DIB_RGB_COLORS) > 0
                   ? 1
                   : 0;
    }

    // Only the visible part is read, blended and written back.
    RECT clip{};
    if (::GetClipBox(dc, &clip) == ERROR) {
        return 0;
    }
    const RECT target{x, y, x + width, y + height};
    RECT visible{};
    if (!::IntersectRect(&visible, &target, &clip)) {
        return 0;
    }
    const int visibleWidth = visible.right - visible.left;
    const int visibleHeight = visible.bottom - visible.top;
    const BITMAPINFO info = Info24(visibleWidth, visibleHeight);
    void* bits = nullptr;
    gdi::MemoryDC memory(dc);
    gdi::Bitmap buffer(::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory || !buffer || !bits) {
        return 0;
    }
    {
        gdi::SelectGuard select(memory.Get(), buffer.Get());
        ::BitBlt(memory.Get(), 0, 0, visibleWidth, visibleHeight, dc, visible.left, visible.top,
                 SRCCOPY);
    }
    ::GdiFlush();
    BlendInto(static_cast<std::uint8_t*>(bits), Stride24(visibleWidth), visible.left - x,
              visible.top - y, visibleWidth, visibleHeight);
    ::SetDIBitsToDevice(dc, visible.left, visible.top, static_cast<DWORD>(visibleWidth),
                        static_cast<DWORD>(visibleHeight), 0, 0, 0,
                        static_cast<UINT>(visibleHeight), bits, &info, DIB_RGB_COLORS);
    return 1;
}

bool CxImage::DrawOpaque(HDC dc, int x, int y) const {
    if (!IsValid() || !IsEnabled() || !dc) {
        return false;
    }
    StretchModeGuard mode(dc);
    return ::StretchDIBits(dc, x, y, Width(), Height(), 0, 0, Width(), Height(), Bits(), Info(),
                           DIB_RGB_COLORS, SRCCOPY) > 0;
}

gdi::Bitmap CxImage::MakeDeviceBitmap(HDC dc) const {
    if (!IsValid()) {
        return {};
    }
    if (dc) {
        return gdi::Bitmap(
            ::CreateDIBitmap(dc, &Info()->bmiHeader, CBM_INIT, Bits(), Info(), DIB_RGB_COLORS));
    }
    const BITMAPINFO info = Info24(Width(), Height());
    void* bits = nullptr;
    gdi::Bitmap section(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!section || !bits) {
        return {};
    }
    auto* out = static_cast<std::uint8_t*>(bits);
    if (Bpp() == 24) {
        std::memcpy(out, Bits(), Header().biSizeImage);
        return section;
    }
    const std::size_t stride = Stride24(Width());
    for (int y = 0; y < Height(); ++y) {
        std::uint8_t* row = out + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < Width(); ++x) {
            const Bgr color = PixelColor(x, y);
            row[3 * x] = color.blue;
            row[3 * x + 1] = color.green;
            row[3 * x + 2] = color.red;
        }
    }
    return section;
}

bool CxImage::CopyFromBitmap(HBITMAP bitmap) {
    BITMAP description{};
    if (!bitmap || ::GetObjectW(bitmap, sizeof description, &description) == 0) {
        SetLastError("GetObject failed");
        return false;
    }
    DibImage copy;
    if (!copy.Create(static_cast<std::uint32_t>(description.bmWidth),
                     static_cast<std::uint32_t>(std::abs(description.bmHeight)),
                     static_cast<std::uint32_t>(description.bmBitsPixel * description.bmPlanes))) {
        SetLastError(copy.LastError());
        return false;
    }
    // GetDIBits may rewrite header fields; ours describe the block.
    const DibHeader header = copy.Header();
    gdi::WindowDC screen(nullptr);
    const int lines =
        ::GetDIBits(screen.Get(), bitmap, 0, static_cast<UINT>(copy.Height()), copy.Bits(),
                    reinterpret_cast<BITMAPINFO*>(copy.Dib()), DIB_RGB_COLORS);
    std::memcpy(copy.Dib(), &header, sizeof header);
    if (lines == 0) {
        SetLastError("GetDIBits failed");
        return false;
    }
    TakePicture(std::move(copy));
    SetLastError("");
    return true;
}
