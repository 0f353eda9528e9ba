// PNG decoding: the program's own pictures, files of every kind built here
// with known pixels, and damaged input.
#include "skin/CxFile.h"
#include "skin/CxImagePNG.h"
#include "skin/DibImage.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes Picture(const std::string& file) {
    return ReadFile(std::string(LUNABEL_SOURCE_DIR) + "/res/images/" + file);
}

void PutU32(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void PutChunk(Bytes& out, const char* type, const Bytes& data) {
    PutU32(out, static_cast<std::uint32_t>(data.size()));
    Bytes body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    PutU32(out, static_cast<std::uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
}

// A PNG from raw scanlines (samples packed as the format says, no filter
// byte), written the plain way: filter 0, one IDAT, optional Adam7 for 8- and
// 16-bit samples.
struct PngFile {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int bitDepth = 8;
    int colorType = 6;
    bool interlaced = false;
    std::vector<Bytes> rows;
    Bytes palette;      // PLTE
    Bytes transparency; // tRNS
    Bytes gamma;        // gAMA

    int Channels() const {
        switch (colorType) {
        case 0:
        case 3:
            return 1;
        case 4:
            return 2;
        case 2:
            return 3;
        default:
            return 4;
        }
    }

    Bytes Scanlines() const {
        Bytes raw;
        if (!interlaced) {
            for (const Bytes& row : rows) {
                raw.push_back(0);
                raw.insert(raw.end(), row.begin(), row.end());
            }
            return raw;
        }
        const std::size_t pixelBytes = static_cast<std::size_t>(Channels() * bitDepth / 8);
        const int starts[7][2] = {{0, 0}, {4, 0}, {0, 4}, {2, 0}, {0, 2}, {1, 0}, {0, 1}};
        const int steps[7][2] = {{8, 8}, {8, 8}, {4, 8}, {4, 4}, {2, 4}, {2, 2}, {1, 2}};
        for (int pass = 0; pass < 7; ++pass) {
            if (static_cast<std::uint32_t>(starts[pass][0]) >= width) {
                continue; // an empty pass has no rows at all
            }
            for (std::uint32_t y = starts[pass][1]; y < height; y += steps[pass][1]) {
                raw.push_back(0);
                for (std::uint32_t x = starts[pass][0]; x < width; x += steps[pass][0]) {
                    const auto first =
                        rows[y].begin() + static_cast<std::ptrdiff_t>(x * pixelBytes);
                    raw.insert(raw.end(), first, first + static_cast<std::ptrdiff_t>(pixelBytes));
                }
            }
        }
        return raw;
    }

    Bytes Encode() const {
        Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        Bytes header;
        PutU32(header, width);
        PutU32(header, height);
        header.insert(header.end(),
                      {static_cast<std::uint8_t>(bitDepth), static_cast<std::uint8_t>(colorType), 0,
                       0, static_cast<std::uint8_t>(interlaced ? 1 : 0)});
        PutChunk(out, "IHDR", header);
        if (!gamma.empty()) {
            PutChunk(out, "gAMA", gamma);
        }
        if (!palette.empty()) {
            PutChunk(out, "PLTE", palette);
        }
        if (!transparency.empty()) {
            PutChunk(out, "tRNS", transparency);
        }
        const Bytes raw = Scanlines();
        uLongf size = compressBound(static_cast<uLong>(raw.size()));
        Bytes packed(size);
        EXPECT_EQ(compress(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size())), Z_OK);
        packed.resize(size);
        PutChunk(out, "IDAT", packed);
        PutChunk(out, "IEND", {});
        return out;
    }
};

// Expected pixel, top-down, as red, green, blue, alpha.
struct Rgba {
    std::uint8_t red, green, blue, alpha;
};

// 3 x 2 RGBA with every channel different, and alpha 0 over a colour that must survive.
PngFile SmallRgba() {
    PngFile png;
    png.width = 3;
    png.height = 2;
    png.rows = {{255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0},
                {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 255}};
    return png;
}

const std::vector<Rgba> kSmallRgba = {{255, 0, 0, 255}, {0, 255, 0, 128}, {0, 0, 255, 0},
                                      {10, 20, 30, 40}, {50, 60, 70, 80}, {90, 100, 110, 255}};

bool Decode(DibImage& image, const Bytes& bytes, std::uint32_t format = DibImage::kFormatPng) {
    CxMemFile file(bytes.data(), bytes.size());
    return image.Decode(file, format);
}

void ExpectPixels(const DibImage& image, int width, int height, const std::vector<Rgba>& topDown,
                  bool alpha) {
    ASSERT_EQ(image.Width(), width);
    ASSERT_EQ(image.Height(), height);
    ASSERT_EQ(image.Bpp(), 24);
    ASSERT_EQ(image.HasAlpha(), alpha);
    for (int top = 0; top < height; ++top) {
        const int stored = height - 1 - top;
        for (int x = 0; x < width; ++x) {
            const Rgba& want = topDown[static_cast<std::size_t>(top * width + x)];
            EXPECT_EQ(image.PixelColor(x, stored), (Bgr{want.blue, want.green, want.red}))
                << "pixel " << x << "," << top;
            if (alpha) {
                EXPECT_EQ(image.AlphaBits()[stored * width + x], want.alpha)
                    << "alpha " << x << "," << top;
            }
        }
    }
}

DibImage Marker() {
    DibImage image;
    EXPECT_TRUE(image.Create(2, 1, 24));
    image.SetPixelColor(1, 0, {1, 2, 3});
    return image;
}

void ExpectMarker(const DibImage& image) {
    EXPECT_EQ(image.Width(), 2);
    EXPECT_EQ(image.Height(), 1);
    EXPECT_FALSE(image.HasAlpha());
    EXPECT_EQ(image.PixelColor(1, 0), (Bgr{1, 2, 3}));
}

// --- the program's pictures ------------------------------------------------------

struct ResourcePicture {
    const char* file;
    int width;
    int height;
    bool alpha;
};

const ResourcePicture kPictures[] = {
    {"app-bg.png", 675, 557, false},      {"btn_settings.png", 50, 52, true},
    {"btn_print.png", 50, 52, true},      {"btn_help.png", 50, 52, true},
    {"btn_about.png", 50, 52, true},      {"btn_exit.png", 50, 52, true},
    {"btn_left.png", 24, 19, true},       {"btn_right.png", 24, 19, true},
    {"dlg_settings.png", 361, 200, true}, {"dlg_print.png", 372, 300, true},
    {"dlg_help.png", 414, 396, true},     {"dlg_about.png", 324, 292, true},
    {"heart_small.png", 7, 6, true},
};

TEST(ImagePngTest, EveryPictureOfTheProgramDecodes) {
    for (const ResourcePicture& p : kPictures) {
        SCOPED_TRACE(p.file);
        const Bytes bytes = Picture(p.file);
        ASSERT_FALSE(bytes.empty());
        CxImagePNG image;
        CxMemFile file(bytes.data(), bytes.size());
        ASSERT_TRUE(image.Decode(file)) << image.LastError();
        EXPECT_TRUE(image.LastError().empty());
        EXPECT_EQ(image.Width(), p.width);
        EXPECT_EQ(image.Height(), p.height);
        EXPECT_EQ(image.Bpp(), 24);
        EXPECT_EQ(image.HasAlpha(), p.alpha);
        EXPECT_EQ(file.Tell(), file.Size()) << "read up to IEND";
    }
}

// --- pixels ----------------------------------------------------------------------

TEST(ImagePngTest, RgbaPixelsAreStoredBottomUpWithAlphaAndUntouchedColourUnderAlphaZero) {
    DibImage image;
    ASSERT_TRUE(Decode(image, SmallRgba().Encode())) << image.LastError();
    ExpectPixels(image, 3, 2, kSmallRgba, true);
    // Row 0 of the block is the picture's bottom row.
    EXPECT_EQ(image.Row(0)[0], 30);
    EXPECT_EQ(image.Row(0)[2], 10);
    EXPECT_EQ(image.Row(1)[2], 255);
}

TEST(ImagePngTest, GammaChunkIsIgnored) {
    PngFile png = SmallRgba();
    png.gamma = {0, 0, 0xB1, 0x8F}; // 1/2.2
    DibImage image;
    ASSERT_TRUE(Decode(image, png.Encode()));
    ExpectPixels(image, 3, 2, kSmallRgba, true);
}

struct KindCase {
    const char* what;
    PngFile png;
    std::vector<Rgba> pixels;
    bool alpha;
};

PngFile Png(std::uint32_t width, std::uint32_t height, int colorType, int bitDepth,
            std::vector<Bytes> rows) {
    PngFile png;
    png.width = width;
    png.height = height;
    png.colorType = colorType;
    png.bitDepth = bitDepth;
    png.rows = std::move(rows);
    return png;
}

std::vector<KindCase> KindCases() {
    PngFile interlacedRgba = SmallRgba();
    interlacedRgba.interlaced = true;
    // 9 x 9 touches every Adam7 pass.
    PngFile interlacedRgb = Png(9, 9, 2, 8, {});
    interlacedRgb.interlaced = true;
    std::vector<Rgba> interlacedPixels;
    for (std::uint8_t y = 0; y < 9; ++y) {
        Bytes row;
        for (std::uint8_t x = 0; x < 9; ++x) {
            const auto v = static_cast<std::uint8_t>(y * 9 + x);
            row.insert(row.end(), {v, static_cast<std::uint8_t>(255 - v), y});
            interlacedPixels.push_back({v, static_cast<std::uint8_t>(255 - v), y, 0});
        }
        interlacedRgb.rows.push_back(row);
    }
    PngFile palette = Png(3, 1, 3, 8, {{2, 0, 1}});
    palette.palette = {10, 20, 30, 40, 50, 60, 70, 80, 90};
    PngFile smallPalette = Png(3, 1, 3, 2, {{0b10'00'01'00}});
    smallPalette.palette = palette.palette;
    smallPalette.transparency = {0, 128};

    return {
        {"RGB",
         Png(2, 2, 2, 8, {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 250, 251, 252}}),
         {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}, {250, 251, 252, 0}},
         false},
        {"interlaced RGBA", interlacedRgba, kSmallRgba, true},
        {"interlaced RGB 9 x 9", interlacedRgb, interlacedPixels, false},
        {"16-bit RGBA",
         Png(2, 1, 6, 16, {{0x12, 0x34, 0xAB, 0xCD, 0xFF, 0xFF, 0x80, 0, 0, 1, 2, 3, 4, 5, 6, 7}}),
         {{0x12, 0xAB, 0xFF, 0x80}, {0, 2, 4, 6}},
         true},
        {"palette", palette, {{70, 80, 90, 0}, {10, 20, 30, 0}, {40, 50, 60, 0}}, false},
        {"2-bit palette with tRNS",
         smallPalette,
         {{70, 80, 90, 255}, {10, 20, 30, 0}, {40, 50, 60, 128}},
         true},
        {"grey",
         Png(3, 1, 0, 8, {{0, 100, 255}}),
         {{0, 0, 0, 0}, {100, 100, 100, 0}, {255, 255, 255, 0}},
         false},
        {"1-bit grey",
         Png(3, 1, 0, 1, {{0b101'00000}}),
         {{255, 255, 255, 0}, {0, 0, 0, 0}, {255, 255, 255, 0}},
         false},
        {"grey with alpha",
         Png(2, 1, 4, 8, {{30, 0, 200, 77}}),
         {{30, 30, 30, 0}, {200, 200, 200, 77}},
         true},
    };
}

TEST(ImagePngTest, OtherKindsDecodeTo24BitsWithAlphaWhereTheyHaveTransparency) {
    for (const KindCase& c : KindCases()) {
        SCOPED_TRACE(c.what);
        DibImage image;
        ASSERT_TRUE(Decode(image, c.png.Encode())) << image.LastError();
        ExpectPixels(image, static_cast<int>(c.png.width), static_cast<int>(c.png.height), c.pixels,
                     c.alpha);
    }
}

TEST(ImagePngTest, DecodeReplacesContentAndKeepsDisplaySettings) {
    DibImage image = Marker();
    ASSERT_TRUE(image.CreateAlpha());
    image.SetAlphaMax(90);
    image.SetEnabled(false);
    PngFile rgb = SmallRgba();
    rgb.colorType = 2;
    rgb.rows = {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {1, 2, 3, 4, 5, 6, 7, 8, 9}};
    ASSERT_TRUE(Decode(image, rgb.Encode()));
    EXPECT_EQ(image.Width(), 3);
    EXPECT_FALSE(image.HasAlpha()) << "the old alpha plane went with the old picture";
    EXPECT_EQ(image.AlphaMax(), 90);
    EXPECT_FALSE(image.IsEnabled());
}

// --- formats and damaged input ------------------------------------------------

TEST(ImagePngTest, UnknownFormatTriesPngAndRewindsOnFailure) {
    DibImage image;
    ASSERT_TRUE(Decode(image, SmallRgba().Encode(), DibImage::kFormatUnknown));
    EXPECT_EQ(image.Width(), 3);

    const Bytes garbage = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0};
    CxMemFile file(garbage.data(), garbage.size());
    ASSERT_TRUE(file.Seek(2, SEEK_SET));
    EXPECT_FALSE(image.Decode(file, DibImage::kFormatUnknown));
    EXPECT_EQ(image.LastError(), "Decode: Unknown or wrong format");
    EXPECT_EQ(file.Tell(), 2);
    EXPECT_EQ(image.Width(), 3);
}

TEST(ImagePngTest, OtherFormatCodesAreRefused) {
    DibImage image = Marker();
    const Bytes png = SmallRgba().Encode();
    for (std::uint32_t format : {2u, 7u, 0xFFFFFFFFu}) {
        CxMemFile file(png.data(), png.size());
        EXPECT_FALSE(image.Decode(file, format));
        EXPECT_EQ(image.LastError(), "Decode: Unknown or wrong format");
        EXPECT_EQ(file.Tell(), 0);
        ExpectMarker(image);
    }
}

struct DamageCase {
    const char* what;
    Bytes bytes;
};

std::vector<DamageCase> DamagedFiles() {
    const Bytes good = SmallRgba().Encode();
    std::vector<DamageCase> cases;
    cases.push_back({"empty", {}});
    cases.push_back({"garbage", Bytes(200, 0x5A)});
    Bytes signature(good.begin(), good.begin() + 8);
    cases.push_back({"signature only", signature});
    Bytes headerCrc = good;
    headerCrc[8 + 4 + 4 + 3] ^= 0x01; // width's low byte, under the IHDR CRC
    cases.push_back({"IHDR CRC", headerCrc});
    Bytes dataCrc = good;
    dataCrc[dataCrc.size() - 12 - 1] ^= 0xFF; // last byte of the IDAT CRC
    cases.push_back({"IDAT CRC", dataCrc});
    PngFile empty = SmallRgba();
    empty.width = 0;
    cases.push_back({"zero width", empty.Encode()});
    PngFile badDepth = SmallRgba();
    badDepth.bitDepth = 5;
    cases.push_back({"bit depth 5", badDepth.Encode()});
    PngFile shortRows = SmallRgba();
    shortRows.rows.pop_back();
    cases.push_back({"too little image data", shortRows.Encode()});
    cases.push_back({"palette picture without PLTE", Png(1, 1, 3, 8, {{0}}).Encode()});
    return cases;
}

TEST(ImagePngTest, DamagedInputFailsWithReasonAndKeepsThePicture) {
    for (const DamageCase& c : DamagedFiles()) {
        SCOPED_TRACE(c.what);
        DibImage image = Marker();
        EXPECT_FALSE(Decode(image, c.bytes));
        EXPECT_FALSE(image.LastError().empty());
        EXPECT_LE(image.LastError().size(), DibImage::kMaxErrorLength);
        ExpectMarker(image);
    }
}

TEST(ImagePngTest, EveryTruncationFails) {
    for (const Bytes& whole : {SmallRgba().Encode(), Picture("heart_small.png")}) {
        for (std::size_t size = 0; size < whole.size(); ++size) {
            DibImage image = Marker();
            const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
            EXPECT_FALSE(Decode(image, cut)) << "cut at " << size;
            EXPECT_FALSE(image.LastError().empty());
            ExpectMarker(image);
        }
    }
}

TEST(ImagePngTest, HeaderTooLargeForMemoryIsRefusedBeforeReadingPixels) {
    PngFile huge = SmallRgba();
    huge.width = 70000;
    huge.height = 70000;
    huge.rows.clear();
    DibImage image = Marker();
    EXPECT_FALSE(Decode(image, huge.Encode()));
    EXPECT_EQ(image.LastError(), "CXIMAGE_MAX_MEMORY exceeded");
    ExpectMarker(image);
}

TEST(ImagePngTest, BrokenAncillaryChunkIsOnlyAWarning) {
    PngFile png = SmallRgba();
    png.gamma = {0, 0, 0xB1, 0x8F};
    Bytes bytes = png.Encode();
    bytes[8 + 25 + 8 + 4] ^= 0xFF; // the gAMA CRC, right after IHDR
    DibImage image;
    ASSERT_TRUE(Decode(image, bytes)) << image.LastError();
    ExpectPixels(image, 3, 2, kSmallRgba, true);
}

} // namespace
