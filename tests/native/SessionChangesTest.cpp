#include <gtest/gtest.h>

#include <vector>

#include "cycle/CalendarData.h"
#include "cycle/SessionChanges.h"

namespace {

const DateKey kJan = MakeDateKey(2026, 1, 5);
const DateKey kFeb = MakeDateKey(2026, 2, 2);
const DateKey kMar = MakeDateKey(2026, 3, 2);
const DateKey kApr = MakeDateKey(2026, 4, 1);

struct State {
    std::vector<DateKey> marks;
    int cycle = 28;
    int period = 5;
};

void Fill(CalendarData& data, const State& state) {
    data.SetMarks(state.marks);
    data.SetCycleLength(state.cycle);
    data.SetPeriodLength(state.period);
}

// The session's changes land on today's calendar without undoing what she
// did since: each row is base, the copy, today, and what today becomes.
TEST(SessionChangesTest, AppliesOnlyWhatTodayStillLacks) {
    struct Case {
        const char* name;
        State base, kept, today, result;
        std::size_t settings;
    };
    const Case cases[] = {
        {"added, removed and a setting, on an unchanged file",
         {{kJan, kFeb}},
         {{kJan, kMar}, 30},
         {{kJan, kFeb}},
         {{kJan, kMar}, 30},
         1},
        {"a setting she changed again since stays hers",
         {{kJan}},
         {{kJan}, 30, 4},
         {{kJan}, 26},
         {{kJan}, 26, 4},
         1},
        {"a removal of a mark already gone, an addition already there",
         {{kJan, kFeb}},
         {{kJan, kMar}},
         {{kJan, kMar, kApr}},
         {{kJan, kMar, kApr}},
         0},
        {"marks she added since the base stay",
         {{kJan}},
         {{kJan, kFeb}},
         {{kApr}},
         {{kApr, kFeb}},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CalendarData base, kept, today, expected;
        Fill(base, c.base);
        Fill(kept, c.kept);
        Fill(today, c.today);
        Fill(expected, c.result);
        const SessionChanges changes = ChangesToApply(base, kept, today);
        EXPECT_EQ(changes.SettingsChanged(), c.settings);
        Apply(changes, today);
        EXPECT_EQ(today.Marks(), expected.Marks());
        EXPECT_EQ(today.GetCycleLength(), expected.GetCycleLength());
        EXPECT_EQ(today.GetPeriodLength(), expected.GetPeriodLength());
    }
}

TEST(SessionChangesTest, ACopyWithoutBaseOnlyAddsAndACopyOfTodayIsEmpty) {
    CalendarData kept, today;
    Fill(kept, {{kJan, kFeb}, 30});
    Fill(today, {{kFeb, kMar}});
    const SessionChanges add = MarksToAdd(kept, today);
    EXPECT_EQ(add.added, std::vector<DateKey>{kJan});
    EXPECT_TRUE(add.removed.empty());
    EXPECT_EQ(add.SettingsChanged(), 0u);
    EXPECT_TRUE(ChangesToApply(today, today, today).Empty());

    CalendarData restored;
    CopyState(kept, restored);
    EXPECT_EQ(restored.Marks(), kept.Marks());
    EXPECT_EQ(restored.GetCycleLength(), 30);
}

} // namespace
