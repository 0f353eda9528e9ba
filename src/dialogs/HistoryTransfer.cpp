#include "dialogs/HistoryTransfer.h"

#include <shlwapi.h>

#include <vector>

#include "cycle/CalendarData.h"
#include "framework/AppModule.h"
#include "framework/FileDialog.h"
#include "framework/ResourceText.h"
#include "dialogs/ImportPreviewDlg.h"
#include "history/CycleExport.h"
#include "history/CycleHistory.h"
#include "import/BackgroundRead.h"
#include "product.h"
#include "resource.h"

namespace {

// The calendar's place among the Save As dialog's file types, counted from 1
// as the dialog does; the spreadsheet's is 1.
constexpr UINT kIcsType = 2;

void Tell(HWND owner, const std::wstring& text, UINT icon) {
    ::MessageBoxW(owner, text.c_str(), LoadResourceString(IDS_APP_NAME).c_str(), MB_OK | icon);
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

bool ImportHistory(HWND owner, CalendarData& data, imports::ImportUndo& undo) {
    const FileDialogResult chosen = AskOpenPath(
        owner, {{LoadResourceString(IDS_IMPORT_TYPES), L"*.csv;*.txt;*.tsv;*.json;*.xml;*.zip"},
                {LoadResourceString(IDS_IMPORT_ALL_FILES), L"*.*"}});
    if (!PathChosen(owner, chosen)) {
        return false;
    }
    ImportPreviewDlg preview(owner, chosen.path, imports::ReadOptionsForUser(), data.Marks(),
                             data.GetPeriodLength());
    if (preview.DoModal(owner) != IDOK) {
        return false;
    }
    // Only ever added: her own marks, stray keys included, all stay.
    undo.Add(data, preview.StartsToAdd());
    return true;
}
