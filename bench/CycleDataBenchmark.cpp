// Speed of the data file codec and of the date queries that classification asks
// for every shown day, against mark counts far beyond any real user's.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

#include "ConsecutiveDays.h"
#include "cycle/CalendarData.h"
#include "cycle/DataFile.h"

namespace {

CalendarData WithMarks(const std::vector<DateKey>& keys) {
    CalendarData data;
    data.SetMarks(keys);
    return data;
}

// Query dates spread over the marked range, the days around a mark included.
std::vector<DateKey> QueryDates(const std::vector<DateKey>& keys) {
    std::mt19937 random(42);
    std::uniform_int_distribution<std::size_t> pick(0, keys.size() - 1);
    std::uniform_int_distribution<int> shift(0, 40);
    std::vector<DateKey> dates(4096);
    for (auto& date : dates) {
        const DateKey base = keys[pick(random)];
        int day = KeyDay(base) + shift(random) % 3;
        if (day > 31) {
            day = 31;
        }
        date = MakeDateKey(KeyYear(base), KeyMonth(base), day);
    }
    return dates;
}

std::filesystem::path TempFile() {
    return std::filesystem::temp_directory_path() / "lunabel-bench.data";
}

void Decode(benchmark::State& state) {
    const auto bytes = datafile::Encode(WithMarks(ConsecutiveDays(state.range(0))));
    for (auto _ : state) {
        CalendarData data;
        benchmark::DoNotOptimize(datafile::Decode(bytes.data(), bytes.size(), data));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(Decode)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void Encode(benchmark::State& state) {
    const CalendarData data = WithMarks(ConsecutiveDays(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(datafile::Encode(data));
    }
}
BENCHMARK(Encode)->Arg(100'000)->Unit(benchmark::kMillisecond);

void SaveFile(benchmark::State& state) {
    const CalendarData data = WithMarks(ConsecutiveDays(state.range(0)));
    const auto path = TempFile();
    for (auto _ : state) {
        const auto bytes = datafile::Encode(data);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.close();
        benchmark::DoNotOptimize(out.good());
    }
    std::filesystem::remove(path);
}
BENCHMARK(SaveFile)->Arg(100'000)->Unit(benchmark::kMillisecond);

void LoadFile(benchmark::State& state) {
    const auto path = TempFile();
    {
        const auto bytes = datafile::Encode(WithMarks(ConsecutiveDays(state.range(0))));
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary);
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                              std::istreambuf_iterator<char>());
        CalendarData data;
        benchmark::DoNotOptimize(datafile::Decode(bytes.data(), bytes.size(), data));
        if (data.Marks().size() != static_cast<std::size_t>(state.range(0))) {
            state.SkipWithError("marks lost");
        }
    }
    std::filesystem::remove(path);
}
BENCHMARK(LoadFile)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void IsMarked(benchmark::State& state) {
    const auto keys = ConsecutiveDays(state.range(0));
    const CalendarData data = WithMarks(keys);
    const auto dates = QueryDates(keys);
    std::size_t i = 0;
    for (auto _ : state) {
        const DateKey date = dates[i++ % dates.size()];
        benchmark::DoNotOptimize(data.IsMarked(KeyYear(date), KeyMonth(date), KeyDay(date)));
    }
}
BENCHMARK(IsMarked)->Arg(100)->Arg(10'000)->Arg(1'000'000);

void PreviousMarkOffset(benchmark::State& state) {
    // Marks a cycle apart, closer where that many do not fit into the years.
    constexpr std::int64_t kSupportedDays = 2'958'464;
    const std::int64_t spacing = std::min<std::int64_t>(28, kSupportedDays / state.range(0));
    const auto days = ConsecutiveDays(state.range(0) * spacing);
    std::vector<DateKey> marks;
    for (std::size_t i = 0; i < days.size(); i += static_cast<std::size_t>(spacing)) {
        marks.push_back(days[i]);
    }
    const CalendarData data = WithMarks(marks);
    const auto dates = QueryDates(days);
    std::size_t i = 0;
    for (auto _ : state) {
        const DateKey date = dates[i++ % dates.size()];
        benchmark::DoNotOptimize(
            data.PreviousMarkOffset(KeyYear(date), KeyMonth(date), KeyDay(date)));
    }
}
BENCHMARK(PreviousMarkOffset)->Arg(100)->Arg(10'000)->Arg(1'000'000);

// Keys that are no dates, lying between the only real mark and the date asked
// about, must not slow the walk back to that mark.
void PreviousMarkOffsetAmongStrayKeys(benchmark::State& state) {
    std::vector<DateKey> keys = {MakeDateKey(1900, 1, 1)};
    for (std::int64_t i = 0; i < state.range(0); ++i) {
        keys.push_back(MakeDateKey(1901 + static_cast<int>(i % 8000),
                                   13 + static_cast<int>((i / 8000) % 243), 1));
    }
    const CalendarData data = WithMarks(keys);
    if (data.Marks().size() != keys.size()) {
        state.SkipWithError("stray keys not unique");
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(data.PreviousMarkOffset(9999, 12, 1));
    }
}
BENCHMARK(PreviousMarkOffsetAmongStrayKeys)->Arg(100)->Arg(10'000)->Arg(1'000'000);

} // namespace
