#include "history/CycleExport.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "HistoryStarts.h"
#include "cycle/CalendarData.h"
#include "cycle/CalendarLocale.h"
#include "cycle/MonthModel.h"

namespace {

using historytest::AddDays;
using historytest::Starts;

TEST(CycleExportTest, CsvHasAHeaderIsoDatesAndCrlf) {
    struct Case {
        const char* name;
        std::vector<DateKey> marks;
        std::string csv;
    };
    const Case cases[] = {
        {"no starts", {}, "period_start,cycle_length_days\r\n"},
        {"one start",
         {MakeDateKey(2024, 3, 1)},
         "period_start,cycle_length_days\r\n2024-03-01,\r\n"},
        // A break keeps its length; stray keys are no starts.
        {"starts, a break and a stray key",
         {MakeDateKey(1900, 1, 5), MakeDateKey(1900, 2, 2), MakeDateKey(1900, 2, 30),
          MakeDateKey(1900, 9, 1), MakeDateKey(1900, 9, 29)},
         "period_start,cycle_length_days\r\n"
         "1900-01-05,28\r\n"
         "1900-02-02,211\r\n"
         "1900-09-01,28\r\n"
         "1900-09-29,\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(WriteCyclesCsv(ComputeCycleHistory(c.marks)), c.csv);
    }
}

// --- iCalendar -------------------------------------------------------------------

struct Event {
    std::map<std::string, std::string> properties; // by name with parameters
};

struct ParsedIcs {
    std::vector<std::string> lines; // unfolded content lines
    std::vector<Event> events;
};

// Checks the physical form while unfolding: CRLF after every line, at most 75
// octets each, no UTF-8 sequence split over two lines.
ParsedIcs Parse(const std::string& ics) {
    ParsedIcs parsed;
    std::size_t at = 0;
    while (at < ics.size()) {
        const std::size_t end = ics.find("\r\n", at);
        EXPECT_NE(end, std::string::npos) << "the last line has no CRLF";
        if (end == std::string::npos) {
            break;
        }
        const std::string physical = ics.substr(at, end - at);
        EXPECT_LE(physical.size(), 75u) << physical;
        EXPECT_EQ(physical.find('\n'), std::string::npos) << "a bare line feed";
        EXPECT_EQ(physical.find('\r'), std::string::npos) << "a bare carriage return";
        if (!physical.empty() && physical[0] == ' ') {
            EXPECT_FALSE(parsed.lines.empty());
            EXPECT_FALSE(physical.size() > 1 &&
                         (static_cast<unsigned char>(physical[1]) & 0xC0) == 0x80)
                << "a character split over two lines";
            parsed.lines.back() += physical.substr(1);
        } else {
            parsed.lines.push_back(physical);
        }
        at = end + 2;
    }
    Event* open = nullptr;
    for (const std::string& line : parsed.lines) {
        if (line == "BEGIN:VEVENT") {
            parsed.events.emplace_back();
            open = &parsed.events.back();
        } else if (line == "END:VEVENT") {
            open = nullptr;
        } else if (open) {
            const std::size_t colon = line.find(':');
            open->properties[line.substr(0, colon)] = line.substr(colon + 1);
        }
    }
    return parsed;
}

DateKey FromIcsDate(const std::string& text) {
    EXPECT_EQ(text.size(), 8u) << text;
    return MakeDateKey(std::stoi(text.substr(0, 4)), std::stoi(text.substr(4, 2)),
                       std::stoi(text.substr(6, 2)));
}

struct Days {
    std::set<DateKey> period;
    std::set<DateKey> fertile;
};

IcsOptions Options(int year, int month, int months = 12) {
    IcsOptions options;
    options.firstYear = year;
    options.firstMonth = month;
    options.months = months;
    options.stampYear = 2026;
    options.stampMonth = 7;
    options.stampDay = 3;
    options.stampHour = 9;
    options.stampMinute = 5;
    options.stampSecond = 7;
    options.productId = "-//Lunabel//Lunabel 1.0//EN";
    options.uidDomain = "lunabel.example";
    options.periodTitle = "Period";
    options.fertileTitle = "Fertile days";
    return options;
}

// The events' days, each event checked for the properties every event needs.
Days EventDays(const ParsedIcs& ics, const IcsOptions& options) {
    Days days;
    std::set<std::string> uids;
    for (const Event& event : ics.events) {
        const auto& p = event.properties;
        EXPECT_TRUE(p.count("UID") && uids.insert(p.at("UID")).second) << "missing or repeated UID";
        EXPECT_EQ(p.count("DTSTAMP") ? p.at("DTSTAMP") : "", "20260703T090507Z");
        if (!p.count("DTSTART;VALUE=DATE") || !p.count("DTEND;VALUE=DATE")) {
            ADD_FAILURE() << "an event without its dates";
            continue;
        }
        const DateKey first = FromIcsDate(p.at("DTSTART;VALUE=DATE"));
        const DateKey end = FromIcsDate(p.at("DTEND;VALUE=DATE"));
        EXPECT_LT(first, end) << "DTEND is exclusive: an event has at least one day";
        const std::string summary = p.count("SUMMARY") ? p.at("SUMMARY") : "";
        EXPECT_TRUE(summary == options.periodTitle || summary == options.fertileTitle) << summary;
        auto& set = summary == options.fertileTitle ? days.fertile : days.period;
        for (DateKey day = first; day < end; day = AddDays(day, 1)) {
            EXPECT_TRUE(set.insert(day).second) << "two events hold the same day";
        }
    }
    return days;
}

// What the month grids show over the same months.
Days GridDays(const CalendarData& data, int year, int month, int months) {
    Days days;
    const EnglishCalendarLocale locale;
    MonthModel model(data, locale);
    for (int i = 0; i < months; ++i) {
        model.SetMonth(year, month);
        for (const auto& row : model.cells) {
            for (const DayCell& cell : row) {
                if (cell.day <= 0) {
                    continue;
                }
                const DateKey day = MakeDateKey(year, month, cell.day);
                if (cell.marked || cell.period) {
                    days.period.insert(day);
                }
                if (cell.fertile && data.GetShowFertility()) {
                    days.fertile.insert(day);
                }
            }
        }
        if (++month > 12) {
            month = 1;
            ++year;
        }
    }
    return days;
}

struct IcsCase {
    const char* name;
    std::vector<DateKey> marks;
    int cycleLength;
    int periodLength;
    bool fertility;
    int year;
    int month;
};

TEST(CycleExportTest, IcsEventsHoldExactlyTheDaysTheGridsShow) {
    const std::vector<DateKey> history = Starts(MakeDateKey(2025, 9, 3), {29, 27, 31, 28});
    const IcsCase cases[] = {
        {"no marks", {}, 28, 5, true, 2026, 1},
        {"history, exported from its last month", history, 28, 5, true, 2026, 1},
        {"history, exported from its first month", history, 28, 5, true, 2025, 9},
        {"fertility display off", history, 28, 5, false, 2026, 1},
        {"long period, short cycle", history, 20, 10, true, 2026, 1},
        {"cycle of 40", history, 40, 2, true, 2026, 1},
        // A period over the turn of a month and of the year is one event.
        {"period over new year", {MakeDateKey(2025, 12, 30)}, 28, 5, true, 2025, 12},
        // The window starts in the middle of a recorded period.
        {"window starts inside a period", {MakeDateKey(2026, 2, 27)}, 28, 5, true, 2026, 3},
        {"marks closer than a period", Starts(MakeDateKey(2026, 1, 1), {3, 3}), 28, 5, true, 2026,
         1},
        {"mark after the exported months", {MakeDateKey(2030, 1, 1)}, 28, 5, true, 2026, 1},
        {"stray keys", {MakeDateKey(2026, 2, 30), MakeDateKey(2026, 1, 10)}, 28, 5, true, 2026, 1},
        {"late years", {MakeDateKey(9998, 11, 20)}, 28, 5, true, 9999, 1},
    };
    for (const IcsCase& c : cases) {
        SCOPED_TRACE(c.name);
        CalendarData data;
        data.SetMarks(c.marks);
        data.SetCycleLength(c.cycleLength);
        data.SetPeriodLength(c.periodLength);
        data.SetShowFertility(c.fertility);
        const IcsOptions options = Options(c.year, c.month);
        const ParsedIcs ics = Parse(WritePredictionsIcs(data, options));
        const Days exported = EventDays(ics, options);
        // December 9999 is left out: its events would end in the year 10000.
        const int months = c.year == 9999 ? 11 : 12;
        const Days shown = GridDays(data, c.year, c.month, months);
        EXPECT_EQ(exported.period, shown.period);
        EXPECT_EQ(exported.fertile, shown.fertile);
        if (!c.marks.empty() && c.marks.front() < MakeDateKey(2030, 1, 1)) {
            EXPECT_FALSE(exported.period.empty()) << "nothing to compare";
        }
    }
}

TEST(CycleExportTest, IcsRunsAreJoinedAcrossMonthsAndCutAtTheEnd) {
    CalendarData data;
    data.SetMarks({MakeDateKey(2025, 12, 31)});
    const IcsOptions options = Options(2025, 12, 2);
    const ParsedIcs ics = Parse(WritePredictionsIcs(data, options));
    std::vector<std::string> spans;
    for (const Event& event : ics.events) {
        spans.push_back(event.properties.at("SUMMARY") + " " +
                        event.properties.at("DTSTART;VALUE=DATE") + "-" +
                        event.properties.at("DTEND;VALUE=DATE"));
    }
    // 31 December to 4 January, fertile 10 to 14 January, then a predicted
    // period from 28 January that the end of the exported months cuts short.
    EXPECT_EQ(spans, (std::vector<std::string>{"Period 20251231-20260105",
                                               "Fertile days 20260110-20260115",
                                               "Period 20260128-20260201"}));
    EXPECT_EQ(ics.lines.front(), "BEGIN:VCALENDAR");
    EXPECT_EQ(ics.lines.back(), "END:VCALENDAR");
    EXPECT_NE(std::find(ics.lines.begin(), ics.lines.end(), "VERSION:2.0"), ics.lines.end());
    EXPECT_NE(std::find(ics.lines.begin(), ics.lines.end(), "PRODID:-//Lunabel//Lunabel 1.0//EN"),
              ics.lines.end());
}

TEST(CycleExportTest, TranslatedTitlesAreEscapedAndFoldedWholeCharacters) {
    CalendarData data;
    data.SetMarks({MakeDateKey(2026, 1, 5)});
    IcsOptions options = Options(2026, 1, 1);
    // German with a comma, a semicolon and a backslash, and long enough to fold.
    options.periodTitle =
        "Periode; voraussichtlich, laut Lunabel \\ Zyklus\xC3\xBC\xC3\xBC\xC3\xBC "
        "\xE2\x80\x94 \xF0\x9F\x8C\x99 Monatsblutung der n\xC3\xA4"
        "chsten Tage";
    const ParsedIcs ics = Parse(WritePredictionsIcs(data, options));
    ASSERT_FALSE(ics.events.empty());
    EXPECT_EQ(ics.events[0].properties.at("SUMMARY"), EscapeIcsText(options.periodTitle));
}

TEST(CycleExportTest, EscapingAndFolding) {
    EXPECT_EQ(EscapeIcsText("a,b;c\\d\ne\r\nf"), "a\\,b\\;c\\\\d\\ne\\nf");
    EXPECT_EQ(FoldIcsLine("SUMMARY:short"), "SUMMARY:short\r\n");
    const std::string exact(75, 'x');
    EXPECT_EQ(FoldIcsLine(exact), exact + "\r\n");
    EXPECT_EQ(FoldIcsLine(exact + "y"), exact + "\r\n y\r\n");
    // 74 octets then a two-octet character: it moves to the next line whole.
    const std::string umlaut = std::string(74, 'x') + "\xC3\xA4";
    EXPECT_EQ(FoldIcsLine(umlaut), std::string(74, 'x') + "\r\n \xC3\xA4\r\n");
}

} // namespace
