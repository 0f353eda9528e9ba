#include "dialogs/SettingsDlg.h"

#include "cycle/CalendarData.h"
#include "history/FollowCycles.h"

#include <string>

namespace {

void FillNumbers(HWND combo, int first, int last) {
    for (int value = first; value <= last; ++value) {
        ::SendMessageW(combo, CB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(std::to_wstring(value).c_str()));
    }
}

// Index of `value` in a list starting at `first`, or the fallback's.
int EntryFor(int value, int first, int last, int fallback) {
    const auto index = static_cast<unsigned>(value - first);
    return index > static_cast<unsigned>(last - first) ? fallback - first : static_cast<int>(index);
}

} // namespace

SettingsDlg::SettingsDlg(HWND view) : TransparentDlg(view), labelFont(MakeLabelFont()) {}

SettingsDlg::~SettingsDlg() = default;

LRESULT SettingsDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    InitBackground(Handle(), L"dlg_settings");
    labelFont = MakeLabelFont(Scale());
    const HWND cycleCombo = GetDlgItem(IDC_CYCLE_LENGTH);
    const HWND periodCombo = GetDlgItem(IDC_PERIOD_LENGTH);
    const HWND fertilityCheck = GetDlgItem(IDC_SHOW_FERTILITY);
    ::SendMessageW(fertilityCheck, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont.Get()), TRUE);
    // The labels get the font from WM_CTLCOLORSTATIC too, but a static control
    // that selects its own font after asking for colours would undo that.
    SetStaticFonts(Handle(), labelFont.Get());
    RemoveVisualStyle(fertilityCheck);

    const CalendarData& data = CalendarData::Instance();
    const int cycleLength = data.GetCycleLength();
    cycleLengthAtOpen = cycleLength;
    const int periodLength = data.GetPeriodLength();
    FillNumbers(cycleCombo, kFirstCycleLength, kLastCycleLength);
    FillNumbers(periodCombo, kFirstPeriodLength, kLastPeriodLength);
    ::SendMessageW(cycleCombo, CB_SETCURSEL,
                   EntryFor(cycleLength, kFirstCycleLength, kLastCycleLength, kFallbackCycleLength),
                   0);
    ::SendMessageW(
        periodCombo, CB_SETCURSEL,
        EntryFor(periodLength, kFirstPeriodLength, kLastPeriodLength, kFallbackPeriodLength), 0);
    ::SendMessageW(fertilityCheck, BM_SETCHECK,
                   data.GetShowFertility() ? BST_CHECKED : BST_UNCHECKED, 0);
    return 0;
}

LRESULT SettingsDlg::OnOk(WORD, WORD, HWND, BOOL&) {
    CalendarData& data = CalendarData::Instance();
    const int cycleLength =
        static_cast<int>(::SendDlgItemMessageW(hwnd_, IDC_CYCLE_LENGTH, CB_GETCURSEL, 0, 0)) +
        kFirstCycleLength;
    data.SetCycleLength(cycleLength);
    data.SetPeriodLength(
        static_cast<int>(::SendDlgItemMessageW(hwnd_, IDC_PERIOD_LENGTH, CB_GETCURSEL, 0, 0)) +
        kFirstPeriodLength);
    data.SetShowFertility(
        (::SendDlgItemMessageW(hwnd_, IDC_SHOW_FERTILITY, BM_GETCHECK, 0, 0) & 1) == 1);
    if (cycleLength != cycleLengthAtOpen) {
        StoreFollowingCycles(hwnd_, false);
    }
    EndDialog(IDOK);
    return 0;
}

LRESULT SettingsDlg::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(IDCANCEL);
    return 0;
}

LRESULT SettingsDlg::OnLabelColor(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    auto dc = reinterpret_cast<HDC>(wParam);
    ::SelectObject(dc, labelFont.Get());
    ::SetTextColor(dc, RGB(0, 0, 0));
    return OnCtlColorStatic(msg, wParam, lParam, handled);
}
