// What a file she brings for import says, before anything is added: the days
// it names and what each says about bleeding, the rows left out and why, and
// what kind of file it was when nothing in it could be read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "cycle/DateKey.h"

namespace imports {

// What a row says about its day.
enum class Flow : std::uint8_t { None, Spotting, Bleeding };

struct ImportedDay {
    DateKey date = 0;
    Flow flow = Flow::Bleeding;
    friend bool operator==(const ImportedDay&, const ImportedDay&) = default;
};

// Why a row adds no day; the preview names it beside the row's line number.
enum class LeftOut : std::uint8_t {
    NoDate,     // nothing in the row's date column
    BadDate,    // the date column holds something that is not a real date
    WrongOrder, // a date that does not fit the day/month order the file settles
    FutureDate, // after today
    OtherEvent, // about something else: ovulation, a symptom, a temperature...
    Excluded,   // she excluded the day in the app the file comes from
    TooLong,    // a start and an end further apart than a period lasts
    TooWide,    // a row longer than any real one (cut, not read)
};

struct LeftOutRow {
    std::size_t line = 0; // from 1, where the row or entry begins
    LeftOut reason = LeftOut::NoDate;
};

// Day and month in a date such as 3/2/2024.
enum class DateOrder : std::uint8_t { DayFirst, MonthFirst };

// What the file turned out to be: named in the message when nothing in it
// could be read.
enum class FileShape : std::uint8_t {
    Empty,    // no bytes, or only blank lines
    Table,    // text: a list or a table of rows (CSV, tab- or semicolon-separated)
    Workbook, // a spreadsheet workbook (.xlsx, .ods) not saved as CSV
    Json,
    Xml,
    Archive,  // a zip that holds nothing Lunabel reads
    Database, // SQLite
    Binary,   // any other file that is not text
};

// The listing of left-out rows stops after this many; the count goes on.
constexpr std::size_t kListedLeftOut = 5;

struct ImportRead {
    FileShape shape = FileShape::Empty;
    bool foundDateColumn = false;        // a table: whether any column holds dates
    std::vector<ImportedDay> days;       // read in `order`, in file order
    std::vector<ImportedDay> otherOrder; // the other reading; only when `orderOpen`
    DateOrder order = DateOrder::DayFirst;
    bool orderOpen = false; // both orders fit every date: she chooses
    std::size_t leftOutCount = 0;
    std::vector<LeftOutRow> firstLeftOut; // at most kListedLeftOut, in file order
};

struct ReadOptions {
    unsigned codePage = 1252; // her ANSI code page, for text that has no BOM and is not UTF-8
    DateKey today = 0;        // two-digit years and future dates are judged by it
    DateOrder preferredOrder = DateOrder::DayFirst; // her regional settings' order
};

} // namespace imports
