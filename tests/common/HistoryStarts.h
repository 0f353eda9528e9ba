// Period starts laid out by their cycle lengths, for the cycle history tests
// natively and under Wine.
#pragma once

#include <vector>

#include "cycle/DateKey.h"

namespace historytest {

inline DateKey AddDays(DateKey key, int days) {
    int year = KeyYear(key);
    int month = KeyMonth(key);
    int day = KeyDay(key) + days;
    while (day > DaysInMonth(year, month)) {
        day -= DaysInMonth(year, month);
        if (++month > 12) {
            month = 1;
            ++year;
        }
    }
    while (day < 1) {
        if (--month < 1) {
            month = 12;
            --year;
        }
        day += DaysInMonth(year, month);
    }
    return MakeDateKey(year, month, day);
}

// A start on `first`, then one after each of `lengths`.
inline std::vector<DateKey> Starts(DateKey first, const std::vector<int>& lengths) {
    std::vector<DateKey> starts{first};
    for (const int length : lengths) {
        starts.push_back(AddDays(starts.back(), length));
    }
    return starts;
}

} // namespace historytest
