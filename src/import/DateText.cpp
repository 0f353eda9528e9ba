#include "import/DateText.h"

#include <string>
#include <utility>

#include "import/Folding.h"

namespace imports {
namespace {

struct MonthName {
    std::string_view name; // folded
    std::uint8_t month;
};

// Full names, their grammatical cases and the usual abbreviations in English,
// German, Spanish, French, Italian, Polish and Portuguese, without diacritics.
constexpr MonthName kMonthNames[] = {
    {"january", 1},      {"jan", 1},           {"januar", 1},     {"janner", 1},
    {"enero", 1},        {"ene", 1},           {"janvier", 1},    {"janv", 1},
    {"gennaio", 1},      {"gen", 1},           {"styczen", 1},    {"stycznia", 1},
    {"sty", 1},          {"janeiro", 1},       {"february", 2},   {"feb", 2},
    {"februar", 2},      {"febrero", 2},       {"fevrier", 2},    {"fevr", 2},
    {"fev", 2},          {"febbraio", 2},      {"luty", 2},       {"lutego", 2},
    {"lut", 2},          {"fevereiro", 2},     {"march", 3},      {"mar", 3},
    {"marz", 3},         {"mrz", 3},           {"marzo", 3},      {"mars", 3},
    {"marzec", 3},       {"marca", 3},         {"marco", 3},      {"april", 4},
    {"apr", 4},          {"abril", 4},         {"abr", 4},        {"avril", 4},
    {"avr", 4},          {"aprile", 4},        {"kwiecien", 4},   {"kwietnia", 4},
    {"kwi", 4},          {"may", 5},           {"mai", 5},        {"mayo", 5},
    {"maggio", 5},       {"mag", 5},           {"maj", 5},        {"maja", 5},
    {"maio", 5},         {"june", 6},          {"jun", 6},        {"juni", 6},
    {"junio", 6},        {"juin", 6},          {"giugno", 6},     {"giu", 6},
    {"czerwiec", 6},     {"czerwca", 6},       {"cze", 6},        {"junho", 6},
    {"july", 7},         {"jul", 7},           {"juli", 7},       {"julio", 7},
    {"juillet", 7},      {"juil", 7},          {"luglio", 7},     {"lug", 7},
    {"lipiec", 7},       {"lipca", 7},         {"lip", 7},        {"julho", 7},
    {"august", 8},       {"aug", 8},           {"agosto", 8},     {"ago", 8},
    {"aout", 8},         {"sierpien", 8},      {"sierpnia", 8},   {"sie", 8},
    {"september", 9},    {"sep", 9},           {"sept", 9},       {"septiembre", 9},
    {"setiembre", 9},    {"set", 9},           {"septembre", 9},  {"settembre", 9},
    {"wrzesien", 9},     {"wrzesnia", 9},      {"wrz", 9},        {"setembro", 9},
    {"october", 10},     {"oct", 10},          {"oktober", 10},   {"okt", 10},
    {"octubre", 10},     {"octobre", 10},      {"ottobre", 10},   {"ott", 10},
    {"pazdziernik", 10}, {"pazdziernika", 10}, {"paz", 10},       {"outubro", 10},
    {"out", 10},         {"november", 11},     {"nov", 11},       {"noviembre", 11},
    {"novembre", 11},    {"listopad", 11},     {"listopada", 11}, {"lis", 11},
    {"novembro", 11},    {"december", 12},     {"dec", 12},       {"dezember", 12},
    {"dez", 12},         {"diciembre", 12},    {"dic", 12},       {"decembre", 12},
    {"dicembre", 12},    {"grudzien", 12},     {"grudnia", 12},   {"gru", 12},
    {"dezembro", 12},
};

// Weekdays and their abbreviations in the same languages. Some abbreviations
// are also months' ("mar"): a weekday is tried only when the rest is a date.
constexpr std::string_view kWeekdays[] = {
    "monday",    "mon",       "tuesday",    "tue",          "tues",      "wednesday", "wed",
    "thursday",  "thu",       "thur",       "thurs",        "friday",    "fri",       "saturday",
    "sat",       "sunday",    "sun",        "montag",       "mo",        "dienstag",  "di",
    "mittwoch",  "mi",        "donnerstag", "do",           "freitag",   "fr",        "samstag",
    "sonnabend", "sa",        "sonntag",    "so",           "lunes",     "lun",       "martes",
    "mar",       "miercoles", "mie",        "jueves",       "jue",       "viernes",   "vie",
    "sabado",    "sab",       "domingo",    "dom",          "lundi",     "mardi",     "mercredi",
    "mer",       "jeudi",     "jeu",        "vendredi",     "ven",       "samedi",    "sam",
    "dimanche",  "dim",       "lunedi",     "martedi",      "mercoledi", "giovedi",   "gio",
    "venerdi",   "sabato",    "domenica",   "poniedzialek", "pon",       "wtorek",    "wt",
    "sroda",     "sr",        "czwartek",   "czw",          "piatek",    "pt",        "sobota",
    "sob",       "niedziela", "nie",        "ndz",          "segunda",   "seg",       "terca",
    "ter",       "quarta",    "qua",        "quinta",       "qui",       "sexta",     "sex",
};

// Words between a day, its month and the year: "3 de março de 2024", "3rd of March".
constexpr std::string_view kConnectors[] = {"de", "del", "of"};
// What follows a day number: 1st, 2nd, 3rd, 4th, 1er.
constexpr std::string_view kOrdinals[] = {"st", "nd", "rd", "th", "er"};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           static_cast<unsigned char>(c) >= 0x80;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

template <typename Words> bool Contains(const Words& words, std::string_view word) {
    for (const std::string_view known : words) {
        if (known == word) {
            return true;
        }
    }
    return false;
}

struct Number {
    int value = 0;
    std::size_t digits = 0;
};

// Reads a date's parts from the front of a text, one at a time.
class Cursor {
public:
    explicit Cursor(std::string_view text) : text_(text) {}

    std::string_view Rest() const { return text_; }
    bool AtEnd() const { return text_.empty(); }
    char Peek() const { return text_.empty() ? '\0' : text_.front(); }

    bool Take(char c) {
        if (text_.empty() || Lower(text_.front()) != c) {
            return false;
        }
        text_.remove_prefix(1);
        return true;
    }
    bool Take(std::string_view prefix) {
        if (!text_.starts_with(prefix)) {
            return false;
        }
        text_.remove_prefix(prefix.size());
        return true;
    }
    // At most nine digits are read: more are no part of a date.
    std::optional<Number> Digits() {
        Number number;
        while (!text_.empty() && IsDigit(text_.front()) && number.digits < 9) {
            number.value = number.value * 10 + (text_.front() - '0');
            ++number.digits;
            text_.remove_prefix(1);
        }
        return number.digits == 0 ? std::nullopt : std::optional(number);
    }
    std::optional<int> Digits(std::size_t count) {
        const auto number = Digits();
        return number && number->digits == count ? std::optional(number->value) : std::nullopt;
    }
    std::string_view Word() {
        std::size_t size = 0;
        while (size < text_.size() && IsLetter(text_[size])) {
            ++size;
        }
        const std::string_view word = text_.substr(0, size);
        text_.remove_prefix(size);
        return word;
    }
    std::string_view PeekWord() const { return Cursor(*this).Word(); }
    bool SkipAny(std::string_view chars) {
        std::size_t size = 0;
        while (size < text_.size() && chars.find(text_[size]) != std::string_view::npos) {
            ++size;
        }
        text_.remove_prefix(size);
        return size > 0;
    }

private:
    std::string_view text_;
};

// hh:mm[:ss[.fff]] or hhmm[ss], then optionally AM/PM.
bool TakeTime(Cursor& cursor) {
    const auto hour = cursor.Digits();
    if (!hour) {
        return false;
    }
    const bool basic = hour->digits == 4 || hour->digits == 6;
    if (!basic && (hour->digits > 2 || !cursor.Take(':') || !cursor.Digits(2) ||
                   (cursor.Take(':') && !cursor.Digits(2)))) {
        return false;
    }
    if ((cursor.Take('.') || cursor.Take(',')) && !cursor.Digits()) {
        return false;
    }
    cursor.SkipAny(" ");
    if (cursor.Take('a') || cursor.Take('p')) {
        cursor.Take('.');
        if (!cursor.Take('m')) {
            return false;
        }
        cursor.Take('.');
    }
    return true;
}

// Z, +01, +0100, +01:00, UTC, GMT+1...
bool TakeZone(Cursor& cursor) {
    if (cursor.Take('z')) {
        return true;
    }
    const std::string_view word = cursor.PeekWord();
    std::string name(word.size(), '\0');
    for (std::size_t i = 0; i < word.size(); ++i) {
        name[i] = Lower(word[i]);
    }
    const bool named = name == "utc" || name == "gmt";
    if (named) {
        cursor.Word();
    }
    if (!cursor.Take('+') && !cursor.Take('-')) {
        return named;
    }
    const auto hours = cursor.Digits();
    if (!hours || hours->digits > 4) {
        return false;
    }
    return hours->digits != 2 || !cursor.Take(':') || cursor.Digits(2);
}

// Whatever may follow a date: nothing, or a time and a zone.
bool IsTimeAndZone(std::string_view rest) {
    Cursor cursor(rest);
    if (cursor.AtEnd()) {
        return true;
    }
    if (!cursor.Take('t')) {
        cursor.Take(',');
        if (!cursor.SkipAny(" ")) {
            return false;
        }
    }
    if (!TakeTime(cursor)) {
        return false;
    }
    cursor.SkipAny(" ");
    if (!cursor.AtEnd() && !TakeZone(cursor)) {
        return false;
    }
    cursor.SkipAny(" ");
    return cursor.AtEnd();
}

std::optional<int> MonthOf(std::string_view word) {
    for (const MonthName& name : kMonthNames) {
        if (name.name == word) {
            return name.month;
        }
    }
    return std::nullopt;
}

void SkipConnectors(Cursor& cursor) {
    for (;;) {
        cursor.SkipAny(" .,-/");
        if (!Contains(kConnectors, cursor.PeekWord())) {
            return;
        }
        cursor.Word();
    }
}

// A two- or four-digit year and the end of the date.
std::optional<CellDate> FinishDate(Cursor& cursor, int day, int month, bool eitherOrder) {
    const auto year = cursor.Digits();
    if (!year || (year->digits != 2 && year->digits != 4) || !IsTimeAndZone(cursor.Rest())) {
        return std::nullopt;
    }
    if (day < 1 || day > 31 || month < 1 || month > 31) {
        return std::nullopt;
    }
    return CellDate{static_cast<std::uint16_t>(year->value), static_cast<std::uint8_t>(day),
                    static_cast<std::uint8_t>(month), year->digits == 2, eitherOrder};
}

// The day's ordinal ending, if any: 3rd, 1er, 1º.
void SkipOrdinal(Cursor& cursor) {
    if (Contains(kOrdinals, cursor.PeekWord())) {
        cursor.Word();
    } else if (!cursor.Take("\xC2\xBA")) {
        cursor.Take("\xC2\xB0");
    }
}

// Year first: 2024/3/5, 2024.03.05, 2024-3-5.
std::optional<CellDate> YearFirst(Cursor& cursor, int year) {
    const char separator = cursor.Peek();
    if (separator != '/' && separator != '.' && separator != '-') {
        return std::nullopt;
    }
    cursor.Take(separator);
    const auto month = cursor.Digits();
    if (!month || month->digits > 2 || !cursor.Take(separator)) {
        return std::nullopt;
    }
    const auto day = cursor.Digits();
    if (!day || day->digits > 2 || !IsTimeAndZone(cursor.Rest())) {
        return std::nullopt;
    }
    if (month->value < 1 || month->value > 12 || day->value < 1 || day->value > 31) {
        return std::nullopt;
    }
    return CellDate{static_cast<std::uint16_t>(year), static_cast<std::uint8_t>(day->value),
                    static_cast<std::uint8_t>(month->value), false, false};
}

// A date without a weekday, in folded text.
std::optional<CellDate> ReadFoldedDate(std::string_view text) {
    Cursor cursor(text);
    if (IsLetter(cursor.Peek())) {
        // March 3, 2024; Mar. 3 2024
        const auto month = MonthOf(cursor.Word());
        cursor.SkipAny(" .-");
        const auto day = cursor.Digits();
        if (!month || !day || day->digits > 2) {
            return std::nullopt;
        }
        SkipOrdinal(cursor);
        cursor.SkipAny(" .,-");
        return FinishDate(cursor, day->value, *month, false);
    }
    const auto first = cursor.Digits();
    if (!first) {
        return std::nullopt;
    }
    if (first->digits == 4) {
        return YearFirst(cursor, first->value);
    }
    if (first->digits > 2) {
        return std::nullopt;
    }
    const char separator = cursor.Peek();
    if ((separator == '.' || separator == '/' || separator == '-') && cursor.Rest().size() > 1 &&
        IsDigit(cursor.Rest()[1])) {
        // 3.2.2024, 3/2/2024, 03-02-24
        cursor.Take(separator);
        const auto second = cursor.Digits();
        if (!second || second->digits > 2 || !cursor.Take(separator)) {
            return std::nullopt;
        }
        return FinishDate(cursor, first->value, second->value, separator != '.');
    }
    // 3 March 2024, 3. März 2024, 3-Mar-24, 3 de março de 2024, 3rd of March
    SkipOrdinal(cursor);
    SkipConnectors(cursor);
    const auto month = MonthOf(cursor.Word());
    if (!month) {
        return std::nullopt;
    }
    SkipConnectors(cursor);
    return FinishDate(cursor, first->value, *month, false);
}

} // namespace

std::optional<DateKey> ReadIsoDate(std::string_view text) {
    Cursor cursor(text);
    const auto year = cursor.Digits();
    if (!year) {
        return std::nullopt;
    }
    std::optional<int> month;
    std::optional<int> day;
    if (year->digits == 8) {
        month = year->value / 100 % 100;
        day = year->value % 100;
    } else if (year->digits == 4 && cursor.Take('-')) {
        month = cursor.Digits(2);
        day = cursor.Take('-') ? cursor.Digits(2) : std::nullopt;
    }
    const int fullYear = year->digits == 8 ? year->value / 10000 : year->value;
    if (!month || !day || !IsSupportedDate(fullYear, *month, *day) ||
        !IsTimeAndZone(cursor.Rest())) {
        return std::nullopt;
    }
    return MakeDateKey(fullYear, *month, *day);
}

std::optional<CellDate> ReadCellDate(std::string_view text) {
    const std::string folded = FoldText(text);
    if (const auto iso = ReadIsoDate(folded)) {
        return CellDate{static_cast<std::uint16_t>(KeyYear(*iso)),
                        static_cast<std::uint8_t>(KeyDay(*iso)),
                        static_cast<std::uint8_t>(KeyMonth(*iso)), false, false};
    }
    if (const auto date = ReadFoldedDate(folded)) {
        return date;
    }
    Cursor cursor(folded);
    if (!Contains(kWeekdays, cursor.Word())) {
        return std::nullopt;
    }
    // Portuguese weekdays: segunda-feira.
    if (!cursor.Take("-feira")) {
        cursor.Take(" feira");
    }
    cursor.SkipAny(" .,");
    return ReadFoldedDate(cursor.Rest());
}

std::optional<DateKey> ResolveDate(const CellDate& cell, DateOrder order, DateKey today) {
    int day = cell.day;
    int month = cell.month;
    if (cell.eitherOrder && order == DateOrder::MonthFirst) {
        std::swap(day, month);
    }
    int year = cell.year;
    if (cell.shortYear) {
        if (!IsSupportedDate(today)) {
            year += 2000;
        } else {
            // The latest such year that is not after today.
            year = KeyYear(today) - ((KeyYear(today) - year) % 100 + 100) % 100;
            if (MakeDateKey(year, month, day) > today) {
                year -= 100;
            }
        }
    }
    if (!IsSupportedDate(year, month, day)) {
        return std::nullopt;
    }
    return MakeDateKey(year, month, day);
}

} // namespace imports
