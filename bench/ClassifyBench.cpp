// Classify of one month against a growing number of marks. The time should not
// grow with the marks: each day asks the ordered set once at most.
#include "ConsecutiveDays.h"
#include "cycle/CalendarData.h"
#include "cycle/CalendarLocale.h"
#include "cycle/DateKey.h"
#include "cycle/MonthModel.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

enum class Where { Marked, After, FarAfter };

void Classify(benchmark::State& state, Where where) {
    const std::vector<DateKey> marks = ConsecutiveDays(state.range(0));
    // The first month that holds no mark at all.
    const int lastMonth = KeyMonth(marks.back());
    const int nextYear = KeyYear(marks.back()) + (lastMonth == 12 ? 1 : 0);
    const int nextMonth = lastMonth == 12 ? 1 : lastMonth + 1;
    CalendarData data;
    data.SetMarks(marks);
    const EnglishCalendarLocale locale;
    MonthModel model(data, locale);
    switch (where) {
    case Where::Marked:
        model.SetMonth(1900, 1); // every day recorded
        break;
    case Where::After:
        model.SetMonth(nextYear, nextMonth); // predicted from the latest mark
        break;
    case Where::FarAfter:
        model.SetMonth(9999, 12);
        break;
    }
    for (auto _ : state) {
        model.Classify();
        benchmark::DoNotOptimize(model.cells);
    }
    state.counters["marks"] = static_cast<double>(state.range(0));
}

void ClassifyMarkedMonth(benchmark::State& state) {
    Classify(state, Where::Marked);
}
void ClassifyMonthAfterMarks(benchmark::State& state) {
    Classify(state, Where::After);
}
void ClassifyYear9999(benchmark::State& state) {
    Classify(state, Where::FarAfter);
}

BENCHMARK(ClassifyMarkedMonth)->Arg(100)->Arg(10'000)->Arg(1'000'000);
BENCHMARK(ClassifyMonthAfterMarks)->Arg(100)->Arg(10'000)->Arg(1'000'000);
BENCHMARK(ClassifyYear9999)->Arg(100)->Arg(10'000)->Arg(1'000'000);

} // namespace
