#include "cycle/CalendarData.h"

#include <algorithm>
#include <utility>

bool CalendarData::IsMarked(int year, int month, int day) const {
    const DateKey key = MakeDateKey(year, month, day);
    if (IsSupportedDate(key)) {
        return dates_.Contains(key);
    }
    return std::binary_search(marks_.begin(), marks_.end(), key);
}

void CalendarData::ToggleMark(int year, int month, int day) {
    const DateKey key = MakeDateKey(year, month, day);
    const auto at = std::lower_bound(marks_.begin(), marks_.end(), key);
    if (at != marks_.end() && *at == key) {
        marks_.erase(at);
        dates_.Erase(key);
    } else {
        marks_.insert(at, key);
        dates_.Insert(key);
    }
    Changed(Change::Marks);
}

bool CalendarData::GetLastMark(DateKey& last) const {
    const auto mark = dates_.Last();
    if (mark) {
        last = *mark;
    }
    return mark.has_value();
}

int CalendarData::PreviousMarkOffset(int year, int month, int day) const {
    const auto mark = dates_.LastBefore(MakeDateKey(year, month, day));
    if (!mark) {
        return kNoPreviousMark;
    }
    const std::int64_t markDay = DayNumber(KeyYear(*mark), KeyMonth(*mark), KeyDay(*mark));
    return static_cast<int>(markDay - CheckedDayNumber(year, month, day));
}

void CalendarData::GetMarkYearRange(int& firstYear, int& lastYear) const {
    const auto first = dates_.First();
    const auto last = dates_.Last();
    firstYear = first ? KeyYear(*first) : 0;
    lastYear = last ? KeyYear(*last) : 0;
}

void CalendarData::SetCycleLength(int days) {
    if (cycleLength_ != days) {
        cycleLength_ = days;
        Changed(Change::Settings);
    }
}

void CalendarData::SetPeriodLength(int days) {
    if (periodLength_ != days) {
        periodLength_ = days;
        Changed(Change::Settings);
    }
}

void CalendarData::SetShowFertility(bool show) {
    SetShowFertilityWord(show ? 1 : 0);
}

void CalendarData::SetShowFertilityWord(std::uint32_t word) {
    if (showFertility_ != word) {
        showFertility_ = word;
        Changed(Change::Settings);
    }
}

void CalendarData::ClearMarks() {
    if (!marks_.empty()) {
        marks_.clear();
        dates_.Clear();
        Changed(Change::Marks);
    }
}

void CalendarData::SetMarks(std::vector<DateKey> keys) {
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    marks_ = std::move(keys);
    dates_.Clear();
    for (const DateKey key : marks_) {
        dates_.Insert(key);
    }
    Changed(Change::Marks);
}

int CalendarData::AddListener(Listener listener) {
    const int id = nextListenerId_++;
    listeners_.emplace_back(id, std::move(listener));
    return id;
}

void CalendarData::RemoveListener(int id) {
    std::erase_if(listeners_, [id](const auto& entry) { return entry.first == id; });
}

void CalendarData::Changed(Change change) {
    ++revision_;
    for (const auto& [id, listener] : listeners_) {
        listener(change);
    }
}
