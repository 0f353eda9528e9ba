// Tests change the process-wide data object; this gives it back as it was.
#pragma once

#include <cstdint>
#include <vector>

#include "cycle/CalendarData.h"
#include "cycle/DateKey.h"

// The data object of the test process (CalendarData::Instance while tests run).
CalendarData& TestData();

class DataGuard {
public:
    DataGuard()
        : marks_(Data().Marks().begin(), Data().Marks().end()), cycle_(Data().GetCycleLength()),
          period_(Data().GetPeriodLength()), fertility_(Data().GetShowFertilityWord()) {}
    ~DataGuard() {
        Data().SetMarks(marks_);
        Data().SetCycleLength(cycle_);
        Data().SetPeriodLength(period_);
        Data().SetShowFertilityWord(fertility_);
    }
    DataGuard(const DataGuard&) = delete;
    DataGuard& operator=(const DataGuard&) = delete;

    static CalendarData& Data() { return TestData(); }

    // Default settings, fertility shown, and exactly these marks.
    static void Use(const std::vector<DateKey>& marks) {
        Data().SetMarks(marks);
        Data().SetCycleLength(CalendarData::kDefaultCycleLength);
        Data().SetPeriodLength(CalendarData::kDefaultPeriodLength);
        Data().SetShowFertility(true);
    }

private:
    std::vector<DateKey> marks_;
    int cycle_;
    int period_;
    std::uint32_t fertility_;
};
