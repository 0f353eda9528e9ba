// The user's data for the whole process: loaded during static initialisation,
// before any window exists, saved as it changes, and saved for the last time
// when the process exits in order.
#include <optional>

#include "app/ProcessData.h"

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

// CalendarData::Instance answers her data from here on, until the process ends.
std::optional<CalendarData::InstanceScope> userInstance =
    userData ? std::optional<CalendarData::InstanceScope>(std::in_place, userData->Data())
             : std::nullopt;

} // namespace

PersistentCalendarData* ProcessUserData() {
    return userData ? &*userData : nullptr;
}

const SingleInstance& SingleInstance::Process() {
    return processInstance;
}
