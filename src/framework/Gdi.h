// Move-only owners of GDI handles. Every font, brush, pen, bitmap, region,
// memory DC and printer DC the program creates lives in one of these, so
// destruction order is declaration order reversed and nothing leaks.
// GdiObjectCount() counts the handles alive in these owners (Wine answers 0 to
// GetGuiResources).
#pragma once

#include <windows.h>

#include <string>
#include <utility>

namespace gdi {

long GdiObjectCount();

namespace detail {
void CountCreated(bool created);
void CountDeleted();
} // namespace detail

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { ::DeleteObject(object); }
};
struct DCDeleter {
    void operator()(HDC dc) const { ::DeleteDC(dc); }
};

// Owns one handle: an HGDIOBJ-derived one (HFONT, HBRUSH, HPEN, HBITMAP,
// HRGN) or, with DCDeleter, a DC the program created.
template <typename Handle, typename Deleter = GdiObjectDeleter> class Object {
public:
    Object() = default;
    explicit Object(Handle handle) : handle_(handle) { detail::CountCreated(handle_ != nullptr); }
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    Object(Object&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    Object& operator=(Object&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    ~Object() { Reset(); }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

    // Gives up ownership, e.g. to SetWindowRgn, which takes the region over.
    Handle Release() {
        if (handle_) {
            detail::CountDeleted();
        }
        return std::exchange(handle_, nullptr);
    }

    void Reset(Handle handle = nullptr) {
        if (handle_) {
            Deleter{}(handle_);
            detail::CountDeleted();
        }
        handle_ = handle;
        detail::CountCreated(handle_ != nullptr);
    }

private:
    Handle handle_ = nullptr;
};

using Font = Object<HFONT>;
using Brush = Object<HBRUSH>;
using Pen = Object<HPEN>;
using Bitmap = Object<HBITMAP>;
using Region = Object<HRGN>;
// A DC made with CreateDCW, e.g. a printer's.
using DeviceDC = Object<HDC, DCDeleter>;

// A memory device context (CreateCompatibleDC).
class MemoryDC : public Object<HDC, DCDeleter> {
public:
    MemoryDC() = default;
    explicit MemoryDC(HDC compatibleWith);
};

// A DC borrowed from a window (GetDC / ReleaseDC); a null window gives the screen.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(::GetDC(window)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() {
        if (dc_) {
            ::ReleaseDC(window_, dc_);
        }
    }
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// One WM_PAINT: BeginPaint when made, EndPaint when it goes.
class PaintScope {
public:
    explicit PaintScope(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    ~PaintScope() { ::EndPaint(window_, &paint_); }
    HDC Get() const { return dc_; }
    const RECT& Dirty() const { return paint_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// Selects an object into a DC and puts the previous one back when it ends.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard() {
        if (previous_ && previous_ != HGDI_ERROR) {
            ::SelectObject(dc_, previous_);
        }
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A bitmap of width x height with 8 bits for each of blue, green and red, as
// a screen shows them: a DIB section. Unlike a bitmap compatible with the
// screen, making and selecting one never asks the display driver, which under
// Wine costs several round trips to its server each time.
Bitmap MakeColourBitmap(int width, int height);

// A memory DC with a bitmap of its own selected for its whole life: the
// surfaces the skin composes once and then only copies from.
class Surface {
public:
    Surface() = default;
    // A colour bitmap (MakeColourBitmap) of width x height.
    Surface(int width, int height);
    // Takes over a bitmap made elsewhere (e.g. a DIB section).
    explicit Surface(gdi::Bitmap bitmap);
    Surface(Surface&& other) noexcept;
    Surface& operator=(Surface&& other) noexcept;
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    ~Surface() { Reset(); }

    HDC Get() const { return dc_.Get(); }
    HBITMAP GetBitmap() const { return bitmap_.Get(); }
    explicit operator bool() const { return static_cast<bool>(dc_); }
    void Reset();

private:
    gdi::Bitmap bitmap_;
    MemoryDC dc_;
    HGDIOBJ previous_ = nullptr;
};

// The description of the stock DEFAULT_GUI_FONT with another face, height
// and weight: how every font of the program is made.
LOGFONTW DefaultGuiLogFont();
Font MakeFont(const wchar_t* face, int height, int weight, BYTE quality = 0);

// DrawTextW of a whole string; `rect` is a copy, DrawTextW may write to it.
inline void DrawString(HDC dc, const std::wstring& text, RECT rect, UINT format) {
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
}

} // namespace gdi
