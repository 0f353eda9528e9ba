// Classify of one month against a growing number of marks. The time should not
// grow with the marks: each day asks the ordered set once at most.
#include "cycle/CalendarData.h"
#include "cycle/CalendarLocale.h"
#include "cycle/DateKey.h"
#include "cycle/MonthModel.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

// One mark a day from 1 January 1900 on; next* gets the first month without one.
std::vector<DateKey> ConsecutiveMarks(std::int64_t count, int& nextYear, int& nextMonth) {
    std::vector<DateKey> keys;
    keys.reserve(static_cast<std::size_t>(count));
    int y = 1900;
    int m = 1;
    int d = 1;
    while (static_cast<std::int64_t>(keys.size()) < count) {
        keys.push_back(MakeDateKey(y, m, d));
        if (++d > DaysInMonth(y, m)) {
            d = 1;
            if (++m > 12) {
                m = 1;
                ++y;
            }
        }
    }
    // The first month that holds no mark at all.
    nextYear = d == 1 ? y : (m == 12 ? y + 1 : y);
    nextMonth = d == 1 ? m : (m == 12 ? 1 : m + 1);
    return keys;
}

enum class Where { Marked, After, FarAfter };

void Classify(benchmark::State& state, Where where) {
    CalendarData data;
    int nextYear = 0;
    int nextMonth = 0;
    data.SetMarks(ConsecutiveMarks(state.range(0), nextYear, nextMonth));
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
