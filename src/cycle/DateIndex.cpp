#include "cycle/DateIndex.h"

#include <algorithm>
#include <bit>

namespace {

constexpr std::size_t kMonths = (kLastSupportedYear - kFirstSupportedYear + 1) * 12;
// Slot = month * 32 + day; slot 0 of each month stays empty.
constexpr std::size_t kSlots = kMonths * 32;

constexpr std::size_t WordsFor(std::size_t bits) {
    return (bits + 63) / 64;
}

// Words per level: the day slots, then one bit per word of the level below.
constexpr std::size_t kWords[] = {
    WordsFor(kSlots),
    WordsFor(WordsFor(kSlots)),
    WordsFor(WordsFor(WordsFor(kSlots))),
    WordsFor(WordsFor(WordsFor(WordsFor(kSlots)))),
};
static_assert(kWords[3] == 1, "the top level must be a single word");

constexpr std::size_t kPageWords = 64;
constexpr std::uint32_t kNoPage = 0xFFFFFFFF;

// Slot order is key order for supported dates.
std::size_t SlotOf(DateKey key) {
    const auto month = static_cast<std::size_t>(KeyYear(key) - kFirstSupportedYear) * 12 +
                       static_cast<std::size_t>(KeyMonth(key) - 1);
    return month * 32 + static_cast<std::size_t>(KeyDay(key));
}

DateKey KeyOf(std::size_t slot) {
    const std::size_t month = slot / 32;
    return MakeDateKey(kFirstSupportedYear + static_cast<int>(month / 12),
                       static_cast<int>(month % 12) + 1, static_cast<int>(slot % 32));
}

// How many slots hold dates whose keys are below `key`, for any 32-bit value.
std::size_t SlotsBelow(DateKey key) {
    const int year = KeyYear(key);
    if (year < kFirstSupportedYear) {
        return 0;
    }
    if (year > kLastSupportedYear) {
        return kSlots;
    }
    const int month = KeyMonth(key);
    if (month == 0) {
        return SlotOf(MakeDateKey(year, 1, 0));
    }
    if (month > 12) {
        return SlotOf(MakeDateKey(year, 12, 0)) + 32;
    }
    return SlotOf(MakeDateKey(year, month, 0)) + std::min<std::size_t>(KeyDay(key), 32);
}

int HighestBit(std::uint64_t word) {
    return 63 - std::countl_zero(word);
}
int LowestBit(std::uint64_t word) {
    return std::countr_zero(word);
}

} // namespace

std::uint64_t DateIndex::Word(std::size_t level, std::size_t index) const {
    if (level > 0) {
        return levels_[level][index];
    }
    const std::uint32_t start = pageStart_[index / kPageWords];
    return start == kNoPage ? 0 : pages_[start + index % kPageWords];
}

std::uint64_t& DateIndex::WordToSet(std::size_t level, std::size_t index) {
    if (level > 0) {
        return levels_[level][index];
    }
    std::uint32_t& start = pageStart_[index / kPageWords];
    if (start == kNoPage) {
        start = static_cast<std::uint32_t>(pages_.size());
        pages_.resize(pages_.size() + kPageWords, 0);
    }
    return pages_[start + index % kPageWords];
}

bool DateIndex::Contains(DateKey key) const {
    if (count_ == 0 || !IsSupportedDate(key)) {
        return false;
    }
    const std::size_t slot = SlotOf(key);
    return (Word(0, slot / 64) >> (slot % 64)) & 1;
}

void DateIndex::Insert(DateKey key) {
    if (!IsSupportedDate(key) || Contains(key)) {
        return;
    }
    if (pageStart_.empty()) {
        pageStart_.assign((kWords[0] + kPageWords - 1) / kPageWords, kNoPage);
        for (std::size_t level = 1; level < kLevels; ++level) {
            levels_[level].assign(kWords[level], 0);
        }
    }
    std::size_t position = SlotOf(key);
    for (std::size_t level = 0; level < kLevels; ++level) {
        std::uint64_t& word = WordToSet(level, position / 64);
        const bool wasEmpty = word == 0;
        word |= std::uint64_t{1} << (position % 64);
        if (!wasEmpty) {
            break;
        }
        position /= 64;
    }
    ++count_;
}

void DateIndex::Erase(DateKey key) {
    if (!Contains(key)) {
        return;
    }
    std::size_t position = SlotOf(key);
    for (std::size_t level = 0; level < kLevels; ++level) {
        std::uint64_t& word = WordToSet(level, position / 64);
        word &= ~(std::uint64_t{1} << (position % 64));
        if (word != 0) {
            break;
        }
        position /= 64;
    }
    --count_;
}

void DateIndex::Clear() {
    pageStart_.clear();
    pages_.clear();
    for (auto& level : levels_) {
        level.clear();
    }
    count_ = 0;
}

std::optional<DateKey> DateIndex::First() const {
    if (count_ == 0) {
        return std::nullopt;
    }
    std::size_t position = 0;
    for (std::size_t level = kLevels; level-- > 0;) {
        position = position * 64 + static_cast<std::size_t>(LowestBit(Word(level, position)));
    }
    return KeyOf(position);
}

std::optional<DateKey> DateIndex::Last() const {
    const auto slot = LastBelow(kSlots);
    return slot ? std::optional<DateKey>(KeyOf(*slot)) : std::nullopt;
}

std::optional<DateKey> DateIndex::LastBefore(DateKey key) const {
    const auto slot = LastBelow(SlotsBelow(key));
    return slot ? std::optional<DateKey>(KeyOf(*slot)) : std::nullopt;
}

std::optional<std::size_t> DateIndex::LastBelow(std::size_t bound) const {
    if (count_ == 0) {
        return std::nullopt;
    }
    // Climb until a word holds a set bit below the bound, then descend along the
    // highest set bits.
    std::size_t position = bound;
    std::size_t level = 0;
    for (;; ++level) {
        if (level == kLevels) {
            return std::nullopt;
        }
        std::size_t index = position / 64;
        std::uint64_t below = 0;
        if (index >= kWords[level]) {
            index = kWords[level] - 1;
            below = Word(level, index);
        } else {
            below = Word(level, index) & ((std::uint64_t{1} << (position % 64)) - 1);
        }
        if (below != 0) {
            position = index * 64 + static_cast<std::size_t>(HighestBit(below));
            break;
        }
        position = index;
    }
    while (level-- > 0) {
        position = position * 64 + static_cast<std::size_t>(HighestBit(Word(level, position)));
    }
    return position;
}
