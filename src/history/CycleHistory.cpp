#include "history/CycleHistory.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

std::int64_t DayOf(DateKey key) {
    return DayNumber(KeyYear(key), KeyMonth(key), KeyDay(key));
}

// The median of `lengths` in tenths; `lengths` is sorted here.
int MedianTenths(std::vector<int> lengths) {
    std::sort(lengths.begin(), lengths.end());
    const std::size_t middle = lengths.size() / 2;
    if (lengths.size() % 2 == 1) {
        return lengths[middle] * 10;
    }
    return (lengths[middle - 1] + lengths[middle]) * 5;
}

CycleFigures FiguresOf(const std::vector<int>& lengths) {
    CycleFigures figures;
    if (lengths.empty()) {
        return figures;
    }
    const auto n = static_cast<std::int64_t>(lengths.size());
    std::int64_t sum = 0;
    std::int64_t squares = 0;
    for (const int length : lengths) {
        sum += length;
        squares += static_cast<std::int64_t>(length) * length;
    }
    figures.count = static_cast<int>(n);
    // sum / n in tenths, half up, in integers: no binary fraction decides a tie.
    figures.meanTenths = static_cast<int>((20 * sum + n) / (2 * n));
    figures.medianTenths = MedianTenths(lengths);
    const auto [shortest, longest] = std::minmax_element(lengths.begin(), lengths.end());
    figures.shortest = *shortest;
    figures.longest = *longest;
    if (n >= kFewestCycles) {
        const double variance =
            static_cast<double>(n * squares - sum * sum) / static_cast<double>(n * (n - 1));
        figures.deviationTenths = static_cast<int>(std::floor(std::sqrt(variance) * 10 + 0.5));
    }
    return figures;
}

} // namespace

std::size_t CycleHistory::CycleCount() const {
    return static_cast<std::size_t>(std::count_if(
        entries.begin(), entries.end(), [](const CycleEntry& entry) { return !entry.isBreak; }));
}

std::vector<CycleEntry> CycleHistory::RecentCycles() const {
    std::vector<CycleEntry> recent;
    for (auto entry = entries.rbegin();
         entry != entries.rend() && recent.size() < static_cast<std::size_t>(kFigureCycles);
         ++entry) {
        if (!entry->isBreak) {
            recent.push_back(*entry);
        }
    }
    std::reverse(recent.begin(), recent.end());
    return recent;
}

int CycleHistory::StartsStillNeeded() const {
    const std::size_t cycles = CycleCount();
    if (cycles >= static_cast<std::size_t>(kFewestCycles)) {
        return 0;
    }
    // The first start makes no cycle.
    return kFewestCycles - static_cast<int>(cycles) + (starts.empty() ? 1 : 0);
}

CycleHistory ComputeCycleHistory(const std::vector<DateKey>& marks) {
    CycleHistory history;
    history.starts.reserve(marks.size());
    std::copy_if(marks.begin(), marks.end(), std::back_inserter(history.starts),
                 [](DateKey key) { return IsSupportedDate(key); });

    if (history.starts.size() > 1) {
        history.entries.reserve(history.starts.size() - 1);
    }
    for (std::size_t i = 1; i < history.starts.size(); ++i) {
        CycleEntry entry;
        entry.start = history.starts[i - 1];
        entry.length = static_cast<int>(DayOf(history.starts[i]) - DayOf(entry.start));
        entry.isBreak = entry.length > kLongestCycle;
        entry.unusual =
            !entry.isBreak && (entry.length < kNormalShortest || entry.length > kNormalLongest);
        history.entries.push_back(entry);
    }

    std::vector<int> lengths;
    for (const CycleEntry& entry : history.RecentCycles()) {
        lengths.push_back(entry.length);
    }
    history.figures = FiguresOf(lengths);
    if (lengths.size() >= static_cast<std::size_t>(kFewestCycles)) {
        const std::vector<int> latest(
            lengths.end() - std::min<std::ptrdiff_t>(kTypicalCycles, std::ssize(lengths)),
            lengths.end());
        history.typicalLength = RoundTenths(MedianTenths(latest));
    }
    return history;
}
