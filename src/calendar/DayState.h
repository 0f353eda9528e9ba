// What a screen reader says about a day besides its date, in the order the
// grid's fills take precedence: a mark before a period day, a period day
// before a fertile one.
#pragma once

#include "cycle/MonthModel.h"

enum class DayState { Plain, FirstDay, PeriodDay, ExpectedPeriodDay, FertileDay };

constexpr DayState StateOf(const DayCell& cell, bool showFertility) {
    if (cell.marked) {
        return DayState::FirstDay;
    }
    if (cell.period) {
        return cell.predicted ? DayState::ExpectedPeriodDay : DayState::PeriodDay;
    }
    if (cell.fertile && showFertility) {
        return DayState::FertileDay;
    }
    return DayState::Plain;
}
