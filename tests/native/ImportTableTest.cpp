// How a table's rows become days: which column holds what, and why a row is
// left out.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "import/ImportReader.h"

namespace {

using namespace imports;

// "2024-01-05 B" for each day: N none, S spotting, B bleeding.
std::vector<std::string> Days(const std::vector<ImportedDay>& days) {
    std::vector<std::string> text;
    for (const ImportedDay& day : days) {
        char item[24];
        std::snprintf(item, sizeof item, "%04d-%02d-%02d %c", KeyYear(day.date), KeyMonth(day.date),
                      KeyDay(day.date), "NSB"[static_cast<int>(day.flow)]);
        text.push_back(item);
    }
    return text;
}

std::vector<std::string> LeftOutRows(const ImportRead& read) {
    std::vector<std::string> rows;
    for (const LeftOutRow& row : read.firstLeftOut) {
        rows.push_back(std::to_string(row.line) + " " +
                       std::to_string(static_cast<int>(row.reason)));
    }
    return rows;
}

ImportRead Read(const std::string& text) {
    ReadOptions options;
    options.today = MakeDateKey(2024, 6, 15);
    return ReadImport(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
                      options);
}

std::string Reason(std::size_t line, LeftOut reason) {
    return std::to_string(line) + " " + std::to_string(static_cast<int>(reason));
}

TEST(ImportTableTest, RowsBecomeDaysOrAreLeftOutWithTheirReason) {
    const struct {
        const char* name;
        std::string text;
        std::vector<std::string> days;
        std::vector<std::string> leftOut;
        std::size_t leftOutCount;
    } cases[] = {
        {"'Period' beside dates is a flow",
         "Date,Period\n2024-01-05,yes\n2024-01-06,no\n",
         {"2024-01-05 B", "2024-01-06 N"},
         {},
         0},
        {"'Period' over dates is the date column", "Period\n2024-01-05\n", {"2024-01-05 B"}, {}, 0},
        {"a flow cell left empty is a day without bleeding",
         "Date;Temperature;Flow\n2024-01-05;36,5;\n2024-01-06;;heavy\n",
         {"2024-01-05 N", "2024-01-06 B"},
         {},
         0},
        {"blank rows are passed over, rows without a date are not",
         "Date,Flow\n2024-01-05,heavy\n,,\n\n,light\nsoon,light\n",
         {"2024-01-05 B"},
         {Reason(5, LeftOut::NoDate), Reason(6, LeftOut::BadDate)},
         2},
        {"a huge row is cut and left out",
         "Date,Note\n2024-01-05,x\n2024-01-06,\"" + std::string(70000, 'x') + "\"\n2024-01-07,y\n",
         {"2024-01-05 B", "2024-01-07 B"},
         {Reason(3, LeftOut::TooWide)},
         1},
        {"the listing stops, the count goes on",
         "Date\n2024-01-05\nx\nx\nx\nx\nx\nx\n2024-02-02\n",
         {"2024-01-05 B", "2024-02-02 B"},
         {Reason(3, LeftOut::BadDate), Reason(4, LeftOut::BadDate), Reason(5, LeftOut::BadDate),
          Reason(6, LeftOut::BadDate), Reason(7, LeftOut::BadDate)},
         6},
        {"an end before its start",
         "Start,End\n2024-01-09,2024-01-05\n",
         {},
         {Reason(2, LeftOut::BadDate)},
         1},
        {"a period going on today counts to today",
         "Start;Length\n13.06.2024;5\n",
         {"2024-06-13 B", "2024-06-14 B", "2024-06-15 B"},
         {},
         0},
        {"an event log with a flow column",
         "Date,Type,Flow\n2024-01-05,Period,light\n2024-01-06,Period,\n2024-01-07,Mood,happy\n",
         {"2024-01-05 B", "2024-01-06 B"},
         {Reason(4, LeftOut::OtherEvent)},
         1},
        {"no column holds a date: the first row is taken for a header",
         "Name,Value\nanna,3\n",
         {},
         {Reason(2, LeftOut::BadDate)},
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ImportRead read = Read(c.text);
        EXPECT_EQ(read.shape, FileShape::Table);
        EXPECT_EQ(Days(read.days), c.days);
        EXPECT_EQ(LeftOutRows(read), c.leftOut);
        EXPECT_EQ(read.leftOutCount, c.leftOutCount);
    }
}

TEST(ImportTableTest, BlankFilesAreEmpty) {
    for (const std::string text : {"", "\n\n  \r\n", "\xEF\xBB\xBF", ";;\n;\n\"\";\n"}) {
        EXPECT_EQ(Read(text).shape, FileShape::Empty) << text;
    }
}

TEST(ImportTableTest, AnOpenOrderKeepsBothReadingsEvenWhenOneIsInTheFuture) {
    // 3 July is after today, 7 March is not: both are real dates, so she chooses.
    const ImportRead read = Read("Date\n3/7/2024\n1/2/2024\n");
    EXPECT_TRUE(read.orderOpen);
    EXPECT_EQ(read.order, DateOrder::DayFirst);
    EXPECT_EQ(Days(read.days), std::vector<std::string>{"2024-02-01 B"});
    EXPECT_EQ(LeftOutRows(read), std::vector<std::string>{Reason(2, LeftOut::FutureDate)});
    EXPECT_EQ(Days(read.otherOrder), (std::vector<std::string>{"2024-03-07 B", "2024-01-02 B"}));
}

} // namespace
