#include "view/CalendarView.h"

#include "view/Commands.h"
#include "view/ViewCommands.h"
#include "cycle/CalendarData.h"
#include "dialogs/AboutDlg.h"
#include "dialogs/CycleHistoryDlg.h"
#include "dialogs/HelpDlg.h"
#include "dialogs/SettingsDlg.h"
#include "framework/AppModule.h"
#include "framework/ResourceText.h"
#include "print/PrintCommand.h"
#include "resource.h"
#include "skin/CxImage.h"

#include <windowsx.h>

namespace {

// The keys that move the keyboard's day, pressed without Ctrl.
struct MoveKey {
    UINT key;
    FocusMove move;
};

constexpr MoveKey kMoveKeys[] = {
    {VK_LEFT, FocusMove::PreviousDay},       {VK_RIGHT, FocusMove::NextDay},
    {VK_UP, FocusMove::PreviousWeek},        {VK_DOWN, FocusMove::NextWeek},
    {VK_HOME, FocusMove::FirstOfMonth},      {VK_END, FocusMove::LastOfMonth},
    {VK_PRIOR, FocusMove::PreviousHalfYear}, {VK_NEXT, FocusMove::NextHalfYear},
};

constexpr std::array<RECT, CalendarView::kGridCount> kGridRects = {{
    {14, 113, 220, 323},
    {236, 113, 442, 323},
    {458, 113, 664, 323},
    {14, 335, 220, 545},
    {236, 335, 442, 545},
    {458, 335, 664, 545},
}};

constexpr RECT kPickerRect{280, 64, 630, 104};
constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE;

} // namespace

SYSTEMTIME CalendarView::LocalTime() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return now;
}

CalendarView::CalendarView(CalendarData& calendarData, Clock today)
    : data(calendarData), clock(today), picker(&backgroundDC),
      settingsButton(&backgroundDC, L"btn_settings"), printButton(&backgroundDC, L"btn_print"),
      exitButton(&backgroundDC, L"btn_exit"), helpButton(&backgroundDC, L"btn_help"),
      aboutButton(&backgroundDC, L"btn_about"), prevButton(&backgroundDC, L"btn_left"),
      nextButton(&backgroundDC, L"btn_right") {
    // The window's own scale is known once it exists; until then the screen's.
    LoadBackground(DisplayScale(static_cast<int>(::GetDpiForSystem())));
}

void CalendarView::LoadBackground(const DisplayScale& newScale) {
    scale = newScale;
    CxImage background;
    background.LoadForScale(L"APP-BG", scale);
    backgroundSurface = gdi::Surface(background.MakeDeviceBitmap(nullptr));
    backgroundDC = backgroundSurface.Get();
}

CalendarView::~CalendarView() {
    // Children first, while everything they copy from is still there.
    if (IsWindow()) {
        DestroyWindow();
    }
}

SIZE CalendarView::GetSize() const {
    BITMAP bitmap{};
    if (backgroundSurface.GetBitmap() == nullptr ||
        ::GetObjectW(backgroundSurface.GetBitmap(), sizeof bitmap, &bitmap) == 0) {
        return SIZE{0, 0};
    }
    return SIZE{bitmap.bmWidth, bitmap.bmHeight};
}

RECT CalendarView::Scaled(const RECT& place) const {
    const Rect scaled = scale.Of(Rect{place.left, place.top, place.right, place.bottom});
    return RECT{scaled.left, scaled.top, scaled.right, scaled.bottom};
}

struct CalendarView::ButtonPlace {
    IconButton* button;
    RECT rect;
    WORD id;
    UINT caption; // string id, 0 for none
    UINT name;    // string id of what a reader calls a button without caption
};

std::array<CalendarView::ButtonPlace, 7> CalendarView::ButtonPlaces() {
    return {{
        {&settingsButton, {355, 0, 405, 57}, CMD_SETTINGS, IDS_SETTINGS, 0},
        {&printButton, {430, 0, 480, 57}, CMD_PRINT, IDS_PRINT, 0},
        {&aboutButton, {505, 0, 555, 57}, CMD_ABOUT, IDS_ABOUT, 0},
        {&exitButton, {580, 0, 630, 57}, CMD_EXIT, IDS_EXIT, 0},
        {&helpButton, {280, 0, 330, 57}, CMD_HELP, IDS_HELP, 0},
        {&prevButton, {250, 73, 276, 97}, CMD_PREV, 0, IDS_PREVIOUS_HALF_YEAR},
        {&nextButton, {630, 73, 656, 97}, CMD_NEXT, 0, IDS_NEXT_HALF_YEAR},
    }};
}

LRESULT CalendarView::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
    const DisplayScale windowScale(static_cast<int>(::GetDpiForWindow(hwnd_)));
    if (windowScale != scale) {
        LoadBackground(windowScale);
    }
    for (const ButtonPlace& place : ButtonPlaces()) {
        const std::wstring caption =
            place.caption == 0 ? std::wstring() : LoadResourceString(place.caption);
        if (place.name != 0) {
            place.button->SetAccessibleName(LoadResourceString(place.name));
        }
        place.button->SetLayout(scale, POINT{place.rect.left, place.rect.top});
        place.button->Create(hwnd_, Scaled(place.rect), caption.c_str(), kChildStyle, 0, place.id);
    }
    picker.SetScale(scale);
    picker.Create(hwnd_, Scaled(kPickerRect), nullptr, kChildStyle, 0, 0);
    for (std::size_t i = 0; i < grids.size(); ++i) {
        grids[i] = std::make_unique<CalendarWindow>(&backgroundDC);
        grids[i]->SetDisplayScale(scale);
        grids[i]->Create(hwnd_, Scaled(kGridRects[i]), nullptr, kChildStyle, 0, 0);
    }

    const SYSTEMTIME now = clock();
    focus = FocusStart(now.wYear, now.wMonth, now.wDay);
    ShowHalfYear(HalfYearOf(focus));

    // The children's mouse messages are theirs alone; the loop shows them to us.
    if (CMessageLoop* loop = AppModule().GetMessageLoop()) {
        loop->AddMessageFilter(this);
    }
    return 0;
}

void CalendarView::ChangeScale(const DisplayScale& newScale) {
    if (newScale == scale || !IsWindow()) {
        return;
    }
    // The pictures of the new scale first, so nothing is shown stretched.
    LoadBackground(newScale);
    constexpr UINT kPlace = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW;
    const auto place = [](HWND window, const RECT& rect) {
        ::SetWindowPos(window, nullptr, rect.left, rect.top, rect.right - rect.left,
                       rect.bottom - rect.top, kPlace);
    };
    for (const ButtonPlace& button : ButtonPlaces()) {
        button.button->SetLayout(scale, POINT{button.rect.left, button.rect.top});
        place(button.button->Handle(), Scaled(button.rect));
        button.button->Rebuild();
    }
    picker.SetScale(scale);
    place(picker.Handle(), Scaled(kPickerRect));
    for (std::size_t i = 0; i < grids.size(); ++i) {
        grids[i]->SetDisplayScale(scale);
        place(grids[i]->Handle(), Scaled(kGridRects[i]));
    }
    ShowHalfYear(shown);
    ::RedrawWindow(hwnd_, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

LRESULT CalendarView::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    if (CMessageLoop* loop = AppModule().GetMessageLoop()) {
        loop->RemoveMessageFilter(this);
    }
    handled = FALSE;
    return 0;
}

BOOL CalendarView::PreTranslateMessage(MSG* msg) {
    switch (msg->message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
        if (msg->hwnd == hwnd_ || ::IsChild(hwnd_, msg->hwnd)) {
            UseKeyboard(false);
        }
        break;
    default:
        break;
    }
    return FALSE;
}

LRESULT CalendarView::OnEraseBackground(UINT, WPARAM wParam, LPARAM, BOOL&) {
    const RECT client = GetClientRect();
    ::BitBlt(reinterpret_cast<HDC>(wParam), 0, 0, client.right, client.bottom, backgroundDC, 0, 0,
             SRCCOPY);
    return 1;
}

LRESULT CalendarView::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    switch (LOWORD(wParam)) {
    case CMD_EXIT:
        ::PostMessageW(GetParent(), WM_CLOSE, 0, 0);
        break;
    case CMD_PREV:
        Step(false);
        break;
    case CMD_NEXT:
        Step(true);
        break;
    case CMD_SETTINGS:
        OpenSettings();
        break;
    case CMD_CYCLE_HISTORY:
        OpenCycleHistory();
        break;
    case CMD_PRINT:
        OpenPrint();
        break;
    case CMD_HELP:
        OpenHelp();
        break;
    case CMD_ABOUT:
        OpenAbout();
        break;
    case CMD_TOGGLE_DAY:
        ToggleDay(focus);
        break;
    case CMD_TODAY:
        GoToToday();
        break;
    case CMD_UNDO_IMPORT:
        if (lastImport.Undo(data)) {
            ReclassifyGrids();
        }
        break;
    case CMD_LOCK:
        // The frame waits for whatever is open, and closes what it may.
        if (protection == Protection::On) {
            ::SendMessageW(GetParent(), WM_COMMAND, wParam, 0);
        }
        break;
    case CMD_PROTECT:
    case CMD_REMOVE_PASSWORD:
    case CMD_LOCK_OPTIONS:
        // The frame keeps her file; one dialog at a time all the same.
        RunAlone([this, wParam] { ::SendMessageW(GetParent(), WM_COMMAND, wParam, 0); });
        break;
    default:
        handled = FALSE;
        break;
    }
    return 0;
}

LRESULT CalendarView::OnDayClicked(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    const DateKey day = MakeDateKey(static_cast<int>(wParam), LOWORD(lParam), HIWORD(lParam));
    // The keys go on from a clicked day; a day not on screen leaves them be.
    if (IsSupportedDate(day) && HalfYearOf(day) == shown) {
        focus = day;
        ShowFocus();
    }
    ToggleDay(day);
    return 0;
}

void CalendarView::ToggleDay(DateKey day) {
    CalendarData::Instance().ToggleMark(KeyYear(day), KeyMonth(day), KeyDay(day));
    // A mark moves the predictions of every later month, not only its own.
    ReclassifyGrids();
}

// F1 anywhere in the main window.
LRESULT CalendarView::OnHelp(UINT, WPARAM, LPARAM, BOOL&) {
    OpenHelp();
    return TRUE;
}

namespace {

// Marks a modal dialog as open for as long as it runs.
class DialogScope {
public:
    explicit DialogScope(bool& open) : open_(open) { open_ = true; }
    DialogScope(const DialogScope&) = delete;
    DialogScope& operator=(const DialogScope&) = delete;
    ~DialogScope() { open_ = false; }

private:
    bool& open_;
};

} // namespace

template <typename OpenDialog> void CalendarView::RunAlone(OpenDialog openDialog) {
    if (dialogOpen) {
        return;
    }
    DialogScope scope(dialogOpen);
    openDialog();
}

void CalendarView::OpenSettings() {
    RunAlone([this] {
        SettingsDlg dialog(hwnd_);
        if (dialog.DoModal(hwnd_) == IDOK) {
            ReclassifyGrids();
        }
    });
}

// Use, import and following may all have changed what the grids show.
void CalendarView::OpenCycleHistory() {
    RunAlone([this] {
        CycleHistoryDlg dialog(hwnd_, data, printerName, printerSettings, lastImport,
                               [this](HWND owner) { BeforeExport(owner); });
        dialog.DoModal(hwnd_);
        ReclassifyGrids();
    });
}

void CalendarView::BeforeExport(HWND owner) {
    if (protection != Protection::On || toldExportPlain) {
        return;
    }
    toldExportPlain = true;
    ::MessageBoxW(owner, LoadResourceString(IDS_EXPORT_NOT_PROTECTED).c_str(),
                  LoadResourceString(IDS_APP_NAME).c_str(), MB_OK | MB_ICONINFORMATION);
}

void CalendarView::OpenPrint() {
    RunAlone([this] { RunPrintCommand(hwnd_, printerName, printerSettings); });
}

void CalendarView::OpenHelp() {
    RunAlone([this] {
        HelpDlg dialog(hwnd_);
        dialog.DoModal(hwnd_);
    });
}

void CalendarView::OpenAbout() {
    RunAlone([this] {
        CAboutDlg dialog(hwnd_);
        dialog.DoModal(hwnd_);
    });
}

// The grids exist from OnCreate on, and nothing below runs before it.
void CalendarView::ReclassifyGrids() {
    for (const auto& grid : grids) {
        grid->Classify();
    }
    InvalidateGrids();
}

void CalendarView::Step(bool forward) {
    const std::optional<HalfYear> next = forward ? NextHalfYear(shown) : PreviousHalfYear(shown);
    if (!next) {
        return;
    }
    // The keyboard's day comes along into the half-year shown next.
    if (const std::optional<DateKey> moved = ShiftMonths(focus, forward ? 6 : -6)) {
        focus = *moved;
    }
    ShowHalfYear(*next);
}

void CalendarView::ShowHalfYear(HalfYear half) {
    shown = half;
    picker.SetHalfYear(half.year, half.firstHalf);
    picker.Invalidate();
    const int firstMonth = half.firstHalf ? 1 : 7;
    for (std::size_t i = 0; i < grids.size(); ++i) {
        grids[i]->SetMonth(half.year, firstMonth + static_cast<int>(i));
    }
    ShowFocus();
    InvalidateGrids();
}

void CalendarView::InvalidateGrids() {
    for (const auto& grid : grids) {
        grid->Invalidate();
    }
}

void CalendarView::FocusDay(DateKey day) {
    focus = day;
    if (const HalfYear half = HalfYearOf(day); half != shown) {
        ShowHalfYear(half);
        return;
    }
    ShowFocus();
}

void CalendarView::GoToToday() {
    const SYSTEMTIME now = clock();
    FocusDay(FocusStart(now.wYear, now.wMonth, now.wDay));
}

CalendarWindow* CalendarView::GridShowing(DateKey day) const {
    for (const auto& grid : grids) {
        if (grid->year == KeyYear(day) && grid->month == KeyMonth(day)) {
            return grid.get();
        }
    }
    return nullptr;
}

void CalendarView::ShowFocus() {
    const CalendarWindow* showing = GridShowing(focus);
    // The grid that loses the day first, so that a reader hears the new one last.
    for (const auto& grid : grids) {
        if (grid.get() != showing) {
            grid->SetFocusDay(0, false, false);
        }
    }
    for (const auto& grid : grids) {
        if (grid.get() == showing) {
            grid->SetFocusDay(KeyDay(focus), hasFocus, hasFocus && keyboardUsed);
        }
    }
}

void CalendarView::UseKeyboard(bool used) {
    if (keyboardUsed != used) {
        keyboardUsed = used;
        ShowFocus();
    }
}

// The keys the view knows bring the frame; others (F1, Alt+F4) leave the
// look alone.
LRESULT CalendarView::OnKeyDown(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    const bool control = ::GetKeyState(VK_CONTROL) < 0;
    for (const Shortcut& shortcut : kShortcuts) {
        if (shortcut.key == wParam && shortcut.control == control) {
            UseKeyboard(true);
            // Notification code 1: the command comes from a key.
            SendMessage(WM_COMMAND, MAKEWPARAM(shortcut.command, 1));
            return 0;
        }
    }
    if (!control) {
        for (const MoveKey& key : kMoveKeys) {
            if (key.key == wParam) {
                UseKeyboard(true);
                // Nothing happens at the ends of the supported years.
                if (const std::optional<DateKey> day = MoveFocus(focus, key.move)) {
                    FocusDay(*day);
                }
                return 0;
            }
        }
    }
    // F1, the menu key, Shift+F10: the default procedure makes them messages.
    handled = FALSE;
    return 0;
}

LRESULT CalendarView::OnSetFocus(UINT, WPARAM, LPARAM, BOOL&) {
    hasFocus = true;
    ShowFocus();
    return 0;
}

LRESULT CalendarView::OnKillFocus(UINT, WPARAM, LPARAM, BOOL&) {
    hasFocus = false;
    ShowFocus();
    return 0;
}

// From the keyboard (Shift+F10, the menu key) the point is (-1, -1) and the
// menu opens at the keyboard's day; from the mouse it opens where she
// clicked, on the day there if there is one.
LRESULT CalendarView::OnContextMenu(UINT, WPARAM, LPARAM lParam, BOOL&) {
    POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (at.x == -1 && at.y == -1) {
        UseKeyboard(true);
        const CalendarWindow* grid = GridShowing(focus);
        if (!grid) {
            return 0;
        }
        const RECT cell = grid->DayScreenRect(KeyDay(focus));
        ShowContextMenu(POINT{cell.left, cell.bottom}, true);
        return 0;
    }
    for (const auto& grid : grids) {
        if (const int day = grid->DayAtScreen(at); day > 0) {
            FocusDay(MakeDateKey(grid->year, grid->month, day));
            ShowContextMenu(at, true);
            return 0;
        }
    }
    ShowContextMenu(at, false);
    return 0;
}

void CalendarView::ShowContextMenu(POINT screen, bool onDay) {
    win::Menu menu(::CreatePopupMenu());
    if (!menu) {
        return;
    }
    for (const MenuItem& item : kContextMenu) {
        if (item.text == 0) {
            ::AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
            continue;
        }
        UINT text = item.text;
        if (item.command == CMD_UNDO_IMPORT && !lastImport.CanUndo(data)) {
            continue;
        }
        if (item.command == CMD_PROTECT) {
            if (protection == Protection::Unavailable) {
                continue;
            }
            if (protection == Protection::On) {
                text = IDS_MENU_CHANGE_PASSWORD;
            }
        }
        const bool needsPassword = item.command == CMD_REMOVE_PASSWORD ||
                                   item.command == CMD_LOCK || item.command == CMD_LOCK_OPTIONS;
        if (needsPassword && protection != Protection::On) {
            continue;
        }
        if (item.command == CMD_TOGGLE_DAY) {
            if (!onDay) {
                continue;
            }
            if (data.IsMarked(KeyYear(focus), KeyMonth(focus), KeyDay(focus))) {
                text = IDS_MENU_REMOVE_MARK;
            }
        }
        std::wstring label = LoadResourceString(text);
        if (item.shortcut != 0) {
            // After a tab the menu sets the keys apart, right-aligned.
            label += L'\t' + LoadResourceString(item.shortcut);
        }
        ::AppendMenuW(menu.Get(), MF_STRING, item.command, label.c_str());
    }
    // The chosen command arrives as WM_COMMAND once the menu has closed.
    ::TrackPopupMenu(menu.Get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screen.x, screen.y,
                     0, hwnd_, nullptr);
}
