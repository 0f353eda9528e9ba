#include "dialogs/SettingsDlg.h"

#include "cycle/CalendarData.h"

#include <iterator>
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

BOOL CALLBACK SetLabelFont(HWND child, LPARAM font) {
    wchar_t className[16] = {};
    ::GetClassNameW(child, className, static_cast<int>(std::size(className)));
    if (::lstrcmpiW(className, L"Static") == 0) {
        ::SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
    }
    return TRUE;
}

} // namespace

SettingsDlg::SettingsDlg(HWND view)
    : TransparentDlg(view),
      labelFont(gdi::MakeFont(L"Comic Sans MS", -12, FW_BOLD, ANTIALIASED_QUALITY)) {}

SettingsDlg::SettingsDlg(const CWindow* view)
    : SettingsDlg(view ? view->Handle() : static_cast<HWND>(nullptr)) {}

SettingsDlg::~SettingsDlg() = default;

LRESULT SettingsDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    InitBackground(Handle(), L"dlg_settings");
    cycleCombo = GetDlgItem(IDC_CYCLE_LENGTH);
    periodCombo = GetDlgItem(IDC_PERIOD_LENGTH);
    fertilityCheck = GetDlgItem(IDC_SHOW_FERTILITY);
    ::SendMessageW(fertilityCheck, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont.Get()), TRUE);
    // The labels get the font from WM_CTLCOLORSTATIC too, but a static control
    // that selects its own font after asking for colours would undo that.
    ::EnumChildWindows(Handle(), SetLabelFont, reinterpret_cast<LPARAM>(labelFont.Get()));
    RemoveVisualStyle(fertilityCheck);

    const CalendarData& data = CalendarData::Instance();
    const int cycleLength = data.GetCycleLength();
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
    data.SetCycleLength(static_cast<int>(::SendMessageW(cycleCombo, CB_GETCURSEL, 0, 0)) +
                        kFirstCycleLength);
    data.SetPeriodLength(static_cast<int>(::SendMessageW(periodCombo, CB_GETCURSEL, 0, 0)) +
                         kFirstPeriodLength);
    data.SetShowFertility((::SendMessageW(fertilityCheck, BM_GETCHECK, 0, 0) & 1) == 1);
    ForgetControls();
    EndDialog(IDOK);
    return 0;
}

LRESULT SettingsDlg::OnCancel(WORD, WORD, HWND, BOOL&) {
    ForgetControls();
    EndDialog(IDCANCEL);
    return 0;
}

LRESULT SettingsDlg::OnLabelColor(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    auto dc = reinterpret_cast<HDC>(wParam);
    ::SelectObject(dc, labelFont.Get());
    ::SetTextColor(dc, RGB(0, 0, 0));
    return OnCtlColorStatic(msg, wParam, lParam, handled);
}

void SettingsDlg::ForgetControls() {
    cycleCombo = nullptr;
    periodCombo = nullptr;
    fertilityCheck = nullptr;
}
