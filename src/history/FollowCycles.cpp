#include "history/FollowCycles.h"

#include "cycle/CalendarData.h"
#include "framework/AppModule.h"
#include "framework/Handle.h"
#include "framework/ResourceText.h"
#include "history/Predictions.h"
#include "resource.h"

namespace {

constexpr wchar_t kKey[] = L"Software\\Lunabel";
constexpr wchar_t kValue[] = L"FollowCycles";

} // namespace

bool IsFollowingCycles() {
    DWORD value = 0;
    DWORD size = sizeof value;
    return ::RegGetValueW(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_DWORD, nullptr, &value,
                          &size) == ERROR_SUCCESS &&
           value != 0;
}

LSTATUS SetFollowingCycles(bool on) {
    win::RegKey key;
    const LSTATUS opened = ::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE,
                                             nullptr, key.Put(), nullptr);
    if (opened != ERROR_SUCCESS) {
        key.Release(); // nothing was opened
        return opened;
    }
    const DWORD value = on ? 1 : 0;
    return ::RegSetValueExW(key.Get(), kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                            sizeof value);
}

bool StoreFollowingCycles(HWND owner, bool on) {
    const LSTATUS error = SetFollowingCycles(on);
    if (error != ERROR_SUCCESS) {
        ::MessageBoxW(owner,
                      FormatResourceString(IDS_FOLLOW_FAILED, {SystemErrorText(error)}).c_str(),
                      LoadResourceString(IDS_APP_NAME).c_str(), MB_OK | MB_ICONWARNING);
    }
    return error == ERROR_SUCCESS;
}

CycleFollower::CycleFollower(CalendarData& data)
    : data_(data), listener_(data.AddListener([this](CalendarData::Change change) {
          // Only marks move the typical cycle; the length it sets is a
          // change of settings and ends here.
          if (change == CalendarData::Change::Marks && IsFollowingCycles()) {
              ApplyTypicalCycle(data_);
          }
      })) {}

CycleFollower::~CycleFollower() {
    data_.RemoveListener(listener_);
}
