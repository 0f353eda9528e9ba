// Predictions from her own cycles: the cycle length in force set to her
// typical cycle, within the lengths Settings offers.
#pragma once

class CalendarData;

// The cycle lengths Settings offers, and so predictions use.
constexpr int kShortestPredictionCycle = 20;
constexpr int kLongestPredictionCycle = 40;

// The cycle length predictions take for a typical cycle of `typicalLength` days.
constexpr int PredictionCycleFor(int typicalLength) {
    return typicalLength < kShortestPredictionCycle  ? kShortestPredictionCycle
           : typicalLength > kLongestPredictionCycle ? kLongestPredictionCycle
                                                     : typicalLength;
}

// Sets the cycle length to her typical cycle; false (and nothing changed)
// while there are too few cycles to have one.
bool ApplyTypicalCycle(CalendarData& data);
