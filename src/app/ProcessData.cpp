// The user's data for the whole process: loaded during static initialisation,
// before any window exists, and saved when the process exits in order.
#include "cycle/CalendarData.h"
#include "cycle/PersistentCalendarData.h"

namespace {
PersistentCalendarData userData;
} // namespace

CalendarData& CalendarData::Instance() {
    return userData.Data();
}
