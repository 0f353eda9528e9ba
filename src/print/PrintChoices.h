// The choices of the print dialog as data: which years a range choice means,
// how a printer is listed, and the job's page span.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class YearChoice { ThisYear, LastTwoYears, AllYearsWithMarks };

// Ascending. For AllYearsWithMarks every year from the first marked to the last
// marked, the unmarked ones between included; (0, 0) means no marks and gives
// an empty list.
std::vector<int> YearsToPrint(YearChoice choice, int currentYear, int firstMarkYear,
                              int lastMarkYear);

// The job's last page for `pageCount` pages: one less, unsigned, so that no
// pages at all gives 0xFFFFFFFF (and a loop from 0 that finds page 0 invalid).
constexpr std::uint32_t LastPageFor(std::size_t pageCount) {
    return static_cast<std::uint32_t>(pageCount) - 1u;
}

// "name (server)" for a printer shared from a server, the name alone for a
// printer of this machine.
std::wstring PrinterLabel(const std::wstring& printerName, const std::wstring& serverName);
