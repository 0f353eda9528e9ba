// The words of the files she brings, in English, German, Spanish, French,
// Italian, Polish and Brazilian Portuguese: what a flow cell or an event cell
// says, and which column a header names. All compared folded (Folding.h).
#pragma once

#include <cstdint>
#include <string_view>

#include "import/ImportRead.h"

namespace imports {

// What a flow cell says: empty, "-", a word for none or a zero is no
// bleeding; a word for spotting is spotting; anything else (light, heavy,
// yes, x, a level above zero) is bleeding.
Flow ReadFlowValue(std::string_view value);

// One app's bleeding level: empty is none, 0 spotting, a higher level bleeding.
Flow ReadFlowLevel(std::string_view value);

// A yes in a true/false column: true, yes, x, 1 and the languages' words.
bool ReadYes(std::string_view value);

// What an event or category cell names.
enum class EventKind : std::uint8_t { Period, Spotting, Other };
EventKind ReadEventKind(std::string_view value);

// What a column holds, as its header names it. A header may name several
// ("Period" is a flow or the dates of periods); the cells settle it.
enum class ColumnRole : std::uint8_t {
    Date,
    Start,
    End,
    Length, // of a period, in days
    Flow,
    FlowLevel, // bleeding.value: 0 spotting, 1-3 bleeding
    Exclude,   // bleeding.exclude: true leaves the day out
    Category,
};

class ColumnRoles {
public:
    bool Has(ColumnRole role) const { return (bits_ >> static_cast<unsigned>(role) & 1) != 0; }
    bool Any() const { return bits_ != 0; }
    void Add(ColumnRole role) { bits_ |= 1u << static_cast<unsigned>(role); }
    void Remove(ColumnRole role) { bits_ &= ~(1u << static_cast<unsigned>(role)); }

private:
    unsigned bits_ = 0;
};

// The roles a header cell names: the whole cell or one of a few words in it
// ("Start date", "period_start", "Data de início").
ColumnRoles ReadHeader(std::string_view header);

} // namespace imports
