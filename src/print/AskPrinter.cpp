#include "print/AskPrinter.h"

#include <cderr.h>
#include <commdlg.h>

#include <cstring>

#include "framework/AppModule.h"
#include "framework/Handle.h"
#include "framework/ResourceText.h"
#include "resource.h"

namespace {

void Tell(HWND owner, const std::wstring& text, UINT icon) {
    ::MessageBoxW(owner, text.c_str(), LoadResourceString(IDS_APP_NAME).c_str(), MB_OK | icon);
}

// A DEVNAMES naming the printer, so that the dialog opens on it.
win::GlobalMemory DeviceNames(const std::wstring& printerName) {
    constexpr std::size_t kHead = sizeof(DEVNAMES) / sizeof(wchar_t);
    // Driver "", device, output "": each with its terminating zero.
    const std::size_t characters = kHead + 1 + printerName.size() + 1 + 1;
    win::GlobalMemory block(::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, characters * 2));
    const win::GlobalLock<wchar_t> text(block.Get());
    if (!text) {
        return {};
    }
    auto* names = reinterpret_cast<DEVNAMES*>(text.Get());
    names->wDriverOffset = static_cast<WORD>(kHead);
    names->wDeviceOffset = static_cast<WORD>(kHead + 1);
    names->wOutputOffset = static_cast<WORD>(kHead + 1 + printerName.size() + 1);
    std::memcpy(text.Get() + names->wDeviceOffset, printerName.c_str(),
                printerName.size() * sizeof(wchar_t));
    return block;
}

win::GlobalMemory DeviceMode(const DeviceSettings& settings) {
    const DEVMODEW* devMode = settings.Get();
    if (!devMode) {
        return {};
    }
    const SIZE_T size = static_cast<SIZE_T>(devMode->dmSize) + devMode->dmDriverExtra;
    win::GlobalMemory block(::GlobalAlloc(GMEM_MOVEABLE, size));
    const win::GlobalLock<std::byte> copy(block.Get());
    if (!copy) {
        return {};
    }
    std::memcpy(copy.Get(), devMode, size);
    return block;
}

} // namespace

bool AskPrinter(HWND owner, std::wstring& printerName, DeviceSettings& settings) {
    win::GlobalMemory names = printerName.empty() ? win::GlobalMemory() : DeviceNames(printerName);
    win::GlobalMemory mode =
        settings.BelongsTo(printerName) ? DeviceMode(settings) : win::GlobalMemory();

    PRINTDLGEXW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.hDevNames = names.Release();
    dialog.hDevMode = mode.Release();
    // One page: no range, no selection, no current page.
    dialog.Flags = PD_NOPAGENUMS | PD_NOSELECTION | PD_NOCURRENTPAGE | PD_HIDEPRINTTOFILE |
                   PD_USEDEVMODECOPIESANDCOLLATE;
    dialog.nCopies = 1;
    dialog.nStartPage = START_PAGE_GENERAL;
    const HRESULT shown = ::PrintDlgExW(&dialog);
    // Whatever the answer, the blocks are ours to free, possibly new ones.
    names.Reset(dialog.hDevNames);
    mode.Reset(dialog.hDevMode);

    if (FAILED(shown)) {
        const DWORD error = ::CommDlgExtendedError();
        Tell(owner,
             error == PDERR_NODEFAULTPRN || error == PDERR_NODEVICES
                 ? LoadResourceString(IDS_NO_PRINTERS)
                 : FormatResourceString(IDS_PRINT_DIALOG_FAILED, {SystemErrorText(shown)}),
             MB_ICONWARNING);
        return false;
    }
    if (dialog.dwResultAction != PD_RESULT_PRINT) {
        return false;
    }
    {
        const win::GlobalLock<DEVNAMES> chosen(names.Get());
        if (!chosen) {
            // PrintDlgEx answers without a printer when none is installed.
            Tell(owner, LoadResourceString(IDS_NO_PRINTERS), MB_ICONINFORMATION);
            return false;
        }
        printerName = reinterpret_cast<const wchar_t*>(chosen.Get()) + chosen.Get()->wDeviceOffset;
    }
    if (const win::GlobalLock<DEVMODEW> chosen(mode.Get()); chosen) {
        settings.CopyFrom(chosen.Get(), printerName);
    }
    return true;
}
