// Her cycles as her marks record them: the period starts in order, the cycle
// from each start to the next, and the figures a doctor asks about. Computed
// afresh from the marks, never stored: the data file knows nothing of it.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "cycle/DateKey.h"

// A longer gap between two starts is a break (a pregnancy, months without
// records), not a cycle: it is listed but counts in no figure.
constexpr int kLongestCycle = 90;
// The figures and the chart cover this many of the most recent cycles.
constexpr int kFigureCycles = 12;
// The typical cycle is the median of this many of the most recent cycles ...
constexpr int kTypicalCycles = 6;
// ... and, like the standard deviation, needs at least this many.
constexpr int kFewestCycles = 3;
// Cycles outside this range are flagged (FIGO 2018: normal frequency).
constexpr int kNormalShortest = 24;
constexpr int kNormalLongest = 38;

struct CycleEntry {
    DateKey start = 0;
    int length = 0;       // days to the next start
    bool isBreak = false; // longer than kLongestCycle
    bool unusual = false; // a cycle outside kNormalShortest..kNormalLongest
};

// Averages are kept in tenths of a day, rounded half up: 285 is 28.5 days.
struct CycleFigures {
    int count = 0; // cycles covered, breaks left out: 0..kFigureCycles
    int meanTenths = 0;
    int medianTenths = 0;
    int shortest = 0;
    int longest = 0;
    std::optional<int> deviationTenths; // sample standard deviation, from kFewestCycles on

    int Variation() const { return longest - shortest; }
};

struct CycleHistory {
    std::vector<DateKey> starts;     // the supported marks, ascending
    std::vector<CycleEntry> entries; // one per pair of neighbouring starts, oldest first
    CycleFigures figures;
    // The median of the most recent kTypicalCycles, rounded half up to whole
    // days; none with fewer than kFewestCycles cycles.
    std::optional<int> typicalLength;

    // Entries that are cycles, not breaks.
    std::size_t CycleCount() const;
    // The kFigureCycles most recent cycles, oldest first: what the figures
    // and the chart show.
    std::vector<CycleEntry> RecentCycles() const;
    // Period starts still to be marked before there are kFewestCycles cycles.
    int StartsStillNeeded() const;
};

// `marks` as CalendarData keeps them: ascending, stray keys included (they
// are left out).
CycleHistory ComputeCycleHistory(const std::vector<DateKey>& marks);

// A cycle's difference from the median, in tenths of a day.
inline int DifferenceTenths(const CycleEntry& entry, const CycleFigures& figures) {
    return entry.length * 10 - figures.medianTenths;
}

// Tenths rounded half up to whole days (for non-negative values).
constexpr int RoundTenths(int tenths) {
    return (tenths + 5) / 10;
}
