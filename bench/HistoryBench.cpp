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
#include "import/ImportPlan.h"
#include "import/ImportReader.h"

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
    imports::ReadOptions options;
    options.today = MakeDateKey(9999, 12, 31);
    for (auto _ : state) {
        const imports::ImportRead read = imports::ReadImport(Bytes(csv), options);
        const imports::ImportPlan plan = imports::PlanImport(read.days, marks, 5);
        if (plan.StartsFound() != starts.size()) {
            state.SkipWithError("starts lost");
        }
        benchmark::DoNotOptimize(plan);
    }
}
BENCHMARK(ImportCsv)->Args({10'000, 0})->Args({10'000, 1})->Unit(benchmark::kMillisecond);

} // namespace
