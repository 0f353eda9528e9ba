// Import of a very large per-day log: a CSV of about 200 MB, generated a
// chunk at a time so that only the reader's own memory shows, fed to the
// reader in 1 MiB chunks. Prints "label|figure" rows for bench.sh: the time
// spent reading and the process's peak resident memory.
#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

#include "import/ImportReader.h"

namespace {

constexpr std::size_t kFileSize = 200u * 1000 * 1000;
constexpr std::size_t kChunkSize = 1024 * 1024;

// A row for each day from 1900 on (some 6,000 years of them: no life is that
// long, but the rows are as an app exports them): a 28-day cycle with five
// days of bleeding, the rest "none", a temperature, a mood, symptoms and notes.
class DayLog {
public:
    // Appends rows until `text` holds at least a chunk.
    void Fill(std::string& text) {
        if (rows_ == 0) {
            text += "date,flow,temperature,mood,symptoms,notes\r\n";
        }
        while (text.size() < kChunkSize) {
            static constexpr const char* kFlows[] = {"heavy", "medium", "medium", "light",
                                                     "spotting"};
            static constexpr const char* kNotes[] = {
                "\"slept badly, headache in the evening\"",
                "walked 5 km after work with a friend",
                "\"cramps in the morning; took ibuprofen, 400 mg\"",
                "long day at work, tired, early to bed",
                "yoga class, felt fine all day",
                "\"bloated, craving chocolate; coffee x3\""};
            const int cycleDay = static_cast<int>(rows_ % 28);
            char row[192];
            const int size = std::snprintf(
                row, sizeof row, "%04d-%02d-%02d,%s,36.%02d,%s,%s,%s\r\n", KeyYear(date_),
                KeyMonth(date_), KeyDay(date_), cycleDay < 5 ? kFlows[cycleDay] : "none",
                static_cast<int>(rows_ * 7 % 90), rows_ % 3 == 0 ? "calm" : "tired",
                cycleDay < 3 ? "cramps" : (cycleDay == 14 ? "breast tenderness" : ""),
                kNotes[rows_ % 6]);
            text.append(row, static_cast<std::size_t>(size));
            ++rows_;
            date_ = NextDay(date_);
        }
    }
    std::size_t Rows() const { return rows_; }

private:
    static DateKey NextDay(DateKey key) {
        const int year = KeyYear(key);
        const int month = KeyMonth(key);
        if (KeyDay(key) < DaysInMonth(year, month)) {
            return key + 1;
        }
        return month == 12 ? MakeDateKey(year + 1, 1, 1) : MakeDateKey(year, month + 1, 1);
    }

    DateKey date_ = MakeDateKey(1900, 1, 1);
    std::size_t rows_ = 0;
};

} // namespace

int main() {
    using Clock = std::chrono::steady_clock;
    // Every generated day is in the past.
    imports::ReadOptions options;
    options.today = MakeDateKey(9999, 12, 31);
    imports::ImportReader reader(options);
    DayLog log;
    std::string chunk;
    chunk.reserve(kChunkSize + 256);
    std::size_t fed = 0;
    Clock::duration reading{};
    while (fed < kFileSize) {
        chunk.clear();
        log.Fill(chunk);
        const auto started = Clock::now();
        reader.Feed(std::span(reinterpret_cast<const std::uint8_t*>(chunk.data()), chunk.size()));
        reading += Clock::now() - started;
        fed += chunk.size();
    }
    const auto started = Clock::now();
    const imports::ImportRead read = reader.Finish();
    reading += Clock::now() - started;

    if (read.days.size() != log.Rows() || read.leftOutCount != 0) {
        std::fprintf(stderr, "import bench: %zu days and %zu left out from %zu rows\n",
                     read.days.size(), read.leftOutCount, log.Rows());
        return 1;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double seconds = std::chrono::duration<double>(reading).count();
    std::printf("import a %zu MB per-day CSV (%zu rows) in 1 MiB chunks|%.2f s (%.0f MB/s)\n",
                fed / 1000000, log.Rows(), seconds, static_cast<double>(fed) / 1e6 / seconds);
    std::printf("peak memory of that import (ru_maxrss), %zu days kept|%.1f MiB\n",
                read.days.size(), static_cast<double>(usage.ru_maxrss) / 1024.0);
    return 0;
}
