// Her records for other programs: the period starts as CSV for a spreadsheet,
// and what the grids show for the coming months as iCalendar events for her
// calendar application. Both are UTF-8 bytes with CRLF line ends.
#pragma once

#include <string>

#include "history/CycleHistory.h"

class CalendarData;

// RFC 4180: a header row "period_start,cycle_length_days", then one row per
// start with its ISO 8601 date and the days to the next start (empty on the
// latest).
std::string WriteCyclesCsv(const CycleHistory& history);

struct IcsOptions {
    // The first of the months exported, and how many.
    int firstYear = 0;
    int firstMonth = 1;
    int months = 12;
    // DTSTAMP of every event: when the file was made, in UTC.
    int stampYear = 0;
    int stampMonth = 1;
    int stampDay = 1;
    int stampHour = 0;
    int stampMinute = 0;
    int stampSecond = 0;
    // PRODID, the domain that makes the UIDs unique, and the events' titles
    // (UTF-8, in her language).
    std::string productId;
    std::string uidDomain;
    std::string periodTitle;
    std::string fertileTitle;
};

// RFC 5545: one all-day event (exclusive DTEND) per run of period days (a
// mark and the days classified as period) and, while fertility display is on,
// one per run of fertile days, exactly as the month grids classify the
// exported months. Runs join across months; a run cut by the end of the
// exported months ends there. Months outside 1900 to November 9999 are left out.
std::string WritePredictionsIcs(const CalendarData& data, const IcsOptions& options);

// A content line folded to at most 75 octets per physical line (continuations
// begin with a space) without splitting a UTF-8 sequence, CRLF after each.
std::string FoldIcsLine(const std::string& line);

// TEXT value escaping: backslash, semicolon, comma and line breaks.
std::string EscapeIcsText(const std::string& text);
