// What an import would add to her calendar: the days a file names grouped
// into periods, and those periods set against hers. Nothing changes until she
// has seen the plan and agreed.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "cycle/DateKey.h"
#include "import/ImportRead.h"

namespace imports {

// A bleeding day starts a period when none of this many days before it is a
// bleeding day, so that a day without bleeding inside a period does not split it.
constexpr int kDaysBetweenPeriods = 3;

struct PeriodOnHers {
    DateKey imported = 0; // the file's period start
    DateKey hers = 0;     // her mark it falls on
};

struct ImportPlan {
    std::vector<DateKey> newStarts;   // ascending
    std::vector<PeriodOnHers> onHers; // ascending by the file's start
    std::size_t StartsFound() const { return newStarts.size() + onHers.size(); }
};

// Bleeding days (and a list of plain dates) group into periods by
// kDaysBetweenPeriods; spotting alone never starts one. A period that overlaps
// one of hers (a mark and the `periodLength` days from it) or starts within
// kDaysBetweenPeriods days of one of her marks is that period and adds
// nothing. `marks` as CalendarData keeps them (stray keys ignored).
ImportPlan PlanImport(std::span<const ImportedDay> days, const std::vector<DateKey>& marks,
                      int periodLength);

} // namespace imports
