#include "dialogs/HistoryTransfer.h"

#include <shlwapi.h>

#include <algorithm>
#include <vector>

#include "cycle/CalendarData.h"
#include "framework/AppModule.h"
#include "framework/FileDialog.h"
#include "framework/ResourceText.h"
#include "text/TextFormat.h"
#include "history/CycleExport.h"
#include "history/CycleHistory.h"
#include "history/CycleImport.h"
#include "product.h"
#include "resource.h"

namespace {

// The calendar's place among the Save As dialog's file types, counted from 1
// as the dialog does; the spreadsheet's is 1.
constexpr UINT kIcsType = 2;

void Tell(HWND owner, const std::wstring& text, UINT icon) {
    ::MessageBoxW(owner, text.c_str(), LoadResourceString(IDS_APP_NAME).c_str(), MB_OK | icon);
}

std::string Utf8(const std::wstring& text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(std::max(size, 0)), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(),
                          size, nullptr, nullptr);
    return bytes;
}

bool HasExtension(const std::wstring& path, const wchar_t* extension) {
    return ::lstrcmpiW(::PathFindExtensionW(path.c_str()), extension) == 0;
}

// Whether she chose a file; a dialog that could not open is told of.
bool PathChosen(HWND owner, const FileDialogResult& chosen) {
    if (!chosen.Cancelled() && !chosen.Chosen()) {
        Tell(owner, FormatResourceString(IDS_FILE_DIALOG_FAILED, {SystemErrorText(chosen.status)}),
             MB_ICONWARNING);
    }
    return chosen.Chosen();
}

// An extension she typed decides; without one, the type chosen in the list.
bool WantsCalendar(const FileDialogResult& chosen) {
    if (HasExtension(chosen.path, L".ics")) {
        return true;
    }
    return !HasExtension(chosen.path, L".csv") && chosen.typeIndex == kIcsType;
}

std::string CalendarFile(const CalendarData& data) {
    SYSTEMTIME today{};
    ::GetLocalTime(&today);
    SYSTEMTIME now{};
    ::GetSystemTime(&now);
    IcsOptions options;
    options.firstYear = today.wYear;
    options.firstMonth = today.wMonth;
    options.stampYear = now.wYear;
    options.stampMonth = now.wMonth;
    options.stampDay = now.wDay;
    options.stampHour = now.wHour;
    options.stampMinute = now.wMinute;
    options.stampSecond = now.wSecond;
    options.productId = "-//Lunabel//Lunabel " LUNABEL_PRODUCT_VERSION "//EN";
    options.uidDomain = LUNABEL_WEB_LABEL;
    options.periodTitle = Utf8(LoadResourceString(IDS_ICS_PERIOD));
    options.fertileTitle = Utf8(LoadResourceString(IDS_ICS_FERTILE));
    return WritePredictionsIcs(data, options);
}

std::wstring FileName(const std::wstring& path) {
    return ::PathFindFileNameW(path.c_str());
}

std::wstring BadLinesText(const ImportScan& scan) {
    const std::wstring separator = LoadResourceString(IDS_LIST_SEPARATOR);
    std::wstring list;
    for (const std::size_t line : scan.firstBadLines) {
        if (!list.empty()) {
            list += separator;
        }
        list += std::to_wstring(line);
    }
    const auto count = static_cast<long long>(scan.badLineCount);
    const auto more = count - static_cast<long long>(scan.firstBadLines.size());
    if (more > 0) {
        return FormatCountString(IDS_IMPORT_BAD_LINES_MORE, count, {list, std::to_wstring(more)});
    }
    return FormatCountString(IDS_IMPORT_BAD_LINES, count, {list});
}

// How many starts are new, how many were found, which lines were not
// understood: each a sentence of its own, one per line.
std::wstring ImportQuestion(const ImportScan& scan, const ImportPlan& plan) {
    return JoinNonEmpty(
        {FormatCountString(IDS_IMPORT_ASK, static_cast<long long>(plan.newStarts.size())),
         plan.alreadyMarked == 0
             ? std::wstring()
             : FormatCountString(IDS_IMPORT_FOUND, static_cast<long long>(plan.startsFound),
                                 {std::to_wstring(plan.alreadyMarked)}),
         scan.badLineCount == 0 ? std::wstring() : BadLinesText(scan)},
        L"\n");
}

} // namespace

std::unique_ptr<files::BackgroundReplace> ExportHistory(HWND owner, const CalendarData& data) {
    const FileDialogResult chosen =
        AskSavePath(owner,
                    {{LoadResourceString(IDS_EXPORT_CSV_TYPE), L"*.csv"},
                     {LoadResourceString(IDS_EXPORT_ICS_TYPE), L"*.ics"}},
                    LoadResourceString(IDS_EXPORT_FILE_NAME), L"csv");
    if (!PathChosen(owner, chosen)) {
        return nullptr;
    }
    const std::string text = WantsCalendar(chosen)
                                 ? CalendarFile(data)
                                 : WriteCyclesCsv(ComputeCycleHistory(data.Marks()));
    // The dialog may be gone when the write ends: then its owner is told.
    const HWND fallback = ::GetParent(owner);
    return std::make_unique<files::BackgroundReplace>(
        chosen.path, files::Bytes(text.begin(), text.end()), chosen.path + L".partial",
        [owner, fallback](const SaveResult& result) {
            if (result.saved) {
                return;
            }
            Tell(::IsWindow(owner) ? owner : fallback,
                 FormatResourceString(IDS_EXPORT_FAILED,
                                      {result.file, files::ErrorText(result.error)}),
                 MB_ICONWARNING);
        });
}

bool ImportHistory(HWND owner, CalendarData& data) {
    const FileDialogResult chosen =
        AskOpenPath(owner, {{LoadResourceString(IDS_IMPORT_TYPES), L"*.csv;*.txt"},
                            {LoadResourceString(IDS_IMPORT_ALL_FILES), L"*.*"}});
    if (!PathChosen(owner, chosen)) {
        return false;
    }
    const files::ReadResult file = files::ReadWhole(chosen.path, kImportSizeLimit);
    if (file.status == files::ReadStatus::TooLarge) {
        Tell(owner,
             FormatResourceString(IDS_IMPORT_TOO_LARGE,
                                  {FileName(chosen.path), std::to_wstring(kImportSizeLimit >> 20)}),
             MB_ICONWARNING);
        return false;
    }
    if (file.status != files::ReadStatus::Read) {
        Tell(owner,
             FormatResourceString(IDS_IMPORT_READ_FAILED,
                                  {FileName(chosen.path), SystemErrorText(file.error)}),
             MB_ICONWARNING);
        return false;
    }

    const ImportScan scan = ScanImport(file.bytes);
    const ImportPlan plan = PlanImport(scan.dates, data.Marks(), data.GetPeriodLength());
    if (plan.startsFound == 0) {
        Tell(owner, FormatResourceString(IDS_IMPORT_NO_DATES, {FileName(chosen.path)}),
             MB_ICONINFORMATION);
        return false;
    }
    if (plan.newStarts.empty()) {
        Tell(owner,
             JoinNonEmpty({FormatCountString(IDS_IMPORT_NOTHING_NEW,
                                             static_cast<long long>(plan.startsFound)),
                           scan.badLineCount == 0 ? std::wstring() : BadLinesText(scan)},
                          L"\n"),
             MB_ICONINFORMATION);
        return false;
    }
    if (::MessageBoxW(owner, ImportQuestion(scan, plan).c_str(),
                      LoadResourceString(IDS_APP_NAME).c_str(),
                      MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return false;
    }
    // Only ever added: her own marks, stray keys included, all stay.
    std::vector<DateKey> marks = data.Marks();
    marks.insert(marks.end(), plan.newStarts.begin(), plan.newStarts.end());
    data.SetMarks(std::move(marks));
    return true;
}
