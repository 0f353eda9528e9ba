// Reading back what a dialog shows, for comparing it with pictures computed
// from the same inputs.
#pragma once

#include "framework/Gdi.h"
#include "skin/CxImage.h"

#include <windows.h>

#include <cstdint>
#include <vector>

// Pixels of a rectangle of a DC, top-down, as COLORREF.
class Capture {
public:
    Capture(HDC source, int left, int top, int width, int height) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        gdi::Bitmap section(::CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        gdi::MemoryDC memory(source);
        {
            gdi::SelectGuard select(memory.Get(), section.Get());
            ::BitBlt(memory.Get(), 0, 0, width, height, source, left, top, SRCCOPY);
        }
        ::GdiFlush();
        const auto* words = static_cast<const std::uint32_t*>(bits);
        pixels_.assign(words, words + static_cast<std::size_t>(width) * height);
    }

    int Width() const { return width_; }
    int Height() const { return height_; }
    COLORREF At(int x, int y) const {
        const std::uint32_t word = pixels_[static_cast<std::size_t>(y) * width_ + x];
        return RGB((word >> 16) & 0xFF, (word >> 8) & 0xFF, word & 0xFF);
    }

private:
    int width_;
    int height_;
    std::vector<std::uint32_t> pixels_;
};

inline COLORREF ToColor(Bgr bgr) {
    return RGB(bgr.red, bgr.green, bgr.blue);
}
inline Bgr ToBgr(COLORREF color) {
    return Bgr{GetBValue(color), GetGValue(color), GetRValue(color)};
}

// Colour of a picture's pixel at (x, y) counted from the top, as stored (alpha
// ignored).
inline COLORREF PictureAt(const CxImage& picture, int x, int y) {
    return ToColor(picture.PixelColor(x, picture.Height() - 1 - y));
}

// Opacity of a picture's pixel at (x, y) counted from the top.
inline int AlphaAt(const CxImage& picture, int x, int y) {
    return picture.EffectiveAlpha(x, picture.Height() - 1 - y);
}

inline RECT WindowRectIn(HWND window, HWND parent) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}
