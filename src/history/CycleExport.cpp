#include "history/CycleExport.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "cycle/CalendarData.h"
#include "cycle/CalendarLocale.h"
#include "cycle/MonthModel.h"

namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr std::size_t kFoldOctets = 75;

std::string IsoDate(DateKey key) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", KeyYear(key), KeyMonth(key), KeyDay(key));
    return text;
}

std::string IcsDate(DateKey key) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", KeyYear(key), KeyMonth(key), KeyDay(key));
    return text;
}

DateKey FirstOfNextMonth(int year, int month) {
    return month == 12 ? MakeDateKey(year + 1, 1, 1) : MakeDateKey(year, month + 1, 1);
}

struct DayRun {
    DateKey first = 0;
    DateKey end = 0; // the day after the last
    bool fertile = false;
};

// Follows one kind of day through the months and closes a run when it ends.
class RunTracker {
public:
    explicit RunTracker(bool fertile) : fertile_(fertile) {}

    void Day(DateKey day, bool flagged, std::vector<DayRun>& runs) {
        if (flagged && !open_) {
            open_ = true;
            first_ = day;
        } else if (!flagged && open_) {
            Finish(day, runs);
        }
    }

    void Finish(DateKey end, std::vector<DayRun>& runs) {
        if (open_) {
            runs.push_back(DayRun{first_, end, fertile_});
            open_ = false;
        }
    }

private:
    bool fertile_;
    bool open_ = false;
    DateKey first_ = 0;
};

std::vector<DayRun> ClassifiedRuns(const CalendarData& data, const IcsOptions& options) {
    const EnglishCalendarLocale locale;
    MonthModel model(data, locale);
    std::vector<DayRun> runs;
    RunTracker period(false);
    RunTracker fertile(true);
    const bool showFertility = data.GetShowFertility();
    int year = options.firstYear;
    int month = options.firstMonth;
    DateKey end = MakeDateKey(year, month, 1);
    // December 9999 would need an exclusive end in a year of five digits.
    for (int i = 0;
         i < options.months && MakeDateKey(year, month, 1) < MakeDateKey(kLastSupportedYear, 12, 1);
         ++i) {
        if (year >= kFirstSupportedYear && month >= 1 && month <= 12) {
            model.SetMonth(year, month);
            for (const auto& row : model.cells) {
                for (const DayCell& cell : row) {
                    if (cell.day <= 0) {
                        continue;
                    }
                    const DateKey day = MakeDateKey(year, month, cell.day);
                    period.Day(day, cell.marked || cell.period, runs);
                    fertile.Day(day, showFertility && cell.fertile, runs);
                }
            }
            end = FirstOfNextMonth(year, month);
        }
        if (++month > 12) {
            month = 1;
            ++year;
        }
    }
    period.Finish(end, runs);
    fertile.Finish(end, runs);
    std::sort(runs.begin(), runs.end(), [](const DayRun& a, const DayRun& b) {
        return a.first != b.first ? a.first < b.first : a.fertile < b.fertile;
    });
    return runs;
}

} // namespace

std::string WriteCyclesCsv(const CycleHistory& history) {
    std::string csv = "period_start,cycle_length_days";
    csv += kLineEnd;
    csv.reserve(csv.size() + history.starts.size() * 16);
    for (std::size_t i = 0; i < history.starts.size(); ++i) {
        csv += IsoDate(history.starts[i]);
        csv += ',';
        if (i < history.entries.size()) {
            csv += std::to_string(history.entries[i].length);
        }
        csv += kLineEnd;
    }
    return csv;
}

std::string FoldIcsLine(const std::string& line) {
    std::string folded;
    std::size_t lineOctets = 0;
    for (std::size_t i = 0; i < line.size();) {
        // One character: a UTF-8 lead byte and its continuation bytes.
        std::size_t next = i + 1;
        while (next < line.size() && (static_cast<unsigned char>(line[next]) & 0xC0) == 0x80) {
            ++next;
        }
        if (lineOctets + (next - i) > kFoldOctets) {
            folded += kLineEnd;
            folded += ' ';
            lineOctets = 1;
        }
        folded.append(line, i, next - i);
        lineOctets += next - i;
        i = next;
    }
    folded += kLineEnd;
    return folded;
}

std::string EscapeIcsText(const std::string& text) {
    std::string escaped;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
        case '\\':
        case ';':
        case ',':
            escaped += '\\';
            escaped += c;
            break;
        case '\r':
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            escaped += "\\n";
            break;
        case '\n':
            escaped += "\\n";
            break;
        default:
            escaped += c;
            break;
        }
    }
    return escaped;
}

std::string WritePredictionsIcs(const CalendarData& data, const IcsOptions& options) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02dT%02d%02d%02dZ", options.stampYear,
                  options.stampMonth, options.stampDay, options.stampHour, options.stampMinute,
                  options.stampSecond);

    std::string ics;
    const auto line = [&ics](const std::string& text) { ics += FoldIcsLine(text); };
    line("BEGIN:VCALENDAR");
    line("VERSION:2.0");
    line("PRODID:" + options.productId);
    line("CALSCALE:GREGORIAN");
    line("METHOD:PUBLISH");
    for (const DayRun& run : ClassifiedRuns(data, options)) {
        const char* kind = run.fertile ? "fertile" : "period";
        line("BEGIN:VEVENT");
        // The same day and kind keep their UID, so a new export updates the
        // events an earlier one made.
        line(std::string("UID:") + kind + "-" + IcsDate(run.first) + "@" + options.uidDomain);
        line(std::string("DTSTAMP:") + stamp);
        line("DTSTART;VALUE=DATE:" + IcsDate(run.first));
        line("DTEND;VALUE=DATE:" + IcsDate(run.end));
        line("SUMMARY:" + EscapeIcsText(run.fertile ? options.fertileTitle : options.periodTitle));
        // Whole days that leave her free for appointments.
        line("TRANSP:TRANSPARENT");
        line("END:VEVENT");
    }
    line("END:VCALENDAR");
    return ics;
}
