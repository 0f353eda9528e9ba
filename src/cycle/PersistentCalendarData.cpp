#include "cycle/PersistentCalendarData.h"

#include <utility>

#include "files/Files.h"
#include "framework/MessageWindow.h"

namespace {
// What the hidden window is told.
constexpr std::uintptr_t kSubmit = 1;   // the data changed: hand the newest state over
constexpr std::uintptr_t kFinished = 2; // the worker has outcomes to take
} // namespace

PersistentCalendarData::PersistentCalendarData() : PersistentCalendarData(LocateDataFile()) {}

PersistentCalendarData::PersistentCalendarData(std::wstring path) : store_(std::move(path)) {
    if (store_.CheckSealed(lockedHeader_)) {
        store_.UseEnvelope(*sealed_);
        savedRevision_ = data_.Revision();
    } else {
        store_.Load(data_);
        // A state taken from a temporary file is not in the data file yet.
        if (store_.RecoveredFrom().empty()) {
            savedRevision_ = data_.Revision();
        }
    }
    Listen();
}

void PersistentCalendarData::Listen() {
    listener_ = data_.AddListener([this](CalendarData::Change) { Changed(); });
}

const std::vector<std::uint8_t>& PersistentCalendarData::SealedHeader() const {
    return sealed_->HasKey() ? sealed_->Header() : lockedHeader_;
}

LoadOutcome PersistentCalendarData::Unlock(keyring::SealingKey key) {
    WaitForWorker();
    sealed_->SetKey(std::move(key));
    store_.UseEnvelope(*sealed_);
    // Loading is no change of hers: nothing is saved for it.
    if (!locked_) {
        data_.RemoveListener(listener_);
    }
    locked_ = false;
    savedRevision_.reset();
    if (sealedWhileLocked_) {
        // The file does not hold the state yet: it is taken from what the lock sealed.
        sealed_->Open(*sealedWhileLocked_, data_);
        sealedWhileLocked_.reset();
        Listen();
        ScheduleSave();
        return store_.LastLoad();
    }
    store_.Load(data_);
    if (store_.RecoveredFrom().empty()) {
        savedRevision_ = data_.Revision();
    }
    Listen();
    return store_.LastLoad();
}

SaveResult PersistentCalendarData::Lock() {
    WaitForWorker();
    SaveResult result{true, ERROR_SUCCESS, store_.Path()};
    const bool changed = HasUnsavedChanges();
    const std::uint64_t revision = data_.Revision();
    if (changed) {
        DataStore::Bytes bytes = store_.Envelope().Seal(data_);
        submittedRevision_ = revision;
        result = store_.Save(bytes);
        if (!result.saved) {
            sealedRevision_ = revision;
            sealedWhileLocked_ = std::move(bytes);
            if (!files::IsHeldElsewhere(result.error)) {
                KeepUnsavedCopy();
            }
        }
    }
    lockedHeader_ = sealed_->Header();
    data_.RemoveListener(listener_);
    locked_ = true;
    data_.ClearMarks();
    sealed_->ForgetKey();
    // Told once locked: whoever listens sees a locked calendar.
    if (changed) {
        Apply(revision, result);
    }
    return result;
}

SaveResult PersistentCalendarData::Protect(keyring::SealingKey key) {
    auto next = std::make_unique<SealedEnvelope>(std::move(key));
    const SaveResult result = Rewrap(*next);
    if (result.saved) {
        sealed_ = std::move(next);
    }
    return result;
}

SaveResult PersistentCalendarData::RemoveProtection() {
    const SaveResult result = Rewrap(PlainEnvelope::Shared());
    if (result.saved) {
        sealed_->ForgetKey();
    }
    return result;
}

SaveResult PersistentCalendarData::Rewrap(const DataEnvelope& envelope) {
    WaitForWorker();
    const DataEnvelope& before = store_.Envelope();
    const DataStore::Bytes bytes = envelope.Seal(data_);
    store_.UseEnvelope(envelope);
    const SaveResult result = store_.Save(bytes);
    if (!result.saved) {
        store_.UseEnvelope(before);
        return result;
    }
    Apply(data_.Revision(), result);
    unprotectedCopies_ = RewriteCopies(store_.Path(), before, envelope);
    return result;
}

PersistentCalendarData::~PersistentCalendarData() {
    data_.RemoveListener(listener_);
    observer_ = nullptr;
    // Runs during process exit: nothing may escape.
    try {
        if (!SaveNow().saved) {
            KeepUnsavedCopy();
        }
    } catch (...) {
    }
    worker_.reset();
    mailbox_.reset();
}

bool PersistentCalendarData::HasUnsavedChanges() const {
    if (locked_) {
        // A sealed copy kept at the lock holds it already.
        return sealedWhileLocked_.has_value() && keptRevision_ != sealedRevision_;
    }
    const std::uint64_t revision = data_.Revision();
    return savedRevision_ != revision && keptRevision_ != revision;
}

// Many changes in one go (a loaded import, settings) collapse into one message.
void PersistentCalendarData::Changed() {
    if (submitPosted_) {
        return;
    }
    if (!mailbox_) {
        auto mailbox =
            std::make_unique<MessageWindow>([this](std::uintptr_t what) { OnPosted(what); });
        if (mailbox->Create()) {
            mailbox_ = std::move(mailbox);
        }
    }
    if (mailbox_ && mailbox_->Post(kSubmit)) {
        submitPosted_ = true;
        return;
    }
    // No window to come back through: hand over now, the outcome is taken later.
    SubmitCurrentState();
}

void PersistentCalendarData::ScheduleSave() {
    Changed();
}

void PersistentCalendarData::RetrySave() {
    if (locked_) {
        // Only what the lock sealed is ever written while locked.
        if (sealedWhileLocked_) {
            SubmitCurrentState();
        }
        return;
    }
    if (submittedRevision_ == data_.Revision() && HasUnsavedChanges()) {
        submittedRevision_.reset();
    }
    Changed();
}

void PersistentCalendarData::OnPosted(std::uintptr_t what) {
    if (what == kSubmit) {
        submitPosted_ = false;
        if (HasUnsavedChanges() && submittedRevision_ != data_.Revision()) {
            SubmitCurrentState();
        }
    } else if (what == kFinished) {
        TakeOutcomes();
    }
}

void PersistentCalendarData::SubmitCurrentState() {
    if (!worker_) {
        // The mailbox outlives the worker (see the destructor).
        const MessageWindow* mailbox = mailbox_.get();
        worker_ = std::make_unique<SaveWorker>(
            [this](const SaveWorker::Bytes& bytes) { return store_.Save(bytes); },
            [mailbox] {
                if (mailbox) {
                    mailbox->Post(kFinished);
                }
            });
    }
    const std::uint64_t revision = CurrentRevision();
    submittedRevision_ = revision;
    worker_->Submit(revision, CurrentBytes());
}

void PersistentCalendarData::TakeOutcomes() {
    if (!worker_) {
        return;
    }
    for (const SaveWorker::Outcome& outcome : worker_->TakeOutcomes()) {
        Apply(outcome.revision, outcome.result);
    }
}

void PersistentCalendarData::Apply(std::uint64_t revision, const SaveResult& result) {
    ++saveCount_;
    const bool firstFailure = !result.saved && !failing_;
    failing_ = !result.saved;
    if (result.saved) {
        savedRevision_ = revision;
        if (sealedWhileLocked_ && revision == sealedRevision_) {
            sealedWhileLocked_.reset();
        }
    }
    if (observer_) {
        observer_(result, firstFailure);
    }
}

void PersistentCalendarData::WaitForWorker() {
    if (worker_) {
        worker_->WaitIdle();
        TakeOutcomes();
    }
}

SaveResult PersistentCalendarData::SaveNow() {
    WaitForWorker();
    if (!HasUnsavedChanges()) {
        return {true, ERROR_SUCCESS, store_.Path()};
    }
    const std::uint64_t revision = CurrentRevision();
    submittedRevision_ = revision;
    const SaveResult result = store_.Save(CurrentBytes());
    Apply(revision, result);
    return result;
}

SaveResult PersistentCalendarData::KeepUnsavedCopy() {
    WaitForWorker();
    const SaveResult result = store_.KeepUnsavedCopy(CurrentBytes());
    if (result.saved) {
        keptRevision_ = CurrentRevision();
    }
    return result;
}

std::uint64_t PersistentCalendarData::CurrentRevision() const {
    return locked_ ? sealedRevision_ : data_.Revision();
}

DataStore::Bytes PersistentCalendarData::CurrentBytes() const {
    if (locked_) {
        return sealedWhileLocked_ ? *sealedWhileLocked_ : DataStore::Bytes();
    }
    return store_.Envelope().Seal(data_);
}
