#include "cycle/CalendarData.h"
#include "cycle/MonthModel.h"
#include "cycle/WinCalendarLocale.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

// Language part of the user's locale name, e.g. L"en" or L"de".
std::wstring UserLanguage() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    if (::GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH) == 0) {
        return {};
    }
    const std::wstring full(name);
    return full.substr(0, full.find(L'-'));
}

// The test runs use an English (US) user locale unless told otherwise.
TEST(CalendarLocaleTest, EnglishNamesSundayFirst) {
    if (UserLanguage() != L"en") {
        GTEST_SKIP() << "user locale is not English";
    }
    const WinCalendarLocale locale;
    const std::array<const wchar_t*, 12> months = {
        L"January", L"February", L"March",     L"April",   L"May",      L"June",
        L"July",    L"August",   L"September", L"October", L"November", L"December"};
    for (int m = 1; m <= 12; ++m) {
        EXPECT_EQ(locale.MonthName(m), months[m - 1]);
    }
    const std::array<const wchar_t*, 7> days = {L"Sun", L"Mon", L"Tue", L"Wed",
                                                L"Thu", L"Fri", L"Sat"};
    for (int d = 0; d < 7; ++d) {
        EXPECT_EQ(locale.AbbreviatedDayName(d), days[d]);
    }
    EXPECT_EQ(locale.FirstDayOfWeek(), 0);
}

// Arguments outside the calendar never reach the platform.
TEST(CalendarLocaleTest, OutOfRangeArgumentsGiveEmptyNames) {
    const WinCalendarLocale locale;
    for (const int month : {0, 13, -1, 1000}) {
        EXPECT_TRUE(locale.MonthName(month).empty()) << month;
    }
    for (const int weekday : {-1, 7, 100}) {
        EXPECT_TRUE(locale.AbbreviatedDayName(weekday).empty()) << weekday;
    }
    const int first = locale.FirstDayOfWeek();
    EXPECT_GE(first, 0);
    EXPECT_LE(first, 6);
}

TEST(CalendarLocaleTest, MonthGridWithUserLocale) {
    if (UserLanguage() != L"en") {
        GTEST_SKIP() << "user locale is not English";
    }
    CalendarData data;
    MonthModel model(data, UserCalendarLocale());
    model.SetMonth(2006, 4);
    EXPECT_EQ(model.monthName, L"April");
    EXPECT_EQ(model.dayNames[0], L"Sun");
    EXPECT_EQ(model.dayNames[6], L"Sat");
    EXPECT_EQ(model.cells[0][6].day, 1);
    EXPECT_EQ(model.cells[5][0].day, 30);
}

// Run by its own CTest under LC_ALL=de_DE.UTF-8, which fails on a skip.
TEST(CalendarLocaleGermanTest, GermanNamesMondayFirst) {
    if (UserLanguage() != L"de") {
        GTEST_SKIP() << "user locale is not German";
    }
    const WinCalendarLocale locale;
    EXPECT_EQ(locale.MonthName(1), L"Januar");
    EXPECT_EQ(locale.MonthName(3), L"M\u00e4rz");
    EXPECT_EQ(locale.MonthName(12), L"Dezember");
    EXPECT_EQ(locale.FirstDayOfWeek(), 1);

    CalendarData data;
    MonthModel model(data, UserCalendarLocale());
    model.SetMonth(2006, 6);
    EXPECT_EQ(model.monthName, L"Juni");
    EXPECT_EQ(model.dayNames[0], locale.AbbreviatedDayName(1));
    EXPECT_EQ(model.dayNames[6], locale.AbbreviatedDayName(0));
    EXPECT_NE(model.dayNames[0], L"Mon");
    EXPECT_EQ(model.cells[0][3].day, 1);
    EXPECT_EQ(model.cells[4][4].day, 30);
}

// The arithmetic weekday of every 1st agrees with the platform's own
// conversion across the supported years.
TEST(CalendarLocaleTest, WeekdayMatchesPlatform) {
    int mismatches = 0;
    for (int year = 1900; year <= 9999; ++year) {
        for (int month = 1; month <= 12; ++month) {
            SYSTEMTIME date = {};
            date.wYear = static_cast<WORD>(year);
            date.wMonth = static_cast<WORD>(month);
            date.wDay = 1;
            FILETIME time = {};
            SYSTEMTIME back = {};
            ASSERT_TRUE(::SystemTimeToFileTime(&date, &time)) << year << "-" << month;
            ASSERT_TRUE(::FileTimeToSystemTime(&time, &back));
            if (MonthModel::Weekday(year, month, 1) != back.wDayOfWeek && ++mismatches <= 5) {
                ADD_FAILURE() << year << "-" << month << ": platform says " << back.wDayOfWeek;
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

} // namespace
