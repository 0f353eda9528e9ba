#include "history/CycleHistory.h"

#include <gtest/gtest.h>

#include "cycle/CalendarData.h"
#include "history/Predictions.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "HistoryStarts.h"

namespace {

using historytest::Starts;

const DateKey kJan1 = MakeDateKey(2023, 1, 1);

std::vector<DateKey> With(std::vector<DateKey> keys, std::vector<DateKey> more) {
    keys.insert(keys.end(), more.begin(), more.end());
    std::sort(keys.begin(), keys.end());
    return keys;
}

std::vector<int> Repeat(int length, int times) {
    return std::vector<int>(static_cast<std::size_t>(times), length);
}

std::vector<int> Join(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct HistoryCase {
    const char* name;
    std::vector<DateKey> marks;
    // Every entry's length, a break written as its negative length.
    std::vector<int> entries;
    int count;
    int meanTenths;
    int medianTenths;
    int shortest;
    int longest;
    std::optional<int> deviationTenths;
    std::optional<int> typical;
    int startsNeeded;
};

TEST(CycleHistoryTest, CyclesFiguresAndTypicalLength) {
    const HistoryCase cases[] = {
        {"no marks", {}, {}, 0, 0, 0, 0, 0, {}, {}, 4},
        {"one start", {kJan1}, {}, 0, 0, 0, 0, 0, {}, {}, 3},
        {"two starts", Starts(kJan1, {28}), {28}, 1, 280, 280, 28, 28, {}, {}, 2},
        {"three starts", Starts(kJan1, {27, 30}), {27, 30}, 2, 285, 285, 27, 30, {}, {}, 1},
        // Deviation: mean 28.33, variance 7/3, 1.53 days.
        {"four starts", Starts(kJan1, {27, 30, 28}), {27, 30, 28}, 3, 283, 280, 27, 30, 15, 28, 0},
        // 28.25 rounds half up to 28.3, where rounding to even would give 28.2.
        {"mean half up",
         Starts(kJan1, {28, 28, 28, 29}),
         {28, 28, 28, 29},
         4,
         283,
         280,
         28,
         29,
         5,
         28,
         0},
        // A break is listed but counts nowhere: three cycles remain.
        {"break",
         Starts(kJan1, {28, 120, 30, 29}),
         {28, -120, 30, 29},
         3,
         290,
         290,
         28,
         30,
         10,
         29,
         0},
        {"90 days is a cycle, 91 a break",
         Starts(kJan1, {90, 91}),
         {90, -91},
         1,
         900,
         900,
         90,
         90,
         {},
         {},
         2},
        {"break only", Starts(kJan1, {200}), {-200}, 0, 0, 0, 0, 0, {}, {}, 3},
        // 1 February to 1 March: 29 days in 2024 and 2000, 28 in 2023 and 1900.
        {"leap years",
         {MakeDateKey(1900, 2, 1), MakeDateKey(1900, 3, 1), MakeDateKey(2000, 2, 1),
          MakeDateKey(2000, 3, 1), MakeDateKey(2023, 2, 1), MakeDateKey(2023, 3, 1),
          MakeDateKey(2024, 2, 1), MakeDateKey(2024, 3, 1)},
         {28, -36496, 29, -8372, 28, -337, 29},
         4,
         285,
         285,
         28,
         29,
         6,
         29,
         0},
        // 31 April, 30 February and keys no date has are kept in the file but
        // are no period starts.
        {"stray keys",
         With(Starts(MakeDateKey(2006, 3, 20), {28, 28}),
              {MakeDateKey(2006, 4, 31), MakeDateKey(2006, 2, 30), MakeDateKey(2006, 13, 1),
               MakeDateKey(1899, 12, 31), MakeDateKey(2006, 4, 0)}),
         {28, 28},
         2,
         280,
         280,
         28,
         28,
         {},
         {},
         1},
        // Three cycles of 40 are older than the 12 the figures cover.
        {"twelve most recent", Starts(kJan1, Join(Repeat(40, 3), Repeat(28, 12))),
         Join(Repeat(40, 3), Repeat(28, 12)), 12, 280, 280, 28, 28, 0, 28, 0},
        // A break within the last entries does not shorten the window.
        {"window reaches past a break",
         Starts(kJan1, Join(Join(Repeat(40, 2), Repeat(28, 6)), Join({100}, Repeat(28, 5)))),
         Join(Join(Repeat(40, 2), Repeat(28, 6)), Join({-100}, Repeat(28, 5))), 12, 290, 280, 28,
         40, 35, 28, 0},
        // The last six are 27, 27, 28, 29, 30, 30: their median 28.5 rounds up.
        {"typical of six rounds half up",
         Starts(kJan1, {35, 35, 35, 27, 27, 28, 29, 30, 30}),
         {35, 35, 35, 27, 27, 28, 29, 30, 30},
         9,
         307,
         300,
         27,
         35,
         34,
         29,
         0},
        {"typical of three",
         Starts(kJan1, {26, 31, 29}),
         {26, 31, 29},
         3,
         287,
         290,
         26,
         31,
         25,
         29,
         0},
        {"typical of four, 27.5 rounds up",
         Starts(kJan1, {26, 27, 28, 31}),
         {26, 27, 28, 31},
         4,
         280,
         275,
         26,
         31,
         22,
         28,
         0},
    };
    for (const HistoryCase& c : cases) {
        SCOPED_TRACE(c.name);
        const CycleHistory history = ComputeCycleHistory(c.marks);
        std::vector<int> entries;
        for (const CycleEntry& entry : history.entries) {
            entries.push_back(entry.isBreak ? -entry.length : entry.length);
        }
        EXPECT_EQ(entries, c.entries);
        const CycleFigures& f = history.figures;
        EXPECT_EQ(f.count, c.count);
        EXPECT_EQ(f.meanTenths, c.meanTenths);
        EXPECT_EQ(f.medianTenths, c.medianTenths);
        EXPECT_EQ(f.shortest, c.shortest);
        EXPECT_EQ(f.longest, c.longest);
        EXPECT_EQ(f.Variation(), c.longest - c.shortest);
        EXPECT_EQ(f.deviationTenths, c.deviationTenths);
        EXPECT_EQ(history.typicalLength, c.typical);
        EXPECT_EQ(history.StartsStillNeeded(), c.startsNeeded);
    }
}

TEST(CycleHistoryTest, StartsAreTheSupportedMarksAndEntriesBeginOnThem) {
    const std::vector<DateKey> marks = {MakeDateKey(1899, 12, 31), MakeDateKey(1900, 1, 1),
                                        MakeDateKey(2006, 2, 29),  MakeDateKey(2006, 3, 1),
                                        MakeDateKey(9999, 12, 31), MakeDateKey(10000, 1, 1)};
    const CycleHistory history = ComputeCycleHistory(marks);
    EXPECT_EQ(history.starts,
              (std::vector<DateKey>{MakeDateKey(1900, 1, 1), MakeDateKey(2006, 3, 1),
                                    MakeDateKey(9999, 12, 31)}));
    ASSERT_EQ(history.entries.size(), 2u);
    EXPECT_EQ(history.entries[0].start, MakeDateKey(1900, 1, 1));
    EXPECT_EQ(history.entries[1].start, MakeDateKey(2006, 3, 1));
    EXPECT_TRUE(history.entries[1].isBreak);
}

TEST(CycleHistoryTest, CyclesOutsideTheNormalRangeAreFlagged) {
    const CycleHistory history = ComputeCycleHistory(Starts(kJan1, {23, 24, 38, 39, 90, 91}));
    std::vector<bool> unusual;
    for (const CycleEntry& entry : history.entries) {
        unusual.push_back(entry.unusual);
    }
    // A break is a break, not an unusual cycle.
    EXPECT_EQ(unusual, (std::vector<bool>{true, false, false, true, true, false}));
}

TEST(CycleHistoryTest, RecentCyclesAreTheTwelveNewestOldestFirst) {
    std::vector<int> lengths;
    for (int i = 0; i < 20; ++i) {
        lengths.push_back(21 + i);
    }
    lengths.insert(lengths.begin() + 15, 150); // a break among the newest
    const CycleHistory history = ComputeCycleHistory(Starts(kJan1, lengths));
    std::vector<int> recent;
    for (const CycleEntry& entry : history.RecentCycles()) {
        recent.push_back(entry.length);
    }
    EXPECT_EQ(recent, (std::vector<int>{29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40}));
}

TEST(CycleHistoryTest, DifferenceFromTheMedianInTenths) {
    const CycleHistory history = ComputeCycleHistory(Starts(kJan1, {27, 30}));
    ASSERT_EQ(history.figures.medianTenths, 285);
    EXPECT_EQ(DifferenceTenths(history.entries[0], history.figures), -15);
    EXPECT_EQ(DifferenceTenths(history.entries[1], history.figures), 15);
}

TEST(CycleHistoryTest, TypicalCycleBecomesTheLengthInForceWithinTheOfferedLengths) {
    struct Case {
        std::vector<int> lengths;
        bool applied;
        int lengthInForce;
    };
    const Case cases[] = {
        {{30, 31}, false, 26},    // two cycles: the length in force stays
        {{30, 31, 29}, true, 30}, // the typical cycle
        {{15, 16, 17}, true, 20}, // shorter than Settings offers
        {{45, 50, 55}, true, 40}, // longer
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.lengths));
        CalendarData data;
        data.SetMarks(Starts(kJan1, c.lengths));
        data.SetCycleLength(26);
        EXPECT_EQ(ApplyTypicalCycle(data), c.applied);
        EXPECT_EQ(data.GetCycleLength(), c.lengthInForce);
    }
}

} // namespace
