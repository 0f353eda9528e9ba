// What a window or a device context shows, read back as COLORREF pixels.
#pragma once

#include "framework/Gdi.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

// Pixels of a rectangle, top-down, read once at construction.
class Capture {
public:
    // The client area of `window` as it is now; nothing is painted first.
    explicit Capture(HWND window) {
        RECT client{};
        ::GetClientRect(window, &client);
        gdi::WindowDC dc(window);
        Read(dc.Get(), 0, 0, client.right, client.bottom);
    }
    Capture(HDC source, int left, int top, int width, int height) {
        Read(source, left, top, width, height);
    }

    int Width() const { return width_; }
    int Height() const { return height_; }
    COLORREF At(int x, int y) const {
        const std::uint32_t word = pixels_[static_cast<std::size_t>(y) * width_ + x];
        return RGB((word >> 16) & 0xFF, (word >> 8) & 0xFF, word & 0xFF);
    }
    // Pixels of `area` in `colour`.
    int Count(COLORREF colour, const RECT& area) const {
        int count = 0;
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                count += At(x, y) == colour ? 1 : 0;
            }
        }
        return count;
    }
    bool operator==(const Capture& other) const {
        return width_ == other.width_ && height_ == other.height_ && pixels_ == other.pixels_;
    }

private:
    void Read(HDC source, int left, int top, int width, int height) {
        width_ = width;
        height_ = height;
        pixels_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        gdi::Bitmap section(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        gdi::MemoryDC memory(source);
        if (!section || !memory) {
            return;
        }
        {
            gdi::SelectGuard select(memory.Get(), section.Get());
            ::BitBlt(memory.Get(), 0, 0, width, height, source, left, top, SRCCOPY);
        }
        ::GdiFlush();
        // The fourth byte is undefined after a blit: keep it out of comparisons.
        const auto* words = static_cast<const std::uint32_t*>(bits);
        for (std::size_t i = 0; i < pixels_.size(); ++i) {
            pixels_[i] = words[i] & 0xFFFFFF;
        }
    }

    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> pixels_;
};
