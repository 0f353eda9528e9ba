// One month as model and picture. On screen (constructed with the view's
// background DC) the month is kept drawn in an off-screen surface over the
// part of the background it covers and copied to the window on paint; for
// printing (constructed with null) it is drawn straight onto a given DC.
#pragma once

#include "skin/DisplayScale.h"

#include "calendar/GridLayout.h"
#include "cycle/MonthModel.h"
#include "cycle/WinCalendarLocale.h"
#include "framework/Gdi.h"

#include <windows.h>

// A rectangle of the month model as GDI takes it.
inline RECT ToRect(const Rect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

class Calendar : public MonthModel {
public:
    // `background` points at a handle the owner keeps alive and may swap;
    // null means print mode.
    explicit Calendar(const HDC* background, const CalendarLocale& locale = UserCalendarLocale());
    ~Calendar() override = default;

    bool IsPrintMode() const { return backgroundDC == nullptr; }

    // Rects and fonts for a month of width x height pixels, and a new empty
    // surface in screen mode. Draws nothing.
    void Layout(int width, int height);
    // Draws the month with its top-left at (x, y) of `target`, or without a
    // target into the surface (screen mode), over the background under it.
    void Render(HDC target, int x, int y);
    // Copies the surface to (x, y) of `target` and frames the hovered day (0 = none).
    void Present(HDC target, int x, int y, int hoverDay) const;

    // The display scale of the screen it is drawn for (the heart's picture).
    void SetDisplayScale(const DisplayScale& scale) { displayScale = scale; }

    int Width() const { return layout.width; }
    int Height() const { return layout.height; }
    // The finished picture (screen mode, after Layout); null otherwise.
    HDC SurfaceDC() const { return surface.Get(); }

protected:
    void OnClassified() override;

    // Where the grid's top-left lies in the background.
    int offsetX = 0;
    int offsetY = 0;
    DisplayScale displayScale;

private:
    void FillBackground(HDC dc) const;
    // The locale's abbreviations, or its shortest names where one of them
    // would not fit its column in the font selected into `dc`.
    const std::array<std::wstring, kGridColumns>& HeaderDayNames(HDC dc) const;
    void DrawCell(HDC dc, const DayCell& cell, bool showFertility) const;

    gdi::Font heartFont;
    GridLayout layout;
    gdi::Font dayNameFont;
    gdi::Font titleFont;
    gdi::Font dayFont;
    gdi::Brush markedFill;
    gdi::Brush markedFrame;
    gdi::Brush periodFill;
    gdi::Brush periodFrame;
    const HDC* backgroundDC;
    gdi::Surface surface;
};
