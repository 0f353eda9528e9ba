// The bar chart of her recent cycles inside the cycle history dialog. It lies
// on the dialog's skin, which it copies from the picture it is given, and it
// carries a description of its bars as its text for screen readers.
#pragma once

#include "framework/Gdi.h"
#include "skin/DisplayScale.h"
#include "framework/Window.h"
#include "history/CycleHistory.h"

#include <windows.h>

#include <string>
#include <vector>

class CycleChart : public CWindowImpl<CycleChart> {
public:
    static constexpr const wchar_t* kClassName = L"LunabelCycleChart";

    // `skin`: the parent's picture, in the parent's client coordinates; it
    // must outlive the window.
    // `scale`: the display scale of the dialog it lies on.
    CycleChart(HDC skin, const DisplayScale& scale);
    ~CycleChart() override;

    static WindowClassInfo GetWndClassInfo() {
        WindowClassInfo info;
        info.style = CS_HREDRAW | CS_VREDRAW;
        info.background = nullptr;
        return info;
    }

    BEGIN_MSG_MAP(CycleChart)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
    END_MSG_MAP()

    // Shows the recent cycles of `history` and describes them in the window text.
    void Show(const CycleHistory& history, const std::wstring& description);

private:
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }

    HDC skin;
    gdi::Font numberFont;
    std::vector<CycleEntry> recent;
    int medianTenths = 0;
};
