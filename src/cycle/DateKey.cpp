#include "cycle/DateKey.h"

const char* DateError::what() const noexcept {
    return hresult == kE_INVALIDARG ? "date outside the supported years"
                                    : "date field out of range";
}

std::int64_t CheckedDayNumber(int year, int month, int day) {
    if (year < kFirstSupportedYear || day < 1 || day > DaysInMonth(year, month)) {
        throw DateError(kE_FAIL);
    }
    if (year > kLastSupportedYear) {
        throw DateError(kE_INVALIDARG);
    }
    return DayNumber(year, month, day);
}
