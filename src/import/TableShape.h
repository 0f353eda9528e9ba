// Where a table's data begins and which column holds what, decided from its
// first rows: a title above the header is skipped, the header names the
// columns, and the cells settle what a header leaves open.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace imports {

// The rows a table's shape is decided from.
constexpr std::size_t kShapeRows = 64;

struct SampleRecord {
    std::size_t line = 0;
    std::vector<std::string> fields;
    bool tooWide = false;
};

struct TableColumns {
    std::size_t dataStart = 0;       // records before it are a title or the header
    std::optional<std::size_t> date; // the start of a period, when `end` or `length`
    std::optional<std::size_t> end;
    std::optional<std::size_t> length;
    std::optional<std::size_t> flow;
    bool flowIsLevel = false; // bleeding.value: 0 spotting, 1-3 bleeding
    std::optional<std::size_t> category;
    std::optional<std::size_t> exclude;
};

bool IsBlankRecord(std::span<const std::string> fields);

TableColumns FindColumns(std::span<const SampleRecord> records);

} // namespace imports
