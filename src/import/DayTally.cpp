#include "import/DayTally.h"

#include <algorithm>
#include <utility>

namespace imports {

bool DayTally::AddDay(DateKey date, Flow flow, std::size_t line) {
    if (IsAfterToday(date)) {
        LeaveOut(line, LeftOut::FutureDate);
        return false;
    }
    read_.days.push_back({date, flow});
    return true;
}

void DayTally::LeaveOut(std::size_t line, LeftOut reason) {
    ++read_.leftOutCount;
    // A JSON entry is judged when it closes, so an entry nested in another
    // comes first: keep the listing in line order all the same.
    auto& listed = read_.firstLeftOut;
    const auto at =
        std::upper_bound(listed.begin(), listed.end(), line,
                         [](std::size_t l, const LeftOutRow& row) { return l < row.line; });
    if (at - listed.begin() >= static_cast<std::ptrdiff_t>(kListedLeftOut)) {
        return;
    }
    listed.insert(at, {line, reason});
    if (listed.size() > kListedLeftOut) {
        listed.pop_back();
    }
}

ImportRead DayTally::Finish(FileShape shape) {
    read_.shape = shape;
    return std::exchange(read_, {});
}

} // namespace imports
