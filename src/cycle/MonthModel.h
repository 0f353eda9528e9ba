// One displayed month: its names, where each day sits in the 6 x 7 grid, and
// how each day is classified from the marks and settings. The Windows month
// grid draws from this; it carries no drawing state of its own.
#pragma once

#include <array>
#include <string>

class CalendarData;
class CalendarLocale;

// Left and top inside, right and bottom outside, as Windows rectangles.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct DayCell {
    Rect rect;   // written by the layout, never by the model
    int day = 0; // 0 outside the month
    bool marked = false;
    bool period = false;
    bool predicted = false; // a period day of the repeated cycle, not of a recorded period
    bool fertile = false;
    std::wstring text;
};

constexpr int kGridRows = 6;
constexpr int kGridColumns = 7;

// Days 10..14 after the reference mark.
constexpr int kFertileFirst = 10;
constexpr int kFertileLast = 14;

class MonthModel {
public:
    using Cells = std::array<std::array<DayCell, kGridColumns>, kGridRows>;

    MonthModel(const CalendarData& data, const CalendarLocale& locale);
    virtual ~MonthModel() = default;
    MonthModel(const MonthModel&) = delete;
    MonthModel& operator=(const MonthModel&) = delete;

    // Fills the names and the grid for that month, then classifies it.
    void SetMonth(int year, int month);
    // Recomputes marked/period/fertile of every cell from the data. Never
    // throws: a month the date arithmetic does not cover shows no flags.
    void Classify();

    // Weekday of a date, 0 = Sunday .. 6 = Saturday, proleptic Gregorian.
    static int Weekday(int year, int month, int day);

    std::array<std::wstring, kGridColumns> dayNames;
    // The same days by the locale's shortest names.
    std::array<std::wstring, kGridColumns> shortestDayNames;
    std::wstring monthName;
    int year = 0;
    int month = 0;
    Cells cells;

protected:
    // What the month is classified from.
    const CalendarData& Data() const { return data_; }

    // Called at the end of every Classify; the screen grid redraws here.
    virtual void OnClassified() {}

private:
    void ClearFlags();
    void ClassifyDays();

    const CalendarData& data_;
    const CalendarLocale& locale_;
};
