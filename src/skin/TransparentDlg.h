// The skin shared by the program's dialogs: a borderless dialog that lies, at
// the size of its picture, on a frosted copy of the window it is opened over.
//
//   class NameDlg : public CDialogImpl<NameDlg>, public TransparentDlg {
//   public:
//       enum { IDD = IDD_NAME };
//       explicit NameDlg(HWND view) : TransparentDlg(view) {}
//       BEGIN_MSG_MAP(NameDlg)
//           MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)   // calls InitBackground
//           MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
//           MESSAGE_HANDLER(WM_CTLCOLORSTATIC, OnCtlColorStatic)
//           ...
//       END_MSG_MAP()
//   };
#pragma once

#include "framework/Gdi.h"
#include "skin/DisplayScale.h"

#include <windows.h>

class TransparentDlg {
public:
    // `owner` is the window the dialog is centred over and whose pixels it
    // frosts (the calendar view in the program; any window will do).
    explicit TransparentDlg(HWND owner);
    TransparentDlg(const TransparentDlg&) = delete;
    TransparentDlg& operator=(const TransparentDlg&) = delete;
    ~TransparentDlg();

    // From WM_INITDIALOG: places the controls for the dialog's display scale,
    // sizes `dialog` to `picture` at that scale (a resource of type IMAGES;
    // null keeps the template's size), centres it over the owner even where
    // that leaves the screen, and composes the background once.
    void InitBackground(HWND dialog, const wchar_t* picture);
    // Copies the composed background over the dialog's client area.
    void PaintBackground(HDC dc) const;
    // WM_CTLCOLORSTATIC: a transparent text background and the background
    // brush aligned to `control`, so it shows the picture lying beneath it.
    HBRUSH ColorStatic(HDC dc, HWND control) const;
    // Check boxes and radio buttons under visual styles paint their own
    // background and text colour and ignore WM_CTLCOLORSTATIC; unthemed they
    // take the skin's.
    static void RemoveVisualStyle(HWND control);
    // The bold Comic Sans the dialogs' labels and buttons are written in.
    static gdi::Font MakeLabelFont(const DisplayScale& scale = DisplayScale());
    // The display scale the dialog was laid out for (after InitBackground).
    const DisplayScale& Scale() const { return scale_; }
    // A static selects its own font after asking for its colours: the labels
    // need the dialog's font as their own to show it.
    static void SetStaticFonts(HWND dialog, HFONT font);
    // Names a list after its label (string `label`, its access key dropped),
    // which not every screen reader looks for.
    static void NameAfterLabel(HWND dialog, int control, UINT label);

    // Cancels every skinned dialog that is open and can take it (not one
    // waiting for a window of the system over it, such as Save As).
    static void CancelOpenDialogs();

    // Ready-made handlers for message maps.
    LRESULT OnEraseBackground(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnCtlColorStatic(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);

    HDC ComposedDC() const { return composed_.Get(); }
    HBRUSH BackgroundBrush() const { return backgroundBrush_.Get(); }

private:
    void PlaceControlsForScale(HWND dialog, const DisplayScale& scale);

    HWND owner_;
    DisplayScale scale_;
    HWND dialog_ = nullptr;
    gdi::Surface composed_; // the frosted copy with the picture laid over it
    gdi::Brush backgroundBrush_;
    // The controls' font at a scale where the template's is a bitmap face.
    gdi::Font outlineFont_;
};
