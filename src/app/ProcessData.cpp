// The user's data for the whole process: loaded during static initialisation,
// before any window exists, saved as it changes, and saved for the last time
// when the process exits in order.
#include <optional>

#include "app/MainFrame.h"
#include "app/SingleInstance.h"
#include "cycle/CalendarData.h"
#include "cycle/PersistentCalendarData.h"

namespace {

// Long enough for a copy that is starting to show its window, or one that is
// closing to save.
constexpr DWORD kOtherCopyPatience = 10000;

// Constructed before the data object and destroyed after it: a second copy never
// loads or saves, and the first lets go of the name only once its last save,
// pending or not, is done.
SingleInstance processInstance(L"Local\\Lunabel.SingleInstance", CMainFrame::kClassName,
                               kOtherCopyPatience);

std::optional<PersistentCalendarData> LoadUserData() {
    if (!processInstance.IsFirst()) {
        return std::nullopt;
    }
    return std::optional<PersistentCalendarData>(std::in_place);
}

std::optional<PersistentCalendarData> userData = LoadUserData();

// What a second copy would see; it leaves before making any window.
CalendarData unsavedData;

} // namespace

CalendarData& CalendarData::Instance() {
    return userData ? userData->Data() : unsavedData;
}

const SingleInstance& SingleInstance::Process() {
    return processInstance;
}
