#include "import/TableShape.h"

#include <algorithm>
#include <functional>

#include "import/DateText.h"
#include "import/FlowWords.h"
#include "import/Folding.h"

namespace imports {
namespace {

bool HasDate(const SampleRecord& record) {
    return std::any_of(record.fields.begin(), record.fields.end(),
                       [](const std::string& field) { return ReadCellDate(field).has_value(); });
}

bool NamesColumns(const SampleRecord& record) {
    return std::any_of(record.fields.begin(), record.fields.end(),
                       [](const std::string& field) { return ReadHeader(field).Any(); });
}

struct ColumnStats {
    ColumnRoles roles;
    std::size_t filled = 0;
    std::size_t dated = 0;
    // At least half of its filled cells hold a date.
    bool HoldsDates() const { return dated > 0 && dated * 2 >= filled; }
};

} // namespace

bool IsBlankRecord(std::span<const std::string> fields) {
    return std::all_of(fields.begin(), fields.end(),
                       [](const std::string& field) { return TrimSpace(field).empty(); });
}

TableColumns FindColumns(std::span<const SampleRecord> records) {
    // The header is the last row naming columns above the first row with a
    // date, so that a title above it is passed over; without a header, rows
    // above the first date are a title.
    std::optional<std::size_t> header;
    std::size_t firstDated = records.size();
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (IsBlankRecord(records[i].fields) || records[i].tooWide) {
            continue;
        }
        if (HasDate(records[i])) {
            firstDated = i;
            break;
        }
        if (NamesColumns(records[i])) {
            header = i;
        }
    }
    TableColumns columns;
    if (header) {
        columns.dataStart = *header + 1;
    } else if (firstDated < records.size()) {
        columns.dataStart = firstDated;
    } else {
        // Nothing to tell a header by: the first row is taken for one.
        const auto first = std::find_if(records.begin(), records.end(), [](const SampleRecord& r) {
            return !IsBlankRecord(r.fields);
        });
        columns.dataStart =
            first == records.end() ? 0 : static_cast<std::size_t>(first - records.begin()) + 1;
    }

    std::vector<ColumnStats> stats;
    if (header) {
        for (const std::string& name : records[*header].fields) {
            stats.push_back({ReadHeader(name)});
        }
    }
    for (std::size_t i = columns.dataStart; i < records.size(); ++i) {
        const std::vector<std::string>& fields = records[i].fields;
        if (records[i].tooWide) {
            continue;
        }
        stats.resize(std::max(stats.size(), fields.size()));
        for (std::size_t column = 0; column < fields.size(); ++column) {
            if (TrimSpace(fields[column]).empty()) {
                continue;
            }
            ++stats[column].filled;
            stats[column].dated += ReadCellDate(fields[column]) ? 1 : 0;
        }
    }

    const auto find =
        [&](std::initializer_list<ColumnRole> roles,
            const std::function<bool(std::size_t)>& fits) -> std::optional<std::size_t> {
        for (std::size_t column = 0; column < stats.size(); ++column) {
            const bool named = std::any_of(roles.begin(), roles.end(), [&](ColumnRole role) {
                return stats[column].roles.Has(role);
            });
            if (named && fits(column)) {
                return column;
            }
        }
        return std::nullopt;
    };
    const auto dates = [&](std::size_t column) { return stats[column].HoldsDates(); };
    const auto noDates = [&](std::size_t column) { return !stats[column].HoldsDates(); };

    const auto start = find({ColumnRole::Start}, dates);
    if (start) {
        columns.end =
            find({ColumnRole::End}, [&](std::size_t c) { return c != start && dates(c); });
        columns.length = find({ColumnRole::Length}, noDates);
    }
    if (columns.end || columns.length) {
        columns.date = start;
    } else {
        columns.date = find({ColumnRole::Date, ColumnRole::Start}, dates);
    }
    if (!columns.date) {
        // The column where most rows hold a date, if any does.
        const auto most = std::max_element(
            stats.begin(), stats.end(),
            [](const ColumnStats& a, const ColumnStats& b) { return a.dated < b.dated; });
        if (most != stats.end() && most->dated > 0) {
            columns.date = static_cast<std::size_t>(most - stats.begin());
        }
    }

    const auto other = [&](std::size_t column) {
        return column != columns.date && noDates(column);
    };
    columns.flow = find({ColumnRole::FlowLevel}, other);
    columns.flowIsLevel = columns.flow.has_value();
    if (!columns.flow) {
        columns.flow = find({ColumnRole::Flow}, other);
    }
    columns.category = find({ColumnRole::Category}, other);
    columns.exclude = find({ColumnRole::Exclude}, other);
    return columns;
}

} // namespace imports
