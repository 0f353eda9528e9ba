#include "history/HistoryText.h"

#include <windows.h>

#include "framework/AppModule.h"
#include "framework/ResourceText.h"
#include "history/Predictions.h"
#include "resource.h"
#include "text/TextFormat.h"

namespace {

// The latest start's row has no cycle yet; the rows after it are the
// entries, newest first.
const CycleEntry* EntryOfRow(const CycleHistory& history, std::size_t row) {
    if (row == 0 || row > history.entries.size()) {
        return nullptr;
    }
    return &history.entries[history.entries.size() - row];
}

std::wstring DifferenceText(int tenths) {
    const int size = tenths < 0 ? -tenths : tenths;
    const std::wstring number = LocaleNumber(size / 10.0, size % 10 == 0 ? 0 : 1);
    if (tenths == 0) {
        return number;
    }
    return (tenths > 0 ? L"+" : L"-") + number;
}

std::wstring ListOfNumbers(const std::vector<CycleEntry>& cycles) {
    const std::wstring separator = LoadResourceString(IDS_LIST_SEPARATOR);
    std::wstring list;
    for (const CycleEntry& cycle : cycles) {
        if (!list.empty()) {
            list += separator;
        }
        list += std::to_wstring(cycle.length);
    }
    return list;
}

std::wstring FormattedDate(DateKey key, DWORD form) {
    SYSTEMTIME date{};
    date.wYear = static_cast<WORD>(KeyYear(key));
    date.wMonth = static_cast<WORD>(KeyMonth(key));
    date.wDay = static_cast<WORD>(KeyDay(key));
    wchar_t text[128] = L"";
    if (::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, form, &date, nullptr, text,
                          static_cast<int>(std::size(text)), nullptr) == 0) {
        // A date the locale cannot write: still readable, in ISO form.
        ::swprintf(text, std::size(text), L"%04d-%02d-%02d", KeyYear(key), KeyMonth(key),
                   KeyDay(key));
    }
    return text;
}

} // namespace

std::wstring LongDate(DateKey key) {
    return FormattedDate(key, DATE_LONGDATE);
}

std::wstring ShortDate(DateKey key) {
    return FormattedDate(key, DATE_SHORTDATE);
}

std::wstring DaysText(int days) {
    return FormatCountString(IDS_DAYS, days);
}

std::wstring TenthsDaysText(int tenths) {
    if (tenths % 10 == 0) {
        return DaysText(tenths / 10);
    }
    const std::wstring forms = LoadResourceString(IDS_DAYS_FRACTION);
    const std::wstring number = LocaleNumber(tenths / 10.0, 1);
    return FillPlaceholders(PickDecimalPluralForm(forms, ResourceLanguage(), tenths / 10),
                            {number});
}

std::size_t CycleRowCount(const CycleHistory& history) {
    return history.starts.empty() ? 0 : history.entries.size() + 1;
}

CycleRow CycleRowAt(const CycleHistory& history, std::size_t row) {
    CycleRow text;
    if (row >= CycleRowCount(history)) {
        return text;
    }
    const CycleEntry* entry = EntryOfRow(history, row);
    if (!entry) {
        text.start = LongDate(history.starts.back());
        text.note = LoadResourceString(IDS_NOTE_CURRENT);
        return text;
    }
    text.start = LongDate(entry->start);
    text.length = DaysText(entry->length);
    if (entry->isBreak) {
        text.note = LoadResourceString(IDS_NOTE_BREAK);
        return text;
    }
    if (history.figures.count > 0) {
        text.difference = DifferenceText(DifferenceTenths(*entry, history.figures));
    }
    if (entry->unusual) {
        text.note = FormatResourceString(
            IDS_NOTE_UNUSUAL, {std::to_wstring(kNormalShortest), std::to_wstring(kNormalLongest)});
    }
    return text;
}

std::vector<std::wstring> CycleColumnNames() {
    return {LoadResourceString(IDS_COLUMN_START), LoadResourceString(IDS_COLUMN_LENGTH),
            LoadResourceString(IDS_COLUMN_DIFFERENCE), LoadResourceString(IDS_COLUMN_NOTE)};
}

std::wstring FiguresHeading(const CycleHistory& history) {
    const int count = history.figures.count;
    return count == 0 ? LoadResourceString(IDS_FIGURES_NONE)
                      : FormatCountString(IDS_FIGURES_HEADING, count);
}

std::vector<std::wstring> FigureLines(const CycleHistory& history, int cycleLengthInForce) {
    const CycleFigures& f = history.figures;
    std::vector<std::wstring> lines;
    if (f.count > 0) {
        lines.push_back(FormatResourceString(IDS_FIGURE_AVERAGE, {TenthsDaysText(f.meanTenths)}));
        lines.push_back(FormatResourceString(IDS_FIGURE_MEDIAN, {TenthsDaysText(f.medianTenths)}));
        lines.push_back(
            FormatResourceString(IDS_FIGURE_RANGE, {DaysText(f.shortest), DaysText(f.longest)}));
        lines.push_back(FormatResourceString(IDS_FIGURE_VARIATION, {DaysText(f.Variation())}));
        if (f.deviationTenths) {
            lines.push_back(
                FormatResourceString(IDS_FIGURE_DEVIATION, {TenthsDaysText(*f.deviationTenths)}));
        }
        int unusual = 0;
        for (const CycleEntry& cycle : history.RecentCycles()) {
            unusual += cycle.unusual ? 1 : 0;
        }
        if (unusual > 0) {
            lines.push_back(FormatCountString(
                IDS_FIGURE_UNUSUAL, unusual,
                {std::to_wstring(kNormalShortest), std::to_wstring(kNormalLongest)}));
        }
    }
    if (history.typicalLength) {
        const int typical = *history.typicalLength;
        lines.push_back(FormatResourceString(IDS_FIGURE_TYPICAL, {DaysText(typical)}));
        if (PredictionCycleFor(typical) != typical) {
            lines.push_back(FormatResourceString(IDS_FIGURE_TYPICAL_OUTSIDE,
                                                 {std::to_wstring(kShortestPredictionCycle),
                                                  std::to_wstring(kLongestPredictionCycle),
                                                  DaysText(PredictionCycleFor(typical))}));
        }
    } else {
        lines.push_back(FormatCountString(IDS_FIGURE_NEED_MORE, history.StartsStillNeeded()));
    }
    lines.push_back(FormatResourceString(IDS_FIGURE_IN_FORCE, {DaysText(cycleLengthInForce)}));
    return lines;
}

std::wstring UseButtonText(const CycleHistory& history) {
    if (!history.typicalLength) {
        return LoadResourceString(IDS_HISTORY_USE_NONE);
    }
    return FormatCountString(IDS_HISTORY_USE, PredictionCycleFor(*history.typicalLength));
}

std::wstring ChartDescription(const CycleHistory& history) {
    const std::vector<CycleEntry> recent = history.RecentCycles();
    if (recent.empty()) {
        return LoadResourceString(IDS_CHART_EMPTY);
    }
    return FormatResourceString(IDS_CHART_DESCRIPTION, {ListOfNumbers(recent)});
}

std::wstring CoveredText(const CycleHistory& history) {
    if (history.starts.empty()) {
        return LoadResourceString(IDS_SUMMARY_COVERED_NONE);
    }
    if (history.starts.size() == 1) {
        return FormatResourceString(IDS_SUMMARY_COVERED_ONE, {LongDate(history.starts.front())});
    }
    return FormatResourceString(
        IDS_SUMMARY_COVERED, {LongDate(history.starts.front()), LongDate(history.starts.back())});
}
