// Her cycle history in words: dates in the locale's long form, day counts,
// the rows of the list of cycles and the sentences of the figures. Every text
// comes from the string table; the dialog and the printed summary share them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "history/CycleHistory.h"

std::wstring LongDate(DateKey key);
// The short form, for a place too narrow for the long one.
std::wstring ShortDate(DateKey key);
// "28 days"; "28.5 days" for tenths that are not whole days.
std::wstring DaysText(int days);
std::wstring TenthsDaysText(int tenths);

struct CycleRow {
    std::wstring start;
    std::wstring length;
    std::wstring difference; // from the median
    std::wstring note;
};

// The list, newest first: the latest start (her current cycle), then every
// cycle and break before it.
std::size_t CycleRowCount(const CycleHistory& history);
CycleRow CycleRowAt(const CycleHistory& history, std::size_t row);

// The list's column headings, in the order of CycleRow.
std::vector<std::wstring> CycleColumnNames();

// "Your last 12 cycles:", or that there are none yet.
std::wstring FiguresHeading(const CycleHistory& history);
// The figures, one sentence per line, ending with the cycle length in force.
std::vector<std::wstring> FigureLines(const CycleHistory& history, int cycleLengthInForce);

// "Use 28 days for predictions" (with its access key), or its general form
// while there is no typical cycle.
std::wstring UseButtonText(const CycleHistory& history);

// What the chart shows, for a screen reader.
std::wstring ChartDescription(const CycleHistory& history);

// The dates the history covers, under the summary's title.
std::wstring CoveredText(const CycleHistory& history);
