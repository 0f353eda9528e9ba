// Period starts from another program's file: a CSV or text file with an ISO
// 8601 date in its first column, one row per start or one per bleeding day.
// Reading and planning are apart from the data: nothing changes until she has
// seen the plan and agreed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "cycle/DateKey.h"

// Larger files are refused unread. A lifetime of records, one row per
// bleeding day with a few columns, is well under a megabyte.
constexpr std::size_t kImportSizeLimit = 8 * 1024 * 1024;
// The message lists this many of the lines not understood, then a count.
constexpr std::size_t kListedBadLines = 5;

struct ImportScan {
    std::vector<DateKey> dates;             // every date understood, in file order
    std::size_t badLineCount = 0;           // lines with no supported date first
    std::vector<std::size_t> firstBadLines; // their numbers (from 1), at most kListedBadLines
};

// Any bytes: UTF-8 (a BOM is skipped) or UTF-16 with a BOM; LF, CRLF or CR
// line ends; the first column ends at a comma, semicolon or tab and may be
// quoted. A date is YYYY-MM-DD or YYYYMMDD, optionally followed by a time
// ("T..." or " ..."), and a real date from 1900 to 9999. Blank lines are
// skipped, and so is a first line without a date (a header).
ImportScan ScanImport(std::span<const std::uint8_t> bytes);

struct ImportPlan {
    std::vector<DateKey> newStarts; // ascending
    std::size_t startsFound = 0;    // new ones and those already marked
    std::size_t alreadyMarked = 0;
};

// A run of consecutive dates is one period, starting at its first day. A
// period that overlaps one of hers (a mark and the `periodLength` days from
// it) counts as already marked, so that a history a day or two off hers adds
// no short cycles. `marks` as CalendarData keeps them (stray keys ignored).
ImportPlan PlanImport(std::vector<DateKey> dates, const std::vector<DateKey>& marks,
                      int periodLength);
