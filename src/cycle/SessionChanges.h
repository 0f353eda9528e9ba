// What a session that could not save changed, told against the file it
// started from (its base), and brought into the calendar as it is now: a mark
// added then is added if still missing, a mark taken back is taken back if
// still there, and a setting changed then is changed only where today's file
// still holds the base's value, so that nothing she did since is undone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "cycle/DateKey.h"

class CalendarData;

struct SessionChanges {
    std::vector<DateKey> added;
    std::vector<DateKey> removed;
    std::optional<std::int32_t> cycleLength;
    std::optional<std::int32_t> periodLength;
    std::optional<std::uint32_t> showFertility;

    std::size_t SettingsChanged() const;
    bool Empty() const { return added.empty() && removed.empty() && SettingsChanged() == 0; }
};

// The changes from `base` to `kept` that `today` does not hold yet.
SessionChanges ChangesToApply(const CalendarData& base, const CalendarData& kept,
                              const CalendarData& today);

// For a copy without a base (written by an older Lunabel): its marks that
// `today` lacks, as such copies were always offered.
SessionChanges MarksToAdd(const CalendarData& kept, const CalendarData& today);

// Makes the changes, marks in one step.
void Apply(const SessionChanges& changes, CalendarData& today);

// Makes `to` hold the marks and settings of `from` (a backup restored).
void CopyState(const CalendarData& from, CalendarData& to);
