#include "history/CycleImport.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "history/CycleHistory.h"

namespace {

// UTF-16 with a BOM becomes one byte per code unit; anything beyond ASCII
// cannot be part of a date and becomes a byte no date or separator uses.
std::string Narrow(std::span<const std::uint8_t> bytes, bool bigEndian) {
    std::string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        const unsigned unit =
            bigEndian ? (bytes[i] << 8 | bytes[i + 1]) : (bytes[i] | bytes[i + 1] << 8);
        text += unit < 0x80 ? static_cast<char>(unit) : '\x80';
    }
    return text;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The value of `count` digits at `at`, or none.
std::optional<int> Digits(std::string_view text, std::size_t at, std::size_t count) {
    if (at + count > text.size()) {
        return std::nullopt;
    }
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (!IsDigit(text[i])) {
            return std::nullopt;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

std::string_view Trim(std::string_view text, std::string_view what) {
    const std::size_t first = text.find_first_not_of(what);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(what) - first + 1);
}

// A whole ISO 8601 calendar date, extended or basic, optionally followed by a time.
std::optional<DateKey> ParseIsoDate(std::string_view field) {
    const auto year = Digits(field, 0, 4);
    std::optional<int> month;
    std::optional<int> day;
    std::size_t end = 0;
    if (field.size() >= 10 && field[4] == '-' && field[7] == '-') {
        month = Digits(field, 5, 2);
        day = Digits(field, 8, 2);
        end = 10;
    } else {
        month = Digits(field, 4, 2);
        day = Digits(field, 6, 2);
        end = 8;
    }
    if (!year || !month || !day) {
        return std::nullopt;
    }
    if (end < field.size() && field[end] != 'T' && field[end] != ' ') {
        return std::nullopt;
    }
    if (!IsSupportedDate(*year, *month, *day)) {
        return std::nullopt;
    }
    return MakeDateKey(*year, *month, *day);
}

std::optional<DateKey> DateInFirstColumn(std::string_view line) {
    const std::string_view column = line.substr(0, line.find_first_of(",;\t"));
    return ParseIsoDate(Trim(Trim(column, " "), "\""));
}

// Empty rows of a spreadsheet come out as separators alone.
bool IsBlank(std::string_view line) {
    return line.find_first_not_of(" \t,;\"") == std::string_view::npos;
}

std::int64_t DayOf(DateKey key) {
    return DayNumber(KeyYear(key), KeyMonth(key), KeyDay(key));
}

} // namespace

ImportScan ScanImport(std::span<const std::uint8_t> bytes) {
    std::string converted;
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        converted = Narrow(bytes, false);
        text = converted;
    } else if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
        converted = Narrow(bytes, true);
        text = converted;
    } else if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }

    ImportScan scan;
    bool sawLine = false;
    std::size_t number = 0;
    while (!text.empty()) {
        const std::size_t lineEnd = text.find_first_of("\r\n");
        const std::string_view line = text.substr(0, lineEnd);
        std::size_t next = lineEnd == std::string_view::npos ? text.size() : lineEnd + 1;
        if (lineEnd != std::string_view::npos && text[lineEnd] == '\r' && next < text.size() &&
            text[next] == '\n') {
            ++next;
        }
        text.remove_prefix(next);
        ++number;

        if (IsBlank(line)) {
            continue;
        }
        const bool first = !sawLine;
        sawLine = true;
        if (const auto date = DateInFirstColumn(line)) {
            scan.dates.push_back(*date);
        } else if (!first) {
            ++scan.badLineCount;
            if (scan.firstBadLines.size() < kListedBadLines) {
                scan.firstBadLines.push_back(number);
            }
        }
    }
    return scan;
}

ImportPlan PlanImport(std::vector<DateKey> dates, const std::vector<DateKey>& marks,
                      int periodLength) {
    const int period = std::clamp(periodLength, 1, kLongestCycle);
    std::vector<std::int64_t> markDays;
    markDays.reserve(marks.size());
    for (const DateKey mark : marks) {
        if (IsSupportedDate(mark)) {
            markDays.push_back(DayOf(mark));
        }
    }
    // CalendarData keeps keys sorted, and key order is date order.
    std::sort(markDays.begin(), markDays.end());

    std::sort(dates.begin(), dates.end());
    dates.erase(std::unique(dates.begin(), dates.end()), dates.end());

    ImportPlan plan;
    for (std::size_t i = 0; i < dates.size();) {
        const DateKey start = dates[i];
        const std::int64_t first = DayOf(start);
        std::int64_t last = first;
        for (++i; i < dates.size() && DayOf(dates[i]) == last + 1; ++i) {
            ++last;
        }
        // A single date stands for a whole period; bleeding days show its length.
        const std::int64_t periodEnd = std::max(last, first + period - 1);
        const auto overlapping =
            std::lower_bound(markDays.begin(), markDays.end(), first - period + 1);
        ++plan.startsFound;
        if (overlapping != markDays.end() && *overlapping <= periodEnd) {
            ++plan.alreadyMarked;
        } else {
            plan.newStarts.push_back(start);
        }
    }
    return plan;
}
