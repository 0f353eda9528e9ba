#include "print/PrintCommand.h"

#include "framework/AppModule.h"
#include "framework/PrintJob.h"
#include "print/MyPrintJobInfo.h"
#include "print/PrintChoices.h"

void RunPrintCommand(HWND view, std::wstring& printerName, DeviceSettings& settings,
                     SpoolerCalls spooler) {
    PrintDlg dialog(view, printerName, settings, spooler);
    if (dialog.DoModal(view) != IDOK) {
        return;
    }
    printerName = dialog.PrinterName();
    PrintReport(printerName, settings, dialog.Years(), LoadResourceString(IDS_REPORT_NAME));
}

bool PrintReport(const std::wstring& printerName, DeviceSettings& settings,
                 const std::vector<int>& years, const std::wstring& docName) {
    PrinterHandle printer(printerName);
    if (!printer) {
        return false;
    }
    // Without settings of its own the driver takes its defaults.
    const DEVMODEW* devMode = PrepareSettingsFor(settings, printer.Get(), printerName);
    MyPrintJobInfo report(years);
    CPrintJob job;
    return job.StartPrintJob(printer.Get(), devMode, report, docName.c_str(), 0,
                             LastPageFor(years.size()));
}
