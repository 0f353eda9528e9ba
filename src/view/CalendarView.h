// The main window's only client: the skinned background, the half-year's six
// month grids, the year caption with its arrows and the row of image buttons.
// It owns the background picture every child copies what lies under it from,
// turns a clicked day into a toggled mark and steps through the half-years.
// It holds the keyboard focus: the keys move a day of its own through the
// months, mark it and give commands, and its context menu offers them all.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <memory>
#include <string>

#include "calendar/CalendarWindow.h"
#include "calendar/DatePicker.h"
#include "calendar/DayFocus.h"
#include "calendar/HalfYear.h"
#include "cycle/CalendarData.h"
#include "framework/Gdi.h"
#include "framework/MessageLoop.h"
#include "framework/Window.h"
#include "import/ImportUndo.h"
#include "print/DeviceSettings.h"
#include "skin/IconButton.h"

class CalendarView : public CWindowImpl<CalendarView>, public CMessageFilter {
public:
    static constexpr const wchar_t* kClassName = L"LunabelCalendarView";
    static constexpr int kGridCount = 6;

    // Where the view learns today's date; the program reads the local clock.
    using Clock = SYSTEMTIME (*)();
    static SYSTEMTIME LocalTime();

    // `data` is what the history and the context menu read and change.
    explicit CalendarView(CalendarData& data, Clock clock = &LocalTime);
    ~CalendarView() override;

    BEGIN_MSG_MAP(CalendarView)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
        MESSAGE_HANDLER(WM_DAY_CLICKED, OnDayClicked)
        MESSAGE_HANDLER(WM_HELP, OnHelp)
        MESSAGE_HANDLER(WM_KEYDOWN, OnKeyDown)
        MESSAGE_HANDLER(WM_CONTEXTMENU, OnContextMenu)
        MESSAGE_HANDLER(WM_SETFOCUS, OnSetFocus)
        MESSAGE_HANDLER(WM_KILLFOCUS, OnKillFocus)
    END_MSG_MAP()

    // Sees the thread's messages before they are dispatched, through the
    // loop's filters: a mouse button pressed anywhere on the view or its
    // children ends the keyboard's frame. Consumes nothing.
    BOOL PreTranslateMessage(MSG* msg) override;

    // The background picture's size in pixels; the frame fits its client area to it.
    SIZE GetSize() const;
    // The size of the 100 % layout, which every scale multiplies.
    static SIZE BaseSize() { return SIZE{675, 557}; }
    // Loads the pictures of `newScale`, then places and draws every child for
    // it (the window moved to a screen of another scale).
    void ChangeScale(const DisplayScale& newScale);

    HDC BackgroundDC() const { return backgroundDC; }

    int Year() const { return shown.year; }
    bool FirstHalf() const { return shown.firstHalf; }
    // Null before the window exists.
    CalendarWindow* Grid(int index) const { return grids[static_cast<std::size_t>(index)].get(); }
    const DatePicker& Picker() const { return picker; }
    // The keyboard's day, always in the shown half-year.
    DateKey FocusedDay() const { return focus; }
    // The keyboard has been used since the last click: the focus frame shows.
    bool KeyboardUsed() const { return keyboardUsed; }

    // Whether her calendar is behind a password, for the menu and for the
    // note before an export; Unavailable where nothing is kept in a file.
    enum class Protection { Unavailable, Off, On };
    void SetProtection(Protection state) { protection = state; }
    // At a lock: what the last import added is not kept in memory.
    void ForgetImport() { lastImport = imports::ImportUndo(); }
    // A dialog of the view's is open (or a print it started runs).
    bool DialogOpen() const { return dialogOpen; }

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnEraseBackground(UINT, WPARAM wParam, LPARAM, BOOL&);
    LRESULT OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled);
    LRESULT OnDayClicked(UINT, WPARAM wParam, LPARAM lParam, BOOL&);
    LRESULT OnHelp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnKeyDown(UINT, WPARAM wParam, LPARAM, BOOL& handled);
    LRESULT OnContextMenu(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnSetFocus(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnKillFocus(UINT, WPARAM, LPARAM, BOOL&);

    void OpenSettings();
    void OpenCycleHistory();
    // Before the Save As of an export: a protected calendar's export is plain.
    void BeforeExport(HWND owner);
    void OpenPrint();
    void OpenHelp();
    void OpenAbout();
    // Runs `openDialog` unless another dialog is open already.
    template <typename OpenDialog> void RunAlone(OpenDialog openDialog);
    void ReclassifyGrids();
    // The path of a click on a day: the mark toggled, every grid reclassified.
    void ToggleDay(DateKey day);

    // Moves the keyboard's day, stepping the view to its half-year.
    void FocusDay(DateKey day);
    void GoToToday();
    // Tells the grids where the keyboard's day is and whether its frame shows.
    void ShowFocus();
    void UseKeyboard(bool used);
    // Null when no grid shows the day.
    CalendarWindow* GridShowing(DateKey day) const;
    void ShowContextMenu(POINT screen, bool onDay);

    void Step(bool forward);
    void ShowHalfYear(HalfYear half);
    void InvalidateGrids();

    CalendarData& data;
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
    // Each button with its place in the 100 % layout and what it says.
    struct ButtonPlace;
    std::array<ButtonPlace, 7> ButtonPlaces();
    // The background for `scale`, which the children are placed and drawn for.
    void LoadBackground(const DisplayScale& newScale);
    // A place of the 100 % layout at the window's scale.
    RECT Scaled(const RECT& place) const;

    DisplayScale scale;
    gdi::Surface backgroundSurface;
    // That DC. The grids keep a pointer to this field, so it stays put.
    HDC backgroundDC = nullptr;
    // The printer chosen at the last print and its settings, for this run only.
    std::wstring printerName;
    DeviceSettings printerSettings;
    // The last import from the cycle history, for as long as it can be taken back.
    imports::ImportUndo lastImport;
    Protection protection = Protection::Unavailable;
    // Export of a protected calendar says once a run that the file is plain.
    bool toldExportPlain = false;
    // F1 arrives while a dialog is open too; one dialog at a time.
    bool dialogOpen = false;
    DateKey focus = 0;
    bool hasFocus = false;
    // Set by a key, cleared by a click: the system's focus cues cannot be
    // relied on for this under every Windows the program meets.
    bool keyboardUsed = false;
};
