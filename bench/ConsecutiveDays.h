// Marks by the thousand, as no real user has them: one on every day.
#pragma once

#include <cstdint>
#include <vector>

#include "cycle/DateKey.h"

// One mark on each of `count` consecutive days from 1 January 1900.
inline std::vector<DateKey> ConsecutiveDays(std::int64_t count) {
    std::vector<DateKey> keys;
    keys.reserve(static_cast<std::size_t>(count));
    for (int year = 1900;; ++year) {
        for (int month = 1; month <= 12; ++month) {
            for (int day = 1; day <= DaysInMonth(year, month); ++day) {
                if (static_cast<std::int64_t>(keys.size()) == count) {
                    return keys;
                }
                keys.push_back(MakeDateKey(year, month, day));
            }
        }
    }
}
