#include "framework/PrintJob.h"

#include "framework/Gdi.h"

PrinterHandle::PrinterHandle(const std::wstring& name) {
    if (!::OpenPrinterW(const_cast<wchar_t*>(name.c_str()), Put(), nullptr)) {
        Release();
    }
}

std::vector<std::byte> GetPrinterInfo(HANDLE printer, DWORD level) {
    if (!printer) {
        return {};
    }
    DWORD needed = 0;
    ::GetPrinterW(printer, level, nullptr, 0, &needed);
    if (needed == 0) {
        return {};
    }
    std::vector<std::byte> buffer(needed);
    if (!::GetPrinterW(printer, level, reinterpret_cast<BYTE*>(buffer.data()), needed, &needed)) {
        return {};
    }
    return buffer;
}

std::wstring PrinterDeviceName(HANDLE printer) {
    if (auto info5 = GetPrinterInfo(printer, 5); !info5.empty()) {
        const auto* info = reinterpret_cast<const PRINTER_INFO_5W*>(info5.data());
        if (info->pPrinterName) {
            return info->pPrinterName;
        }
    }
    if (auto info2 = GetPrinterInfo(printer, 2); !info2.empty()) {
        const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(info2.data());
        if (info->pPrinterName) {
            return info->pPrinterName;
        }
    }
    return {};
}

bool CPrintJob::StartPrintJob(HANDLE printer, const DEVMODEW* devMode, IPrintJobInfo& info,
                              const wchar_t* docName, UINT firstPage, UINT lastPage) {
    cancelled_ = false;
    const std::wstring device = PrinterDeviceName(printer);
    if (device.empty()) {
        return false;
    }
    const gdi::DeviceDC printerDC(::CreateDCW(nullptr, device.c_str(), nullptr, devMode));
    if (!printerDC) {
        return false;
    }
    const HDC dc = printerDC.Get();

    DOCINFOW doc{};
    doc.cbSize = sizeof(doc);
    doc.lpszDocName = docName;
    if (::StartDocW(dc, &doc) <= 0) {
        return false;
    }

    info.BeginPrintJob(dc);
    UINT previous = 0;
    for (UINT page = firstPage; page <= lastPage; ++page) {
        if (!info.IsValidPage(page)) {
            break;
        }
        if (const DEVMODEW* pageMode = info.GetNewDevModeForPage(previous, page)) {
            ::ResetDCW(dc, pageMode);
        }
        ::StartPage(dc);
        info.PrePrintPage(page, dc);
        if (!info.PrintPage(page, dc)) {
            cancelled_ = true;
        }
        info.PostPrintPage(page, dc);
        ::EndPage(dc);
        // The last page may be 0xFFFFFFFF: stop before the count wraps to 0.
        if (cancelled_ || page == lastPage) {
            break;
        }
        previous = page;
    }
    info.EndPrintJob(dc, cancelled_);

    if (cancelled_) {
        ::AbortDoc(dc);
    } else {
        ::EndDoc(dc);
    }
    return true;
}
