// The unit the view shows and steps by: January-June or July-December of a
// year, kept within the years the program supports.
#pragma once

#include "cycle/DateKey.h"

#include <algorithm>
#include <optional>

struct HalfYear {
    int year = kFirstSupportedYear;
    bool firstHalf = true;

    friend constexpr bool operator==(const HalfYear&, const HalfYear&) = default;
};

// The half-year holding a date; a year out of range is brought to the nearest end.
constexpr HalfYear HalfYearOf(int year, int month) {
    return HalfYear{std::clamp(year, kFirstSupportedYear, kLastSupportedYear), month < 7};
}

// Nothing past either end of the supported years.
constexpr std::optional<HalfYear> PreviousHalfYear(HalfYear shown) {
    if (shown.firstHalf) {
        if (shown.year <= kFirstSupportedYear) {
            return std::nullopt;
        }
        return HalfYear{shown.year - 1, false};
    }
    return HalfYear{shown.year, true};
}

constexpr std::optional<HalfYear> NextHalfYear(HalfYear shown) {
    if (!shown.firstHalf) {
        if (shown.year >= kLastSupportedYear) {
            return std::nullopt;
        }
        return HalfYear{shown.year + 1, true};
    }
    return HalfYear{shown.year, false};
}
