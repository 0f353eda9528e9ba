// Feeds arbitrary bytes to the import reader and planner. Neither may crash;
// every date found must be a supported one, the plan must add only period
// starts that do not overlap her periods, and the starts it adds must come
// back unchanged through an export and a second reading.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <span>
#include <vector>

#include "history/CycleExport.h"
#include "history/CycleHistory.h"
#include "history/CycleImport.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

std::int64_t DayOf(DateKey key) {
    return DayNumber(KeyYear(key), KeyMonth(key), KeyDay(key));
}

// Her marks: a few real ones and a stray key.
const std::vector<DateKey> kMarks = {MakeDateKey(2023, 12, 30), MakeDateKey(2024, 1, 27),
                                     MakeDateKey(2024, 2, 30), MakeDateKey(2024, 2, 24)};
constexpr int kPeriodLength = 5;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const ImportScan scan = ScanImport(std::span(bytes, size));
    for (const DateKey date : scan.dates) {
        Check(IsSupportedDate(date));
    }
    Check(scan.firstBadLines.size() == std::min(scan.badLineCount, kListedBadLines));
    Check(std::is_sorted(scan.firstBadLines.begin(), scan.firstBadLines.end()));
    Check(scan.firstBadLines.empty() || scan.firstBadLines.front() >= 1);

    const ImportPlan plan = PlanImport(scan.dates, kMarks, kPeriodLength);
    const std::set<DateKey> found(scan.dates.begin(), scan.dates.end());
    Check(plan.startsFound == plan.newStarts.size() + plan.alreadyMarked);
    Check(plan.startsFound <= found.size());
    Check(std::adjacent_find(plan.newStarts.begin(), plan.newStarts.end(),
                             [](DateKey a, DateKey b) { return a >= b; }) == plan.newStarts.end());
    for (const DateKey start : plan.newStarts) {
        Check(found.count(start) == 1);
        for (const DateKey mark : kMarks) {
            if (IsSupportedDate(mark)) {
                const std::int64_t gap = DayOf(start) - DayOf(mark);
                Check(gap >= kPeriodLength || gap <= -kPeriodLength);
            }
        }
    }

    const std::string csv = WriteCyclesCsv(ComputeCycleHistory(plan.newStarts));
    const ImportScan again =
        ScanImport(std::span(reinterpret_cast<const std::uint8_t*>(csv.data()), csv.size()));
    Check(again.badLineCount == 0);
    Check(again.dates == plan.newStarts);
    return 0;
}
