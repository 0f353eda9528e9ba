#include "cycle/DataEnvelope.h"

#include "cycle/DataFile.h"

const PlainEnvelope& PlainEnvelope::Shared() {
    static const PlainEnvelope plain;
    return plain;
}

std::vector<std::uint8_t> PlainEnvelope::Seal(const CalendarData& data) const {
    return datafile::Encode(data);
}

DataEnvelope::Opened PlainEnvelope::Open(std::span<const std::uint8_t> bytes,
                                         CalendarData& data) const {
    return datafile::Decode(bytes.data(), bytes.size(), data) == datafile::DecodeResult::Ok
               ? Opened::Opened
               : Opened::Damaged;
}

bool PlainEnvelope::IsWhole(std::span<const std::uint8_t> bytes) const {
    return datafile::IsWriterForm(bytes.data(), bytes.size());
}
