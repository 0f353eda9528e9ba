// Dates as programs and people write them in a file: ISO 8601 from programs,
// and in table cells the numeric and month-name forms of seven languages.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "cycle/DateKey.h"
#include "import/ImportRead.h"

namespace imports {

// An ISO yyyy-mm-dd or yyyymmdd at the start of `text`, optionally followed by
// a time and a zone, which are ignored: the date is the one written. Nothing
// else may follow. Only real dates (IsSupportedDate).
std::optional<DateKey> ReadIsoDate(std::string_view text);

// A date as written in a cell, before the file settles which of two numbers
// is the day: 3/2/2024 is 3 February or 2 March.
struct CellDate {
    std::uint16_t year = 0; // as written; 0-99 when `shortYear`
    std::uint8_t day = 0;   // the first number of an either-order date
    std::uint8_t month = 0; // the second number of an either-order date
    bool shortYear = false;
    bool eitherOrder = false; // day-first reads day/month, month-first swaps them
    friend bool operator==(const CellDate&, const CellDate&) = default;
};

// The cell's date, UTF-8, any case, an optional weekday before it and a time
// or zone after it: ISO, d.m.y (day first), a/b/y and a-b-y (either order),
// y/m/d, or with a month name or abbreviation. Not checked against the
// calendar: ResolveDate does that.
std::optional<CellDate> ReadCellDate(std::string_view text);

// The date read in `order` (ignored unless the cell leaves it open), a short
// year in the century that puts it nearest `today` without passing it; none
// when that is no real date.
std::optional<DateKey> ResolveDate(const CellDate& cell, DateOrder order, DateKey today);

} // namespace imports
