// The user's data bound to the data file for the life of the process: loaded
// when constructed, saved after every change while the program runs, and saved
// once more when destroyed if anything is left. The executable makes one static
// object of it, so loading happens before any window exists and the last save
// before the single-instance name is let go.
//
// A data file sealed under her password is not loaded when constructed: only
// its header is read, the calendar stays empty and nothing is saved until
// Unlock is given the key, and then it loads as a start does.
//
// Changes are saved on a worker thread: a change only marks the data, a message
// to a hidden window (dispatched by whatever loop runs, modal ones included)
// hands the newest state over, and the outcome comes back the same way.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "crypto/KeyRing.h"
#include "cycle/CalendarData.h"
#include "cycle/DataStore.h"
#include "cycle/SaveWorker.h"
#include "cycle/SealedEnvelope.h"

class MessageWindow;

class PersistentCalendarData {
public:
    // Told on the GUI thread after every save: its result, and whether it is the
    // first failure since the last success (the one worth telling her about).
    using SaveObserver = std::function<void(const SaveResult& result, bool firstFailure)>;

    // The data file of the current user (LocateDataFile).
    PersistentCalendarData();
    explicit PersistentCalendarData(std::wstring path);
    // Lets a save under way finish and saves what is left; when that fails,
    // keeps an ".unsaved" copy, as nobody can be asked any more.
    ~PersistentCalendarData();

    PersistentCalendarData(const PersistentCalendarData&) = delete;
    PersistentCalendarData& operator=(const PersistentCalendarData&) = delete;

    CalendarData& Data() { return data_; }
    const CalendarData& Data() const { return data_; }
    // What the load found. The store itself is the worker's while it saves.
    LoadOutcome LastLoad() const { return store_.LastLoad(); }
    DWORD LoadError() const { return store_.LoadError(); }
    const std::wstring& Path() const { return store_.Path(); }
    const DataEnvelope& Envelope() const { return store_.Envelope(); }
    // Where the changes of this run go (asked before the first save).
    std::wstring SaveTarget() const { return store_.SaveTarget(); }
    // What the load set aside or took instead (see DataStore); asked at start,
    // before the first save.
    const std::wstring& DamagedCopy() const { return store_.DamagedCopy(); }
    const std::wstring& RecoveredFrom() const { return store_.RecoveredFrom(); }
    const std::optional<files::FoundFile>& BackupToOffer() const { return store_.BackupToOffer(); }

    // Protection with a password. The header a key must fit to open the data
    // file (Locked), or the one the files are sealed with now.
    const std::vector<std::uint8_t>& SealedHeader() const;
    bool IsProtected() const { return &store_.Envelope() != &PlainEnvelope::Shared(); }
    // Loads the sealed file with its key, as a start does; the outcome.
    LoadOutcome Unlock(keyring::SealingKey key);
    // Locks a protected calendar while it runs: the newest state is sealed
    // into the file first (a file another program holds gets those sealed
    // bytes as soon as it is let go: RetrySave), then the marks and the key
    // are wiped from memory. Wiping is no change of hers: nothing is saved for
    // it. The save's result; a failure other than a held file leaves the
    // state in a sealed ".unsaved" copy.
    SaveResult Lock();
    // Not opened yet at start, or locked since.
    bool IsLocked() const { return locked_ || store_.LastLoad() == LoadOutcome::Locked; }
    // Seals the data file and every copy kept beside it with `key`: a new
    // protection, or a new password or recovery key for one. Nothing changes
    // when the data file cannot be written.
    SaveResult Protect(keyring::SealingKey key);
    // Writes the data file and its copies plain again.
    SaveResult RemoveProtection();
    // The damaged copies beside the data file, which protection leaves as they are.
    const std::vector<std::wstring>& UnprotectedCopies() const { return unprotectedCopies_; }

    // Whether the data differs from what the load or the last successful save
    // left on disk (or from a copy kept since).
    bool HasUnsavedChanges() const;

    // Saves soon, on the worker, even without a change (after a recovery).
    void ScheduleSave();
    // Tries once more, on the worker, a save that failed.
    void RetrySave();
    // Waits for the save under way, then saves here and now if anything is left.
    SaveResult SaveNow();
    // For a state that cannot be saved: writes it as an ".unsaved" copy (see
    // DataStore::KeepUnsavedCopy); once written, it no longer counts as unsaved.
    SaveResult KeepUnsavedCopy();

    void SetSaveObserver(SaveObserver observer) { observer_ = std::move(observer); }

    // Saves whose outcome has come back, from the worker or from SaveNow.
    unsigned SaveCount() const { return saveCount_; }

private:
    void Changed();
    void Listen();
    // What a save writes now, and its revision: the data sealed, or while
    // locked what the lock sealed.
    std::uint64_t CurrentRevision() const;
    DataStore::Bytes CurrentBytes() const;
    void OnPosted(std::uintptr_t what);
    void SubmitCurrentState();
    void TakeOutcomes();
    void Apply(std::uint64_t revision, const SaveResult& result);
    void WaitForWorker();
    // Saves the data through `envelope` and writes the copies again with it.
    SaveResult Rewrap(const DataEnvelope& envelope);

    CalendarData data_;
    // What seals the files while she protects them; before the store, which
    // points to it.
    std::unique_ptr<SealedEnvelope> sealed_ = std::make_unique<SealedEnvelope>();
    std::vector<std::uint8_t> lockedHeader_;
    bool locked_ = false;
    // The sealed state a lock could not write yet, and its revision.
    std::optional<DataStore::Bytes> sealedWhileLocked_;
    std::uint64_t sealedRevision_ = 0;
    std::vector<std::wstring> unprotectedCopies_;
    DataStore store_;
    int listener_ = 0;
    // The revision the file holds; none when it holds nothing of this run yet
    // (after a recovery from a temporary file).
    std::optional<std::uint64_t> savedRevision_;
    std::optional<std::uint64_t> submittedRevision_;
    std::optional<std::uint64_t> keptRevision_;
    bool failing_ = false;
    bool submitPosted_ = false;
    unsigned saveCount_ = 0;
    SaveObserver observer_;
    // Made at the first change, on the thread that made it.
    std::unique_ptr<MessageWindow> mailbox_;
    // Last: ends (finishing its write) before the rest goes.
    std::unique_ptr<SaveWorker> worker_;
};
