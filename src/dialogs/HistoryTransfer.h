// Export and Import of the cycle history dialog: the standard Save As and
// Open dialogs, the file formats, her confirmation, and a message whenever
// something fails. Marks change only through CalendarData.
#pragma once

#include <windows.h>

// Asks where to save and writes her period starts (CSV) or the coming
// months' predictions (iCalendar), as the file type she chose says.
void ExportHistory(HWND owner);

// Asks for a file, reads it and, once she agrees, adds the new period starts.
// True when marks were added.
bool ImportHistory(HWND owner);
