// Feeds arbitrary bytes to the PNG decoder. It must never crash or leak; a
// failure keeps the previous picture, gives a reason and rewinds the stream;
// a success gives a 24-bit picture whose every pixel can be read.
#include <cstddef>
#include <cstdint>
#include <vector>

#include <zlib.h>

#include "skin/CxFile.h"
#include "skin/DibImage.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

std::uint32_t BigEndian(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

// Mutations rarely keep a chunk's CRC right, so half the inputs get their
// CRCs recomputed to let them reach the chunk readers.
void FixCrcs(std::vector<std::uint8_t>& bytes) {
    std::size_t at = 8;
    while (at + 12 <= bytes.size()) {
        const std::size_t length = BigEndian(&bytes[at]);
        if (length > bytes.size() - at - 12) {
            return;
        }
        const auto crc =
            static_cast<std::uint32_t>(crc32(0, &bytes[at + 4], static_cast<uInt>(length + 4)));
        for (int i = 0; i < 4; ++i) {
            bytes[at + 8 + length + static_cast<std::size_t>(i)] =
                static_cast<std::uint8_t>(crc >> (24 - 8 * i));
        }
        at += length + 12;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // IHDR is always first; pictures over a million pixels only cost memory.
    if (size >= 24 && static_cast<std::uint64_t>(BigEndian(data + 16)) * BigEndian(data + 20) >
                          (std::uint64_t{1} << 20)) {
        return 0;
    }
    std::vector<std::uint8_t> bytes(data, data + size);
    if (size % 2 == 1) {
        FixCrcs(bytes);
    }

    DibImage image;
    Check(image.Create(2, 1, 24));
    image.SetPixelColor(1, 0, {1, 2, 3});
    CxMemFile file(bytes.data(), bytes.size());
    if (!image.Decode(file, DibImage::kFormatUnknown)) {
        Check(!image.LastError().empty());
        Check(file.Tell() == 0);
        Check(image.Width() == 2 && image.Height() == 1 && !image.HasAlpha());
        Check(image.PixelColor(1, 0) == (Bgr{1, 2, 3}));
        return 0;
    }
    Check(image.LastError().empty());
    Check(image.Width() > 0 && image.Height() > 0 && image.Bpp() == 24);
    // Every pixel is read, so that the sanitizers check the picture's bounds.
    std::uint64_t colour = 0;
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            const Bgr pixel = image.PixelColor(x, y);
            colour += pixel.blue + pixel.green + pixel.red;
            const int alpha = image.EffectiveAlpha(x, y);
            Check(alpha >= 0 && alpha <= 255 && (image.HasAlpha() || alpha == 255));
        }
    }
    Check(colour <= 765u * static_cast<std::uint64_t>(image.Width()) * image.Height());
    return 0;
}
