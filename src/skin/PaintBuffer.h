// Off-screen drawing for one paint: everything drawn into the buffer reaches
// the target in one copy when the buffer finishes, so repaints do not flicker.
// The buffer uses the target's logical coordinates.
#pragma once

#include "framework/Gdi.h"

#include <windows.h>

class PaintBuffer {
public:
    // Covers the target's clip box.
    explicit PaintBuffer(HDC target);
    // Covers `rect`, in the target's logical coordinates.
    PaintBuffer(HDC target, const RECT& rect);
    ~PaintBuffer() { Finish(); }
    PaintBuffer(const PaintBuffer&) = delete;
    PaintBuffer& operator=(const PaintBuffer&) = delete;

    HDC Get() const { return memory_.Get(); }
    operator HDC() const { return memory_.Get(); }
    const RECT& Rect() const { return rect_; }

    // Copies the buffer to the target and frees it; later calls do nothing.
    void Finish();

private:
    void Open();

    HDC target_;
    RECT rect_;
    gdi::MemoryDC memory_;
    gdi::Bitmap bitmap_;
    HGDIOBJ previous_ = nullptr;
};
