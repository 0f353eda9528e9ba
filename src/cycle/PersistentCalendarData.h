// The user's data bound to the data file for the life of the process: loaded
// when constructed, saved when destroyed. The executable makes one static
// object of it, so loading happens before any window exists and saving after
// the message loop has ended.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "cycle/CalendarData.h"
#include "cycle/DataStore.h"

class PersistentCalendarData {
public:
    // Told after every save attempt of any object of the process. Null by default.
    using SaveObserver = void (*)(const PersistentCalendarData& source, bool saved);

    // The data file of the current user (LocateDataFile).
    PersistentCalendarData();
    explicit PersistentCalendarData(std::wstring path);
    // Saves, unless SaveNow already saved and nothing changed since.
    ~PersistentCalendarData();

    PersistentCalendarData(const PersistentCalendarData&) = delete;
    PersistentCalendarData& operator=(const PersistentCalendarData&) = delete;

    CalendarData& Data() { return data_; }
    const CalendarData& Data() const { return data_; }
    const DataStore& Store() const { return store_; }

    // For a session that ends without the process's orderly exit (WM_ENDSESSION):
    // saves now. The destructor then saves again only if the data changed.
    bool SaveNow();

    // The first object constructed and still alive, or null: lets the frame reach
    // the object without knowing where the executable defines it.
    static PersistentCalendarData* Current() { return current_; }

    // Save attempts made by every object of the process so far.
    static unsigned SaveCount() { return saveCount_; }
    static void SetSaveObserver(SaveObserver observer) { observer_ = observer; }

private:
    CalendarData data_;
    DataStore store_;
    // The data's revision at the last save attempt; none before the first.
    std::optional<std::uint64_t> attemptedRevision_;

    static inline PersistentCalendarData* current_ = nullptr;
    static inline unsigned saveCount_ = 0;
    static inline SaveObserver observer_ = nullptr;
};
