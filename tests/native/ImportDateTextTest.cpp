#include "import/DateText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace imports;

constexpr DateKey kToday = MakeDateKey(2024, 6, 15);
constexpr DateKey kNone = 0;

struct DateCase {
    std::string text;
    DateKey dayFirst; // kNone: no date in this order
    DateKey monthFirst;
};

DateKey Resolved(const std::string& text, DateOrder order) {
    const auto cell = ReadCellDate(text);
    if (!cell) {
        return kNone;
    }
    return ResolveDate(*cell, order, kToday).value_or(kNone);
}

TEST(ImportDateTextTest, CellDatesInEachOrder) {
    const DateKey mar3 = MakeDateKey(2024, 3, 3);
    const DateKey feb3 = MakeDateKey(2024, 2, 3);
    const DateKey mar2 = MakeDateKey(2024, 3, 2);
    const DateCase cases[] = {
        // ISO, with and without a time or zone
        {"2024-03-03", mar3, mar3},
        {"20240303", mar3, mar3},
        {"2024-03-03T08:00:00Z", mar3, mar3},
        {"2024-03-03 08:00:00 +0100", mar3, mar3},
        {"2024-03-03T23:30:00.000-05:00", mar3, mar3},
        {"  2024-03-03  ", mar3, mar3},
        // numeric: dots are day first, slashes and dashes either way
        {"03.02.2024", feb3, feb3},
        {"3.2.2024", feb3, feb3},
        {"3.2.24", feb3, feb3},
        {"3/2/2024", feb3, mar2},
        {"03/02/2024 08:15", feb3, mar2},
        {"3/2/2024 8:15 PM", feb3, mar2},
        {"3-2-2024", feb3, mar2},
        {"13/2/2024", MakeDateKey(2024, 2, 13), kNone},
        {"2/13/2024", kNone, MakeDateKey(2024, 2, 13)},
        {"3/3/2024", mar3, mar3},
        {"2024/3/3", mar3, mar3},
        {"2024.03.03", mar3, mar3},
        {"2024-3-3", mar3, mar3},
        // month names, their cases and abbreviations, weekdays before them
        {"3 March 2024", mar3, mar3},
        {"March 3, 2024", mar3, mar3},
        {"Mar 3 2024", mar3, mar3},
        {"Mar. 3rd, 2024", mar3, mar3},
        {"3rd of March 2024", mar3, mar3},
        {"3-Mar-2024", mar3, mar3},
        {"03-MAR-24", mar3, mar3},
        {"Sunday, March 3, 2024", mar3, mar3},
        {"3. März 2024", mar3, mar3},
        {"3. Marz 2024", mar3, mar3},
        {"So., 3. März 2024", mar3, mar3},
        {"3. Jänner 2024", MakeDateKey(2024, 1, 3), MakeDateKey(2024, 1, 3)},
        {"3 de marzo de 2024", mar3, mar3},
        {"domingo, 3 de marzo de 2024", mar3, mar3},
        {"3 mars 2024", mar3, mar3},
        {"dimanche 3 mars 2024", mar3, mar3},
        {"1er mars 2024", MakeDateKey(2024, 3, 1), MakeDateKey(2024, 3, 1)},
        {"3 févr. 2024", feb3, feb3},
        {"3 marzo 2024", mar3, mar3},
        {"domenica 3 marzo 2024", mar3, mar3},
        {"3 marca 2024", mar3, mar3},
        {"niedziela, 3 marca 2024", mar3, mar3},
        {"3 października 2023", MakeDateKey(2023, 10, 3), MakeDateKey(2023, 10, 3)},
        {"3 PAŹDZIERNIKA 2023", MakeDateKey(2023, 10, 3), MakeDateKey(2023, 10, 3)},
        {"3 de março de 2024", mar3, mar3},
        {"sexta-feira, 1 de março de 2024", MakeDateKey(2024, 3, 1), MakeDateKey(2024, 3, 1)},
        {"3 de mar. de 2024", mar3, mar3},
        // refused
        {"", kNone, kNone},
        {"2024", kNone, kNone},
        {"hello", kNone, kNone},
        {"36,5", kNone, kNone},
        {"36.5", kNone, kNone},
        {"2024-02-30", kNone, kNone},
        {"2024-13-01", kNone, kNone},
        {"31.04.2024", kNone, kNone},
        {"32/1/2024", kNone, kNone},
        {"13/13/2024", kNone, kNone},
        {"1899-12-31", kNone, kNone},
        {"2024-03-03 export of my periods", kNone, kNone},
        {"2024-03-03T", kNone, kNone},
        {"3.2.2024x", kNone, kNone},
        {"3/2", kNone, kNone},
        {"3/2/202", kNone, kNone},
        {"3.2/2024", kNone, kNone},
        {"March 2024", kNone, kNone},
        {"3 Foo 2024", kNone, kNone},
        {"Sunday", kNone, kNone},
    };
    for (const DateCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Resolved(c.text, DateOrder::DayFirst), c.dayFirst);
        EXPECT_EQ(Resolved(c.text, DateOrder::MonthFirst), c.monthFirst);
    }
}

TEST(ImportDateTextTest, TwoDigitYearsAreNearestTodayAndNeverAfterIt) {
    const struct {
        const char* text;
        DateKey date;
    } cases[] = {
        {"15.6.24", MakeDateKey(2024, 6, 15)}, // today
        {"16.6.24", MakeDateKey(1924, 6, 16)}, // tomorrow is a century back
        {"31.12.23", MakeDateKey(2023, 12, 31)}, {"1.1.25", MakeDateKey(1925, 1, 1)},
        {"31.12.99", MakeDateKey(1999, 12, 31)}, {"1.1.00", MakeDateKey(2000, 1, 1)},
        {"29.2.00", MakeDateKey(2000, 2, 29)},   {"29.2.01", kNone},
        {"1 Jan 70", MakeDateKey(1970, 1, 1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Resolved(c.text, DateOrder::DayFirst), c.date);
    }
}

TEST(ImportDateTextTest, IsoDatesAloneOrWithATime) {
    const struct {
        const char* text;
        DateKey date;
    } cases[] = {
        {"2024-03-05", MakeDateKey(2024, 3, 5)},
        {"20240305", MakeDateKey(2024, 3, 5)},
        {"2024-03-05T08:00:00Z", MakeDateKey(2024, 3, 5)},
        {"2024-03-05t08:00:00z", MakeDateKey(2024, 3, 5)},
        {"2024-03-05T23:59:59+14:00", MakeDateKey(2024, 3, 5)},
        {"2024-03-05 08:00:00 +0100", MakeDateKey(2024, 3, 5)},
        {"2024-03-05T08:00:00.000Z", MakeDateKey(2024, 3, 5)},
        {"20240305T080000Z", MakeDateKey(2024, 3, 5)},
        {"2024-03-05T08:00", MakeDateKey(2024, 3, 5)},
        {"2024-3-5", kNone},
        {"05.03.2024", kNone},
        {" 2024-03-05", kNone},
        {"2024-03-05x", kNone},
        {"2024-03-05T08", kNone},
        {"2024-03-05 08:00:00 Europe", kNone},
        {"2024-02-30", kNone},
        {"202403051", kNone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReadIsoDate(c.text).value_or(kNone), c.date);
    }
}

} // namespace
