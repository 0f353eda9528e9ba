#include "print/PrintChoices.h"

std::vector<int> YearsToPrint(YearChoice choice, int currentYear, int firstMarkYear,
                              int lastMarkYear) {
    std::vector<int> years;
    switch (choice) {
    case YearChoice::AllYearsWithMarks:
        if (firstMarkYear != 0 && lastMarkYear != 0 && firstMarkYear <= lastMarkYear) {
            years.reserve(static_cast<std::size_t>(lastMarkYear - firstMarkYear) + 1);
            for (int year = firstMarkYear;; ++year) {
                years.push_back(year);
                if (year == lastMarkYear) {
                    break;
                }
            }
        }
        break;
    case YearChoice::LastTwoYears:
        years.push_back(currentYear - 1);
        years.push_back(currentYear);
        break;
    case YearChoice::ThisYear:
        years.push_back(currentYear);
        break;
    }
    return years;
}

std::wstring PrinterLabel(const std::wstring& printerName, const std::wstring& serverName) {
    if (serverName.empty()) {
        return printerName;
    }
    return printerName + L" (" + serverName + L")";
}
