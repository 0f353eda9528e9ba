// Messages between a month grid and the view that owns it.
#pragma once

#include <windows.h>

// Sent (not posted) to the grid's parent when a day is clicked.
// wParam: the year; lParam: MAKELPARAM(month, day).
constexpr UINT WM_DAY_CLICKED = WM_USER + 101;
