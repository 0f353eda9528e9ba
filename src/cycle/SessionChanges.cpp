#include "cycle/SessionChanges.h"

#include <algorithm>
#include <iterator>

#include "cycle/CalendarData.h"

namespace {

std::vector<DateKey> Difference(const std::vector<DateKey>& a, const std::vector<DateKey>& b) {
    std::vector<DateKey> out;
    std::ranges::set_difference(a, b, std::back_inserter(out));
    return out;
}

std::vector<DateKey> Intersection(const std::vector<DateKey>& a, const std::vector<DateKey>& b) {
    std::vector<DateKey> out;
    std::ranges::set_intersection(a, b, std::back_inserter(out));
    return out;
}

template <typename T> std::optional<T> Changed(T base, T kept, T today) {
    return kept != base && today == base ? std::optional<T>(kept) : std::nullopt;
}

} // namespace

std::size_t SessionChanges::SettingsChanged() const {
    return std::size_t{cycleLength.has_value()} + std::size_t{periodLength.has_value()} +
           std::size_t{showFertility.has_value()};
}

SessionChanges ChangesToApply(const CalendarData& base, const CalendarData& kept,
                              const CalendarData& today) {
    SessionChanges changes;
    changes.added = Difference(Difference(kept.Marks(), base.Marks()), today.Marks());
    changes.removed = Intersection(Difference(base.Marks(), kept.Marks()), today.Marks());
    changes.cycleLength =
        Changed(base.GetCycleLength(), kept.GetCycleLength(), today.GetCycleLength());
    changes.periodLength =
        Changed(base.GetPeriodLength(), kept.GetPeriodLength(), today.GetPeriodLength());
    changes.showFertility = Changed(base.GetShowFertilityWord(), kept.GetShowFertilityWord(),
                                    today.GetShowFertilityWord());
    return changes;
}

SessionChanges MarksToAdd(const CalendarData& kept, const CalendarData& today) {
    SessionChanges changes;
    changes.added = Difference(kept.Marks(), today.Marks());
    return changes;
}

void Apply(const SessionChanges& changes, CalendarData& today) {
    if (!changes.added.empty() || !changes.removed.empty()) {
        std::vector<DateKey> marks = Difference(today.Marks(), changes.removed);
        marks.insert(marks.end(), changes.added.begin(), changes.added.end());
        today.SetMarks(std::move(marks));
    }
    if (changes.cycleLength) {
        today.SetCycleLength(*changes.cycleLength);
    }
    if (changes.periodLength) {
        today.SetPeriodLength(*changes.periodLength);
    }
    if (changes.showFertility) {
        today.SetShowFertilityWord(*changes.showFertility);
    }
}

void CopyState(const CalendarData& from, CalendarData& to) {
    to.SetMarks(from.Marks());
    to.SetCycleLength(from.GetCycleLength());
    to.SetPeriodLength(from.GetPeriodLength());
    to.SetShowFertilityWord(from.GetShowFertilityWord());
}
