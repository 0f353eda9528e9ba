#include "cycle/CalendarData.h"

namespace {
CalendarData* current = nullptr;
} // namespace

CalendarData& CalendarData::Instance() {
    // What a second copy of the program sees before it leaves: nothing of hers.
    static CalendarData none;
    return current != nullptr ? *current : none;
}

CalendarData::InstanceScope::InstanceScope(CalendarData& data) : previous_(current) {
    current = &data;
}

CalendarData::InstanceScope::~InstanceScope() {
    current = previous_;
}
