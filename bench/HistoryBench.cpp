// Speed of the cycle history: the figures worked out from every mark when the
// dialog opens, and export and import with far more starts than a lifetime has.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "ConsecutiveDays.h"
#include "cycle/CalendarData.h"
#include "history/CycleExport.h"
#include "history/CycleHistory.h"
#include "history/CycleImport.h"

namespace {

// `count` starts 28 days apart from 1 January 1900.
std::vector<DateKey> StartsEvery28Days(std::int64_t count) {
    const auto days = ConsecutiveDays(count * 28);
    std::vector<DateKey> starts;
    for (std::size_t i = 0; i < days.size(); i += 28) {
        starts.push_back(days[i]);
    }
    return starts;
}

std::span<const std::uint8_t> Bytes(const std::string& text) {
    return std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

void HistoryFromMarks(benchmark::State& state) {
    const auto marks = ConsecutiveDays(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(ComputeCycleHistory(marks));
    }
}
BENCHMARK(HistoryFromMarks)->Arg(100'000)->Unit(benchmark::kMillisecond);

void ExportCsv(benchmark::State& state) {
    const auto starts = StartsEvery28Days(state.range(0));
    for (auto _ : state) {
        // What Export does: the history from the marks, then the file's bytes.
        benchmark::DoNotOptimize(WriteCyclesCsv(ComputeCycleHistory(starts)));
    }
}
BENCHMARK(ExportCsv)->Arg(10'000)->Unit(benchmark::kMillisecond);

void ExportIcs(benchmark::State& state) {
    CalendarData data;
    data.SetMarks(StartsEvery28Days(state.range(0)));
    DateKey last = 0;
    data.GetLastMark(last);
    IcsOptions options;
    options.firstYear = KeyYear(last);
    options.firstMonth = KeyMonth(last);
    options.productId = "-//Lunabel//Lunabel 1.0//EN";
    options.uidDomain = "lunabel.example";
    options.periodTitle = "Period";
    options.fertileTitle = "Fertile days";
    for (auto _ : state) {
        benchmark::DoNotOptimize(WritePredictionsIcs(data, options));
    }
}
BENCHMARK(ExportIcs)->Arg(10'000)->Unit(benchmark::kMillisecond);

// Into an empty calendar (all new) and into one that has them all already.
void ImportCsv(benchmark::State& state) {
    const auto starts = StartsEvery28Days(state.range(0));
    const std::string csv = WriteCyclesCsv(ComputeCycleHistory(starts));
    const std::vector<DateKey> marks = state.range(1) ? starts : std::vector<DateKey>{};
    for (auto _ : state) {
        const ImportPlan plan = PlanImport(ScanImport(Bytes(csv)).dates, marks, 5);
        if (plan.startsFound != starts.size()) {
            state.SkipWithError("starts lost");
        }
        benchmark::DoNotOptimize(plan);
    }
}
BENCHMARK(ImportCsv)->Args({10'000, 0})->Args({10'000, 1})->Unit(benchmark::kMillisecond);

// The largest file import reads: a whole size limit of dates, one per line.
void ImportAtSizeLimit(benchmark::State& state) {
    std::string text;
    for (const DateKey day : ConsecutiveDays(static_cast<std::int64_t>(kImportSizeLimit / 11))) {
        char line[16];
        std::snprintf(line, sizeof line, "%04d-%02d-%02d\n", KeyYear(day), KeyMonth(day),
                      KeyDay(day));
        text += line;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(PlanImport(ScanImport(Bytes(text)).dates, {}, 5));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(ImportAtSizeLimit)->Unit(benchmark::kMillisecond);

} // namespace
