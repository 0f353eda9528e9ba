// The settings dialog: cycle length, period length and whether fertile days
// are shown. OK writes them into CalendarData; the owner then reclassifies
// what it shows. Cancel writes nothing.
//
//   SettingsDlg dialog(view);
//   if (dialog.DoModal(view) == IDOK) { ...Classify and repaint the grids... }
#pragma once

#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "skin/TransparentDlg.h"

#include "resource.h"

#include <windows.h>

class SettingsDlg : public CDialogImpl<SettingsDlg>, public TransparentDlg {
public:
    enum { IDD = IDD_SETTINGS };

    // The lists offered; a stored value outside them shows the fallback.
    static constexpr int kFirstCycleLength = 20;
    static constexpr int kLastCycleLength = 40;
    static constexpr int kFallbackCycleLength = 26;
    static constexpr int kFirstPeriodLength = 2;
    static constexpr int kLastPeriodLength = 10;
    static constexpr int kFallbackPeriodLength = 5;

    explicit SettingsDlg(HWND view);
    ~SettingsDlg() override;

    BEGIN_MSG_MAP(SettingsDlg)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDOK, OnOk)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
        MESSAGE_HANDLER(WM_CTLCOLORSTATIC, OnLabelColor)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOk(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnLabelColor(UINT, WPARAM, LPARAM, BOOL&);

    gdi::Font labelFont;
    // A length of her own choosing ends "Keep following my cycles".
    int cycleLengthAtOpen = 0;
};
