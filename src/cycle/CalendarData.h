// The user's marks (first days of periods) and the three settings, with the date
// questions day classification and printing ask of them. Knows nothing of
// files: the data file codec and the store fill and read it.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "cycle/DateIndex.h"
#include "cycle/DateKey.h"

class CalendarData {
public:
    // Answer of PreviousMarkOffset when no mark lies before the date. Positive,
    // while every real answer is negative.
    static constexpr int kNoPreviousMark = 1000;

    static constexpr int kDefaultCycleLength = 28;
    static constexpr int kDefaultPeriodLength = 5;

    // The one object of the process: the one an InstanceScope made current
    // (the program's data from its start, or a test's), else an empty one.
    static CalendarData& Instance();

    // Makes `data` the object Instance answers for as long as it lives.
    class InstanceScope {
    public:
        explicit InstanceScope(CalendarData& data);
        ~InstanceScope();
        InstanceScope(const InstanceScope&) = delete;
        InstanceScope& operator=(const InstanceScope&) = delete;

    private:
        CalendarData* previous_;
    };

    CalendarData() = default;

    bool IsMarked(int year, int month, int day) const;
    void ToggleMark(int year, int month, int day);

    // The latest mark that is a supported date; false (and `last` untouched)
    // when there is none.
    bool GetLastMark(DateKey& last) const;

    // (previous mark) - (date) in days, where the previous mark is the latest
    // supported mark strictly before the date; kNoPreviousMark when there is none.
    // Throws DateError for a date outside the supported range.
    int PreviousMarkOffset(int year, int month, int day) const;

    // Years of the first and last supported marks; (0, 0) without any.
    void GetMarkYearRange(int& firstYear, int& lastYear) const;

    int GetCycleLength() const { return cycleLength_; }
    void SetCycleLength(int days);
    int GetPeriodLength() const { return periodLength_; }
    void SetPeriodLength(int days);
    bool GetShowFertility() const { return showFertility_ != 0; }
    void SetShowFertility(bool show);

    // Every key, supported date or not, ascending and unique: what the data file
    // holds.
    const std::vector<DateKey>& Marks() const { return marks_; }

    // The fertility flag exactly as stored: a file's 7 is written back as 7.
    std::uint32_t GetShowFertilityWord() const { return showFertility_; }
    void SetShowFertilityWord(std::uint32_t word);

    void ClearMarks();
    // Replaces the marks with these keys (any order, duplicates absorbed).
    void SetMarks(std::vector<DateKey> keys);

    // Grows with every change of marks or settings; lets the owner tell whether
    // there is anything left to save.
    std::uint64_t Revision() const { return revision_; }

    enum class Change { Marks, Settings };
    using Listener = std::function<void(Change)>;
    // Told after every change, on the thread that made it, in the order added;
    // whoever changes the data need not know who keeps it saved or in step.
    // A listener may change the data again (and is told of that too), but must
    // not add or remove listeners while it is being told.
    int AddListener(Listener listener);
    void RemoveListener(int id);

private:
    void Changed(Change change);

    // Sorted: the file is read and written in one sweep, toggles are rare.
    std::vector<DateKey> marks_;
    // The supported dates among marks_: date queries answer from it alone, so
    // neither the number of marks nor stray keys from a file slow them down.
    DateIndex dates_;
    std::int32_t cycleLength_ = kDefaultCycleLength;
    std::int32_t periodLength_ = kDefaultPeriodLength;
    std::uint32_t showFertility_ = 1;
    std::uint64_t revision_ = 0;
    std::vector<std::pair<int, Listener>> listeners_;
    int nextListenerId_ = 1;
};
