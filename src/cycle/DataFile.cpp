#include "cycle/DataFile.h"

#include <utility>

#include "cycle/CalendarData.h"

namespace datafile {
namespace {

// The tags as little-endian words of their four characters.
constexpr std::uint32_t kTagGood = 0x444F4F47; // "GOOD"
constexpr std::uint32_t kTagOpts = 0x5354504F; // "OPTS"
constexpr std::uint32_t kTagDays = 0x53594144; // "DAYS"
constexpr std::uint32_t kOptsLength = 12;

class WordReader {
public:
    WordReader(const std::uint8_t* bytes, std::size_t size) : next_(bytes), left_(size) {}

    bool Read(std::uint32_t& word) {
        if (left_ < 4) {
            return false;
        }
        word = static_cast<std::uint32_t>(next_[0]) | static_cast<std::uint32_t>(next_[1]) << 8 |
               static_cast<std::uint32_t>(next_[2]) << 16 |
               static_cast<std::uint32_t>(next_[3]) << 24;
        next_ += 4;
        left_ -= 4;
        return true;
    }

    std::size_t WordsLeft() const { return left_ / 4; }

private:
    const std::uint8_t* next_;
    std::size_t left_;
};

void Append(std::vector<std::uint8_t>& out, std::uint32_t word) {
    out.push_back(static_cast<std::uint8_t>(word));
    out.push_back(static_cast<std::uint8_t>(word >> 8));
    out.push_back(static_cast<std::uint8_t>(word >> 16));
    out.push_back(static_cast<std::uint8_t>(word >> 24));
}

} // namespace

DecodeResult Decode(const std::uint8_t* bytes, std::size_t size, CalendarData& data) {
    data.ClearMarks();
    WordReader in(bytes, size);
    // Marks take effect only once the whole file has been read: a fault anywhere
    // drops all of them, even those of earlier complete records.
    std::vector<DateKey> keys;
    bool first = true;
    std::uint32_t tag = 0;
    // 1-3 stray bytes where a tag would start end the file normally.
    while (in.Read(tag)) {
        std::uint32_t length = 0;
        if (!in.Read(length)) {
            return DecodeResult::FormatError;
        }
        if (first) {
            if (tag != kTagGood || length != 0) {
                return DecodeResult::FormatError;
            }
            first = false;
        }
        if (tag == kTagOpts) {
            if (length != kOptsLength) {
                return DecodeResult::FormatError;
            }
            // Each setting is kept as soon as it is read, even if the next is missing.
            std::uint32_t word = 0;
            if (!in.Read(word)) {
                return DecodeResult::FormatError;
            }
            data.SetCycleLength(static_cast<std::int32_t>(word));
            if (!in.Read(word)) {
                return DecodeResult::FormatError;
            }
            data.SetPeriodLength(static_cast<std::int32_t>(word));
            if (!in.Read(word)) {
                return DecodeResult::FormatError;
            }
            data.SetShowFertilityWord(word);
        } else if (tag == kTagDays) {
            // A length that is no multiple of 4 still reads a whole word for the rest.
            const std::uint64_t count = (static_cast<std::uint64_t>(length) + 3) / 4;
            if (in.WordsLeft() < count) {
                return DecodeResult::FormatError;
            }
            keys.reserve(keys.size() + static_cast<std::size_t>(count));
            for (std::uint64_t i = 0; i < count; ++i) {
                std::uint32_t key = 0;
                in.Read(key);
                keys.push_back(key);
            }
        }
        // Any other tag, a second GOOD included, is passed over without skipping
        // its payload: the payload is read as the next record.
    }
    data.SetMarks(std::move(keys));
    return DecodeResult::Ok;
}

std::vector<std::uint8_t> Encode(const CalendarData& data) {
    const auto& marks = data.Marks();
    std::vector<std::uint8_t> out;
    out.reserve(kHeadSize + 4 * marks.size());
    Append(out, kTagGood);
    Append(out, 0);
    Append(out, kTagOpts);
    Append(out, kOptsLength);
    Append(out, static_cast<std::uint32_t>(data.GetCycleLength()));
    Append(out, static_cast<std::uint32_t>(data.GetPeriodLength()));
    Append(out, data.GetShowFertilityWord());
    Append(out, kTagDays);
    Append(out, static_cast<std::uint32_t>(4 * marks.size()));
    for (const DateKey key : marks) {
        Append(out, key);
    }
    return out;
}

bool IsWriterForm(const std::uint8_t* bytes, std::size_t size) {
    if (size < kHeadSize || (size - kHeadSize) % 4 != 0) {
        return false;
    }
    WordReader in(bytes, size);
    std::uint32_t words[9] = {};
    for (std::uint32_t& word : words) {
        in.Read(word);
    }
    return words[0] == kTagGood && words[1] == 0 && words[2] == kTagOpts &&
           words[3] == kOptsLength && words[7] == kTagDays && words[8] == size - kHeadSize;
}

} // namespace datafile
