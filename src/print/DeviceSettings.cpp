#include "print/DeviceSettings.h"

#include "framework/PrintJob.h"

#include <cstring>
#include <utility>

bool DeviceSettings::CopyFrom(const DEVMODEW* devMode, const std::wstring& printerName) {
    if (!devMode) {
        return false;
    }
    const SIZE_T size = static_cast<SIZE_T>(devMode->dmSize) + devMode->dmDriverExtra;
    win::GlobalMemory block(::GlobalAlloc(GMEM_MOVEABLE, size));
    void* copy = block ? ::GlobalLock(block.Get()) : nullptr;
    if (!copy) {
        Reset();
        return false;
    }
    // Reset only now: `devMode` may be the block held so far.
    std::memcpy(copy, devMode, size);
    Reset();
    block_ = std::move(block);
    devMode_ = static_cast<DEVMODEW*>(copy);
    printerName_ = printerName;
    return true;
}

bool DeviceSettings::CopyFromPrinter(HANDLE printer, const std::wstring& printerName) {
    const auto buffer = GetPrinterInfo(printer, 2);
    if (buffer.empty()) {
        return false;
    }
    const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    return CopyFrom(info->pDevMode, printerName);
}

bool DeviceSettings::BelongsTo(const std::wstring& printerName) const {
    return !IsEmpty() && SamePrinterName(printerName_, printerName);
}

void DeviceSettings::Reset() {
    if (devMode_) {
        ::GlobalUnlock(block_.Get());
    }
    block_.Reset();
    devMode_ = nullptr;
    printerName_.clear();
}

DEVMODEW* PrepareSettingsFor(DeviceSettings& settings, HANDLE printer,
                             const std::wstring& printerName) {
    if (!settings.BelongsTo(printerName)) {
        settings.CopyFromPrinter(printer, printerName);
    }
    return settings.BelongsTo(printerName) ? settings.Get() : nullptr;
}

bool SamePrinterName(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(),
                            static_cast<int>(a.size()), b.c_str(),
                            static_cast<int>(b.size())) == CSTR_EQUAL;
}
