// The days a table's rows give, kept compactly until the whole file has
// settled which number of an either-order date is the day.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "import/DateText.h"
#include "import/ImportRead.h"

namespace imports {

// A period lasts at most this many days after its first.
constexpr int kLongestPeriodSpan = 15;

class DayList {
public:
    explicit DayList(const ReadOptions& options);

    // A row left out whatever the order.
    void LeaveOut(std::size_t line, LeftOut reason);
    // One day; or a run of days from `start` to `end`, or `length` days long.
    void AddDay(std::size_t line, const CellDate& date, Flow flow);
    void AddSpan(std::size_t line, const CellDate& start, const CellDate& end, Flow flow);
    void AddSpan(std::size_t line, const CellDate& start, int length, Flow flow);

    // Fills in the days, the order and the rows left out.
    void Finish(ImportRead& read) const;

private:
    struct Span {
        CellDate start;
        CellDate end;
        std::uint8_t length = 0; // days, instead of `end`; 0 when `end` is used
        Flow flow = Flow::Bleeding;
    };
    struct Day {
        CellDate date;
        Flow flow = Flow::Bleeding;
    };
    struct Tally {
        std::size_t count = 0;
        std::vector<LeftOutRow> first;
        void Add(std::size_t line, LeftOut reason);
    };

    // Whether the row gives days in at least one order.
    bool Judge(std::size_t line, const Span& span);
    void Expand(DateOrder order, std::vector<ImportedDay>& days) const;

    DateKey today_;
    DateOrder preferred_;
    std::vector<Day> days_;   // one-day rows
    std::vector<Span> spans_; // rows with a start and an end or a length
    Tally leftOut_;           // whatever the order
    Tally leftOutIn_[2];      // in one order only, by DateOrder
    std::size_t onlyDayFirst_ = 0;
    std::size_t onlyMonthFirst_ = 0;
    bool ordersDiffer_ = false;
};

} // namespace imports
