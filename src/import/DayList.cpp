#include "import/DayList.h"

#include <algorithm>
#include <optional>

namespace imports {
namespace {

std::int64_t DayOf(DateKey key) {
    return DayNumber(KeyYear(key), KeyMonth(key), KeyDay(key));
}

DateKey NextDay(DateKey key) {
    const int year = KeyYear(key);
    const int month = KeyMonth(key);
    if (KeyDay(key) < DaysInMonth(year, month)) {
        return key + 1;
    }
    return month == 12 ? MakeDateKey(year + 1, 1, 1) : MakeDateKey(year, month + 1, 1);
}

DateOrder Other(DateOrder order) {
    return order == DateOrder::DayFirst ? DateOrder::MonthFirst : DateOrder::DayFirst;
}

// What a row gives when its dates are read in one order.
struct Reading {
    bool fits = false; // every date in it is a real date in this order
    DateKey first = 0;
    int count = 0; // days from `first`, none after today
    std::optional<LeftOut> leftOut;
    friend bool operator==(const Reading&, const Reading&) = default;
};

template <typename Row> Reading Read(const Row& row, DateOrder order, DateKey today) {
    const auto first = ResolveDate(row.start, order, today);
    const auto end = row.length > 0 ? first : ResolveDate(row.end, order, today);
    Reading reading;
    if (!first || !end) {
        reading.leftOut = LeftOut::WrongOrder;
        return reading;
    }
    const std::int64_t span = row.length > 0 ? row.length - 1 : DayOf(*end) - DayOf(*first);
    reading.fits = true;
    if (span < 0) {
        reading.leftOut = LeftOut::BadDate;
    } else if (span > kLongestPeriodSpan) {
        reading.leftOut = LeftOut::TooLong;
    } else if (*first > today) {
        reading.leftOut = LeftOut::FutureDate;
    } else {
        // A period still going on counts to today.
        reading.first = *first;
        reading.count = static_cast<int>(std::min(span, DayOf(today) - DayOf(*first))) + 1;
    }
    return reading;
}

} // namespace

void DayList::Tally::Add(std::size_t line, LeftOut reason) {
    if (first.size() < kListedLeftOut) {
        first.push_back({line, reason});
    }
    ++count;
}

DayList::DayList(const ReadOptions& options)
    : today_(options.today), preferred_(options.preferredOrder) {}

void DayList::LeaveOut(std::size_t line, LeftOut reason) {
    leftOut_.Add(line, reason);
}

bool DayList::Judge(std::size_t line, const Span& span) {
    Reading readings[2];
    for (const DateOrder order : {DateOrder::DayFirst, DateOrder::MonthFirst}) {
        readings[static_cast<int>(order)] = Read(span, order, today_);
    }
    const Reading& dayFirst = readings[static_cast<int>(DateOrder::DayFirst)];
    const Reading& monthFirst = readings[static_cast<int>(DateOrder::MonthFirst)];
    if (!dayFirst.fits && !monthFirst.fits) {
        LeaveOut(line, LeftOut::BadDate);
        return false;
    }
    onlyDayFirst_ += dayFirst.fits && !monthFirst.fits ? 1 : 0;
    onlyMonthFirst_ += monthFirst.fits && !dayFirst.fits ? 1 : 0;
    ordersDiffer_ = ordersDiffer_ || !(dayFirst == monthFirst);
    for (const DateOrder order : {DateOrder::DayFirst, DateOrder::MonthFirst}) {
        if (const auto reason = readings[static_cast<int>(order)].leftOut) {
            leftOutIn_[static_cast<int>(order)].Add(line, *reason);
        }
    }
    return !dayFirst.leftOut || !monthFirst.leftOut;
}

void DayList::AddDay(std::size_t line, const CellDate& date, Flow flow) {
    if (Judge(line, Span{date, date, 0, flow})) {
        days_.push_back({date, flow});
    }
}

void DayList::AddSpan(std::size_t line, const CellDate& start, const CellDate& end, Flow flow) {
    const Span span{start, end, 0, flow};
    if (Judge(line, span)) {
        spans_.push_back(span);
    }
}

void DayList::AddSpan(std::size_t line, const CellDate& start, int length, Flow flow) {
    // Anything past the longest period is as much too long as 255 days.
    const Span span{start, start, static_cast<std::uint8_t>(std::clamp(length, 1, 255)), flow};
    if (Judge(line, span)) {
        spans_.push_back(span);
    }
}

void DayList::Expand(DateOrder order, std::vector<ImportedDay>& days) const {
    days.reserve(days_.size() + spans_.size());
    for (const Day& day : days_) {
        const Reading reading = Read(Span{day.date, day.date, 0, day.flow}, order, today_);
        if (!reading.leftOut) {
            days.push_back({reading.first, day.flow});
        }
    }
    for (const Span& span : spans_) {
        const Reading reading = Read(span, order, today_);
        DateKey date = reading.first;
        for (int i = 0; i < reading.count; ++i, date = NextDay(date)) {
            days.push_back({date, span.flow});
        }
    }
}

void DayList::Finish(ImportRead& read) const {
    const bool settled = onlyDayFirst_ > 0 || onlyMonthFirst_ > 0;
    read.order = preferred_;
    if (onlyDayFirst_ != onlyMonthFirst_) {
        read.order = onlyDayFirst_ > onlyMonthFirst_ ? DateOrder::DayFirst : DateOrder::MonthFirst;
    }
    read.orderOpen = !settled && ordersDiffer_;
    Expand(read.order, read.days);
    if (read.orderOpen) {
        Expand(Other(read.order), read.otherOrder);
    }

    const Tally& inOrder = leftOutIn_[static_cast<int>(read.order)];
    read.leftOutCount = leftOut_.count + inOrder.count;
    read.firstLeftOut = leftOut_.first;
    read.firstLeftOut.insert(read.firstLeftOut.end(), inOrder.first.begin(), inOrder.first.end());
    std::stable_sort(read.firstLeftOut.begin(), read.firstLeftOut.end(),
                     [](const LeftOutRow& a, const LeftOutRow& b) { return a.line < b.line; });
    read.firstLeftOut.resize(std::min(read.firstLeftOut.size(), kListedLeftOut));
}

} // namespace imports
