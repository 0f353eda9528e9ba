// The picture object with what it does on Windows: loading from the program's
// IMAGES resources and drawing on device contexts.
#pragma once

#include "framework/Gdi.h"
#include "skin/DibImage.h"
#include "skin/DisplayScale.h"

#include <windows.h>

class CxImage : public DibImage {
public:
    // Decodes the PNG resource `name` of type IMAGES (any letter case). On
    // failure the old picture stays.
    bool LoadFromResource(const wchar_t* name);
    // The picture `name` for a window at `scale`, placed at (x, y) of the 100 %
    // layout: the rendering of the next larger scale drawn down to the size
    // its edges take at this scale, so it is never drawn larger than it was
    // rendered. At 100 % the same as LoadFromResource.
    bool LoadForScale(const wchar_t* name, const DisplayScale& scale, int x = 0, int y = 0);

    // Draws at its own size with (x, y) as top-left corner, blended by alpha
    // over what the DC shows, limited to the clip box. Answers 0 when nothing
    // was drawn (empty or disabled picture, no DC, clipped away).
    int DrawBlended(HDC dc, int x, int y) const;
    // Copies the colour pixels as they are; the alpha plane is ignored.
    bool DrawOpaque(HDC dc, int x, int y) const;
    // A bitmap for `dc` (CreateDIBitmap), or without a DC a 24-bit DIB section
    // holding a copy. Colour pixels only. Empty for an empty picture.
    gdi::Bitmap MakeDeviceBitmap(HDC dc) const;
    // Replaces the picture by the pixels of `bitmap`; 16 and 32 bits become 24.
    bool CopyFromBitmap(HBITMAP bitmap);

    const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(Dib()); }
};
