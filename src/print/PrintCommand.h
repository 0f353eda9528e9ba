// The view's Print command: the print dialog, then the yearly report.
#pragma once

#include "print/DeviceSettings.h"
#include "print/PrintDlg.h"

#include <windows.h>

#include <string>
#include <vector>

// Runs the print dialog over `view` and, when it closes with Print, prints
// the chosen years. `printerName` and `settings` are the view's memory of the
// last print: read for the preselection, updated by the dialog and the print.
void RunPrintCommand(HWND view, std::wstring& printerName, DeviceSettings& settings,
                     SpoolerCalls spooler = {});

// Prints one page per year on `printerName` as the document `docName`, with
// `settings` when they are that printer's (else filled from its defaults
// first). False when nothing could be printed.
bool PrintReport(const std::wstring& printerName, DeviceSettings& settings,
                 const std::vector<int>& years, const std::wstring& docName);
