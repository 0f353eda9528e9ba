// Reading back what a dialog shows, for comparing it with pictures computed
// from the same inputs.
#pragma once

#include "Capture.h"

#include "framework/Gdi.h"
#include "skin/CxImage.h"

#include <windows.h>

#include <cstdint>
#include <vector>

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
