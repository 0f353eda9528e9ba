// The printer settings the view keeps between prints: one DEVMODE (with the
// driver's private part) in a movable global block, kept locked, and the name
// of the printer it belongs to. A DEVMODE means something only to the driver
// that made it, so the name travels with it.
#pragma once

#include <windows.h>
#include <winspool.h>

#include "framework/Handle.h"

#include <string>

class DeviceSettings {
public:
    DeviceSettings() = default;
    DeviceSettings(const DeviceSettings&) = delete;
    DeviceSettings& operator=(const DeviceSettings&) = delete;
    ~DeviceSettings() { Reset(); }

    // Replaces the held settings with a copy of `devMode` (dmSize +
    // dmDriverExtra bytes) from `printerName`. Without a DEVMODE nothing
    // changes and the answer is false; if memory runs out the holder ends empty.
    bool CopyFrom(const DEVMODEW* devMode, const std::wstring& printerName);
    // Replaces them with the current defaults of an open printer (GetPrinterW
    // level 2). When the printer cannot be asked, nothing changes.
    bool CopyFromPrinter(HANDLE printer, const std::wstring& printerName);

    bool IsEmpty() const { return devMode_ == nullptr; }
    // The held DEVMODE, writable in place (the driver's properties dialog
    // writes into it); null when empty.
    DEVMODEW* Get() const { return devMode_; }
    // Whether these are settings of `printerName` (names compared ignoring case).
    bool BelongsTo(const std::wstring& printerName) const;

    void Reset();

private:
    win::GlobalMemory block_;
    DEVMODEW* devMode_ = nullptr;
    std::wstring printerName_;
};

// Makes `settings` fit the open printer `printerName`: its own defaults when
// they are empty or came from another printer, else they are kept as they are.
// Answers the settings, or null when they still belong to another printer
// (its defaults could not be read): never hand a driver those of another.
DEVMODEW* PrepareSettingsFor(DeviceSettings& settings, HANDLE printer,
                             const std::wstring& printerName);

// Printer names compare as the spooler does: ignoring case.
bool SamePrinterName(const std::wstring& a, const std::wstring& b);
