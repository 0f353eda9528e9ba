// What the app-export fuzzers check of any reading: the same result whatever
// the chunk sizes, only real dates up to today, and a listing of left-out
// rows that is the first few in line order.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "import/AppExports.h"

namespace importfuzz {

inline void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

inline const DateKey kToday = MakeDateKey(2025, 6, 1);

template <typename MakeReader>
imports::ImportRead ReadInChunks(MakeReader make, std::span<const std::uint8_t> bytes,
                                 std::size_t chunk) {
    imports::ReadOptions options;
    options.today = kToday;
    const std::unique_ptr<imports::FormatReader> reader = make(options);
    for (std::size_t at = 0; at < bytes.size(); at += chunk) {
        reader->Feed(bytes.subspan(at, std::min(chunk, bytes.size() - at)));
    }
    return reader->Finish();
}

template <typename MakeReader>
void CheckReader(MakeReader make, std::span<const std::uint8_t> bytes) {
    using namespace imports;
    const ImportRead whole = ReadInChunks(make, bytes, std::max<std::size_t>(bytes.size(), 1));
    for (const ImportedDay& day : whole.days) {
        Check(IsSupportedDate(day.date) && day.date <= kToday);
    }
    Check(whole.firstLeftOut.size() == std::min(whole.leftOutCount, kListedLeftOut));
    Check(std::is_sorted(whole.firstLeftOut.begin(), whole.firstLeftOut.end(),
                         [](const LeftOutRow& a, const LeftOutRow& b) { return a.line < b.line; }));
    Check(whole.firstLeftOut.empty() || whole.firstLeftOut.front().line >= 1);

    const ImportRead chunked = ReadInChunks(make, bytes, bytes.size() % 61 + 1);
    Check(chunked.shape == whole.shape);
    Check(chunked.days == whole.days);
    Check(chunked.leftOutCount == whole.leftOutCount);
    Check(std::equal(chunked.firstLeftOut.begin(), chunked.firstLeftOut.end(),
                     whole.firstLeftOut.begin(), whole.firstLeftOut.end(),
                     [](const LeftOutRow& a, const LeftOutRow& b) {
                         return a.line == b.line && a.reason == b.reason;
                     }));
}

} // namespace importfuzz
