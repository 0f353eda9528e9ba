// Print jobs driven page by page through a callback object.
//
//   class Report : public CPrintJobInfo {
//       bool PrintPage(UINT page, HDC dc) override;   // draws one page
//       bool IsValidPage(UINT page) override;
//   };
//   CPrintJob job;
//   job.StartPrintJob(printer, devMode, report, L"Report", 0, pageCount - 1);
//
// The job runs synchronously on the calling thread.
#pragma once

#include <windows.h>
#include <winspool.h>

#include "framework/Handle.h"

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

// The job's callbacks, in the order the job calls them for a page.
class IPrintJobInfo {
public:
    virtual void BeginPrintJob(HDC dc) = 0;
    virtual void EndPrintJob(HDC dc, bool aborted) = 0;
    virtual void PrePrintPage(UINT page, HDC dc) = 0;
    // False stops the job: the page is still ended, the document aborted.
    virtual bool PrintPage(UINT page, HDC dc) = 0;
    virtual void PostPrintPage(UINT page, HDC dc) = 0;
    // Settings to switch to before `page`, or null to keep the job's.
    virtual DEVMODEW* GetNewDevModeForPage(UINT previousPage, UINT page) = 0;
    virtual bool IsValidPage(UINT page) = 0;
    virtual ~IPrintJobInfo() = default;
};

// Every page starts from the same DC state whatever the previous one left.
class CPrintJobInfo : public IPrintJobInfo {
public:
    void BeginPrintJob(HDC) override {}
    void EndPrintJob(HDC, bool) override {}
    void PrePrintPage(UINT, HDC dc) override { savedState = ::SaveDC(dc); }
    void PostPrintPage(UINT, HDC dc) override { ::RestoreDC(dc, savedState); }
    DEVMODEW* GetNewDevModeForPage(UINT, UINT) override { return nullptr; }
    bool IsValidPage(UINT) override { return true; }

protected:
    int savedState = 0;
};

class CPrintJob {
public:
    // Creates a DC for `printer` with `devMode` (null: the printer's defaults)
    // and prints firstPage..lastPage, stopping at the first invalid page.
    // False when nothing could be started; a job stopped by PrintPage still
    // answers true.
    bool StartPrintJob(HANDLE printer, const DEVMODEW* devMode, IPrintJobInfo& info,
                       const wchar_t* docName, UINT firstPage, UINT lastPage);

    // Whether the last job was aborted.
    bool Cancelled() const { return cancelled_; }

private:
    bool cancelled_ = false;
};

// An open printer (OpenPrinterW), closed with ClosePrinter; empty when the
// printer cannot be opened.
class PrinterHandle : public win::Printer {
public:
    PrinterHandle() = default;
    explicit PrinterHandle(const std::wstring& name);
};

// GetPrinterW at `level` into a zero-filled buffer of the size the spooler
// asks for; empty when the query fails. The buffer holds the PRINTER_INFO_n
// followed by the strings it points at.
std::vector<std::byte> GetPrinterInfo(HANDLE printer, DWORD level);

// The name a printer DC is created with: from PRINTER_INFO_5, else PRINTER_INFO_2.
std::wstring PrinterDeviceName(HANDLE printer);
