// The user's data for the whole process, made during static initialisation.
#pragma once

class PersistentCalendarData;

// Null in a second copy, which never loads or saves.
PersistentCalendarData* ProcessUserData();
