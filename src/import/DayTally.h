// The days a reader keeps and the rows it leaves out, gathered as ImportRead
// holds them.
#pragma once

#include <cstddef>

#include "import/ImportRead.h"

namespace imports {

class DayTally {
public:
    explicit DayTally(DateKey today) : today_(today) {}

    // False, and the row left out, for a day after today.
    bool AddDay(DateKey date, Flow flow, std::size_t line);
    void LeaveOut(std::size_t line, LeftOut reason);
    bool IsAfterToday(DateKey date) const { return date > today_; }

    ImportRead Finish(FileShape shape);

private:
    DateKey today_;
    ImportRead read_;
};

} // namespace imports
