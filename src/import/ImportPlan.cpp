#include "import/ImportPlan.h"

#include <algorithm>
#include <cstdint>

#include "history/CycleHistory.h"

namespace imports {

namespace {

std::int64_t DayOf(DateKey key) {
    return DayNumber(KeyYear(key), KeyMonth(key), KeyDay(key));
}

struct Period {
    std::int64_t first = 0;
    std::int64_t last = 0;
    DateKey start = 0;
};

std::vector<Period> GroupPeriods(std::span<const ImportedDay> days) {
    std::vector<DateKey> bleeding;
    for (const ImportedDay& day : days) {
        if (day.flow == Flow::Bleeding && IsSupportedDate(day.date)) {
            bleeding.push_back(day.date);
        }
    }
    // Key order is date order.
    std::sort(bleeding.begin(), bleeding.end());
    bleeding.erase(std::unique(bleeding.begin(), bleeding.end()), bleeding.end());

    std::vector<Period> periods;
    for (const DateKey date : bleeding) {
        const std::int64_t day = DayOf(date);
        if (!periods.empty() && day - periods.back().last <= kDaysBetweenPeriods) {
            periods.back().last = day;
            continue;
        }
        periods.push_back({day, day, date});
    }
    return periods;
}

} // namespace

ImportPlan PlanImport(std::span<const ImportedDay> days, const std::vector<DateKey>& marks,
                      int periodLength) {
    const int period = std::clamp(periodLength, 1, kLongestCycle);
    std::vector<std::pair<std::int64_t, DateKey>> hers;
    hers.reserve(marks.size());
    for (const DateKey mark : marks) {
        if (IsSupportedDate(mark)) {
            hers.emplace_back(DayOf(mark), mark);
        }
    }
    std::sort(hers.begin(), hers.end());

    ImportPlan plan;
    for (const Period& imported : GroupPeriods(days)) {
        // A single day stands for a whole period; more bleeding days show its length.
        const std::int64_t end = std::max(imported.last, imported.first + period - 1);
        const std::int64_t from =
            std::min(imported.first - period + 1, imported.first - kDaysBetweenPeriods);
        const std::int64_t to = std::max(end, imported.first + kDaysBetweenPeriods);
        const auto on =
            std::lower_bound(hers.begin(), hers.end(), std::pair<std::int64_t, DateKey>{from, 0});
        if (on != hers.end() && on->first <= to) {
            plan.onHers.push_back({imported.start, on->second});
        } else {
            plan.newStarts.push_back(imported.start);
        }
    }
    return plan;
}

} // namespace imports
