// Files of the kinds she brings (tests/import/), read as a careful person
// would: the period starts, the order of day and month, the rows left out.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "import/ImportReader.h"

namespace {

using namespace imports;

std::string Iso(DateKey key) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", KeyYear(key), KeyMonth(key), KeyDay(key));
    return text;
}

std::int64_t DayOf(DateKey key) {
    return DayNumber(KeyYear(key), KeyMonth(key), KeyDay(key));
}

// A bleeding day starts a period when none of the three days before it is a
// bleeding day; spotting never starts one.
std::vector<std::string> PeriodStarts(const std::vector<ImportedDay>& days) {
    std::map<std::int64_t, DateKey> bleeding;
    for (const ImportedDay& day : days) {
        if (day.flow == Flow::Bleeding) {
            bleeding[DayOf(day.date)] = day.date;
        }
    }
    std::vector<std::string> starts;
    for (const auto& [day, date] : bleeding) {
        if (!bleeding.contains(day - 1) && !bleeding.contains(day - 2) &&
            !bleeding.contains(day - 3)) {
            starts.push_back(Iso(date));
        }
    }
    return starts;
}

std::vector<std::uint8_t> ReadFile(const std::string& name) {
    std::ifstream file(std::string(LUNABEL_SOURCE_DIR) + "/tests/import/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

const DateKey kToday = MakeDateKey(2024, 6, 15);

struct CorpusCase {
    const char* file;
    unsigned codePage;
    DateOrder preferred;
    FileShape shape;
    std::vector<std::string> starts;
    DateOrder order;
    bool orderOpen;
    std::vector<std::string> otherStarts;
    std::size_t dayCount;
    std::vector<LeftOutRow> leftOut;
};

constexpr auto kDayFirst = DateOrder::DayFirst;
constexpr auto kMonthFirst = DateOrder::MonthFirst;

TEST(ImportCorpusTest, ReadsEachFileAsACarefulPersonWould) {
    const CorpusCase cases[] = {
        {"de-excel.csv",
         1252,
         kDayFirst,
         FileShape::Table,
         {"2024-02-03", "2024-03-03"},
         kDayFirst,
         false,
         {},
         6,
         {}},
        {"us-sheet.csv",
         1252,
         kDayFirst,
         FileShape::Table,
         {"2024-01-06", "2024-02-03", "2024-03-02", "2024-03-30"},
         kMonthFirst,
         false,
         {},
         7,
         {}},
        {"uk-list.txt",
         1252,
         kMonthFirst,
         FileShape::Table,
         {"2024-02-03", "2024-03-02", "2024-03-30"},
         kDayFirst,
         false,
         {},
         3,
         {}},
        {"ymd-slashes.csv",
         1252,
         kDayFirst,
         FileShape::Table,
         {"2024-01-06", "2024-02-03", "2024-03-02"},
         kDayFirst,
         false,
         {},
         3,
         {}},
        {"two-digit-years.csv",
         1252,
         kDayFirst,
         FileShape::Table,
         {"2024-02-03", "2024-03-02"},
         kDayFirst,
         false,
         {},
         3,
         {}},
        {"month-names.txt",
         1252,
         kDayFirst,
         FileShape::Table,
         {"2024-01-06", "2024-02-03", "2024-03-02", "2024-03-30"},
         kDayFirst,
         false,
         {},
         4,
         {}},
        {"pt-br.csv",
         1252,
         kDayFirst,
         FileShape::Table,
         {"2024-01-06", "2024-02-03", "2024-03-03"},
         kDayFirst,
         false,
         {},
         5,
         {}},
        {"fr-it-es.csv",
         1252,
         kDayFirst,
         FileShape::Table,
         {"2024-01-06", "2024-02-03", "2024-03-01", "2024-03-30", "2024-04-27"},
         kDayFirst,
         false,
         {},
         5,
         {}},
        {"excel-unicode.txt",
         1252,
         kMonthFirst,
         FileShape::Table,
         {"2024-01-06", "2024-02-03", "2024-02-25"},
         kDayFirst,
         false,
         {},
         4,
         {}},
        {"pl-cp1250.csv",
         1250,
         kDayFirst,
         FileShape::Table,
         {"2024-03-03", "2024-04-01"},
         kDayFirst,
         false,
         {},
         5,
         {}},
        {"per-day-log.csv",
         1252,
         kDayFirst,
         FileShape::Table,
         {"2024-01-05", "2024-02-03"},
         kDayFirst,
         false,
         {},
         13,
         {}},
        {"events.csv",
         1252,
         kDayFirst,
         FileShape::Table,
         {"2024-01-05", "2024-02-02"},
         kDayFirst,
         false,
         {},
         4,
         {{4, LeftOut::OtherEvent}, {5, LeftOut::OtherEvent}}},
        {"title-above-header.csv",
         1252,
         kDayFirst,
         FileShape::Table,
         {"2024-01-05", "2024-02-02"},
         kDayFirst,
         false,
         {},
         2,
         {}},
        {"title-with-date.csv",
         1252,
         kDayFirst,
         FileShape::Table,
         {"2024-01-05", "2024-02-02"},
         kDayFirst,
         false,
         {},
         2,
         {}},
        {"date-second-column.csv",
         1252,
         kDayFirst,
         FileShape::Table,
         {"2024-01-05", "2024-02-02", "2024-03-01"},
         kDayFirst,
         false,
         {},
         3,
         {}},
        {"multiline-note.csv",
         1252,
         kDayFirst,
         FileShape::Table,
         {"2024-01-05", "2024-02-02"},
         kDayFirst,
         false,
         {},
         2,
         {{5, LeftOut::BadDate}}},
        {"lf-cr.txt",
         1252,
         kDayFirst,
         FileShape::Table,
         {"2024-01-05", "2024-02-02"},
         kDayFirst,
         false,
         {},
         2,
         {{4, LeftOut::BadDate}}},
        {"start-end.csv",
         1252,
         kDayFirst,
         FileShape::Table,
         {"2024-01-05", "2024-02-02", "2024-06-14"},
         kDayFirst,
         false,
         {},
         12,
         {{4, LeftOut::TooLong}, {6, LeftOut::FutureDate}}},
        {"start-length.csv",
         1252,
         kDayFirst,
         FileShape::Table,
         {"2024-01-05", "2024-02-02", "2024-03-01"},
         kDayFirst,
         false,
         {},
         10,
         {}},
        {"app-export.csv",
         1252,
         kDayFirst,
         FileShape::Table,
         {"2024-01-06", "2024-02-03"},
         kDayFirst,
         false,
         {},
         6,
         {{6, LeftOut::Excluded}}},
        {"ambiguous.csv",
         1252,
         kDayFirst,
         FileShape::Table,
         {"2024-02-03", "2024-03-02"},
         kDayFirst,
         true,
         {"2024-02-03", "2024-03-02", "2024-04-02"},
         3,
         {}},
        {"mixed-order.csv",
         1252,
         kMonthFirst,
         FileShape::Table,
         {"2024-02-13", "2024-03-16"},
         kDayFirst,
         false,
         {},
         3,
         {{4, LeftOut::WrongOrder}}},
        {"lunabel-export.csv",
         1252,
         kDayFirst,
         FileShape::Table,
         {"2024-01-05", "2024-02-02"},
         kDayFirst,
         false,
         {},
         2,
         {}},
        {"workbook.xlsx", 1252, kDayFirst, FileShape::Workbook, {}, kDayFirst, false, {}, 0, {}},
        {"garbage.bin", 1252, kDayFirst, FileShape::Binary, {}, kDayFirst, false, {}, 0, {}},
    };
    for (const CorpusCase& c : cases) {
        SCOPED_TRACE(c.file);
        const std::vector<std::uint8_t> bytes = ReadFile(c.file);
        ASSERT_FALSE(bytes.empty());
        const ImportRead read = ReadImport(
            bytes, {.codePage = c.codePage, .today = kToday, .preferredOrder = c.preferred});
        EXPECT_EQ(read.shape, c.shape);
        EXPECT_EQ(PeriodStarts(read.days), c.starts);
        EXPECT_EQ(read.days.size(), c.dayCount);
        EXPECT_EQ(read.order, c.order);
        EXPECT_EQ(read.orderOpen, c.orderOpen);
        EXPECT_EQ(PeriodStarts(read.otherOrder), c.otherStarts);
        EXPECT_EQ(read.leftOutCount, c.leftOut.size());
        ASSERT_EQ(read.firstLeftOut.size(), c.leftOut.size());
        for (std::size_t i = 0; i < c.leftOut.size(); ++i) {
            EXPECT_EQ(read.firstLeftOut[i].line, c.leftOut[i].line);
            EXPECT_EQ(read.firstLeftOut[i].reason, c.leftOut[i].reason);
        }
        EXPECT_EQ(read.foundDateColumn, !c.starts.empty());
    }
}

} // namespace
