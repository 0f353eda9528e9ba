// The GDI owners: every handle they take is deleted exactly once, moves hand
// ownership over, and selections are undone in the right order.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <ostream>
#include <utility>

#include "framework/Gdi.h"

namespace {

// True while the handle names a live GDI object.
bool Alive(HGDIOBJ object) {
    return ::GetObjectType(object) != 0;
}

struct SelectCase {
    const char* name;
    UINT type;
    std::function<HGDIOBJ()> make;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const SelectCase& c, std::ostream* out) {
    *out << c.name;
}

class GdiSelectGuard : public ::testing::TestWithParam<SelectCase> {};

} // namespace

TEST_P(GdiSelectGuard, PutsThePreviousObjectBack) {
    const SelectCase& c = GetParam();
    gdi::MemoryDC dc(nullptr);
    ASSERT_TRUE(dc);
    const HGDIOBJ before = ::GetCurrentObject(dc.Get(), c.type);
    const HGDIOBJ first = c.make();
    const HGDIOBJ second = c.make();
    {
        gdi::SelectGuard outer(dc.Get(), first);
        EXPECT_EQ(::GetCurrentObject(dc.Get(), c.type), first);
        {
            gdi::SelectGuard inner(dc.Get(), second);
            EXPECT_EQ(::GetCurrentObject(dc.Get(), c.type), second);
        }
        EXPECT_EQ(::GetCurrentObject(dc.Get(), c.type), first);
    }
    EXPECT_EQ(::GetCurrentObject(dc.Get(), c.type), before);
    ::DeleteObject(first);
    ::DeleteObject(second);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, GdiSelectGuard,
    ::testing::Values(
        SelectCase{"Brush", OBJ_BRUSH, [] { return ::CreateSolidBrush(RGB(1, 2, 3)); }},
        SelectCase{"Pen", OBJ_PEN, [] { return ::CreatePen(PS_SOLID, 2, RGB(4, 5, 6)); }},
        SelectCase{"Font", OBJ_FONT,
                   [] { return gdi::MakeFont(L"Arial", -12, FW_BOLD).Release(); }},
        SelectCase{"Bitmap", OBJ_BITMAP, [] { return ::CreateBitmap(4, 4, 1, 1, nullptr); }}),
    [](const ::testing::TestParamInfo<SelectCase>& param) { return param.param.name; });

TEST(GdiOwners, CountStaysBalancedAndHandlesAreDeleted) {
    const long baseline = gdi::GdiObjectCount();
    HGDIOBJ brushHandle = nullptr;
    HGDIOBJ bitmapHandle = nullptr;
    {
        gdi::Brush brush(::CreateSolidBrush(RGB(9, 9, 9)));
        gdi::Pen pen(::CreatePen(PS_SOLID, 1, 0));
        gdi::Font font = gdi::MakeFont(L"Arial", -10, FW_NORMAL);
        gdi::Region region(::CreateRectRgn(0, 0, 5, 5));
        gdi::Bitmap bitmap(::CreateBitmap(2, 2, 1, 32, nullptr));
        gdi::MemoryDC dc(nullptr);
        brushHandle = brush.Get();
        bitmapHandle = bitmap.Get();
        EXPECT_EQ(gdi::GdiObjectCount(), baseline + 6);
    }
    EXPECT_EQ(gdi::GdiObjectCount(), baseline);
    EXPECT_FALSE(Alive(brushHandle));
    EXPECT_FALSE(Alive(bitmapHandle));
}

TEST(GdiOwners, MovesHandOwnershipOver) {
    const long baseline = gdi::GdiObjectCount();
    gdi::Brush first(::CreateSolidBrush(RGB(1, 1, 1)));
    const HBRUSH handle = first.Get();

    gdi::Brush second(std::move(first));
    EXPECT_EQ(first.Get(), nullptr);
    EXPECT_EQ(second.Get(), handle);
    EXPECT_EQ(gdi::GdiObjectCount(), baseline + 1);

    gdi::Brush third(::CreateSolidBrush(RGB(2, 2, 2)));
    const HBRUSH replaced = third.Get();
    third = std::move(second);
    EXPECT_FALSE(Alive(replaced)) << "the overwritten brush is deleted";
    EXPECT_TRUE(Alive(handle));
    EXPECT_EQ(gdi::GdiObjectCount(), baseline + 1);

    third.Reset();
    EXPECT_FALSE(Alive(handle));
    EXPECT_EQ(gdi::GdiObjectCount(), baseline);
}

TEST(GdiOwners, ReleaseGivesTheHandleAway) {
    const long baseline = gdi::GdiObjectCount();
    gdi::Region region(::CreateRectRgn(0, 0, 3, 3));
    const HRGN handle = region.Release();
    EXPECT_EQ(region.Get(), nullptr);
    EXPECT_EQ(gdi::GdiObjectCount(), baseline);
    EXPECT_TRUE(Alive(handle)) << "the new owner deletes it";
    ::DeleteObject(handle);
}

TEST(GdiSurface, KeepsItsBitmapSelectedUntilItEnds) {
    const long baseline = gdi::GdiObjectCount();
    HBITMAP bitmap = nullptr;
    {
        gdi::Surface surface(30, 20);
        ASSERT_TRUE(surface);
        bitmap = surface.GetBitmap();
        EXPECT_EQ(::GetCurrentObject(surface.Get(), OBJ_BITMAP), bitmap);
        BITMAP info{};
        ASSERT_NE(::GetObjectW(bitmap, sizeof info, &info), 0);
        EXPECT_EQ(info.bmWidth, 30);
        EXPECT_EQ(info.bmHeight, 20);
        // Whatever the display's depth: the skin composes exact colours.
        ::SetPixelV(surface.Get(), 3, 4, RGB(1, 2, 3));
        EXPECT_EQ(::GetPixel(surface.Get(), 3, 4), RGB(1, 2, 3));

        gdi::Surface moved(std::move(surface));
        EXPECT_FALSE(surface);
        EXPECT_EQ(::GetCurrentObject(moved.Get(), OBJ_BITMAP), bitmap);
        EXPECT_EQ(gdi::GdiObjectCount(), baseline + 2);
    }
    EXPECT_FALSE(Alive(bitmap)) << "a bitmap still selected into a DC cannot be deleted";
    EXPECT_EQ(gdi::GdiObjectCount(), baseline);
}

TEST(GdiSurface, TakesOverAGivenBitmap) {
    const long baseline = gdi::GdiObjectCount();
    gdi::Bitmap bitmap(::CreateBitmap(8, 8, 1, 32, nullptr));
    const HBITMAP handle = bitmap.Get();
    {
        gdi::Surface surface(std::move(bitmap));
        EXPECT_EQ(surface.GetBitmap(), handle);
        EXPECT_EQ(::GetCurrentObject(surface.Get(), OBJ_BITMAP), handle);
    }
    EXPECT_FALSE(Alive(handle));
    EXPECT_EQ(gdi::GdiObjectCount(), baseline);
}

TEST(GdiFonts, MadeFromTheDefaultGuiFontWithTheirOwnFaceSizeAndWeight) {
    const gdi::Font font = gdi::MakeFont(L"Comic Sans MS", -12, FW_BOLD, ANTIALIASED_QUALITY);
    LOGFONTW made{};
    ASSERT_NE(::GetObjectW(font.Get(), sizeof made, &made), 0);
    const LOGFONTW base = gdi::DefaultGuiLogFont();
    EXPECT_STREQ(made.lfFaceName, L"Comic Sans MS");
    EXPECT_EQ(made.lfHeight, -12);
    EXPECT_EQ(made.lfWeight, FW_BOLD);
    EXPECT_EQ(made.lfQuality, ANTIALIASED_QUALITY);
    EXPECT_EQ(made.lfCharSet, base.lfCharSet);
    EXPECT_EQ(made.lfItalic, base.lfItalic);
}
