#include "cycle/DateKey.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace {

struct KeyCase {
    int year, month, day;
    DateKey key;
};

TEST(DateKeyTest, PacksAndUnpacksFields) {
    const KeyCase cases[] = {
        {2006, 3, 15, (2006u << 16) | (3u << 8) | 15u},
        {2006, 12, 31, (2006u << 16) | (12u << 8) | 31u},
        {1900, 1, 1, 0x076C0101u},
        {9999, 12, 31, 0x270F0C1Fu},
        {65535, 255, 255, 0xFFFFFFFFu},
        {0, 0, 0, 0u},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.year << "-" << c.month << "-" << c.day);
        EXPECT_EQ(MakeDateKey(c.year, c.month, c.day), c.key);
        EXPECT_EQ(KeyYear(c.key), c.year);
        EXPECT_EQ(KeyMonth(c.key), c.month);
        EXPECT_EQ(KeyDay(c.key), c.day);
    }
}

TEST(DateKeyTest, KeyOrderIsDateOrder) {
    const DateKey ascending[] = {
        MakeDateKey(1900, 1, 1),   MakeDateKey(2005, 12, 31), MakeDateKey(2006, 1, 1),
        MakeDateKey(2006, 1, 31),  MakeDateKey(2006, 2, 1),   MakeDateKey(2006, 3, 15),
        MakeDateKey(2006, 12, 31), MakeDateKey(2007, 1, 1),   MakeDateKey(9999, 12, 31),
    };
    for (std::size_t i = 1; i < std::size(ascending); ++i) {
        EXPECT_LT(ascending[i - 1], ascending[i]) << "at " << i;
    }
}

TEST(DateKeyTest, DaysInMonthFollowsGregorianLeapYears) {
    struct Case {
        int year, month, days;
    };
    const Case cases[] = {
        {2000, 2, 29}, {1900, 2, 28},  {2004, 2, 29},  {2006, 2, 28}, {2100, 2, 28},
        {2400, 2, 29}, {2006, 1, 31},  {2006, 4, 30},  {2006, 6, 30}, {2006, 7, 31},
        {2006, 9, 30}, {2006, 11, 30}, {2006, 12, 31}, {2006, 0, 0},  {2006, 13, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DaysInMonth(c.year, c.month), c.days) << c.year << "-" << c.month;
    }
}

TEST(DateKeyTest, SupportedDatesAreRealDatesOfYears1900To9999) {
    struct Case {
        DateKey key;
        bool supported;
    };
    const Case cases[] = {
        {MakeDateKey(1900, 1, 1), true},
        {MakeDateKey(9999, 12, 31), true},
        {MakeDateKey(2006, 4, 30), true},
        {MakeDateKey(2006, 4, 31), false},
        {MakeDateKey(2004, 2, 29), true},
        {MakeDateKey(2000, 2, 29), true},
        {MakeDateKey(1900, 2, 29), false},
        {MakeDateKey(2006, 2, 29), false},
        {MakeDateKey(2006, 2, 30), false},
        {MakeDateKey(1899, 12, 31), false},
        {MakeDateKey(10000, 1, 1), false},
        {MakeDateKey(2006, 0, 1), false},
        {MakeDateKey(2006, 13, 1), false},
        {MakeDateKey(2006, 3, 0), false},
        {MakeDateKey(2006, 3, 32), false},
        {MakeDateKey(2006, 3, 40), false},
        {0u, false},
        {0xFFFFFFFFu, false},
        {MakeDateKey(65535, 1, 1), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsSupportedDate(c.key), c.supported) << std::hex << c.key;
    }
}

// The time conversion the day numbers replace carries a day past the month's
// end into the next month; compare with the standard library's calendar.
TEST(DateKeyTest, DayNumberMatchesCalendarForEverySupportedDate) {
    using namespace std::chrono;
    long long mismatches = 0;
    for (int y = kFirstSupportedYear; y <= kLastSupportedYear; ++y) {
        for (int m = 1; m <= 12; ++m) {
            const sys_days first{year{y} / month{static_cast<unsigned>(m)} / 1};
            const long long base = first.time_since_epoch().count();
            for (int d = 1; d <= 31; ++d) {
                if (DayNumber(y, m, d) != base + d - 1) {
                    ++mismatches;
                }
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(DayNumber(1970, 1, 1), 0);
    EXPECT_EQ(DayNumber(2006, 4, 31), DayNumber(2006, 5, 1));
    EXPECT_EQ(DayNumber(2006, 2, 31), DayNumber(2006, 3, 3));
    EXPECT_EQ(DayNumber(2004, 2, 30), DayNumber(2004, 3, 1));
}

TEST(DateKeyTest, CheckedDayNumberRefusesDatesOutsideTheRange) {
    struct Case {
        int year, month, day;
        std::uint32_t hresult;
    };
    const Case cases[] = {
        {1899, 12, 31, kE_FAIL},
        {-1, 1, 1, kE_FAIL},
        {2006, 0, 1, kE_FAIL},
        {2006, 13, 1, kE_FAIL},
        {2006, 1, 0, kE_FAIL},
        {2006, 1, 32, kE_FAIL},
        {2006, 4, 31, kE_FAIL},
        {10000, 1, 1, kE_INVALIDARG},
        {65535, 12, 31, kE_INVALIDARG},
        // A field check comes before the year's upper bound.
        {10000, 13, 1, kE_FAIL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.year << "-" << c.month << "-" << c.day);
        try {
            CheckedDayNumber(c.year, c.month, c.day);
            ADD_FAILURE() << "no error";
        } catch (const DateError& e) {
            EXPECT_EQ(e.hresult, c.hresult);
        }
    }
    EXPECT_EQ(CheckedDayNumber(1900, 1, 1), DayNumber(1900, 1, 1));
    EXPECT_EQ(CheckedDayNumber(9999, 12, 31), DayNumber(9999, 12, 31));
}

} // namespace
