// The picture in memory: a packed device-independent bitmap (header, palette
// and bottom-up pixel rows in one block) plus an optional alpha plane, and the
// pixel operations the skin needs. Nothing here talks to the platform; the
// Windows side (CxImage) hands Dib() to GDI as it is.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

class CxFile;

// Same layout as BITMAPINFOHEADER.
struct DibHeader {
    std::uint32_t biSize;
    std::int32_t biWidth;
    std::int32_t biHeight;
    std::uint16_t biPlanes;
    std::uint16_t biBitCount;
    std::uint32_t biCompression;
    std::uint32_t biSizeImage;
    std::int32_t biXPelsPerMeter;
    std::int32_t biYPelsPerMeter;
    std::uint32_t biClrUsed;
    std::uint32_t biClrImportant;
};
static_assert(sizeof(DibHeader) == 40, "DibHeader must match BITMAPINFOHEADER");

// One colour as GDI stores it.
struct Bgr {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
    bool operator==(const Bgr&) const = default;
};

class DibImage {
public:
    static constexpr std::uint32_t kFormatUnknown = 0;
    static constexpr std::uint32_t kFormatPng = 1;
    static constexpr std::size_t kMaxErrorLength = 255;
    // Limit on width x height x bits per pixel / 256.
    static constexpr std::uint64_t kMaxMemory = 256000000;

    DibImage() = default;
    DibImage(const DibImage& other);
    DibImage& operator=(const DibImage& other);
    DibImage(DibImage&& other) noexcept;
    DibImage& operator=(DibImage&& other) noexcept;
    ~DibImage() = default;

    // A new all-zero picture; bits per pixel become 1, 4, 8 or 24. A palette
    // picture starts with a grey ramp. On failure the old picture stays.
    bool Create(std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel);
    // Replaces the picture by one decoded from `file` (kFormatPng, or
    // kFormatUnknown to try every format and rewind on failure). On failure
    // the old picture stays and LastError() says why.
    bool Decode(CxFile& file, std::uint32_t format);

    bool IsValid() const { return block_ != nullptr; }
    int Width() const { return IsValid() ? Header().biWidth : 0; }
    int Height() const { return IsValid() ? Header().biHeight : 0; }
    int Bpp() const { return IsValid() ? Header().biBitCount : 0; }
    std::size_t Stride() const;
    // Bytes in a row of `width` pixels, rows padded to four bytes as GDI wants.
    static std::uint64_t StrideFor(std::uint64_t width, std::uint32_t bitsPerPixel);
    // Palette entries (blue, green, red, 0); 0 for 24-bit pictures.
    int PaletteSize() const { return IsValid() ? static_cast<int>(Header().biClrUsed) : 0; }

    // The packed DIB: header, palette, pixels.
    const std::uint8_t* Dib() const { return block_.get(); }
    std::uint8_t* Dib() { return block_.get(); }
    const DibHeader& Header() const { return *reinterpret_cast<const DibHeader*>(block_.get()); }
    std::uint8_t* Palette() { return block_ ? block_.get() + sizeof(DibHeader) : nullptr; }
    const std::uint8_t* Palette() const;
    std::uint8_t* Bits();
    const std::uint8_t* Bits() const;
    // Stored row y; row 0 is the bottom of the picture.
    std::uint8_t* Row(int y) { return Bits() + static_cast<std::size_t>(y) * Stride(); }
    const std::uint8_t* Row(int y) const { return Bits() + static_cast<std::size_t>(y) * Stride(); }
    // Colour of stored pixel (x, y), through the palette where there is one.
    Bgr PixelColor(int x, int y) const;
    void SetPixelColor(int x, int y, Bgr color); // 24-bit pictures only
    int PixelIndex(int x, int y) const;          // palette pictures only
    void SetPixelIndex(int x, int y, int index); // palette pictures only

    // Width x height opacities, bottom-up like the rows, not padded.
    bool HasAlpha() const { return alpha_ != nullptr; }
    bool CreateAlpha(); // fully opaque
    std::uint8_t* AlphaBits() { return alpha_.get(); }
    const std::uint8_t* AlphaBits() const { return alpha_.get(); }
    // Opacity of stored pixel (x, y) after the transparent index and AlphaMax().
    int EffectiveAlpha(int x, int y) const;

    // Palette index drawn fully transparent (palette pictures), -1 for none.
    int TransparentIndex() const { return transparentIndex_; }
    void SetTransparentIndex(int index) { transparentIndex_ = index; }
    // Opacity applied on top of the alpha plane.
    std::uint8_t AlphaMax() const { return alphaMax_; }
    void SetAlphaMax(std::uint8_t value) { alphaMax_ = value; }
    bool IsEnabled() const { return enabled_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    // Why the last failing operation failed; kept for diagnosis only.
    const std::string& LastError() const { return lastError_; }

    // Copies a rectangle (top-down picture coordinates, right and bottom
    // exclusive, clamped to the picture, reversed edges swapped) with its alpha
    // into `dest`. False, and `dest` untouched, when the rectangle is empty.
    bool ExtractRect(int left, int top, int right, int bottom, DibImage& dest) const;
    // Draws a 24-bit picture down to width x height (no larger than it is) by
    // averaging the area each new pixel covers, colours weighed by their
    // opacity, so that edges and shadows stay smooth.
    bool ShrinkTo(int width, int height);
    // 3x3 filter of a 24-bit picture; kernel row dy + 1, column dx + 1 weighs
    // the neighbour at (dx, dy). A divisor of 0 counts as 1.
    bool Convolve3x3(const int* kernel, int kernelSize, int divisor, int offset);
    // Maps the colours through i^(1/g), scaled so that 255 stays 255; g must be positive.
    bool ApplyGamma(float gamma);
    // Maps every colour byte (or palette entry); the alpha plane is left alone.
    bool ApplyTable(const std::array<std::uint8_t, 256>& table);
    // Lays `source` over this 24-bit picture by the source's alpha; pixel (x, y)
    // here meets (x + offsetX, y + offsetY) there, stored coordinates.
    bool BlendFrom(const DibImage& source, int offsetX, int offsetY);
    // The pixel work of drawing with alpha: blends the part of the picture whose
    // top-left corner is (left, top), top-down, onto `target`, a bottom-up
    // 24-bit buffer of width x height pixels and the given stride. The part
    // must lie inside the picture.
    void BlendInto(std::uint8_t* target, std::size_t targetStride, int left, int top, int width,
                   int height) const;

protected:
    void SetLastError(std::string_view text);
    // Takes the picture (pixels, alpha, transparent index) of `other`; the
    // display settings (AlphaMax, enabled) stay.
    void TakePicture(DibImage&& other);

private:
    struct FreeDeleter {
        void operator()(std::uint8_t* p) const { std::free(p); }
    };
    using Block = std::unique_ptr<std::uint8_t[], FreeDeleter>;

    std::size_t BlockSize() const;
    std::size_t PixelOffset() const;

    Block block_;
    Block alpha_;
    int transparentIndex_ = -1;
    std::uint8_t alphaMax_ = 255;
    bool enabled_ = true;
    std::string lastError_;
};
