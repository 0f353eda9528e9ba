// Her preferences, kept beside the program's other settings in the registry
// (HKCU\Software\Lunabel) and never in the data file: whole numbers by name.
#pragma once

#include <windows.h>

#include <optional>

// Nullopt when the value is missing or cannot be read.
std::optional<DWORD> ReadPreference(const wchar_t* name);
// ERROR_SUCCESS, or why the value could not be stored.
LSTATUS WritePreference(const wchar_t* name, DWORD value);
