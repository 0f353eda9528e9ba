#include "history/CycleImport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HistoryStarts.h"
#include "history/CycleExport.h"
#include "history/CycleHistory.h"

namespace {

using historytest::AddDays;
using historytest::Starts;

ImportScan Scan(const std::string& text) {
    return ScanImport(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::string Utf16(const std::string& ascii, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char c : ascii) {
        bytes += bigEndian ? '\0' : c;
        bytes += bigEndian ? c : '\0';
    }
    return bytes;
}

const DateKey kMar5 = MakeDateKey(2024, 3, 5);
const DateKey kApr2 = MakeDateKey(2024, 4, 2);

struct ScanCase {
    const char* name;
    std::string text;
    std::vector<DateKey> dates;
    std::size_t badLines;
    std::vector<std::size_t> firstBad;
};

TEST(CycleImportTest, ScanFindsTheDateInTheFirstColumn) {
    const ScanCase cases[] = {
        {"our own export",
         "period_start,cycle_length_days\r\n2024-03-05,28\r\n2024-04-02,\r\n",
         {kMar5, kApr2},
         0,
         {}},
        {"no header, LF", "2024-03-05\n2024-04-02\n", {kMar5, kApr2}, 0, {}},
        {"CR line ends, no final line end", "2024-03-05\r2024-04-02", {kMar5, kApr2}, 0, {}},
        {"semicolons and tabs",
         "Date;Flow\n2024-03-05;heavy\n2024-04-02\tlight\n",
         {kMar5, kApr2},
         0,
         {}},
        {"quoted, with spaces",
         "\"date\",\"x\"\n \"2024-03-05\" ,1\n\"2024-04-02\"\n",
         {kMar5, kApr2},
         0,
         {}},
        {"basic format and times", "20240305\n2024-04-02T08:30:00Z,x\n", {kMar5, kApr2}, 0, {}},
        {"UTF-8 BOM before a header",
         "\xEF\xBB\xBF"
         "Datum\n2024-03-05\n",
         {kMar5},
         0,
         {}},
        {"UTF-8 BOM before a date",
         "\xEF\xBB\xBF"
         "2024-03-05\n",
         {kMar5},
         0,
         {}},
        {"UTF-16 little endian",
         Utf16("date\r\n2024-03-05\r\n2024-04-02\r\n", false),
         {kMar5, kApr2},
         0,
         {}},
        {"UTF-16 big endian", Utf16("2024-03-05\r\n", true), {kMar5}, 0, {}},
        {"blank and empty spreadsheet rows",
         "\n  \n2024-03-05\n,,\n;;\n\"\",\n2024-04-02\n",
         {kMar5, kApr2},
         0,
         {}},
        // A first line without a date is a header; later ones are not understood.
        {"lines not understood",
         "date\n2024-03-05\nyesterday\n2024-13-01\n2023-02-29\n1899-12-31\n05.03.2024\n"
         "2024-3-5\n2024-03-05x\n10000-01-01\n",
         {kMar5},
         8,
         {3, 4, 5, 6, 7}},
        {"first and last supported dates",
         "1900-01-01\n9999-12-31\n",
         {MakeDateKey(1900, 1, 1), MakeDateKey(9999, 12, 31)},
         0,
         {}},
        {"file order kept, duplicates too",
         "2024-04-02\n2024-03-05\n2024-04-02\n",
         {kApr2, kMar5, kApr2},
         0,
         {}},
        {"binary", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\xff", 18), {}, 3, {2, 3, 4}},
        {"empty", "", {}, 0, {}},
    };
    for (const ScanCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ImportScan scan = Scan(c.text);
        EXPECT_EQ(scan.dates, c.dates);
        EXPECT_EQ(scan.badLineCount, c.badLines);
        EXPECT_EQ(scan.firstBadLines, c.firstBad);
    }
}

TEST(CycleImportTest, ScanTakesAFileAtTheSizeLimitWhateverItHolds) {
    // Ten million line ends would be over the limit; this many is at it.
    const std::string newlines(kImportSizeLimit, '\n');
    EXPECT_EQ(Scan(newlines).badLineCount, 0u);

    std::string junk;
    while (junk.size() + 8 <= kImportSizeLimit) {
        junk += "garbage\n";
    }
    const ImportScan bad = Scan(junk);
    EXPECT_EQ(bad.badLineCount, junk.size() / 8 - 1) << "all but the header";
    EXPECT_EQ(bad.firstBadLines, (std::vector<std::size_t>{2, 3, 4, 5, 6}));

    std::string oneLongLine = "2024-03-05,";
    oneLongLine.resize(kImportSizeLimit, 'x');
    EXPECT_EQ(Scan(oneLongLine).dates, std::vector<DateKey>{kMar5});
}

struct PlanCase {
    const char* name;
    std::vector<DateKey> dates;
    std::vector<DateKey> marks;
    int periodLength;
    std::vector<DateKey> newStarts;
    std::size_t found;
    std::size_t alreadyMarked;
};

std::vector<DateKey> DaysFrom(DateKey first, int count) {
    std::vector<DateKey> days;
    for (int i = 0; i < count; ++i) {
        days.push_back(AddDays(first, i));
    }
    return days;
}

std::vector<DateKey> Join(std::vector<DateKey> a, const std::vector<DateKey>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(CycleImportTest, PlanTurnsRunsIntoStartsAndSkipsHerPeriods) {
    const DateKey mark = MakeDateKey(2024, 5, 10);
    const PlanCase cases[] = {
        {"starts into an empty calendar", {kApr2, kMar5}, {}, 5, {kMar5, kApr2}, 2, 0},
        {"duplicates count once", {kMar5, kMar5}, {}, 5, {kMar5}, 1, 0},
        // One row per bleeding day: each run is one start at its first day.
        {"bleeding days",
         Join(DaysFrom(kMar5, 5), DaysFrom(kApr2, 4)),
         {},
         5,
         {kMar5, kApr2},
         2,
         0},
        {"runs across a month and a year end",
         Join(DaysFrom(MakeDateKey(2023, 12, 30), 4), DaysFrom(MakeDateKey(2024, 2, 28), 3)),
         {},
         5,
         {MakeDateKey(2023, 12, 30), MakeDateKey(2024, 2, 28)},
         2,
         0},
        {"on her mark", {mark}, {mark}, 5, {}, 1, 1},
        {"within her period", {AddDays(mark, 4)}, {mark}, 5, {}, 1, 1},
        {"after her period", {AddDays(mark, 5)}, {mark}, 5, {AddDays(mark, 5)}, 1, 0},
        // A day before her mark is the same period, whether as a start or as
        // the first of its bleeding days.
        {"a day early", {AddDays(mark, -1)}, {mark}, 5, {}, 1, 1},
        {"bleeding days a day early", DaysFrom(AddDays(mark, -1), 5), {mark}, 5, {}, 1, 1},
        {"a period early", {AddDays(mark, -5)}, {mark}, 5, {AddDays(mark, -5)}, 1, 0},
        {"longer period setting", {AddDays(mark, 7)}, {mark}, 8, {}, 1, 1},
        {"a stray key of hers is no mark",
         {MakeDateKey(2024, 5, 1)},
         {MakeDateKey(2024, 4, 31)},
         5,
         {MakeDateKey(2024, 5, 1)},
         1,
         0},
        {"period length 0 from a file", {AddDays(mark, 1)}, {mark}, 0, {AddDays(mark, 1)}, 1, 0},
        {"a history a day off hers",
         {AddDays(mark, -1), AddDays(mark, 27), AddDays(mark, 57)},
         Starts(mark, {28, 29}),
         5,
         {},
         3,
         3},
        {"nothing", {}, {mark}, 5, {}, 0, 0},
    };
    for (const PlanCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ImportPlan plan = PlanImport(c.dates, c.marks, c.periodLength);
        EXPECT_EQ(plan.newStarts, c.newStarts);
        EXPECT_EQ(plan.startsFound, c.found);
        EXPECT_EQ(plan.alreadyMarked, c.alreadyMarked);
    }
}

TEST(CycleImportTest, ExportThenImportIntoAnEmptyCalendarGivesTheSameStarts) {
    const std::vector<std::vector<DateKey>> histories = {
        {},
        {MakeDateKey(1900, 1, 1)},
        Starts(MakeDateKey(1999, 12, 20), {28, 31, 2, 200, 25, 45}),
        Starts(MakeDateKey(9999, 1, 1), {31, 30, 29, 200}),
    };
    for (const auto& starts : histories) {
        const std::string csv = WriteCyclesCsv(ComputeCycleHistory(starts));
        const ImportScan scan = Scan(csv);
        EXPECT_EQ(scan.badLineCount, 0u);
        const ImportPlan plan = PlanImport(scan.dates, {}, 5);
        EXPECT_EQ(plan.newStarts, starts);
        EXPECT_EQ(plan.alreadyMarked, 0u);
    }
}

} // namespace
