#include "cycle/DataEnvelope.h"

#include "cycle/DataFile.h"

namespace {
// An empty calendar: three headers and the settings. Lunabel never writes
// less, so a shorter file was cut off or came from elsewhere, even where the
// codec would read it as an empty calendar.
constexpr std::size_t kSmallestWrittenFile = 36;
} // namespace

const PlainEnvelope& PlainEnvelope::Shared() {
    static const PlainEnvelope plain;
    return plain;
}

std::vector<std::uint8_t> PlainEnvelope::Seal(const CalendarData& data) const {
    return datafile::Encode(data);
}

DataEnvelope::Opened PlainEnvelope::Open(std::span<const std::uint8_t> bytes,
                                         CalendarData& data) const {
    // What a damaged file held before it broke off still applies.
    const bool decoded =
        datafile::Decode(bytes.data(), bytes.size(), data) == datafile::DecodeResult::Ok;
    return decoded && bytes.size() >= kSmallestWrittenFile ? Opened::Opened : Opened::Damaged;
}

bool PlainEnvelope::IsWhole(std::span<const std::uint8_t> bytes) const {
    return datafile::IsWriterForm(bytes.data(), bytes.size());
}
