// The main window's only client: the skinned background, the half-year's six
// month grids, the year caption with its arrows and the row of image buttons.
// It owns the background picture every child copies what lies under it from,
// turns a clicked day into a toggled mark and steps through the half-years.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <memory>
#include <string>

#include "calendar/CalendarWindow.h"
#include "calendar/DatePicker.h"
#include "calendar/HalfYear.h"
#include "framework/Gdi.h"
#include "framework/Window.h"
#include "print/DeviceSettings.h"
#include "skin/IconButton.h"

class CalendarView : public CWindowImpl<CalendarView> {
public:
    static constexpr int kGridCount = 6;

    // Where the view learns today's date; the program reads the local clock.
    using Clock = SYSTEMTIME (*)();
    static SYSTEMTIME LocalTime();

    explicit CalendarView(Clock clock = &LocalTime);
    ~CalendarView() override;

    BEGIN_MSG_MAP(CalendarView)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
        MESSAGE_HANDLER(WM_DAY_CLICKED, OnDayClicked)
        MESSAGE_HANDLER(WM_HELP, OnHelp)
    END_MSG_MAP()

    // The background picture's size in pixels; the frame fits its client area to it.
    SIZE GetSize() const;

    HDC BackgroundDC() const { return backgroundDC; }

    int Year() const { return shown.year; }
    bool FirstHalf() const { return shown.firstHalf; }
    // Null before the window exists.
    CalendarWindow* Grid(int index) const { return grids[static_cast<std::size_t>(index)].get(); }
    const DatePicker& Picker() const { return picker; }

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM wParam, LPARAM, BOOL&);
    LRESULT OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled);
    LRESULT OnDayClicked(UINT, WPARAM wParam, LPARAM lParam, BOOL&);
    LRESULT OnHelp(UINT, WPARAM, LPARAM, BOOL&);

    void OpenSettings();
    void OpenCycleHistory();
    void OpenPrint();
    void OpenHelp();
    void OpenAbout();
    // Runs `openDialog` unless another dialog is open already.
    template <typename OpenDialog> void RunAlone(OpenDialog openDialog);
    void ReclassifyGrids();

    void Step(bool forward);
    void ShowHalfYear(HalfYear half);
    void InvalidateGrids();

    Clock clock;
    std::array<std::unique_ptr<CalendarWindow>, kGridCount> grids;
    HalfYear shown;
    DatePicker picker;
    IconButton settingsButton;
    IconButton printButton;
    IconButton exitButton;
    IconButton helpButton;
    IconButton aboutButton;
    IconButton prevButton;
    IconButton nextButton;
    // The picture as a bitmap, selected into a memory DC for the life of the view.
    gdi::Surface backgroundSurface;
    // That DC. The grids keep a pointer to this field, so it stays put.
    HDC backgroundDC = nullptr;
    // The printer chosen at the last print and its settings, for this run only.
    std::wstring printerName;
    DeviceSettings printerSettings;
    // F1 arrives while a dialog is open too; one dialog at a time.
    bool dialogOpen = false;
};
