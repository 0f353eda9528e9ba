// The off-screen paint buffer: nothing reaches the target before it finishes,
// it finishes exactly its rectangle, and it draws in the target's coordinates.
#include <gtest/gtest.h>

#include <windows.h>

#include "framework/Gdi.h"
#include "skin/PaintBuffer.h"
#include "CalendarDrawTestSupport.h"

using gridtest::Canvas;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kInk = RGB(200, 20, 40);

void Fill(HDC dc, const RECT& rect, COLORREF colour) {
    gdi::Brush brush(::CreateSolidBrush(colour));
    ::FillRect(dc, &rect, brush.Get());
}

} // namespace

TEST(PaintBuffer, ReachesTheTargetOnlyWhenItFinishes) {
    Canvas target(100, 100);
    const RECT area{20, 30, 70, 80};
    PaintBuffer buffer(target.Get(), area);
    Fill(buffer, RECT{0, 0, 100, 100}, kInk);
    EXPECT_EQ(target.At(40, 50), kWhite);

    buffer.Finish();
    EXPECT_EQ(target.At(20, 30), kInk);
    EXPECT_EQ(target.At(69, 79), kInk);
    // Only its own rectangle, although more was drawn.
    EXPECT_EQ(target.At(19, 30), kWhite);
    EXPECT_EQ(target.At(70, 79), kWhite);
    EXPECT_EQ(target.At(69, 80), kWhite);

    // A second finish copies nothing more.
    Fill(target.Get(), area, kWhite);
    buffer.Finish();
    EXPECT_EQ(target.At(40, 50), kWhite);
}

TEST(PaintBuffer, FinishesWhenItGoesOutOfScopeAndFreesWhatItMade) {
    Canvas target(50, 50);
    const long objects = gdi::GdiObjectCount();
    {
        PaintBuffer buffer(target.Get(), RECT{0, 0, 50, 50});
        Fill(buffer, RECT{5, 5, 10, 10}, kInk);
        EXPECT_GT(gdi::GdiObjectCount(), objects);
    }
    EXPECT_EQ(target.At(5, 5), kInk);
    EXPECT_EQ(gdi::GdiObjectCount(), objects);
}

TEST(PaintBuffer, DrawsInTheTargetsLogicalCoordinates) {
    Canvas target(100, 100);
    // Logical (x, y) lies at device (x + 5, y + 7) of this target.
    ::SetWindowOrgEx(target.Get(), -5, -7, nullptr);
    {
        PaintBuffer buffer(target.Get(), RECT{20, 30, 60, 70});
        EXPECT_EQ(buffer.Rect().left, 20);
        EXPECT_EQ(buffer.Rect().bottom, 70);
        ::SetPixelV(buffer, 20, 30, kInk);
        ::SetPixelV(buffer, 59, 69, kInk);
    }
    ::SetWindowOrgEx(target.Get(), 0, 0, nullptr);
    EXPECT_EQ(target.At(25, 37), kInk);
    EXPECT_EQ(target.At(64, 76), kInk);
    EXPECT_EQ(target.At(24, 37), kWhite);
}

TEST(PaintBuffer, WithoutARectangleCoversTheClipBox) {
    Canvas target(100, 100);
    ::IntersectClipRect(target.Get(), 10, 20, 40, 60);
    {
        PaintBuffer buffer(target.Get());
        EXPECT_EQ(buffer.Rect().left, 10);
        EXPECT_EQ(buffer.Rect().top, 20);
        EXPECT_EQ(buffer.Rect().right, 40);
        EXPECT_EQ(buffer.Rect().bottom, 60);
        Fill(buffer, RECT{10, 20, 40, 60}, kInk);
    }
    EXPECT_EQ(target.At(10, 20), kInk);
    EXPECT_EQ(target.At(39, 59), kInk);
    EXPECT_EQ(target.At(40, 59), kWhite);
}

TEST(PaintBuffer, AnEmptyClipBoxDrawsNothingAndStillCleansUp) {
    Canvas target(20, 20);
    ::IntersectClipRect(target.Get(), 5, 5, 5, 5);
    const long objects = gdi::GdiObjectCount();
    {
        PaintBuffer buffer(target.Get());
        Fill(buffer, RECT{0, 0, 20, 20}, kInk);
    }
    ::SelectClipRgn(target.Get(), nullptr);
    EXPECT_EQ(target.At(5, 5), kWhite);
    EXPECT_EQ(gdi::GdiObjectCount(), objects);
}
