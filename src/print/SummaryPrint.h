// "Print summary...": the standard Windows print dialog, then the one-page
// cycle summary on the printer she chose. The printer and its settings are
// the view's memory of the last print, read for the preselection and updated.
#pragma once

#include "history/CycleHistory.h"
#include "print/DeviceSettings.h"

#include <windows.h>

#include <string>

void RunSummaryPrint(HWND owner, std::wstring& printerName, DeviceSettings& settings,
                     const CycleHistory& history, int cycleLengthInForce);

// Prints the summary on `printerName` with `settings` when they are that
// printer's, and tells her when it could not be printed.
void PrintSummaryOrTell(HWND owner, const std::wstring& printerName, DeviceSettings& settings,
                        const CycleHistory& history, int cycleLengthInForce);
