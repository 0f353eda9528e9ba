#include "skin/PaintBuffer.h"

namespace {

RECT ClipBoxOf(HDC dc) {
    RECT box{};
    ::GetClipBox(dc, &box);
    return box;
}

} // namespace

PaintBuffer::PaintBuffer(HDC target) : PaintBuffer(target, ClipBoxOf(target)) {}

PaintBuffer::PaintBuffer(HDC target, const RECT& rect) : target_(target), rect_(rect) {
    Open();
}

void PaintBuffer::Open() {
    memory_ = gdi::MemoryDC(target_);
    if (!memory_) {
        return;
    }
    // The bitmap is sized in device pixels, whatever the target's mapping mode.
    RECT device = rect_;
    ::LPtoDP(target_, reinterpret_cast<POINT*>(&device), 2);
    const int width = device.right - device.left;
    const int height = device.bottom - device.top;
    if (width > 0 && height > 0) {
        bitmap_ = gdi::MakeColourBitmap(width, height);
    }
    ::DPtoLP(target_, reinterpret_cast<POINT*>(&device), 2);
    rect_ = device;
    if (bitmap_) {
        previous_ = ::SelectObject(memory_.Get(), bitmap_.Get());
    }
    ::SetWindowOrgEx(memory_.Get(), rect_.left, rect_.top, nullptr);
}

void PaintBuffer::Finish() {
    if (!memory_) {
        return;
    }
    if (bitmap_) {
        ::BitBlt(target_, rect_.left, rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top,
                 memory_.Get(), rect_.left, rect_.top, SRCCOPY);
        ::SelectObject(memory_.Get(), previous_);
        previous_ = nullptr;
    }
    memory_.Reset();
    bitmap_.Reset();
}
