#include "history/Predictions.h"

#include "cycle/CalendarData.h"
#include "history/CycleHistory.h"

bool ApplyTypicalCycle(CalendarData& data) {
    const std::optional<int> typical = ComputeCycleHistory(data.Marks()).typicalLength;
    if (!typical) {
        return false;
    }
    data.SetCycleLength(PredictionCycleFor(*typical));
    return true;
}
