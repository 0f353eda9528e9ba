#include "import/ImportUndo.h"

#include <algorithm>

#include "cycle/CalendarData.h"

namespace imports {

void ImportUndo::Add(CalendarData& data, std::span<const DateKey> starts) {
    const std::vector<DateKey>& marks = data.Marks();
    added_.clear();
    for (const DateKey start : starts) {
        if (!std::binary_search(marks.begin(), marks.end(), start)) {
            added_.push_back(start);
        }
    }
    std::sort(added_.begin(), added_.end());
    cycleLengthBefore_ = data.GetCycleLength();
    std::vector<DateKey> combined = marks;
    combined.insert(combined.end(), added_.begin(), added_.end());
    data.SetMarks(std::move(combined));
    revisionAfter_ = data.Revision();
}

bool ImportUndo::CanUndo(const CalendarData& data) const {
    return revisionAfter_ && *revisionAfter_ == data.Revision();
}

bool ImportUndo::Undo(CalendarData& data) {
    if (!CanUndo(data)) {
        return false;
    }
    revisionAfter_.reset();
    std::vector<DateKey> kept;
    for (const DateKey mark : data.Marks()) {
        if (!std::binary_search(added_.begin(), added_.end(), mark)) {
            kept.push_back(mark);
        }
    }
    data.SetMarks(std::move(kept));
    data.SetCycleLength(cycleLengthBefore_);
    added_.clear();
    return true;
}

} // namespace imports
