#include "print/RecoveryKeyPrint.h"

#include <array>

#include "framework/Gdi.h"
#include "framework/AppModule.h"
#include "framework/ResourceText.h"
#include "print/AskPrinter.h"
#include "print/DeviceSettings.h"
#include "resource.h"

namespace {

// Heading, key, the rest: split at the first two empty lines.
std::array<std::wstring, 3> Parts(const std::wstring& text) {
    std::array<std::wstring, 3> parts;
    std::size_t from = 0;
    for (std::size_t i = 0; i < 2; ++i) {
        const std::size_t gap = text.find(L"\n\n", from);
        if (gap == std::wstring::npos) {
            parts[i] = text.substr(from);
            return parts;
        }
        parts[i] = text.substr(from, gap - from);
        from = gap + 2;
    }
    parts[2] = text.substr(from);
    return parts;
}

// Points to the device's pixels.
int Points(HDC dc, int points) {
    return -::MulDiv(points, ::GetDeviceCaps(dc, LOGPIXELSY), 72);
}

} // namespace

bool RecoveryKeyPage::PrintPage(UINT, HDC dc) {
    const int inch = ::GetDeviceCaps(dc, LOGPIXELSX);
    RECT area{inch, inch, ::GetDeviceCaps(dc, HORZRES) - inch, ::GetDeviceCaps(dc, VERTRES) - inch};
    const std::array<std::wstring, 3> parts = Parts(text_);
    const gdi::Font heading = gdi::MakeFont(L"Arial", Points(dc, 20), FW_BOLD, ANTIALIASED_QUALITY);
    const gdi::Font key =
        gdi::MakeFont(L"Courier New", Points(dc, 22), FW_BOLD, ANTIALIASED_QUALITY);
    const gdi::Font body = gdi::MakeFont(L"Arial", Points(dc, 12), FW_NORMAL, ANTIALIASED_QUALITY);
    const struct {
        const gdi::Font& font;
        UINT format;
    } lines[] = {{heading, DT_LEFT}, {key, DT_CENTER}, {body, DT_LEFT}};
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(0, 0, 0));
    for (std::size_t i = 0; i < parts.size(); ++i) {
        ::SelectObject(dc, lines[i].font.Get());
        // Drawn as well as measured: the height is of the lines drawn.
        const int height = ::DrawTextW(dc, parts[i].c_str(), static_cast<int>(parts[i].size()),
                                       &area, lines[i].format | DT_WORDBREAK | DT_NOPREFIX);
        area.top += height + inch / 3;
    }
    return true;
}

bool PrintRecoveryKey(HWND owner, const std::wstring& text) {
    // The key is printed once; no printer is remembered for it.
    std::wstring printerName;
    DeviceSettings settings;
    if (!AskPrinter(owner, printerName, settings)) {
        return false;
    }
    PrinterHandle printer(printerName);
    bool printed = false;
    if (printer) {
        const DEVMODEW* devMode = PrepareSettingsFor(settings, printer.Get(), printerName);
        RecoveryKeyPage page(text);
        CPrintJob job;
        printed = job.StartPrintJob(printer.Get(), devMode, page,
                                    LoadResourceString(IDS_KEY_FILE_NAME).c_str(), 0, 0) &&
                  !job.Cancelled();
    }
    if (!printed) {
        ::MessageBoxW(owner, FormatResourceString(IDS_KEY_PRINT_FAILED, {printerName}).c_str(),
                      LoadResourceString(IDS_APP_NAME).c_str(), MB_OK | MB_ICONWARNING);
    }
    return printed;
}
