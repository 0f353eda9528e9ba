#include "cycle/PersistentCalendarData.h"

#include <utility>

PersistentCalendarData::PersistentCalendarData() : PersistentCalendarData(LocateDataFile()) {}

PersistentCalendarData::PersistentCalendarData(std::wstring path) : store_(std::move(path)) {
    store_.Load(data_);
    if (current_ == nullptr) {
        current_ = this;
    }
}

PersistentCalendarData::~PersistentCalendarData() {
    if (attemptedRevision_ != data_.Revision()) {
        // Runs during process exit: nothing may escape.
        try {
            SaveNow();
        } catch (...) {
        }
    }
    if (current_ == this) {
        current_ = nullptr;
    }
}

bool PersistentCalendarData::SaveNow() {
    attemptedRevision_ = data_.Revision();
    ++saveCount_;
    const bool saved = store_.Save(data_);
    if (observer_ != nullptr) {
        observer_(*this, saved);
    }
    return saved;
}
