// Feeds arbitrary bytes to the import reader. It may not crash; every day it
// reads must be a supported one and not after today, the listing of rows left
// out must agree with their count, and the bytes fed in chunks of any sizes
// must read as they do in one piece.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "import/ImportReader.h"

namespace {

using namespace imports;

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

constexpr DateKey kToday = MakeDateKey(2024, 6, 15);

void CheckDays(const std::vector<ImportedDay>& days) {
    for (const ImportedDay& day : days) {
        Check(IsSupportedDate(day.date));
        Check(day.date <= kToday);
    }
}

bool Same(const ImportRead& a, const ImportRead& b) {
    const auto sameRows =
        std::equal(a.firstLeftOut.begin(), a.firstLeftOut.end(), b.firstLeftOut.begin(),
                   b.firstLeftOut.end(), [](const LeftOutRow& x, const LeftOutRow& y) {
                       return x.line == y.line && x.reason == y.reason;
                   });
    return a.shape == b.shape && a.foundDateColumn == b.foundDateColumn && a.days == b.days &&
           a.otherOrder == b.otherOrder && a.order == b.order && a.orderOpen == b.orderOpen &&
           a.leftOutCount == b.leftOutCount && sameRows;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::span input(bytes, size);
    // The options and the chunk sizes come from the input itself, so that a
    // crash reproduces from its file alone.
    std::uint32_t seed = 2166136261u;
    for (const std::uint8_t byte : input) {
        seed = (seed ^ byte) * 16777619u;
    }
    const ReadOptions options{.codePage = seed & 1 ? 1250u : 1252u,
                              .today = kToday,
                              .preferredOrder =
                                  seed & 2 ? DateOrder::MonthFirst : DateOrder::DayFirst};

    const ImportRead read = ReadImport(input, options);
    CheckDays(read.days);
    CheckDays(read.otherOrder);
    Check(read.orderOpen || read.otherOrder.empty());
    Check(read.firstLeftOut.size() == std::min(read.leftOutCount, kListedLeftOut));
    Check(std::is_sorted(read.firstLeftOut.begin(), read.firstLeftOut.end(),
                         [](const LeftOutRow& a, const LeftOutRow& b) { return a.line < b.line; }));
    Check(read.firstLeftOut.empty() || read.firstLeftOut.front().line >= 1);
    // Days come from tables, JSON and XML (a zip's export.xml reads as XML).
    Check(read.days.empty() || read.shape == FileShape::Table || read.shape == FileShape::Json ||
          read.shape == FileShape::Xml);

    ImportReader reader(options);
    for (std::size_t at = 0; at < size;) {
        seed = seed * 1103515245u + 12345u;
        const std::size_t chunk = std::min<std::size_t>(size - at, 1 + (seed >> 16) % 5000);
        reader.Feed(input.subspan(at, chunk));
        at += chunk;
    }
    Check(Same(reader.Finish(), read));
    return 0;
}
