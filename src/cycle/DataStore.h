// Where the data file lives, and loading and saving it without ever losing what
// is on disk. A save writes a flushed temporary file beside the data file and
// renames it over the old one in one step, so the name always holds a whole
// file; a save cut short leaves only a temporary, which the next start takes
// when the data file is missing or damaged. A damaged file is kept aside as
// soon as it is read, a file that could not be read is never overwritten at
// all, and the first save of a run keeps a file that was read whole, as it
// was, as ".bak". A copy of a session that could not save (".unsaved") has
// its base beside it (".base"): the data file as that session last knew it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cycle/DataEnvelope.h"
#include "cycle/SaveWorker.h"
#include "files/Files.h"

class CalendarData;

// "<folder>\Lunabel.data" when the shell found the application-data folder
// (result S_OK), else "<module path>.data". Empty (no file at all) when the
// chosen base is empty or the path would not fit in MAX_PATH characters.
std::wstring ResolveDataPath(HRESULT folderResult, const std::wstring& folder,
                             const std::wstring& modulePath);

// ResolveDataPath with what the shell and the loader report for this process.
std::wstring LocateDataFile();

enum class LoadOutcome {
    NoPath,       // no usable path: nothing is read or written
    NoFile,       // nothing there yet
    Loaded,       // read and well-formed
    Damaged,      // read, but broke off or did not start right
    Unreadable,   // there, but could not be opened or read (locked, no access)
    Locked,       // sealed under her password: nothing is read or written until Unlock
    NewerVersion, // sealed by a later Lunabel: nothing is read or written at all
};

class DataStore {
public:
    using Bytes = std::vector<std::uint8_t>;

    explicit DataStore(std::wstring path, const DataEnvelope& envelope = PlainEnvelope::Shared())
        : path_(std::move(path)), envelope_(&envelope) {}

    const std::wstring& Path() const { return path_; }
    const DataEnvelope& Envelope() const { return *envelope_; }

    // Reads the data file's header alone. A sealed file makes the store
    // Locked, with `header` holding what a key must fit; a file sealed by a
    // later version makes it NewerVersion. When the header is damaged, a
    // whole sealed ".bak" is what she unlocks instead: the load then keeps
    // the file as damaged and offers that backup. False for a plain file, or
    // none: Load it as always.
    bool CheckSealed(std::vector<std::uint8_t>& header);
    // Saves go through `envelope` from now on; the file as loaded (kept for
    // ".bak") and as known (the base of a copy) are turned into its form.
    void UseEnvelope(const DataEnvelope& envelope);

    // Replaces the marks of `data` with the file's and applies its settings.
    // When the file is missing or damaged, the newest temporary file that a save
    // left whole beside it is taken instead. Leftover temporaries are cleared
    // once the data file is known to hold a whole state.
    LoadOutcome Load(CalendarData& data);
    LoadOutcome LastLoad() const { return outcome_; }
    // Why the file could not be read (Unreadable).
    DWORD LoadError() const { return loadError_; }
    // The temporary file the state was taken from; empty when none was.
    const std::wstring& RecoveredFrom() const { return recoveredFrom_; }

    // Writes the whole state; on any failure the file is left as it was. Goes to
    // the ".unsaved" copy beside the file when the file could not be read.
    SaveResult Save(const Bytes& bytes);
    SaveResult Save(const CalendarData& data);

    // Where saves of this run go once the first has been made: the data file,
    // or the ".unsaved" copy (by the name it would take now).
    std::wstring SaveTarget() const;
    // Where the last successful save went. Empty before any save.
    const std::wstring& SavedTo() const { return savedTo_; }
    // The copy kept of a damaged file; empty when none was made.
    const std::wstring& DamagedCopy() const { return damagedCopy_; }
    // A readable ".bak" beside a damaged file from which nothing was recovered.
    const std::optional<files::FoundFile>& BackupToOffer() const { return backupToOffer_; }

    // For a state that cannot be saved: a new file beside the data file
    // (".unsaved", numbered if taken) or, failing that, in the temporary
    // folder, with its base beside it.
    SaveResult KeepUnsavedCopy(const Bytes& bytes) const;

private:
    bool KeepDamagedFile();
    bool ChooseUnsavedName();
    void ClearTemporaries() const;
    bool Recover(CalendarData& data);
    void FindBackupToOffer();
    void WriteBaseOf(const std::wstring& copy) const;

    std::wstring path_;
    const DataEnvelope* envelope_;
    LoadOutcome outcome_ = LoadOutcome::NoFile;
    DWORD loadError_ = ERROR_SUCCESS;
    std::wstring recoveredFrom_;
    // The file as loaded, for ".bak"; kept only while no backup has been made.
    Bytes startBytes_;
    bool backupMade_ = false;
    bool temporariesCleared_ = false;
    std::wstring damagedCopy_;
    std::wstring unsavedPath_;
    std::wstring savedTo_;
    std::optional<files::FoundFile> backupToOffer_;
    // What the data file holds as far as this run knows: the base of a copy.
    Bytes knownBytes_;
};

// The base kept beside an ".unsaved" copy.
std::wstring UnsavedBaseOf(const std::wstring& copy);

// The ".unsaved" copies beside the data file at `dataPath`, oldest first, then
// those in the temporary folder.
std::vector<files::FoundFile> FindUnsavedCopies(const std::wstring& dataPath);

// A sealed calendar kept as ".damaged" beside the data file: what an older
// Lunabel, which cannot open one, sets aside before it writes a plain file.
struct SealedCopy {
    files::FoundFile file;
    DataStore::Bytes bytes;
};
std::vector<SealedCopy> FindSealedCopies(const std::wstring& dataPath);

// Writes every copy kept beside the data file (".bak", ".unsaved" and their
// bases, ".declined") that opens through `from` again through `to`, in place.
// Copies that do not open are left as they are. Answers the damaged copies
// kept beside the file, which no envelope touches.
std::vector<std::wstring> RewriteCopies(const std::wstring& dataPath, const DataEnvelope& from,
                                        const DataEnvelope& to);

// Reads a copy through the envelope, or as a plain file when it is one; false
// when it cannot be read or opened.
bool ReadDataCopy(const std::wstring& path, const DataEnvelope& envelope, CalendarData& data);

// Renames a copy the user does not want, and its base, to "<data
// file>.declined" (numbered if taken), so she is asked only once and nothing
// is lost.
bool DeclineUnsavedCopy(const std::wstring& dataPath, const std::wstring& copy);

// Removes a copy whose changes are saved, and its base.
void RemoveUnsavedCopy(const std::wstring& copy);
