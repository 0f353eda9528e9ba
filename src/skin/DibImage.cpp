#include "skin/DibImage.h"

#include "skin/CxFile.h"
#include "skin/CxImagePNG.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <vector>
#include <utility>

namespace {

constexpr std::uint32_t kBiRgb = 0;

std::uint32_t RoundBitsPerPixel(std::uint32_t bitsPerPixel) {
    if (bitsPerPixel <= 1) {
        return 1;
    }
    if (bitsPerPixel <= 4) {
        return 4;
    }
    if (bitsPerPixel <= 8) {
        return 8;
    }
    return 24;
}

std::uint8_t* CopyOf(const std::uint8_t* data, std::size_t size) {
    if (!data) {
        return nullptr;
    }
    auto* copy = static_cast<std::uint8_t*>(std::malloc(size));
    if (!copy) {
        throw std::bad_alloc();
    }
    std::memcpy(copy, data, size);
    return copy;
}

std::uint8_t Mix(std::uint8_t over, std::uint8_t under, int alpha) {
    // A shift, not a division by 255: full-strength pixels are handled apart.
    return static_cast<std::uint8_t>((over * alpha + under * (255 - alpha)) >> 8);
}

// Lays `over` with opacity `alpha` (above 0) on the 24-bit pixel at `pixel`.
void LayOver(std::uint8_t* pixel, Bgr over, int alpha) {
    if (alpha == 255) {
        pixel[0] = over.blue;
        pixel[1] = over.green;
        pixel[2] = over.red;
        return;
    }
    pixel[0] = Mix(over.blue, pixel[0], alpha);
    pixel[1] = Mix(over.green, pixel[1], alpha);
    pixel[2] = Mix(over.red, pixel[2], alpha);
}

// i^(1/g), scaled so that 255 stays 255.
std::array<std::uint8_t, 256> GammaTable(double gamma) {
    const double exponent = 1.0 / gamma;
    const double scale = std::pow(255.0, exponent) / 255.0;
    std::array<std::uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i) {
        const double value = std::pow(static_cast<double>(i), exponent) / scale;
        table[static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(std::clamp(value, 0.0, 255.0));
    }
    return table;
}

} // namespace

DibImage::DibImage(const DibImage& other)
    : transparentIndex_(other.transparentIndex_), alphaMax_(other.alphaMax_),
      enabled_(other.enabled_), lastError_(other.lastError_) {
    block_.reset(CopyOf(other.block_.get(), other.BlockSize()));
    if (other.alpha_) {
        alpha_.reset(CopyOf(other.alpha_.get(), static_cast<std::size_t>(other.Width()) *
                                                    static_cast<std::size_t>(other.Height())));
    }
}

DibImage& DibImage::operator=(const DibImage& other) {
    if (this != &other) {
        DibImage copy(other);
        *this = std::move(copy);
    }
    return *this;
}

DibImage::DibImage(DibImage&& other) noexcept
    : block_(std::move(other.block_)), alpha_(std::move(other.alpha_)),
      transparentIndex_(std::exchange(other.transparentIndex_, -1)), alphaMax_(other.alphaMax_),
      enabled_(other.enabled_), lastError_(std::move(other.lastError_)) {}

DibImage& DibImage::operator=(DibImage&& other) noexcept {
    if (this != &other) {
        block_ = std::move(other.block_);
        alpha_ = std::move(other.alpha_);
        transparentIndex_ = std::exchange(other.transparentIndex_, -1);
        alphaMax_ = other.alphaMax_;
        enabled_ = other.enabled_;
        lastError_ = std::move(other.lastError_);
    }
    return *this;
}

void DibImage::SetLastError(std::string_view text) {
    lastError_.assign(text.substr(0, kMaxErrorLength));
}

std::uint64_t DibImage::StrideFor(std::uint64_t width, std::uint32_t bitsPerPixel) {
    return ((width * bitsPerPixel + 31) / 32) * 4;
}

std::size_t DibImage::Stride() const {
    return IsValid() ? static_cast<std::size_t>(StrideFor(
                           static_cast<std::uint64_t>(Header().biWidth), Header().biBitCount))
                     : 0;
}

std::size_t DibImage::PixelOffset() const {
    return sizeof(DibHeader) + 4 * static_cast<std::size_t>(PaletteSize());
}

std::size_t DibImage::BlockSize() const {
    return IsValid() ? PixelOffset() + Header().biSizeImage : 0;
}

const std::uint8_t* DibImage::Palette() const {
    return block_ ? block_.get() + sizeof(DibHeader) : nullptr;
}

std::uint8_t* DibImage::Bits() {
    return block_ ? block_.get() + PixelOffset() : nullptr;
}

const std::uint8_t* DibImage::Bits() const {
    return block_ ? block_.get() + PixelOffset() : nullptr;
}

bool DibImage::Create(std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel) {
    if (width == 0 || height == 0) {
        SetLastError("CxImage::Create : width and height must be greater than zero");
        return false;
    }
    const std::uint32_t bpp = RoundBitsPerPixel(bitsPerPixel);
    // 64-bit sums, so that huge sizes are refused instead of wrapping around
    // into a short block. The header also needs the sizes to fit its fields.
    const std::uint64_t pixels = static_cast<std::uint64_t>(width) * height;
    const std::uint64_t stride = StrideFor(width, bpp);
    constexpr auto kInt32Max = static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max());
    if (pixels > (std::uint64_t{1} << 40) || ((pixels * bpp) >> 8) > kMaxMemory ||
        width > kInt32Max || height > kInt32Max ||
        stride * height > std::numeric_limits<std::uint32_t>::max()) {
        SetLastError("CXIMAGE_MAX_MEMORY exceeded");
        return false;
    }
    const std::uint32_t colors = bpp == 24 ? 0 : (1u << bpp);
    const std::size_t imageSize = static_cast<std::size_t>(stride * height);
    const std::size_t size = sizeof(DibHeader) + 4 * std::size_t{colors} + imageSize;
    Block block(static_cast<std::uint8_t*>(std::calloc(size, 1)));
    if (!block) {
        SetLastError("CxImage::Create can't allocate memory");
        return false;
    }

    DibHeader header{};
    header.biSize = sizeof(DibHeader);
    header.biWidth = static_cast<std::int32_t>(width);
    header.biHeight = static_cast<std::int32_t>(height);
    header.biPlanes = 1;
    header.biBitCount = static_cast<std::uint16_t>(bpp);
    header.biCompression = kBiRgb;
    header.biSizeImage = static_cast<std::uint32_t>(imageSize);
    header.biClrUsed = colors;
    std::memcpy(block.get(), &header, sizeof header);
    std::uint8_t* palette = block.get() + sizeof(DibHeader);
    for (std::uint32_t i = 0; i < colors; ++i) {
        const auto grey = static_cast<std::uint8_t>(i * 255 / (colors - 1));
        palette[4 * i] = palette[4 * i + 1] = palette[4 * i + 2] = grey;
    }

    block_ = std::move(block);
    alpha_.reset();
    transparentIndex_ = -1;
    lastError_.clear();
    return true;
}

void DibImage::TakePicture(DibImage&& other) {
    block_ = std::move(other.block_);
    alpha_ = std::move(other.alpha_);
    transparentIndex_ = std::exchange(other.transparentIndex_, -1);
}

bool DibImage::Decode(CxFile& file, std::uint32_t format) {
    if (format != kFormatUnknown && format != kFormatPng) {
        SetLastError("Decode: Unknown or wrong format");
        return false;
    }
    const std::int64_t start = file.Tell();
    DibImage decoded;
    std::string error;
    if (!DecodePng(file, decoded, error)) {
        if (format == kFormatUnknown) {
            file.Seek(start, SEEK_SET);
            SetLastError("Decode: Unknown or wrong format");
        } else {
            SetLastError(error);
        }
        return false;
    }
    TakePicture(std::move(decoded));
    lastError_.clear();
    return true;
}

bool DibImage::CreateAlpha() {
    if (!IsValid()) {
        return false;
    }
    const std::size_t size = static_cast<std::size_t>(Width()) * static_cast<std::size_t>(Height());
    Block alpha(static_cast<std::uint8_t*>(std::malloc(size)));
    if (!alpha) {
        SetLastError("CxImage::Create can't allocate memory");
        return false;
    }
    std::memset(alpha.get(), 255, size);
    alpha_ = std::move(alpha);
    return true;
}

int DibImage::PixelIndex(int x, int y) const {
    const std::uint8_t* row = Row(y);
    switch (Bpp()) {
    case 8:
        return row[x];
    case 4:
        return (x % 2 == 0) ? row[x / 2] >> 4 : row[x / 2] & 0x0F;
    case 1:
        return (row[x / 8] >> (7 - x % 8)) & 1;
    default:
        return 0;
    }
}

void DibImage::SetPixelIndex(int x, int y, int index) {
    std::uint8_t* row = Row(y);
    switch (Bpp()) {
    case 8:
        row[x] = static_cast<std::uint8_t>(index);
        break;
    case 4: {
        const int shift = (x % 2 == 0) ? 4 : 0;
        row[x / 2] =
            static_cast<std::uint8_t>((row[x / 2] & ~(0x0F << shift)) | ((index & 0x0F) << shift));
        break;
    }
    case 1: {
        const int shift = 7 - x % 8;
        row[x / 8] =
            static_cast<std::uint8_t>((row[x / 8] & ~(1 << shift)) | ((index & 1) << shift));
        break;
    }
    default:
        break;
    }
}

Bgr DibImage::PixelColor(int x, int y) const {
    if (Bpp() == 24) {
        const std::uint8_t* p = Row(y) + 3 * static_cast<std::size_t>(x);
        return {p[0], p[1], p[2]};
    }
    const std::uint8_t* entry = Palette() + 4 * PixelIndex(x, y);
    return {entry[0], entry[1], entry[2]};
}

void DibImage::SetPixelColor(int x, int y, Bgr color) {
    if (Bpp() == 24) {
        std::uint8_t* p = Row(y) + 3 * static_cast<std::size_t>(x);
        p[0] = color.blue;
        p[1] = color.green;
        p[2] = color.red;
    }
}

int DibImage::EffectiveAlpha(int x, int y) const {
    if (transparentIndex_ >= 0 && Bpp() <= 8 && PixelIndex(x, y) == transparentIndex_) {
        return 0;
    }
    const int alpha = alpha_
                          ? alpha_[static_cast<std::size_t>(y) * static_cast<std::size_t>(Width()) +
                                   static_cast<std::size_t>(x)]
                          : 255;
    return (alpha * (alphaMax_ + 1)) >> 8;
}

bool DibImage::ExtractRect(int left, int top, int right, int bottom, DibImage& dest) const {
    const int width = Width();
    const int height = Height();
    left = std::clamp(left, 0, width);
    right = std::clamp(right, 0, width);
    top = std::clamp(top, 0, height);
    bottom = std::clamp(bottom, 0, height);
    if (left == right || top == bottom) {
        return false;
    }
    if (left > right) {
        std::swap(left, right);
    }
    if (top > bottom) {
        std::swap(top, bottom);
    }

    DibImage part;
    const int partWidth = right - left;
    const int partHeight = bottom - top;
    if (!part.Create(static_cast<std::uint32_t>(partWidth), static_cast<std::uint32_t>(partHeight),
                     static_cast<std::uint32_t>(Bpp()))) {
        dest.SetLastError(part.LastError());
        return false;
    }
    std::memcpy(part.Palette(), Palette(), 4 * static_cast<std::size_t>(PaletteSize()));
    // The part's stored row 0 is the picture's top-down row bottom - 1.
    const int firstRow = height - bottom;
    for (int y = 0; y < partHeight; ++y) {
        if (Bpp() >= 8) {
            const std::size_t bytesPerPixel = static_cast<std::size_t>(Bpp()) / 8;
            std::memcpy(part.Row(y), Row(firstRow + y) + bytesPerPixel * left,
                        bytesPerPixel * static_cast<std::size_t>(partWidth));
        } else {
            for (int x = 0; x < partWidth; ++x) {
                part.SetPixelIndex(x, y, PixelIndex(left + x, firstRow + y));
            }
        }
    }
    if (alpha_) {
        if (!part.CreateAlpha()) {
            dest.SetLastError(part.LastError());
            return false;
        }
        for (int y = 0; y < partHeight; ++y) {
            std::memcpy(part.alpha_.get() + static_cast<std::size_t>(y) * partWidth,
                        alpha_.get() + static_cast<std::size_t>(firstRow + y) * width + left,
                        static_cast<std::size_t>(partWidth));
        }
    }
    part.transparentIndex_ = transparentIndex_;
    dest.TakePicture(std::move(part));
    dest.lastError_.clear();
    return true;
}

bool DibImage::Convolve3x3(const int* kernel, int kernelSize, int divisor, int offset) {
    if (!IsValid() || Bpp() != 24 || !kernel || kernelSize != 3) {
        return false;
    }
    if (divisor == 0) {
        divisor = 1;
    }
    const int width = Width();
    const int height = Height();
    // Every output pixel is computed from the pixels as they were before.
    const std::size_t imageSize = Header().biSizeImage;
    Block source(CopyOf(Bits(), imageSize));
    const std::size_t stride = Stride();
    const std::uint8_t* outside = source.get(); // stored pixel (0, 0)
    for (int y = 0; y < height; ++y) {
        std::uint8_t* out = Row(y);
        for (int x = 0; x < width; ++x) {
            // 64-bit: any int weights are allowed.
            std::int64_t sums[3] = {0, 0, 0};
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx;
                    const int ny = y + dy;
                    const std::uint8_t* p = (nx < 0 || ny < 0 || nx >= width || ny >= height)
                                                ? outside
                                                : source.get() +
                                                      static_cast<std::size_t>(ny) * stride +
                                                      3 * static_cast<std::size_t>(nx);
                    const int weight = kernel[(dy + 1) * 3 + dx + 1];
                    for (int c = 0; c < 3; ++c) {
                        sums[c] += weight * p[c];
                    }
                }
            }
            for (int c = 0; c < 3; ++c) {
                const std::int64_t value = offset + sums[c] / divisor;
                out[3 * x + c] = static_cast<std::uint8_t>(std::clamp<std::int64_t>(value, 0, 255));
            }
        }
    }
    return true;
}

namespace {

// For each new pixel along one axis, the old pixels it covers and how much
// of it each covers (the weights of a pixel sum to 1).
struct Cover {
    int first = 0;
    std::vector<double> weights;
};

std::vector<Cover> Covers(int from, int to) {
    std::vector<Cover> covers(static_cast<std::size_t>(to));
    const double ratio = static_cast<double>(from) / to;
    for (int i = 0; i < to; ++i) {
        const double start = i * ratio;
        const double end = (i + 1) * ratio;
        Cover& cover = covers[static_cast<std::size_t>(i)];
        cover.first = static_cast<int>(start);
        for (int old = cover.first; old < from && old < end; ++old) {
            const double overlap = std::min(end, old + 1.0) - std::max(start, double(old));
            cover.weights.push_back(std::max(overlap, 0.0) / ratio);
        }
    }
    return covers;
}

} // namespace

bool DibImage::ShrinkTo(int width, int height) {
    if (!IsValid() || Bpp() != 24 || width <= 0 || height <= 0 || width > Width() ||
        height > Height()) {
        return false;
    }
    if (width == Width() && height == Height()) {
        return true;
    }
    const int oldWidth = Width();
    const int oldHeight = Height();
    const bool alpha = HasAlpha();
    // Opacity-weighed blue, green, red and the opacity, across then down.
    std::vector<std::array<double, 4>> across(static_cast<std::size_t>(width) * oldHeight);
    const std::vector<Cover> columns = Covers(oldWidth, width);
    for (int y = 0; y < oldHeight; ++y) {
        const std::uint8_t* row = Row(y);
        const std::uint8_t* opacity =
            alpha ? AlphaBits() + static_cast<std::size_t>(y) * oldWidth : nullptr;
        for (int x = 0; x < width; ++x) {
            const Cover& cover = columns[static_cast<std::size_t>(x)];
            std::array<double, 4> sum{};
            for (std::size_t k = 0; k < cover.weights.size(); ++k) {
                const int old = cover.first + static_cast<int>(k);
                const double a = (opacity ? opacity[old] : 255) * cover.weights[k];
                for (int c = 0; c < 3; ++c) {
                    sum[static_cast<std::size_t>(c)] += row[3 * old + c] * a;
                }
                sum[3] += a;
            }
            across[static_cast<std::size_t>(y) * width + x] = sum;
        }
    }
    DibImage shrunk;
    if (!shrunk.Create(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 24) ||
        (alpha && !shrunk.CreateAlpha())) {
        SetLastError(shrunk.LastError());
        return false;
    }
    const std::vector<Cover> rows = Covers(oldHeight, height);
    for (int y = 0; y < height; ++y) {
        const Cover& cover = rows[static_cast<std::size_t>(y)];
        std::uint8_t* row = shrunk.Row(y);
        for (int x = 0; x < width; ++x) {
            std::array<double, 4> sum{};
            for (std::size_t k = 0; k < cover.weights.size(); ++k) {
                const auto& part =
                    across[static_cast<std::size_t>(cover.first + static_cast<int>(k)) * width + x];
                for (std::size_t c = 0; c < 4; ++c) {
                    sum[c] += part[c] * cover.weights[k];
                }
            }
            for (int c = 0; c < 3; ++c) {
                const double value = sum[3] > 0 ? sum[static_cast<std::size_t>(c)] / sum[3] : 0;
                row[3 * x + c] = static_cast<std::uint8_t>(std::clamp(value + 0.5, 0.0, 255.0));
            }
            if (alpha) {
                shrunk.AlphaBits()[static_cast<std::size_t>(y) * width + x] =
                    static_cast<std::uint8_t>(std::clamp(sum[3] + 0.5, 0.0, 255.0));
            }
        }
    }
    TakePicture(std::move(shrunk));
    return true;
}

bool DibImage::ApplyGamma(float gamma) {
    if (!(gamma > 0.0f)) {
        return false;
    }
    return ApplyTable(GammaTable(gamma));
}

bool DibImage::ApplyTable(const std::array<std::uint8_t, 256>& table) {
    if (!IsValid()) {
        return false;
    }
    if (Bpp() == 24) {
        const std::size_t rowBytes = 3 * static_cast<std::size_t>(Width());
        for (int y = 0; y < Height(); ++y) {
            std::uint8_t* row = Row(y);
            for (std::size_t i = 0; i < rowBytes; ++i) {
                row[i] = table[row[i]];
            }
        }
    } else {
        std::uint8_t* palette = Palette();
        for (int i = 0; i < PaletteSize(); ++i) {
            for (int c = 0; c < 3; ++c) {
                palette[4 * i + c] = table[palette[4 * i + c]];
            }
        }
    }
    return true;
}

bool DibImage::BlendFrom(const DibImage& source, int offsetX, int offsetY) {
    if (!IsValid() || Bpp() != 24 || !source.IsValid()) {
        return false;
    }
    // Negative offsets would pair pixels with ones left of or below the
    // source; start where the source does.
    const int endX = std::min(Width(), source.Width() - offsetX);
    const int endY = std::min(Height(), source.Height() - offsetY);
    for (int y = std::max(0, -offsetY); y < endY; ++y) {
        for (int x = std::max(0, -offsetX); x < endX; ++x) {
            const int alpha = source.EffectiveAlpha(x + offsetX, y + offsetY);
            if (alpha == 0) {
                continue;
            }
            LayOver(Row(y) + 3 * static_cast<std::size_t>(x),
                    source.PixelColor(x + offsetX, y + offsetY), alpha);
        }
    }
    return true;
}

void DibImage::BlendInto(std::uint8_t* target, std::size_t targetStride, int left, int top,
                         int width, int height) const {
    // Buffer row 0 is the part's bottom row, top-down row top + height - 1.
    const int firstRow = Height() - top - height;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* out = target + static_cast<std::size_t>(y) * targetStride;
        for (int x = 0; x < width; ++x, out += 3) {
            const int alpha = EffectiveAlpha(left + x, firstRow + y);
            if (alpha == 0) {
                continue;
            }
            LayOver(out, PixelColor(left + x, firstRow + y), alpha);
        }
    }
}
