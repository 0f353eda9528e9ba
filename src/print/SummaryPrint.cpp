#include "print/SummaryPrint.h"

#include "framework/AppModule.h"
#include "framework/Handle.h"
#include "framework/PrintJob.h"
#include "framework/ResourceText.h"
#include "print/AskPrinter.h"
#include "print/SummaryPage.h"
#include "resource.h"

namespace {

void Tell(HWND owner, const std::wstring& text, UINT icon) {
    ::MessageBoxW(owner, text.c_str(), LoadResourceString(IDS_APP_NAME).c_str(), MB_OK | icon);
}

} // namespace

void RunSummaryPrint(HWND owner, std::wstring& printerName, DeviceSettings& settings,
                     const CycleHistory& history, int cycleLengthInForce) {
    if (AskPrinter(owner, printerName, settings)) {
        PrintSummaryOrTell(owner, printerName, settings, history, cycleLengthInForce);
    }
}

void PrintSummaryOrTell(HWND owner, const std::wstring& printerName, DeviceSettings& settings,
                        const CycleHistory& history, int cycleLengthInForce) {
    PrinterHandle printer(printerName);
    bool printed = false;
    if (printer) {
        const DEVMODEW* devMode = PrepareSettingsFor(settings, printer.Get(), printerName);
        SummaryJobInfo summary(history, cycleLengthInForce);
        CPrintJob job;
        printed = job.StartPrintJob(printer.Get(), devMode, summary,
                                    LoadResourceString(IDS_SUMMARY_DOC_NAME).c_str(), 0, 0) &&
                  !job.Cancelled();
    }
    if (!printed) {
        Tell(owner, FormatResourceString(IDS_SUMMARY_PRINT_FAILED, {printerName}), MB_ICONWARNING);
    }
}
