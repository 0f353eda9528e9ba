// The last import, kept so that it can be taken back exactly: the period
// starts it added and the cycle length from before it (following her cycles
// may have set a new one from them), for as long as nothing else changed.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "cycle/DateKey.h"

class CalendarData;

namespace imports {

class ImportUndo {
public:
    // Adds `starts` to her marks; whatever the change sets off (following her
    // cycles) belongs to the import too.
    void Add(CalendarData& data, std::span<const DateKey> starts);
    // Whether the data is still as the import left it.
    bool CanUndo(const CalendarData& data) const;
    // Takes back what the import added; false when something else has changed
    // since, and then nothing is touched.
    bool Undo(CalendarData& data);

private:
    std::vector<DateKey> added_;
    int cycleLengthBefore_ = 0;
    std::optional<std::uint64_t> revisionAfter_;
};

} // namespace imports
