// The data file's bytes: records of a 4-character tag, a 32-bit little-endian
// length and a payload. The writer produces GOOD, OPTS (cycle, period,
// fertility) and DAYS (the keys, ascending); the reader also accepts records in
// any order after GOOD, repeated records and unknown tags.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CalendarData;

namespace datafile {

inline constexpr std::size_t kHeadSize = 36;

enum class DecodeResult {
    Ok,
    // The bytes broke off inside a record or did not start with GOOD. The marks
    // are dropped; settings read before the fault stay.
    FormatError,
};

// Replaces the marks of `data` with the file's and overwrites the settings the
// file holds, each as soon as it is read. Nothing is range-checked.
DecodeResult Decode(const std::uint8_t* bytes, std::size_t size, CalendarData& data);

// Exactly 36 + 4n bytes for n marks, keys ascending.
std::vector<std::uint8_t> Encode(const CalendarData& data);

// Whether the bytes are a whole file in the form Encode writes: GOOD, OPTS of 12
// bytes and DAYS whose length is exactly what follows. A write cut short leaves
// 0, 8 or 28 bytes that Decode still reads as valid; this tells them apart.
bool IsWriterForm(const std::uint8_t* bytes, std::size_t size);

} // namespace datafile
