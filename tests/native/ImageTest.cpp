// The picture storage and the pixel operations of the skin.
#include "skin/CxFile.h"
#include "skin/DibImage.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr Bgr kBlack{0, 0, 0};

Bgr Grey(std::uint8_t value) {
    return {value, value, value};
}

DibImage Filled(int width, int height, Bgr color) {
    DibImage image;
    EXPECT_TRUE(
        image.Create(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 24));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.SetPixelColor(x, y, color);
        }
    }
    return image;
}

// Every pixel different: blue = x, green = top-down row, red = 100.
DibImage Numbered(int width, int height) {
    DibImage image = Filled(width, height, kBlack);
    for (int top = 0; top < height; ++top) {
        for (int x = 0; x < width; ++x) {
            image.SetPixelColor(
                x, height - 1 - top,
                {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(top), 100});
        }
    }
    return image;
}

void SetAlphaEverywhere(DibImage& image, std::uint8_t alpha) {
    ASSERT_TRUE(image.CreateAlpha());
    std::memset(image.AlphaBits(), alpha,
                static_cast<std::size_t>(image.Width()) * static_cast<std::size_t>(image.Height()));
}

std::uint8_t& AlphaAt(DibImage& image, int x, int y) {
    return image.AlphaBits()[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.Width()) +
                             static_cast<std::size_t>(x)];
}

// --- Create ------------------------------------------------------------------

struct LayoutCase {
    std::uint32_t width;
    std::uint32_t bitsAsked;
    int bits;
    std::size_t stride;
    int paletteSize;
};

TEST(ImageCreateTest, LaysOutHeaderPaletteAndRows) {
    const LayoutCase cases[] = {
        {5, 1, 1, 4, 2},    {33, 1, 1, 8, 2},  {0x20, 0, 1, 4, 2}, {5, 4, 4, 4, 16},
        {9, 3, 4, 8, 16},   {5, 8, 8, 8, 256}, {4, 5, 8, 4, 256},  {3, 24, 24, 12, 0},
        {4, 24, 24, 12, 0}, {1, 16, 24, 4, 0}, {7, 32, 24, 24, 0},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " px at " << c.bitsAsked << " bits");
        DibImage image;
        ASSERT_TRUE(image.Create(c.width, 3, c.bitsAsked));
        EXPECT_TRUE(image.LastError().empty());
        const DibHeader& header = image.Header();
        EXPECT_EQ(header.biSize, 40u);
        EXPECT_EQ(header.biWidth, static_cast<std::int32_t>(c.width));
        EXPECT_EQ(header.biHeight, 3);
        EXPECT_EQ(header.biPlanes, 1);
        EXPECT_EQ(header.biBitCount, c.bits);
        EXPECT_EQ(header.biCompression, 0u);
        EXPECT_EQ(image.Stride(), c.stride);
        EXPECT_EQ(header.biSizeImage, c.stride * 3);
        EXPECT_EQ(static_cast<int>(header.biClrUsed), c.paletteSize);
        // One block: header, palette, rows.
        EXPECT_EQ(static_cast<const void*>(&header), image.Dib());
        EXPECT_EQ(image.Bits(), image.Dib() + 40 + 4 * c.paletteSize);
        EXPECT_EQ(image.Row(2), image.Bits() + 2 * c.stride);
        for (std::size_t i = 0; i < header.biSizeImage; ++i) {
            ASSERT_EQ(image.Bits()[i], 0) << "byte " << i;
        }
        EXPECT_FALSE(image.HasAlpha());
        EXPECT_EQ(image.TransparentIndex(), -1);
    }
}

TEST(ImageCreateTest, PaletteStartsAsGreyRamp) {
    DibImage image;
    ASSERT_TRUE(image.Create(2, 2, 1));
    EXPECT_EQ(image.PixelColor(0, 0), kBlack);
    image.SetPixelIndex(1, 0, 1);
    EXPECT_EQ(image.PixelColor(1, 0), Grey(255));
    ASSERT_TRUE(image.Create(2, 2, 8));
    image.SetPixelIndex(0, 1, 51);
    EXPECT_EQ(image.PixelColor(0, 1), Grey(51));
}

struct CreateErrorCase {
    std::uint32_t width;
    std::uint32_t height;
    std::uint32_t bits;
    const char* error;
};

TEST(ImageCreateTest, RefusesEmptyAndHugeSizesKeepingThePicture) {
    constexpr const char* kZero = "CxImage::Create : width and height must be greater than zero";
    constexpr const char* kTooBig = "CXIMAGE_MAX_MEMORY exceeded";
    const CreateErrorCase cases[] = {
        {0, 5, 24, kZero},
        {5, 0, 24, kZero},
        {0, 0, 1, kZero},
        // 70000 x 70000 x 24 wraps to a small number in 32-bit arithmetic.
        {70000, 70000, 24, kTooBig},
        {0xFFFFFFFFu, 0xFFFFFFFFu, 24, kTooBig},
        {0xFFFFFFFFu, 2, 1, kTooBig},
        // Under the memory limit, but more bytes than the header's 32-bit size field holds.
        {50000, 50000, 24, kTooBig},
        // Under the memory limit, but wider than the header's signed width.
        {0x80000000u, 1, 1, kTooBig},
    };
    for (const CreateErrorCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " x " << c.bits);
        DibImage image = Filled(2, 1, Grey(9));
        EXPECT_FALSE(image.Create(c.width, c.height, c.bits));
        EXPECT_EQ(image.LastError(), c.error);
        EXPECT_EQ(image.Width(), 2);
        EXPECT_EQ(image.Height(), 1);
        EXPECT_EQ(image.PixelColor(1, 0), Grey(9));
    }
}

TEST(ImageCreateTest, SuccessClearsTheLastErrorAndDropsAlpha) {
    DibImage image;
    EXPECT_FALSE(image.Create(0, 1, 24));
    ASSERT_TRUE(image.Create(1, 1, 24));
    ASSERT_TRUE(image.CreateAlpha());
    ASSERT_TRUE(image.Create(3, 2, 24));
    EXPECT_TRUE(image.LastError().empty());
    EXPECT_FALSE(image.HasAlpha());
}

TEST(ImageCreateTest, EmptyImageAnswersZeroAndRefusesOperations) {
    DibImage image;
    EXPECT_FALSE(image.IsValid());
    EXPECT_EQ(image.Width(), 0);
    EXPECT_EQ(image.Height(), 0);
    EXPECT_EQ(image.Bits(), nullptr);
    DibImage dest;
    EXPECT_FALSE(image.ExtractRect(0, 0, 1, 1, dest));
    const int kernel[9] = {0, 0, 0, 0, 1, 0, 0, 0, 0};
    EXPECT_FALSE(image.Convolve3x3(kernel, 3, 1, 0));
    EXPECT_FALSE(image.ApplyGamma(2.0f));
    EXPECT_FALSE(image.BlendFrom(Filled(1, 1, kBlack), 0, 0));
    EXPECT_FALSE(Filled(1, 1, kBlack).BlendFrom(image, 0, 0));
    EXPECT_FALSE(image.CreateAlpha());
    DibImage palette;
    ASSERT_TRUE(palette.Create(2, 2, 8));
    EXPECT_FALSE(palette.BlendFrom(Filled(2, 2, Grey(5)), 0, 0))
        << "blends into colour pictures only";
}

TEST(ImageCreateTest, CopiesAreDeep) {
    DibImage original = Filled(2, 2, Grey(10));
    SetAlphaEverywhere(original, 20);
    DibImage copy = original;
    copy.SetPixelColor(0, 0, Grey(99));
    AlphaAt(copy, 0, 0) = 99;
    EXPECT_EQ(original.PixelColor(0, 0), Grey(10));
    EXPECT_EQ(AlphaAt(original, 0, 0), 20);
    EXPECT_EQ(copy.PixelColor(1, 1), Grey(10));
    EXPECT_EQ(AlphaAt(copy, 1, 1), 20);

    DibImage assigned;
    assigned = original;
    EXPECT_EQ(assigned.Width(), 2);
    EXPECT_NE(assigned.Bits(), original.Bits());
    EXPECT_EQ(assigned.PixelColor(1, 0), Grey(10));
}

// --- ApplyGamma / ApplyTable -------------------------------------------------

struct GammaCase {
    float gamma;
    std::uint8_t in;
    std::uint8_t out;
};

TEST(ImageGammaTest, MapsChannelValues) {
    const GammaCase cases[] = {
        {9.0f, 0, 0},     {9.0f, 1, 137},   {9.0f, 2, 148}, {9.0f, 64, 218},
        {9.0f, 128, 236}, {9.0f, 255, 255}, {1.3f, 0, 0},   {1.3f, 64, 88},
        {1.3f, 128, 150}, {1.3f, 255, 255}, {1.0f, 77, 77}, {1.6f, 255, 255},
    };
    for (const GammaCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "gamma " << c.gamma << ", " << int{c.in});
        DibImage image = Filled(2, 1, Grey(c.in));
        image.SetPixelColor(1, 0, {c.in, 0, 255});
        ASSERT_TRUE(image.ApplyGamma(c.gamma));
        EXPECT_EQ(image.PixelColor(0, 0), Grey(c.out));
        EXPECT_EQ(image.PixelColor(1, 0), (Bgr{c.out, 0, 255}));
    }
}

TEST(ImageGammaTest, RefusesNonPositiveGammaAndLeavesPixels) {
    DibImage image = Filled(1, 1, Grey(64));
    EXPECT_FALSE(image.ApplyGamma(0.0f));
    EXPECT_FALSE(image.ApplyGamma(-2.0f));
    EXPECT_EQ(image.PixelColor(0, 0), Grey(64));
}

TEST(ImageTableTest, LeavesAlphaAndMapsPaletteEntriesOfPalettePictures) {
    std::array<std::uint8_t, 256> invert{};
    for (int i = 0; i < 256; ++i) {
        invert[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(255 - i);
    }
    DibImage colour = Filled(2, 1, {10, 20, 30});
    SetAlphaEverywhere(colour, 40);
    ASSERT_TRUE(colour.ApplyTable(invert));
    EXPECT_EQ(colour.PixelColor(1, 0), (Bgr{245, 235, 225}));
    EXPECT_EQ(AlphaAt(colour, 1, 0), 40);

    DibImage palette;
    ASSERT_TRUE(palette.Create(3, 1, 4));
    palette.SetPixelIndex(1, 0, 15);
    ASSERT_TRUE(palette.ApplyTable(invert));
    EXPECT_EQ(palette.PixelIndex(1, 0), 15);
    EXPECT_EQ(palette.PixelColor(1, 0), kBlack);
    EXPECT_EQ(palette.PixelColor(0, 0), Grey(255));
    EXPECT_EQ(palette.Palette()[4 * 15 + 3], 0) << "the reserved byte stays";
}

// --- Convolve3x3 -------------------------------------------------------------

const int kFrost[9] = {1, 2, 1, 2, 0, 2, 1, 2, 1};

TEST(ImageConvolveTest, FrostTurnsUniform200Into150EverywhereAndKeepsAlpha) {
    DibImage image = Filled(5, 4, Grey(200));
    SetAlphaEverywhere(image, 33);
    ASSERT_TRUE(image.Convolve3x3(kFrost, 3, 16, 0));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x) {
            ASSERT_EQ(image.PixelColor(x, y), Grey(150)) << x << "," << y;
            ASSERT_EQ(AlphaAt(image, x, y), 33);
        }
    }
}

TEST(ImageConvolveTest, NeighboursOutsideReadStoredPixelZeroZero) {
    // Black but for stored (0, 0); reading outside as black or as the nearest
    // edge pixel gives other numbers.
    DibImage image = Filled(4, 3, kBlack);
    image.SetPixelColor(0, 0, Grey(160));
    ASSERT_TRUE(image.Convolve3x3(kFrost, 3, 16, 0));
    struct Expected {
        int x, y;
        std::uint8_t value;
    };
    const Expected expected[] = {
        {0, 0, 70}, // seven weights outside (7/16 of 160), itself weighted 0
        {1, 0, 60}, // four outside below, (0, 0) on the left weighs 2
        {1, 1, 10}, // (0, 0) diagonal
        {2, 1, 0},  // neither
        {3, 0, 70}, // bottom-right: seven weights outside
        {3, 2, 70}, // top-right
        {0, 2, 70}, // top-left
    };
    for (const Expected& e : expected) {
        EXPECT_EQ(image.PixelColor(e.x, e.y), Grey(e.value)) << e.x << "," << e.y;
    }
}

TEST(ImageConvolveTest, KernelRowsRunUpTheStoredRows) {
    // Weight at kernel row 0, column 1 reads the pixel one stored row down.
    DibImage image = Filled(2, 3, kBlack);
    for (int y = 0; y < 3; ++y) {
        image.SetPixelColor(0, y, Grey(static_cast<std::uint8_t>(10 + 10 * y)));
        image.SetPixelColor(1, y, Grey(static_cast<std::uint8_t>(15 + 10 * y)));
    }
    const int kernel[9] = {0, 1, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(image.Convolve3x3(kernel, 3, 1, 0));
    EXPECT_EQ(image.PixelColor(0, 0), Grey(10)) << "below row 0 lies outside: stored (0, 0)";
    EXPECT_EQ(image.PixelColor(1, 0), Grey(10));
    EXPECT_EQ(image.PixelColor(0, 2), Grey(20));
    EXPECT_EQ(image.PixelColor(1, 2), Grey(25));
}

struct ConvolveCase {
    const char* what;
    int center;
    int divisor;
    int offset;
    Bgr in;
    Bgr out;
};

TEST(ImageConvolveTest, DividesOffsetsAndClampsPerChannel) {
    const ConvolveCase cases[] = {
        {"divisor 0 counts as 1", 1, 0, 0, {10, 20, 30}, {10, 20, 30}},
        {"channels apart", 1, 2, 0, {10, 21, 255}, {5, 10, 127}},
        {"offset added after dividing", 1, 2, 10, {10, 20, 30}, {15, 20, 25}},
        {"clamped at 255", 2, 1, 0, {100, 128, 200}, {200, 255, 255}},
        {"clamped at 0", 1, 1, -300, {10, 200, 255}, {0, 0, 0}},
        {"negative weights", -1, 1, 0, {10, 0, 255}, {0, 0, 0}},
        {"division truncates toward zero", -1, 2, 100, {3, 1, 5}, {99, 100, 98}},
    };
    for (const ConvolveCase& c : cases) {
        SCOPED_TRACE(c.what);
        DibImage image = Filled(3, 3, c.in);
        const int kernel[9] = {0, 0, 0, 0, c.center, 0, 0, 0, 0};
        ASSERT_TRUE(image.Convolve3x3(kernel, 3, c.divisor, c.offset));
        EXPECT_EQ(image.PixelColor(1, 1), c.out);
        EXPECT_EQ(image.PixelColor(0, 2), c.out);
    }
}

TEST(ImageConvolveTest, RefusesOtherKernelsAndPalettePictures) {
    DibImage image = Filled(2, 2, Grey(5));
    EXPECT_FALSE(image.Convolve3x3(kFrost, 5, 16, 0));
    EXPECT_FALSE(image.Convolve3x3(nullptr, 3, 16, 0));
    DibImage palette;
    ASSERT_TRUE(palette.Create(2, 2, 8));
    EXPECT_FALSE(palette.Convolve3x3(kFrost, 3, 16, 0));
    EXPECT_EQ(image.PixelColor(0, 0), Grey(5));
}

// --- BlendFrom ---------------------------------------------------------------

struct BlendCase {
    const char* what;
    bool sourceHasAlpha;
    std::uint8_t alpha;
    std::uint8_t alphaMax;
    Bgr under;
    Bgr over;
    Bgr result;
};

const BlendCase kBlendCases[] = {
    {"alpha 0 keeps", true, 0, 255, {1, 2, 3}, {255, 100, 50}, {1, 2, 3}},
    {"alpha 255 copies", true, 255, 255, {1, 2, 3}, {255, 100, 50}, {255, 100, 50}},
    {"128 over black shifts by 8", true, 128, 255, kBlack, {255, 100, 50}, {127, 50, 25}},
    {"128 over white", true, 128, 255, Grey(255), {0, 255, 100}, {126, 254, 176}},
    {"alpha 1", true, 1, 255, Grey(200), Grey(0), Grey(198)},
    {"alphaMax scales opacity", true, 255, 127, kBlack, Grey(255), Grey(126)},
    {"alphaMax 0 hides", true, 255, 0, {1, 2, 3}, Grey(255), {1, 2, 3}},
    {"no alpha plane copies", false, 0, 255, {1, 2, 3}, {9, 8, 7}, {9, 8, 7}},
    {"no alpha plane with alphaMax", false, 0, 127, kBlack, Grey(255), Grey(126)},
};

TEST(ImageBlendFromTest, MixesByAlpha) {
    for (const BlendCase& c : kBlendCases) {
        SCOPED_TRACE(c.what);
        DibImage dest = Filled(2, 2, c.under);
        SetAlphaEverywhere(dest, 77);
        DibImage source = Filled(2, 2, c.over);
        if (c.sourceHasAlpha) {
            SetAlphaEverywhere(source, c.alpha);
        }
        source.SetAlphaMax(c.alphaMax);
        ASSERT_TRUE(dest.BlendFrom(source, 0, 0));
        EXPECT_EQ(dest.PixelColor(0, 0), c.result);
        EXPECT_EQ(dest.PixelColor(1, 1), c.result);
        EXPECT_EQ(AlphaAt(dest, 1, 1), 77) << "the destination's alpha stays";
    }
}

struct AreaCase {
    int offsetX;
    int offsetY;
    // Which destination pixels change; 'x' = changed, '.' = kept, rows bottom-up.
    const char* rows[3];
};

TEST(ImageBlendFromTest, AreaFollowsSizesAndOffsets) {
    const AreaCase cases[] = {
        {0, 0, {"xx..", "xx..", "...."}},  {1, 0, {"x...", "x...", "...."}},
        {0, 1, {"xx..", "....", "...."}},  {2, 0, {"....", "....", "...."}},
        {-1, 0, {".xx.", ".xx.", "...."}}, {0, -2, {"....", "....", "xx.."}},
    };
    for (const AreaCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "offset " << c.offsetX << "," << c.offsetY);
        DibImage dest = Filled(4, 3, kBlack);
        // Source pixel (x, y) has blue x + 1 and green y + 1.
        DibImage source = Filled(2, 2, kBlack);
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 2; ++x) {
                source.SetPixelColor(
                    x, y, {static_cast<std::uint8_t>(x + 1), static_cast<std::uint8_t>(y + 1), 9});
            }
        }
        ASSERT_TRUE(dest.BlendFrom(source, c.offsetX, c.offsetY));
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 4; ++x) {
                const Bgr got = dest.PixelColor(x, y);
                if (c.rows[y][x] == 'x') {
                    EXPECT_EQ(got, (Bgr{static_cast<std::uint8_t>(x + c.offsetX + 1),
                                        static_cast<std::uint8_t>(y + c.offsetY + 1), 9}))
                        << x << "," << y;
                } else {
                    EXPECT_EQ(got, kBlack) << x << "," << y;
                }
            }
        }
    }
}

TEST(ImageBlendFromTest, PaletteSourceWithTransparentIndex) {
    DibImage source;
    ASSERT_TRUE(source.Create(2, 1, 8));
    source.SetPixelIndex(0, 0, 7);
    source.SetPixelIndex(1, 0, 200);
    source.SetTransparentIndex(7);
    DibImage dest = Filled(2, 1, {1, 2, 3});
    ASSERT_TRUE(dest.BlendFrom(source, 0, 0));
    EXPECT_EQ(dest.PixelColor(0, 0), (Bgr{1, 2, 3}));
    EXPECT_EQ(dest.PixelColor(1, 0), Grey(static_cast<std::uint8_t>(200)));
}

// --- ExtractRect -------------------------------------------------------------

struct ExtractCase {
    const char* what;
    int left, top, right, bottom;
    int width, height;
    int fromX, fromTop; // top-left corner of the copy in the picture
};

TEST(ImageExtractRectTest, CopiesClampedAndOrderedRectangles) {
    const ExtractCase cases[] = {
        {"inside", 1, 0, 3, 2, 2, 2, 1, 0},
        {"whole", 0, 0, 4, 3, 4, 3, 0, 0},
        {"clamped", -5, -5, 2, 10, 2, 3, 0, 0},
        {"reversed", 3, 2, 1, 0, 2, 2, 1, 0},
        {"reversed and clamped", 9, 9, 2, 1, 2, 2, 2, 1},
        {"one pixel", 3, 2, 4, 3, 1, 1, 3, 2},
    };
    const DibImage picture = Numbered(4, 3);
    for (const ExtractCase& c : cases) {
        SCOPED_TRACE(c.what);
        DibImage part;
        ASSERT_TRUE(picture.ExtractRect(c.left, c.top, c.right, c.bottom, part));
        ASSERT_EQ(part.Width(), c.width);
        ASSERT_EQ(part.Height(), c.height);
        EXPECT_EQ(part.Bpp(), 24);
        for (int top = 0; top < c.height; ++top) {
            for (int x = 0; x < c.width; ++x) {
                EXPECT_EQ(part.PixelColor(x, c.height - 1 - top),
                          (Bgr{static_cast<std::uint8_t>(c.fromX + x),
                               static_cast<std::uint8_t>(c.fromTop + top), 100}))
                    << x << "," << top;
            }
        }
    }
}

TEST(ImageExtractRectTest, EmptyOrOutsideRectanglesLeaveTheDestination) {
    const DibImage picture = Numbered(4, 3);
    const int rects[][4] = {
        {10, 10, 20, 20}, {-9, 0, -1, 3}, {2, 0, 2, 3}, {0, 1, 4, 1}, {0, 3, 4, 9}};
    for (const auto& r : rects) {
        DibImage dest = Filled(1, 1, Grey(42));
        EXPECT_FALSE(picture.ExtractRect(r[0], r[1], r[2], r[3], dest));
        EXPECT_EQ(dest.Width(), 1);
        EXPECT_EQ(dest.PixelColor(0, 0), Grey(42));
    }
}

TEST(ImageExtractRectTest, CopiesAlphaAlong) {
    DibImage picture = Numbered(4, 3);
    ASSERT_TRUE(picture.CreateAlpha());
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            AlphaAt(picture, x, y) = static_cast<std::uint8_t>(10 * y + x);
        }
    }
    DibImage part;
    ASSERT_TRUE(picture.ExtractRect(1, 0, 4, 2, part)); // top-down rows 0-1 = stored 1-2
    ASSERT_TRUE(part.HasAlpha());
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(AlphaAt(part, x, y), 10 * (y + 1) + x + 1) << x << "," << y;
        }
    }
    // A picture without alpha gives a part without alpha, even into an image that had some.
    EXPECT_TRUE(Numbered(4, 3).ExtractRect(0, 0, 2, 2, part));
    EXPECT_FALSE(part.HasAlpha());
}

TEST(ImageExtractRectTest, PalettePicturesKeepIndicesAndPalette) {
    DibImage picture;
    ASSERT_TRUE(picture.Create(5, 2, 4));
    for (int x = 0; x < 5; ++x) {
        picture.SetPixelIndex(x, 0, x + 1);
        picture.SetPixelIndex(x, 1, 10 + x);
    }
    picture.Palette()[4 * 3] = 0x33; // tell the palette apart from the default one
    DibImage part;
    ASSERT_TRUE(picture.ExtractRect(1, 0, 4, 2, part)); // odd left: half bytes move
    ASSERT_EQ(part.Bpp(), 4);
    for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(part.PixelIndex(x, 0), x + 2);
        EXPECT_EQ(part.PixelIndex(x, 1), 11 + x);
    }
    EXPECT_EQ(part.Palette()[4 * 3], 0x33);
}

TEST(ImageExtractRectTest, IntoItself) {
    DibImage picture = Numbered(4, 3);
    ASSERT_TRUE(picture.ExtractRect(2, 1, 4, 3, picture));
    ASSERT_EQ(picture.Width(), 2);
    EXPECT_EQ(picture.PixelColor(0, 1), (Bgr{2, 1, 100}));
}

// --- BlendInto (drawing with alpha) ------------------------------------------

struct Buffer {
    int width;
    int height;
    std::size_t stride;
    std::vector<std::uint8_t> bytes;

    Buffer(int w, int h, std::uint8_t fill)
        : width(w), height(h), stride((static_cast<std::size_t>(w) * 3 + 3) / 4 * 4),
          bytes(stride * static_cast<std::size_t>(h), fill) {}
    Bgr At(int x, int y) const {
        const std::uint8_t* p = bytes.data() + static_cast<std::size_t>(y) * stride + 3 * x;
        return {p[0], p[1], p[2]};
    }
};

TEST(ImageBlendIntoTest, MixesByAlphaWithAShift) {
    struct Case {
        const char* what;
        std::uint8_t alpha;
        std::uint8_t alphaMax;
        std::uint8_t under;
        Bgr over;
        Bgr result;
    };
    const Case cases[] = {
        {"alpha 0 leaves the target", 0, 255, 17, {255, 100, 50}, Grey(17)},
        {"alpha 255 copies exactly", 255, 255, 17, {255, 100, 1}, {255, 100, 1}},
        {"128 over black", 128, 255, 0, {255, 100, 50}, {127, 50, 25}},
        {"200 over 100", 200, 255, 100, {0, 255, 50}, {21, 220, 60}},
        {"alphaMax", 255, 63, 0, Grey(255), Grey(62)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DibImage picture = Filled(3, 2, c.over);
        SetAlphaEverywhere(picture, c.alpha);
        picture.SetAlphaMax(c.alphaMax);
        Buffer target(3, 2, c.under);
        picture.BlendInto(target.bytes.data(), target.stride, 0, 0, 3, 2);
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 3; ++x) {
                EXPECT_EQ(target.At(x, y), c.result) << x << "," << y;
            }
        }
        EXPECT_EQ(target.bytes[9], c.under) << "row padding untouched";
    }
}

TEST(ImageBlendIntoTest, PartOfThePictureLandsRightSideUp) {
    DibImage picture = Numbered(4, 3);
    SetAlphaEverywhere(picture, 255);
    AlphaAt(picture, 2, 0) = 0; // bottom row, x = 2: top-down (2, 2)
    Buffer target(2, 2, 0xEE);
    picture.BlendInto(target.bytes.data(), target.stride, 1, 1, 2, 2);
    // Buffer row 1 is the top of the part: top-down row 1 of the picture.
    EXPECT_EQ(target.At(0, 1), (Bgr{1, 1, 100}));
    EXPECT_EQ(target.At(1, 1), (Bgr{2, 1, 100}));
    EXPECT_EQ(target.At(0, 0), (Bgr{1, 2, 100}));
    EXPECT_EQ(target.At(1, 0), Grey(0xEE)) << "transparent pixel leaves the target";
}

// --- CxMemFile -----------------------------------------------------------------

TEST(ImageMemFileTest, ReadsWholeItemsAndSeeksWithinBounds) {
    const std::uint8_t bytes[] = {1, 2, 3, 4, 5, 6, 7};
    CxMemFile file(bytes, sizeof bytes);
    EXPECT_EQ(file.Size(), 7);
    std::uint8_t out[8] = {};
    EXPECT_EQ(file.Read(out, 2, 2), 2u);
    EXPECT_EQ(out[3], 4);
    EXPECT_EQ(file.Tell(), 4);
    EXPECT_EQ(file.Read(out, 2, 5), 1u) << "one whole item of two bytes left";
    EXPECT_EQ(file.Tell(), 6);
    EXPECT_FALSE(file.Eof());
    EXPECT_EQ(file.Read(out, 1, 5), 1u);
    EXPECT_TRUE(file.Eof());
    EXPECT_EQ(file.Read(out, 1, 1), 0u);

    EXPECT_TRUE(file.Seek(-3, SEEK_END));
    EXPECT_EQ(file.Tell(), 4);
    EXPECT_TRUE(file.Seek(-4, SEEK_CUR));
    EXPECT_EQ(file.Tell(), 0);
    EXPECT_FALSE(file.Seek(-1, SEEK_CUR));
    EXPECT_FALSE(file.Seek(8, SEEK_SET));
    EXPECT_FALSE(file.Seek(1, SEEK_END));
    EXPECT_FALSE(file.Seek(0, 42));
    EXPECT_EQ(file.Tell(), 0) << "refused seeks leave the position";
    EXPECT_TRUE(file.Seek(7, SEEK_SET));
    EXPECT_TRUE(file.Eof());
}

} // namespace

namespace {

// Drawn down by area: each new pixel is the average of what it covers, a
// transparent pixel lends no colour, and a picture is never drawn larger.
TEST(ImageShrinkTest, AveragesTheAreaEachPixelCoversWeighedByOpacity) {
    DibImage picture;
    ASSERT_TRUE(picture.Create(3, 1, 24));
    ASSERT_TRUE(picture.CreateAlpha());
    const Bgr blue{200, 0, 0};
    const Bgr red{0, 0, 200};
    picture.SetPixelColor(0, 0, blue);
    picture.SetPixelColor(1, 0, red);
    picture.SetPixelColor(2, 0, blue);
    picture.AlphaBits()[1] = 0; // the red one is fully transparent

    DibImage two = picture;
    ASSERT_TRUE(two.ShrinkTo(2, 1));
    // Each covers one and a half pixels: blue over blue, red lends nothing.
    EXPECT_EQ(two.PixelColor(0, 0), blue);
    EXPECT_EQ(two.PixelColor(1, 0), blue);
    EXPECT_EQ(two.AlphaBits()[0], 170);
    EXPECT_EQ(two.AlphaBits()[1], 170);

    DibImage opaque = picture;
    opaque.AlphaBits()[1] = 255;
    ASSERT_TRUE(opaque.ShrinkTo(1, 1));
    EXPECT_EQ(opaque.PixelColor(0, 0), (Bgr{133, 0, 67}));
    EXPECT_EQ(opaque.AlphaBits()[0], 255);

    EXPECT_FALSE(picture.ShrinkTo(4, 1));
    EXPECT_FALSE(picture.ShrinkTo(0, 1));
    EXPECT_EQ(picture.Width(), 3) << "a refused shrink keeps the picture";
}

} // namespace
