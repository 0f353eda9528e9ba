// The standard Windows print dialog for a one-page print: it opens on
// `printerName` with `settings` when they are that printer's, and updates both
// to her choice. False when she cancelled, or when there is no printer or the
// dialog could not be shown (she is told).
#pragma once

#include <windows.h>

#include <string>

#include "print/DeviceSettings.h"

bool AskPrinter(HWND owner, std::wstring& printerName, DeviceSettings& settings);
