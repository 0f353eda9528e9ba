// Export and Import of the cycle history dialog: the standard Save As and
// Open dialogs, the file formats, her confirmation, and a message whenever
// something fails. Marks change only through CalendarData.
#pragma once

#include <windows.h>

#include <string>

struct ImportScan;
struct ImportPlan;

// Asks where to save and writes her period starts (CSV) or the coming
// months' predictions (iCalendar), as the file type she chose says.
void ExportHistory(HWND owner);

// Asks for a file, reads it and, once she agrees, adds the new period starts.
// True when marks were added.
bool ImportHistory(HWND owner);

// The question asked before an import adds anything: how many starts are
// new, how many were found, and which lines were not understood.
std::wstring ImportQuestion(const ImportScan& scan, const ImportPlan& plan);
