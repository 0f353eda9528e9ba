#include "import/ImportPlan.h"

#include <gtest/gtest.h>

#include <vector>

#include "cycle/CalendarData.h"
#include "HistoryStarts.h"
#include "history/CycleExport.h"
#include "history/CycleHistory.h"
#include "import/ImportReader.h"
#include "import/ImportUndo.h"

namespace {

using imports::Flow;
using imports::ImportedDay;

DateKey Mar(int day) {
    return MakeDateKey(2024, 3, day);
}

// Days from a pattern starting on 1 March: B bleeding, S spotting, . none.
std::vector<ImportedDay> Days(const char* pattern) {
    std::vector<ImportedDay> days;
    for (int i = 0; pattern[i] != '\0'; ++i) {
        const Flow flow = pattern[i] == 'B'   ? Flow::Bleeding
                          : pattern[i] == 'S' ? Flow::Spotting
                                              : Flow::None;
        days.push_back({Mar(i + 1), flow});
    }
    return days;
}

struct PlanCase {
    const char* name;
    std::vector<ImportedDay> days;
    std::vector<DateKey> hers;
    std::vector<DateKey> newStarts;
    std::vector<DateKey> onHers; // the file's starts that fall on hers
};

TEST(ImportPlanTest, GroupsBleedingDaysIntoPeriodsAndKeepsHers) {
    const PlanCase cases[] = {
        {"a period with a dry day inside is one", Days("BBB.BB"), {}, {Mar(1)}, {}},
        {"two dry days still join", Days("BB..B"), {}, {Mar(1)}, {}},
        {"three dry days part two periods", Days("BB...B"), {}, {Mar(1), Mar(6)}, {}},
        {"spotting never starts one", Days("S.S...SS"), {}, {}, {}},
        {"spotting before bleeding does not move the start", Days("SSBB"), {}, {Mar(3)}, {}},
        {"spotting does not bridge two periods", Days("B.SS.SB"), {}, {Mar(1), Mar(7)}, {}},
        {"a list of plain starts",
         {{Mar(1), Flow::Bleeding}, {MakeDateKey(2024, 3, 29), Flow::Bleeding}},
         {},
         {Mar(1), MakeDateKey(2024, 3, 29)},
         {}},
        {"newest first and repeated",
         {{Mar(9), Flow::Bleeding}, {Mar(2), Flow::Bleeding}, {Mar(9), Flow::Bleeding}},
         {},
         {Mar(2), Mar(9)},
         {}},
        {"overlapping her period", Days("..BBB"), {Mar(1)}, {}, {Mar(3)}},
        {"three days before her mark", Days("BBB"), {Mar(4)}, {}, {Mar(1)}},
        {"a day beyond both", Days("BBBB"), {Mar(1), MakeDateKey(2024, 2, 20)}, {}, {Mar(1)}},
        {"clear of her period", Days(".........B"), {Mar(1)}, {Mar(10)}, {}},
        {"her stray key is no period", Days("B"), {MakeDateKey(2024, 2, 30)}, {Mar(1)}, {}},
        {"nothing bleeding", Days("...."), {}, {}, {}},
    };
    for (const PlanCase& c : cases) {
        SCOPED_TRACE(c.name);
        const imports::ImportPlan plan = imports::PlanImport(c.days, c.hers, 5);
        EXPECT_EQ(plan.newStarts, c.newStarts);
        std::vector<DateKey> onHers;
        for (const imports::PeriodOnHers& on : plan.onHers) {
            onHers.push_back(on.imported);
        }
        EXPECT_EQ(onHers, c.onHers);
        EXPECT_EQ(plan.StartsFound(), c.newStarts.size() + c.onHers.size());
    }
}

TEST(ImportPlanTest, HerOwnExportImportedIntoAnEmptyCalendarGivesTheSameStarts) {
    using historytest::Starts;
    const std::vector<std::vector<DateKey>> histories = {
        {},
        {MakeDateKey(1900, 1, 1)},
        Starts(MakeDateKey(1999, 12, 20), {28, 31, 4, 200, 25, 45}),
        Starts(MakeDateKey(9999, 1, 1), {31, 30, 29, 200}),
    };
    imports::ReadOptions options;
    options.today = MakeDateKey(9999, 12, 31);
    for (const auto& starts : histories) {
        const std::string csv = WriteCyclesCsv(ComputeCycleHistory(starts));
        const imports::ImportRead read = imports::ReadImport(
            std::span(reinterpret_cast<const std::uint8_t*>(csv.data()), csv.size()), options);
        EXPECT_EQ(read.leftOutCount, 0u);
        const imports::ImportPlan plan = imports::PlanImport(read.days, {}, 5);
        EXPECT_EQ(plan.newStarts, starts);
        EXPECT_TRUE(plan.onHers.empty());
    }
}

// Following her cycles sets the length from the marks whenever they change.
struct FollowingData {
    CalendarData data;
    int listener = data.AddListener([this](CalendarData::Change change) {
        if (change == CalendarData::Change::Marks) {
            data.SetCycleLength(30 + static_cast<int>(data.Marks().size()));
        }
    });
};

TEST(ImportPlanTest, UndoTakesBackTheImportAndTheLengthItSetUntilSomethingElseChanges) {
    FollowingData following;
    CalendarData& data = following.data;
    data.SetMarks({Mar(1)});
    data.SetCycleLength(27);
    const std::vector<DateKey> before = data.Marks();

    imports::ImportUndo undo;
    EXPECT_FALSE(undo.CanUndo(data));
    const std::vector<DateKey> imported = {MakeDateKey(2024, 1, 5), Mar(1),
                                           MakeDateKey(2024, 2, 2)};
    undo.Add(data, imported);
    EXPECT_EQ(data.Marks().size(), 3u);
    EXPECT_EQ(data.GetCycleLength(), 33);
    ASSERT_TRUE(undo.CanUndo(data));
    ASSERT_TRUE(undo.Undo(data));
    EXPECT_EQ(data.Marks(), before); // her own mark stays, though the file named it too
    EXPECT_EQ(data.GetCycleLength(), 27);
    EXPECT_FALSE(undo.Undo(data));

    undo.Add(data, imported);
    data.ToggleMark(2024, 4, 2);
    EXPECT_FALSE(undo.CanUndo(data));
    EXPECT_FALSE(undo.Undo(data));
    EXPECT_EQ(data.Marks().size(), 4u);
}

} // namespace
