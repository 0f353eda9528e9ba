// A data file put together field by field, as tests prepare and expect it,
// without the codec under test.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "cycle/DateKey.h"

class FileBytes {
public:
    FileBytes& Tag(std::string_view tag) {
        bytes.insert(bytes.end(), tag.begin(), tag.end());
        return *this;
    }
    FileBytes& Word(std::uint32_t word) {
        for (int shift = 0; shift < 32; shift += 8) {
            bytes.push_back(static_cast<std::uint8_t>(word >> shift));
        }
        return *this;
    }
    FileBytes& Raw(std::initializer_list<std::uint8_t> raw) {
        bytes.insert(bytes.end(), raw);
        return *this;
    }
    FileBytes& Good() { return Tag("GOOD").Word(0); }
    FileBytes& Opts(std::uint32_t cycle, std::uint32_t period, std::uint32_t fertility) {
        return Tag("OPTS").Word(12).Word(cycle).Word(period).Word(fertility);
    }
    FileBytes& Days(const std::vector<DateKey>& keys) {
        Tag("DAYS").Word(static_cast<std::uint32_t>(4 * keys.size()));
        for (const DateKey key : keys) {
            Word(key);
        }
        return *this;
    }

    std::vector<std::uint8_t> bytes;
};
