// What the printing tests share: whether a printer is there, titles that tell
// their documents apart, what a written PDF shows, and printers faked for the
// print dialog.
#pragma once

#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include "DataGuard.h"
#include "ModalDialogDriver.h"
#include "PdfQueue.h"
#include "cycle/DateKey.h"
#include "print/PrintDlg.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

namespace print_test {

inline bool HavePrinter() {
    DWORD needed = 0;
    DWORD returned = 0;
    ::EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, nullptr, 0, &needed,
                    &returned);
    return needed >= sizeof(PRINTER_INFO_4W);
}

inline std::wstring DefaultPrinter() {
    wchar_t name[512];
    DWORD length = 512;
    return ::GetDefaultPrinterW(name, &length) ? name : L"";
}

#define SKIP_WITHOUT_PRINTER()                                                                     \
    if (!print_test::HavePrinter() || print_test::DefaultPrinter().empty()) {                      \
        GTEST_SKIP() << "no printer is set up";                                                    \
    }

// A document title no other run shares, so that its PDF can be told apart.
inline std::wstring UniqueTitle(const wchar_t* what) {
    // Fixed width: no title is the beginning of another.
    static int serial = 0;
    wchar_t number[32];
    ::swprintf(number, 32, L" %08lu %04d", ::GetCurrentProcessId(), ++serial);
    return std::wstring(L"Lunabel Test ") + what + number;
}

// Page objects of a PDF written without object streams (the queue writes PDF 1.2).
inline int CountPdfPages(const std::string& pdf) {
    int pages = 0;
    for (std::size_t at = pdf.find("/Type"); at != std::string::npos;
         at = pdf.find("/Type", at + 5)) {
        std::size_t next = at + 5;
        while (next < pdf.size() && (pdf[next] == ' ' || pdf[next] == '\r' || pdf[next] == '\n')) {
            ++next;
        }
        if (pdf.compare(next, 5, "/Page") == 0 &&
            (next + 5 >= pdf.size() || pdf[next + 5] != 's')) {
            ++pages;
        }
    }
    return pages;
}

// Width and height in points of the first page as shown: its MediaBox
// ("/MediaBox [0 0 595 842]"), turned when the page carries "/Rotate 90".
inline std::optional<std::pair<int, int>> FirstPageSize(const std::string& pdf) {
    const std::size_t at = pdf.find("/MediaBox");
    if (at == std::string::npos) {
        return std::nullopt;
    }
    double box[4];
    std::size_t pos = pdf.find('[', at);
    if (pos == std::string::npos) {
        return std::nullopt;
    }
    ++pos;
    for (double& value : box) {
        char* end = nullptr;
        value = std::strtod(pdf.c_str() + pos, &end);
        if (end == pdf.c_str() + pos) {
            return std::nullopt;
        }
        pos = static_cast<std::size_t>(end - pdf.c_str());
    }
    int width = static_cast<int>(box[2] - box[0] + 0.5);
    int height = static_cast<int>(box[3] - box[1] + 0.5);
    if (const std::size_t rotate = pdf.find("/Rotate"); rotate != std::string::npos) {
        const long degrees = std::strtol(pdf.c_str() + rotate + 7, nullptr, 10);
        if (degrees % 180 != 0) {
            std::swap(width, height);
        }
    }
    return std::make_pair(width, height);
}

// Printers that exist only for the print dialog under test, handed to it in
// place of the spooler's EnumPrintersW and GetDefaultPrinterW.
struct FakeSpooler {
    struct Printer {
        std::wstring name;
        std::wstring server;
    };
    static inline std::vector<Printer> printers;
    static inline std::wstring defaultPrinter;
    // The second enumeration, into the buffer, fails.
    static inline bool listingFails = false;
    static inline std::vector<DWORD> levelsAsked;
    static inline std::vector<DWORD> flagsGiven;

    static void Reset() {
        printers.clear();
        defaultPrinter.clear();
        listingFails = false;
        levelsAsked.clear();
        flagsGiven.clear();
    }

    static SpoolerCalls Calls() { return SpoolerCalls{&EnumPrinters, &GetDefaultPrinter}; }

    static BOOL WINAPI EnumPrinters(DWORD flags, LPWSTR, DWORD level, LPBYTE buffer, DWORD size,
                                    LPDWORD needed, LPDWORD returned) {
        levelsAsked.push_back(level);
        flagsGiven.push_back(flags);
        DWORD bytes = static_cast<DWORD>(printers.size() * sizeof(PRINTER_INFO_4W));
        for (const Printer& p : printers) {
            bytes +=
                static_cast<DWORD>((p.name.size() + 1 + p.server.size() + 1) * sizeof(wchar_t));
        }
        *needed = bytes;
        *returned = 0;
        if (bytes == 0) {
            return TRUE;
        }
        if (!buffer || size < bytes) {
            ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        if (listingFails) {
            ::SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        auto* records = reinterpret_cast<PRINTER_INFO_4W*>(buffer);
        auto* strings = reinterpret_cast<wchar_t*>(records + printers.size());
        const auto put = [&strings](const std::wstring& text) {
            wchar_t* at = strings;
            std::wmemcpy(at, text.c_str(), text.size() + 1);
            strings += text.size() + 1;
            return at;
        };
        for (std::size_t i = 0; i < printers.size(); ++i) {
            records[i].pPrinterName = put(printers[i].name);
            // The spooler gives no server name, not an empty one, for a local printer.
            records[i].pServerName = printers[i].server.empty() ? nullptr : put(printers[i].server);
            if (printers[i].server.empty()) {
                strings += 1;
            }
            records[i].Attributes = 0;
        }
        *returned = static_cast<DWORD>(printers.size());
        return TRUE;
    }

    static BOOL WINAPI GetDefaultPrinter(LPWSTR buffer, LPDWORD length) {
        if (defaultPrinter.empty()) {
            ::SetLastError(ERROR_FILE_NOT_FOUND);
            return FALSE;
        }
        const DWORD wanted = static_cast<DWORD>(defaultPrinter.size() + 1);
        if (!buffer || *length < wanted) {
            *length = wanted;
            ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        std::wmemcpy(buffer, defaultPrinter.c_str(), wanted);
        *length = wanted;
        return TRUE;
    }
};

} // namespace print_test
