// Where the data file lives, and loading and saving it without ever losing what
// is on disk: saves go through a flushed temporary file that then replaces the
// old one, a damaged file is kept aside before it is overwritten, and a file
// that could not be read is never overwritten at all.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

class CalendarData;

// "<folder>\Lunabel.data" when the shell found the application-data folder
// (result S_OK), else "<module path>.data". Empty (no file at all) when the
// chosen base is empty or the path would not fit in MAX_PATH characters.
std::wstring ResolveDataPath(HRESULT folderResult, const std::wstring& folder,
                             const std::wstring& modulePath);

// ResolveDataPath with what the shell and the loader report for this process.
std::wstring LocateDataFile();

enum class LoadOutcome {
    NoPath,     // no usable path: nothing is read or written
    NoFile,     // nothing there yet
    Loaded,     // read and well-formed
    Damaged,    // read, but broke off or did not start right
    Unreadable, // there, but could not be opened or read (locked, no access)
};

class DataStore {
public:
    explicit DataStore(std::wstring path) : path_(std::move(path)) {}

    const std::wstring& Path() const { return path_; }

    // Replaces the marks of `data` with the file's and applies its settings.
    LoadOutcome Load(CalendarData& data);
    LoadOutcome LastLoad() const { return outcome_; }

    // Writes the whole state; false when nothing could be written safely. The
    // file is left as it was on any failure.
    bool Save(const CalendarData& data);

    // Where the last successful save went: the data file, or a file beside it
    // when the data file could not be read at start. Empty before any save.
    const std::wstring& SavedTo() const { return savedTo_; }
    // The copy kept of a damaged file; empty when none was made.
    const std::wstring& DamagedCopy() const { return damagedCopy_; }

private:
    bool KeepDamagedFile();
    bool ChooseUnsavedName();

    std::wstring path_;
    LoadOutcome outcome_ = LoadOutcome::NoFile;
    std::wstring damagedCopy_;
    std::wstring unsavedPath_;
    std::wstring savedTo_;
};
