// Feeds arbitrary bytes to the data file reader. It must never crash, whatever
// it decodes must survive a write and a second read unchanged, and a file in
// the writer's own form must be written back byte for byte.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "cycle/CalendarData.h"
#include "cycle/DataFile.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

std::uint32_t WordAt(const std::uint8_t* bytes, std::size_t index) {
    const std::uint8_t* p = bytes + 4 * index;
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// GOOD, one OPTS, one DAYS with its keys ascending and unique, nothing after.
bool IsWriterForm(const std::uint8_t* bytes, std::size_t size) {
    if (size < datafile::kHeadSize || size % 4 != 0 || size - datafile::kHeadSize > 0xFFFFFFFFu) {
        return false;
    }
    if (WordAt(bytes, 0) != 0x444F4F47 || WordAt(bytes, 1) != 0 || WordAt(bytes, 2) != 0x5354504F ||
        WordAt(bytes, 3) != 12 || WordAt(bytes, 7) != 0x53594144 ||
        WordAt(bytes, 8) != size - datafile::kHeadSize) {
        return false;
    }
    for (std::size_t i = 10; i < size / 4; ++i) {
        if (WordAt(bytes, i - 1) >= WordAt(bytes, i)) {
            return false;
        }
    }
    return true;
}

bool SameState(const CalendarData& a, const CalendarData& b) {
    return a.Marks() == b.Marks() && a.GetCycleLength() == b.GetCycleLength() &&
           a.GetPeriodLength() == b.GetPeriodLength() &&
           a.GetShowFertilityWord() == b.GetShowFertilityWord();
}

// The queries take whatever a file brought in without undefined behaviour.
void Query(const CalendarData& data) {
    DateKey last = 0;
    if (data.GetLastMark(last)) {
        Check(IsSupportedDate(last));
    }
    int first = 0;
    int final = 0;
    data.GetMarkYearRange(first, final);
    Check(first <= final);
    int asked = 0;
    for (const DateKey key : data.Marks()) {
        if (++asked > 64) {
            break;
        }
        Check(data.IsMarked(KeyYear(key), KeyMonth(key), KeyDay(key)));
        try {
            const int offset = data.PreviousMarkOffset(KeyYear(key), KeyMonth(key), KeyDay(key));
            Check(offset < 0 || offset == CalendarData::kNoPreviousMark);
        } catch (const DateError&) {
            Check(!IsSupportedDate(key));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    CalendarData decoded;
    if (datafile::Decode(bytes, size, decoded) == datafile::DecodeResult::FormatError) {
        Check(decoded.Marks().empty());
    }
    const std::vector<std::uint8_t> written = datafile::Encode(decoded);
    Check(written.size() == datafile::kHeadSize + 4 * decoded.Marks().size());

    CalendarData reread;
    Check(datafile::Decode(written.data(), written.size(), reread) == datafile::DecodeResult::Ok);
    Check(SameState(decoded, reread));
    Check(datafile::Encode(reread) == written);

    if (IsWriterForm(bytes, size)) {
        Check(written.size() == size && std::equal(written.begin(), written.end(), bytes));
    }
    Query(decoded);
    return 0;
}
