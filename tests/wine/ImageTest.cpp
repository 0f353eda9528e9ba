// The picture object on Windows: resources, drawing on device contexts, and
// bitmaps in and out.
#include "framework/Gdi.h"
#include "skin/CxImage.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string>
#include <utility>

namespace {

constexpr Bgr kBlack{0, 0, 0};

// A memory DC over a 24-bit bottom-up DIB section whose pixels the test reads
// and writes directly.
class DibSurface {
public:
    DibSurface(int width, int height, Bgr fill) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        gdi::Bitmap section(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        bits_ = static_cast<std::uint8_t*>(bits);
        surface_ = gdi::Surface(std::move(section));
        stride_ = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
        Fill(fill);
    }

    HDC Dc() const { return surface_.Get(); }
    HBITMAP Bitmap() const { return surface_.GetBitmap(); }

    void Fill(Bgr color) {
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                Set(x, y, color);
            }
        }
    }
    void Set(int x, int top, Bgr color) {
        std::uint8_t* p = Pixel(x, top);
        p[0] = color.blue;
        p[1] = color.green;
        p[2] = color.red;
    }
    // Top-down coordinates, as the DC sees them.
    Bgr At(int x, int top) {
        ::GdiFlush();
        const std::uint8_t* p = Pixel(x, top);
        return {p[0], p[1], p[2]};
    }

private:
    std::uint8_t* Pixel(int x, int top) {
        return bits_ + static_cast<std::size_t>(height_ - 1 - top) * stride_ + 3 * x;
    }

    int width_;
    int height_;
    std::size_t stride_ = 0;
    std::uint8_t* bits_ = nullptr;
    gdi::Surface surface_;
};

// Blue = x, green = top-down row, red = 200 + alpha given.
CxImage Numbered(int width, int height) {
    CxImage image;
    EXPECT_TRUE(
        image.Create(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 24));
    for (int top = 0; top < height; ++top) {
        for (int x = 0; x < width; ++x) {
            image.SetPixelColor(
                x, height - 1 - top,
                {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(top), 200});
        }
    }
    return image;
}

CxImage Uniform(int width, int height, Bgr color, int alpha) {
    CxImage image;
    EXPECT_TRUE(
        image.Create(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 24));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.SetPixelColor(x, y, color);
        }
    }
    if (alpha >= 0) {
        EXPECT_TRUE(image.CreateAlpha());
        std::memset(image.AlphaBits(), alpha, static_cast<std::size_t>(width * height));
    }
    return image;
}

Bgr NumberedAt(int x, int top) {
    return {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(top), 200};
}

bool SamePixels(const DibImage& a, const DibImage& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) {
        return false;
    }
    for (int y = 0; y < a.Height(); ++y) {
        for (int x = 0; x < a.Width(); ++x) {
            if (!(a.PixelColor(x, y) == b.PixelColor(x, y))) {
                return false;
            }
        }
    }
    return true;
}

// --- resources ---------------------------------------------------------------

struct ResourceCase {
    const wchar_t* name;
    int width;
    int height;
    bool alpha;
};

TEST(ImageResourceTest, LoadsEveryPictureOfTheProgram) {
    const ResourceCase cases[] = {
        {L"APP-BG", 675, 557, false},      {L"btn_settings", 50, 52, true},
        {L"btn_print", 50, 52, true},      {L"btn_help", 50, 52, true},
        {L"btn_about", 50, 52, true},      {L"btn_exit", 50, 52, true},
        {L"btn_left", 24, 19, true},       {L"btn_right", 24, 19, true},
        {L"dlg_settings", 361, 200, true}, {L"dlg_print", 372, 300, true},
        {L"dlg_help", 414, 396, true},     {L"dlg_about", 324, 292, true},
        {L"heart_small", 7, 6, true},
    };
    for (const ResourceCase& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.name, c.name + std::wcslen(c.name)));
        CxImage image;
        ASSERT_TRUE(image.LoadFromResource(c.name)) << image.LastError();
        EXPECT_EQ(image.Width(), c.width);
        EXPECT_EQ(image.Height(), c.height);
        EXPECT_EQ(image.Bpp(), 24);
        EXPECT_EQ(image.HasAlpha(), c.alpha);
        EXPECT_TRUE(image.LastError().empty());
    }
}

TEST(ImageResourceTest, NamesAreFoundInAnyLetterCase) {
    const std::pair<const wchar_t*, const wchar_t*> names[] = {
        {L"HEART_SMALL", L"Heart_Small"}, {L"APP-BG", L"app-bg"}, {L"btn_left", L"BTN_LEFT"}};
    for (const auto& [first, second] : names) {
        CxImage a;
        CxImage b;
        ASSERT_TRUE(a.LoadFromResource(first));
        ASSERT_TRUE(b.LoadFromResource(second));
        EXPECT_TRUE(SamePixels(a, b));
        ASSERT_EQ(a.HasAlpha(), b.HasAlpha());
        if (a.HasAlpha()) {
            EXPECT_EQ(std::memcmp(a.AlphaBits(), b.AlphaBits(),
                                  static_cast<std::size_t>(a.Width() * a.Height())),
                      0);
        }
    }
}

TEST(ImageResourceTest, MissingNameFailsAndKeepsThePicture) {
    for (const wchar_t* name : {L"no_such_picture", L"", static_cast<const wchar_t*>(nullptr)}) {
        CxImage image = Numbered(2, 2);
        EXPECT_FALSE(image.LoadFromResource(name));
        EXPECT_EQ(image.LastError(), "Unable to load resource!");
        EXPECT_EQ(image.Width(), 2);
        EXPECT_EQ(image.PixelColor(1, 0), NumberedAt(1, 1));
    }
}

// --- DrawBlended -------------------------------------------------------------

struct BlendCase {
    const char* what;
    int alpha; // -1: no alpha plane
    Bgr under;
    Bgr over;
    Bgr result;
};

TEST(ImageDrawBlendedTest, MixesByAlphaOverWhatTheDcShows) {
    const BlendCase cases[] = {
        {"alpha 0 leaves the target", 0, {9, 8, 7}, {255, 100, 50}, {9, 8, 7}},
        {"alpha 255 copies exactly", 255, {9, 8, 7}, {255, 100, 1}, {255, 100, 1}},
        {"alpha 128 over black", 128, kBlack, {255, 100, 50}, {127, 50, 25}},
        {"no alpha plane copies", -1, {9, 8, 7}, {3, 254, 77}, {3, 254, 77}},
    };
    for (const BlendCase& c : cases) {
        SCOPED_TRACE(c.what);
        DibSurface target(8, 6, c.under);
        const CxImage picture = Uniform(4, 3, c.over, c.alpha);
        const long objects = gdi::GdiObjectCount();
        EXPECT_EQ(picture.DrawBlended(target.Dc(), 2, 1), 1);
        EXPECT_EQ(gdi::GdiObjectCount(), objects);
        for (int top = 0; top < 6; ++top) {
            for (int x = 0; x < 8; ++x) {
                const bool covered = x >= 2 && x < 6 && top >= 1 && top < 4;
                EXPECT_EQ(target.At(x, top), covered ? c.result : c.under) << x << "," << top;
            }
        }
    }
}

TEST(ImageDrawBlendedTest, KeepsThePictureUprightAndLeftToRight) {
    DibSurface target(5, 4, kBlack);
    CxImage picture = Numbered(3, 2);
    ASSERT_TRUE(picture.CreateAlpha());
    ASSERT_EQ(picture.DrawBlended(target.Dc(), 1, 1), 1);
    for (int top = 0; top < 2; ++top) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(target.At(1 + x, 1 + top), NumberedAt(x, top)) << x << "," << top;
        }
    }
}

TEST(ImageDrawBlendedTest, ChangesOnlyTheVisiblePart) {
    struct Case {
        const char* what;
        int x, y;
        RECT clip; // kept by the DC; empty for the whole surface
    };
    const Case cases[] = {
        {"over the clip box's corner", 6, 5, {2, 2, 8, 7}},
        {"over the surface's top-left edge", -2, -1, {0, 0, 0, 0}},
        {"over the surface's bottom-right edge", 8, 6, {0, 0, 0, 0}},
        {"wholly outside the clip box", 0, 0, {5, 5, 10, 8}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DibSurface target(10, 8, {1, 1, 1});
        if (!::IsRectEmpty(&c.clip)) {
            ::IntersectClipRect(target.Dc(), c.clip.left, c.clip.top, c.clip.right, c.clip.bottom);
        }
        CxImage picture = Numbered(4, 3);
        ASSERT_TRUE(picture.CreateAlpha());
        const long objects = gdi::GdiObjectCount();
        const int drawn = picture.DrawBlended(target.Dc(), c.x, c.y);
        EXPECT_EQ(gdi::GdiObjectCount(), objects);
        const RECT visible = ::IsRectEmpty(&c.clip) ? RECT{0, 0, 10, 8} : c.clip;
        int changed = 0;
        for (int top = 0; top < 8; ++top) {
            for (int x = 0; x < 10; ++x) {
                const POINT point{x, top};
                const bool onPicture = x >= c.x && x < c.x + 4 && top >= c.y && top < c.y + 3;
                if (onPicture && ::PtInRect(&visible, point)) {
                    EXPECT_EQ(target.At(x, top), NumberedAt(x - c.x, top - c.y)) << x << "," << top;
                    ++changed;
                } else {
                    EXPECT_EQ(target.At(x, top), (Bgr{1, 1, 1})) << x << "," << top;
                }
            }
        }
        EXPECT_EQ(drawn, changed > 0 ? 1 : 0);
    }
}

TEST(ImageDrawBlendedTest, DrawsNothingForEmptyOrDisabledPicturesOrWithoutDc) {
    DibSurface target(4, 4, {5, 5, 5});
    CxImage empty;
    EXPECT_EQ(empty.DrawBlended(target.Dc(), 0, 0), 0);
    CxImage disabled = Uniform(2, 2, {200, 200, 200}, 255);
    disabled.SetEnabled(false);
    EXPECT_EQ(disabled.DrawBlended(target.Dc(), 0, 0), 0);
    EXPECT_FALSE(disabled.DrawOpaque(target.Dc(), 0, 0));
    const CxImage picture = Uniform(2, 2, {200, 200, 200}, 255);
    EXPECT_EQ(picture.DrawBlended(nullptr, 0, 0), 0);
    EXPECT_EQ(target.At(0, 0), (Bgr{5, 5, 5}));
}

TEST(ImageDrawBlendedTest, DrawsAResourcePictureWithoutLeaking) {
    DibSurface target(20, 20, {0, 0, 255});
    CxImage heart;
    ASSERT_TRUE(heart.LoadFromResource(L"heart_small"));
    const long objects = gdi::GdiObjectCount();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(heart.DrawBlended(target.Dc(), 2 * i, i), 1);
    }
    ASSERT_TRUE(heart.ApplyGamma(1.3f));
    EXPECT_EQ(heart.DrawBlended(target.Dc(), 2, 2), 1);
    EXPECT_EQ(gdi::GdiObjectCount(), objects);
}

// --- DrawOpaque --------------------------------------------------------------

TEST(ImageDrawOpaqueTest, CopiesColourPixelsIgnoringAlpha) {
    DibSurface target(6, 5, {7, 7, 7});
    CxImage picture = Numbered(4, 3);
    ASSERT_TRUE(picture.CreateAlpha());
    std::memset(picture.AlphaBits(), 0, 12);
    const long objects = gdi::GdiObjectCount();
    ASSERT_TRUE(picture.DrawOpaque(target.Dc(), 1, 2));
    EXPECT_EQ(gdi::GdiObjectCount(), objects);
    for (int top = 0; top < 5; ++top) {
        for (int x = 0; x < 6; ++x) {
            const bool covered = x >= 1 && x < 5 && top >= 2;
            EXPECT_EQ(target.At(x, top), (covered ? NumberedAt(x - 1, top - 2) : Bgr{7, 7, 7}))
                << x << "," << top;
        }
    }
    EXPECT_EQ(::GetStretchBltMode(target.Dc()), BLACKONWHITE) << "the DC's mode is put back";
}

// --- bitmaps in and out ------------------------------------------------------

TEST(ImageBitmapTest, DibSectionRoundTrip) {
    const CxImage picture = Numbered(5, 3);
    const long objects = gdi::GdiObjectCount();
    {
        gdi::Bitmap bitmap = picture.MakeDeviceBitmap(nullptr);
        ASSERT_TRUE(bitmap);
        DIBSECTION section{};
        ASSERT_EQ(::GetObjectW(bitmap.Get(), sizeof section, &section),
                  static_cast<int>(sizeof section));
        EXPECT_EQ(section.dsBm.bmWidth, 5);
        EXPECT_EQ(section.dsBm.bmHeight, 3);
        EXPECT_EQ(section.dsBm.bmBitsPixel, 24);
        EXPECT_EQ(std::memcmp(section.dsBm.bmBits, picture.Bits(), picture.Header().biSizeImage),
                  0);

        CxImage copy;
        ASSERT_TRUE(copy.CopyFromBitmap(bitmap.Get())) << copy.LastError();
        EXPECT_EQ(copy.Bpp(), 24);
        EXPECT_TRUE(SamePixels(copy, picture));
    }
    EXPECT_EQ(gdi::GdiObjectCount(), objects);
}

TEST(ImageBitmapTest, DeviceBitmapRoundTrip) {
    CxImage picture = Numbered(6, 4);
    ASSERT_TRUE(picture.CreateAlpha()); // ignored both ways
    const long objects = gdi::GdiObjectCount();
    {
        gdi::WindowDC screen(nullptr);
        gdi::Bitmap bitmap = picture.MakeDeviceBitmap(screen.Get());
        ASSERT_TRUE(bitmap);
        BITMAP description{};
        ASSERT_NE(::GetObjectW(bitmap.Get(), sizeof description, &description), 0);
        EXPECT_EQ(description.bmWidth, 6);
        EXPECT_EQ(description.bmHeight, 4);

        CxImage copy;
        ASSERT_TRUE(copy.CopyFromBitmap(bitmap.Get())) << copy.LastError();
        EXPECT_EQ(copy.Bpp(), 24) << "deeper bitmaps come back as 24 bits";
        EXPECT_FALSE(copy.HasAlpha());
        EXPECT_TRUE(SamePixels(copy, picture));
    }
    EXPECT_EQ(gdi::GdiObjectCount(), objects);
}

TEST(ImageBitmapTest, CopiesABitmapSelectedIntoASurface) {
    DibSurface surface(4, 3, kBlack);
    surface.Set(3, 0, {10, 20, 30}); // top-right
    CxImage copy;
    const long objects = gdi::GdiObjectCount();
    ASSERT_TRUE(copy.CopyFromBitmap(surface.Bitmap())) << copy.LastError();
    EXPECT_EQ(gdi::GdiObjectCount(), objects);
    ASSERT_EQ(copy.Width(), 4);
    EXPECT_EQ(copy.PixelColor(3, 2), (Bgr{10, 20, 30}));
    EXPECT_EQ(copy.PixelColor(3, 0), kBlack);
}

TEST(ImageBitmapTest, PalettePicturesGiveColourDibSections) {
    CxImage picture;
    ASSERT_TRUE(picture.Create(3, 1, 8));
    picture.SetPixelIndex(1, 0, 128);
    gdi::Bitmap bitmap = picture.MakeDeviceBitmap(nullptr);
    CxImage copy;
    ASSERT_TRUE(copy.CopyFromBitmap(bitmap.Get()));
    EXPECT_EQ(copy.Bpp(), 24);
    EXPECT_EQ(copy.PixelColor(1, 0), (Bgr{128, 128, 128}));
}

TEST(ImageBitmapTest, NothingToCopyKeepsThePicture) {
    CxImage empty;
    EXPECT_FALSE(empty.MakeDeviceBitmap(nullptr));
    gdi::WindowDC screen(nullptr);
    EXPECT_FALSE(empty.MakeDeviceBitmap(screen.Get()));

    CxImage picture = Numbered(2, 2);
    EXPECT_FALSE(picture.CopyFromBitmap(nullptr));
    EXPECT_FALSE(picture.LastError().empty());
    EXPECT_EQ(picture.Width(), 2);
    EXPECT_EQ(picture.PixelColor(0, 1), NumberedAt(0, 0));
}

} // namespace
