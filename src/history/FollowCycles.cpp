#include "history/FollowCycles.h"

#include "cycle/CalendarData.h"
#include "framework/AppModule.h"
#include "framework/Preferences.h"
#include "framework/ResourceText.h"
#include "history/Predictions.h"
#include "resource.h"

namespace {

constexpr wchar_t kValue[] = L"FollowCycles";

} // namespace

bool IsFollowingCycles() {
    return ReadPreference(kValue).value_or(0) != 0;
}

LSTATUS SetFollowingCycles(bool on) {
    return WritePreference(kValue, on ? 1 : 0);
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
