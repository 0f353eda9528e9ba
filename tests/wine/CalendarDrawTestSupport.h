// Shared by the month grid's drawing and window tests: a canvas to read pixels
// back from, and the process-wide data they set up.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "DataGuard.h"
#include "cycle/MonthModel.h"
#include "framework/Gdi.h"

namespace gridtest {

// A 24-bit top-down DIB section in a memory DC, filled with one colour.
class Canvas {
public:
    Canvas(int width, int height, COLORREF fill = RGB(255, 255, 255))
        : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        void* bits = nullptr;
        surface_ = gdi::Surface(
            gdi::Bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0)));
        bits_ = static_cast<const std::uint8_t*>(bits);
        gdi::Brush brush(::CreateSolidBrush(fill));
        const RECT all{0, 0, width, height};
        ::FillRect(surface_.Get(), &all, brush.Get());
    }

    HDC Get() const { return surface_.Get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }

    COLORREF At(int x, int y) const {
        ::GdiFlush();
        const std::uint8_t* p = bits_ + y * ((width_ * 3 + 3) & ~3) + x * 3;
        return RGB(p[2], p[1], p[0]);
    }

    // Pixels of `area` (clipped to the canvas) for which `match` holds.
    int Count(const RECT& area, const std::function<bool(COLORREF)>& match) const {
        int count = 0;
        for (int y = std::max<int>(area.top, 0); y < std::min<int>(area.bottom, height_); ++y) {
            for (int x = std::max<int>(area.left, 0); x < std::min<int>(area.right, width_); ++x) {
                count += match(At(x, y)) ? 1 : 0;
            }
        }
        return count;
    }
    int Count(const RECT& area, COLORREF colour) const {
        return Count(area, [colour](COLORREF c) { return c == colour; });
    }

private:
    int width_;
    int height_;
    gdi::Surface surface_;
    const std::uint8_t* bits_ = nullptr;
};

inline RECT ToRECT(const Rect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

} // namespace gridtest
