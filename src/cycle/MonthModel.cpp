#include "cycle/MonthModel.h"

#include "cycle/CalendarData.h"
#include "cycle/CalendarLocale.h"
#include "cycle/DateKey.h"

#include <cstdint>

MonthModel::MonthModel(const CalendarData& data, const CalendarLocale& locale)
    : data_(data), locale_(locale) {}

int MonthModel::Weekday(int year, int month, int day) {
    // Weekdays repeat every 400 years (146097 days, a whole number of weeks),
    // so any year maps onto one the day arithmetic covers.
    const int shiftedYear = (year % 400 + 400) % 400 + 400;
    const std::int64_t days = DayNumber(shiftedYear, month, day);
    // 1 January 1970 was a Thursday.
    return static_cast<int>(((days + 4) % 7 + 7) % 7);
}

void MonthModel::SetMonth(int newYear, int newMonth) {
    year = newYear;
    month = newMonth;
    monthName = month >= 1 && month <= 12 ? locale_.MonthName(month) : std::wstring();

    const int firstDayOfWeek = (locale_.FirstDayOfWeek() % 7 + 7) % 7;
    for (int i = 0; i < kGridColumns; ++i) {
        dayNames[i] = locale_.AbbreviatedDayName((firstDayOfWeek + i) % 7);
        shortestDayNames[i] = locale_.ShortestDayName((firstDayOfWeek + i) % 7);
    }

    for (auto& row : cells) {
        for (DayCell& cell : row) {
            cell.day = 0;
            cell.text.clear();
        }
    }

    const int days = DaysInMonth(year, month);
    if (days > 0) {
        const int offset = (Weekday(year, month, 1) - firstDayOfWeek + 7) % 7;
        for (int d = 1; d <= days; ++d) {
            const int index = offset + d - 1;
            DayCell& cell = cells[index / kGridColumns][index % kGridColumns];
            cell.day = d;
            cell.text = std::to_wstring(d);
        }
    }
    Classify();
}

void MonthModel::Classify() {
    ClearFlags();
    // Outside these years the day arithmetic is undefined: such a month shows
    // its days without flags.
    if (year >= kFirstSupportedYear && year <= kLastSupportedYear && month >= 1 && month <= 12) {
        ClassifyDays();
    }
    OnClassified();
}

void MonthModel::ClearFlags() {
    for (auto& row : cells) {
        for (DayCell& cell : row) {
            cell.marked = false;
            cell.period = false;
            cell.predicted = false;
            cell.fertile = false;
        }
    }
}

void MonthModel::ClassifyDays() {
    const int periodLength = data_.GetPeriodLength();
    const int cycleLength = data_.GetCycleLength();

    DateKey lastMark = 0;
    const bool hasMarks = data_.GetLastMark(lastMark);
    // Past the latest mark the cycle is repeated; before it only recorded marks count.
    bool predicting = hasMarks && MakeDateKey(year, month, 1) > lastMark;
    // The reference mark as a day of this month: 0 or below for an earlier
    // month, 1001 when there is none, which leaves every day unflagged.
    int lastDay = 1 + data_.PreviousMarkOffset(year, month, 1);
    // While predicting, the mark before any day is the latest one, so the days
    // since it follow from lastDay: one offset query per month, whatever the
    // number of marks.

    for (auto& row : cells) {
        for (DayCell& cell : row) {
            const int d = cell.day;
            if (d <= 0) {
                continue;
            }
            const int sinceMark = d - lastDay;
            if (predicting) {
                if (sinceMark > 0 && sinceMark < periodLength) {
                    cell.period = true;
                    continue;
                }
                // A cycle below one day cannot repeat: the latest period and
                // fertile window show, nothing after them is predicted.
                const int cycleDay = cycleLength >= 1 ? sinceMark % cycleLength : sinceMark;
                cell.period = cycleDay < periodLength;
                cell.predicted = cell.period;
                cell.fertile = cycleDay >= kFertileFirst && cycleDay <= kFertileLast;
            } else if (data_.IsMarked(year, month, d)) {
                cell.marked = true;
                lastDay = d;
                if (hasMarks && MakeDateKey(year, month, d) >= lastMark) {
                    predicting = true;
                }
            } else if (sinceMark > 0 && sinceMark < periodLength) {
                cell.period = true;
            } else {
                cell.fertile = static_cast<unsigned>(sinceMark - kFertileFirst) <=
                               static_cast<unsigned>(kFertileLast - kFertileFirst);
            }
        }
    }
}
