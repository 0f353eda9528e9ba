// The supported dates (1900-9999) of a mark set as a bitmap, one bit per day
// slot of every month, with summary levels above it. Membership, the latest
// date before a key, and the first and last dates then cost a few word
// operations, however many marks there are.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "cycle/DateKey.h"

class DateIndex {
public:
    // False for any key that is not a supported date.
    bool Contains(DateKey key) const;
    // Keys that are not supported dates are ignored.
    void Insert(DateKey key);
    void Erase(DateKey key);
    void Clear();

    bool Empty() const { return count_ == 0; }
    std::optional<DateKey> First() const;
    std::optional<DateKey> Last() const;
    // The latest indexed date whose key is below `key`; `key` may be any value.
    std::optional<DateKey> LastBefore(DateKey key) const;

private:
    // Level 0 holds the day slots, each higher level one bit per word below it.
    static constexpr std::size_t kLevels = 4;

    std::uint64_t Word(std::size_t level, std::size_t index) const;
    std::uint64_t& WordToSet(std::size_t level, std::size_t index);
    std::optional<std::size_t> LastBelow(std::size_t bound) const;

    // Level 0 is kept in pages of 64 words, made when first written: marks
    // usually cover a few years, so most of the 400 KB would stay zero.
    std::vector<std::uint32_t> pageStart_; // into pages_, or kNoPage
    std::vector<std::uint64_t> pages_;
    std::array<std::vector<std::uint64_t>, kLevels> levels_; // level 0 unused
    std::size_t count_ = 0;
};
