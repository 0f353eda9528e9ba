// Export and Import of the cycle history dialog: the standard Save As and
// Open dialogs, the file formats, her confirmation, and a message whenever
// something fails. Marks change only through CalendarData.
#pragma once

#include <windows.h>

#include <memory>

#include "files/Files.h"
#include "import/ImportUndo.h"

class CalendarData;

// Asks where to save and starts writing her period starts (CSV) or the coming
// months' predictions (iCalendar), as the file type she chose says. The write
// runs off the window's thread; a failure is told when it ends, or when the
// returned object goes. Null when nothing is being written.
std::unique_ptr<files::BackgroundReplace> ExportHistory(HWND owner, const CalendarData& data);

// Asks for a file, shows what it would add and, once she agrees, adds the new
// period starts, kept in `undo` so that they can be taken back. True when
// marks were added.
bool ImportHistory(HWND owner, CalendarData& data, imports::ImportUndo& undo);
