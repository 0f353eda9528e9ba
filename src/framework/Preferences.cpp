#include "framework/Preferences.h"

#include "framework/Handle.h"

namespace {
constexpr wchar_t kKey[] = L"Software\\Lunabel";
} // namespace

std::optional<DWORD> ReadPreference(const wchar_t* name) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (::RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

LSTATUS WritePreference(const wchar_t* name, DWORD value) {
    win::RegKey key;
    const LSTATUS opened = ::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE,
                                             nullptr, key.Put(), nullptr);
    if (opened != ERROR_SUCCESS) {
        key.Release(); // nothing was opened
        return opened;
    }
    return ::RegSetValueExW(key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                            sizeof value);
}
