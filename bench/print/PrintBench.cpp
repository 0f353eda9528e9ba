// How long the Print command keeps the window busy with a ten-year report
// (from Print to the end of the job), how long until the PDF queue has
// written it, and how much is spooled per page. Prints its figures.
#include "PdfQueue.h"
#include "cycle/CalendarData.h"
#include "cycle/DateKey.h"
#include "framework/PrintJob.h"
#include "print/DeviceSettings.h"
#include "print/MyPrintJobInfo.h"
#include "print/PrintChoices.h"
#include "print/PrintCommand.h"

#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kRuns = 5;

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now() {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now;
}

// The pages of the report printed to a file through the printer's driver:
// exactly what the spooler is handed.
long long SpooledBytes(const std::wstring& printer, const std::vector<int>& years) {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring output = std::wstring(temp) + L"lunabel-report.prn";
    HDC dc = ::CreateDCW(nullptr, printer.c_str(), nullptr, nullptr);
    if (!dc) {
        return -1;
    }
    DOCINFOW doc{};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = L"Lunabel Report";
    doc.lpszOutput = output.c_str();
    MyPrintJobInfo report(years);
    if (::StartDocW(dc, &doc) > 0) {
        for (UINT page = 0; report.IsValidPage(page); ++page) {
            ::StartPage(dc);
            report.PrePrintPage(page, dc);
            report.PrintPage(page, dc);
            report.PostPrintPage(page, dc);
            ::EndPage(dc);
        }
        ::EndDoc(dc);
    }
    ::DeleteDC(dc);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    const bool found = ::GetFileAttributesExW(output.c_str(), GetFileExInfoStandard, &data);
    ::DeleteFileW(output.c_str());
    return found ? (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow : -1;
}

} // namespace

int main() {
    wchar_t name[256];
    DWORD length = 256;
    if (!::GetDefaultPrinterW(name, &length)) {
        std::printf("no default printer\n");
        return 1;
    }
    const std::wstring printer = name;

    // A user of ten years: a period every 28 days.
    std::vector<DateKey> marks;
    for (int year = 1997; year <= 2006; ++year) {
        for (int month = 1; month <= 12; ++month) {
            marks.push_back(MakeDateKey(year, month, 1 + (year + month) % 20));
        }
    }
    CalendarData data;
    const CalendarData::InstanceScope instance(data);
    data.SetMarks(marks);
    std::vector<int> years;
    for (int year = 1997; year <= 2006; ++year) {
        years.push_back(year);
    }

    DeviceSettings settings;
    std::vector<double> jobTimes;
    std::vector<double> pdfTimes;
    long long pdfSize = 0;
    for (int run = 0; run < kRuns; ++run) {
        wchar_t title[64];
        std::swprintf(title, 64, L"Lunabel Bench %08lu %d", ::GetCurrentProcessId(), run);

        const LARGE_INTEGER start = Now();
        if (!PrintReport(printer, settings, years, title)) {
            std::printf("printing failed\n");
            return 1;
        }
        jobTimes.push_back(Milliseconds(start, Now()));

        // Bounded: a queue that never delivers ends the run.
        const auto pdf = pdf_queue::WaitForPdf(title);
        if (!pdf) {
            std::printf("the queue wrote no PDF\n");
            return 1;
        }
        pdfTimes.push_back(Milliseconds(start, Now()));
        pdfSize = static_cast<long long>(pdf_queue::ReadAll(*pdf).size());
        ::DeleteFileW(pdf->c_str());
    }
    std::sort(jobTimes.begin(), jobTimes.end());
    std::sort(pdfTimes.begin(), pdfTimes.end());

    const long long spooled = SpooledBytes(printer, years);
    std::printf("ten-year report (%zu pages) on %ls, %d runs:\n", years.size(), name, kRuns);
    std::printf("  Print to end of job (window busy): median %.0f ms, best %.0f ms\n",
                jobTimes[kRuns / 2], jobTimes.front());
    std::printf("  Print to finished PDF:             median %.0f ms, best %.0f ms\n",
                pdfTimes[kRuns / 2], pdfTimes.front());
    std::printf("  spooled (PostScript) per page:     %lld bytes\n",
                spooled / static_cast<long long>(years.size()));
    std::printf("  PDF per page:                      %lld bytes\n",
                pdfSize / static_cast<long long>(years.size()));
    return 0;
}
