#include "calendar/CalendarView.h"

#include "calendar/Commands.h"
#include "cycle/CalendarData.h"
#include "dialogs/AboutDlg.h"
#include "dialogs/CycleHistoryDlg.h"
#include "dialogs/HelpDlg.h"
#include "dialogs/SettingsDlg.h"
#include "framework/AppModule.h"
#include "print/PrintCommand.h"
#include "resource.h"
#include "skin/CxImage.h"

namespace {

struct ButtonPlace {
    IconButton* button;
    RECT rect;
    WORD id;
    UINT caption; // string id, 0 for none
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

CalendarView::CalendarView(Clock today)
    : clock(today), picker(this), settingsButton(this, L"btn_settings"),
      printButton(this, L"btn_print"), exitButton(this, L"btn_exit"), helpButton(this, L"btn_help"),
      aboutButton(this, L"btn_about"), prevButton(this, L"btn_left"),
      nextButton(this, L"btn_right") {
    CxImage background;
    background.LoadFromResource(L"APP-BG");
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

LRESULT CalendarView::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
    const ButtonPlace buttons[] = {
        {&settingsButton, {355, 0, 405, 57}, CMD_SETTINGS, IDS_SETTINGS},
        {&printButton, {430, 0, 480, 57}, CMD_PRINT, IDS_PRINT},
        {&aboutButton, {505, 0, 555, 57}, CMD_ABOUT, IDS_ABOUT},
        {&exitButton, {580, 0, 630, 57}, CMD_EXIT, IDS_EXIT},
        {&helpButton, {280, 0, 330, 57}, CMD_HELP, IDS_HELP},
        {&prevButton, {250, 73, 276, 97}, CMD_PREV, 0},
        {&nextButton, {630, 73, 656, 97}, CMD_NEXT, 0},
    };
    for (const ButtonPlace& place : buttons) {
        const std::wstring caption =
            place.caption == 0 ? std::wstring() : LoadResourceString(place.caption);
        place.button->Create(hwnd_, place.rect, caption.c_str(), kChildStyle, 0, place.id);
    }
    picker.Create(hwnd_, kPickerRect, nullptr, kChildStyle, 0, 0);
    for (std::size_t i = 0; i < grids.size(); ++i) {
        grids[i] = std::make_unique<CalendarWindow>(&backgroundDC);
        grids[i]->Create(hwnd_, kGridRects[i], nullptr, kChildStyle, 0, 0);
    }

    const SYSTEMTIME now = clock();
    ShowHalfYear(HalfYearOf(now.wYear, now.wMonth));
    return 0;
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
    default:
        handled = FALSE;
        break;
    }
    return 0;
}

LRESULT CalendarView::OnDayClicked(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    CalendarData::Instance().ToggleMark(static_cast<int>(wParam), LOWORD(lParam), HIWORD(lParam));
    // A mark moves the predictions of every later month, not only its own.
    ReclassifyGrids();
    return 0;
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
        CycleHistoryDlg dialog(hwnd_, printerName, printerSettings);
        dialog.DoModal(hwnd_);
        ReclassifyGrids();
    });
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
    InvalidateGrids();
}

void CalendarView::InvalidateGrids() {
    for (const auto& grid : grids) {
        grid->Invalidate();
    }
}
