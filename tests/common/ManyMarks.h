// A data set far heavier than any user's, for the kill test and the user
// interface benchmark: a first day every 29 days from 1 January 1900, so that
// every month shown holds marks.
#pragma once

#include <cstddef>
#include <vector>

#include "cycle/DateKey.h"

inline std::vector<DateKey> ManyMarks(std::size_t count) {
    std::vector<DateKey> keys;
    int y = 1900;
    int m = 1;
    int d = 1;
    while (keys.size() < count) {
        keys.push_back(MakeDateKey(y, m, d));
        d += 29;
        while (d > DaysInMonth(y, m)) {
            d -= DaysInMonth(y, m);
            if (++m > 12) {
                m = 1;
                ++y;
            }
        }
    }
    return keys;
}
