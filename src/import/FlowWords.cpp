#include "import/FlowWords.h"

#include <span>
#include <optional>
#include <string>
#include <vector>

#include "import/Folding.h"

namespace imports {
namespace {

using Words = std::span<const std::string_view>;

// All folded: lower case, no diacritics. "\xE2\x80\x93" is an en dash.
constexpr std::string_view kNoneWords[] = {
    "-",      "none",  "no",     "false",   "n",       "off",     "nil",    "null",        "nein",
    "kein",   "keine", "nichts", "falsch",  "ninguno", "ninguna", "nada",   "sin",         "aucun",
    "aucune", "non",   "rien",   "faux",    "nessuno", "nessuna", "niente", "brak",        "nie",
    "falsz",  "zadne", "nenhum", "nenhuma", "nao",     "sem",     "falso",  "\xE2\x80\x93"};
// Stems: Schmierblutung, manchado, manchas, tache, perdite, plamienie, escape.
constexpr std::string_view kSpottingStems[] = {"spot",    "schmier", "zwischenblutung",
                                               "manch",   "tache",   "perdit",
                                               "plamien", "escape",  "intermenstrual"};
constexpr std::string_view kYesWords[] = {
    "true",      "yes", "y",    "x",    "1",   "ja",     "wahr", "si",
    "verdadero", "oui", "vrai", "vero", "tak", "prawda", "sim",  "verdadeiro"};
// Events near a period that are not one: "fertile period", "periodo fertile".
constexpr std::string_view kNotPeriodStems[] = {"fertil", "ovula", "eisprung", "owulac"};
constexpr std::string_view kPeriodStems[] = {
    "menstrua", "mestrua", "menses",     "period",   "bleeding", "blutung",     "regel",
    "sangrado", "regla",   "saignement", "regles",   "flusso",   "flujo",       "flux",
    "fluxo",    "flow",    "miesiaczk",  "krwawien", "okres",    "sangramento",
};

// "Period" names a column of dates as often as a flow column: the cells settle it.
constexpr std::string_view kDateWords[] = {"date",  "dates",  "day",     "datum",   "tag",
                                           "fecha", "dia",    "jour",    "data",    "giorno",
                                           "dzien", "period", "periode", "periodo", "okres"};
constexpr std::string_view kStartWords[] = {
    "start", "started", "begin",    "beginning", "from",  "startdatum", "beginn",   "anfang",
    "von",   "inicio",  "comienzo", "desde",     "debut", "inizio",     "poczatek", "od"};
constexpr std::string_view kEndWords[] = {"end",    "ended", "until",  "enddatum", "ende",
                                          "bis",    "fin",   "final",  "hasta",    "fine",
                                          "koniec", "fim",   "termino"};
constexpr std::string_view kLengthWords[] = {
    "length",   "duration", "days",      "lange",   "dauer", "tage",
    "duracion", "dias",     "longitud",  "duree",   "jours", "longueur",
    "durata",   "giorni",   "lunghezza", "dlugosc", "dni",   "duracao"};
constexpr std::string_view kFlowWords[] = {
    "flow",          "bleeding",  "period",      "menstruation", "menstrual",    "intensity",
    "menses",        "blutung",   "starke",      "periode",      "regel",        "flujo",
    "sangrado",      "regla",     "intensidad",  "menstruacion", "periodo",      "flux",
    "saignement",    "regles",    "intensite",   "flusso",       "mestruazioni", "mestruazione",
    "sanguinamento", "intensita", "krwawienie",  "miesiaczka",   "okres",        "menstruacja",
    "intensywnosc",  "fluxo",     "sangramento", "menstruacao",  "intensidade"};
constexpr std::string_view kCategoryWords[] = {
    "category",  "type", "event",  "kind",      "kategorie", "typ",    "art",       "ereignis",
    "categoria", "tipo", "evento", "categorie", "evenement", "rodzaj", "zdarzenie", "kategoria"};
constexpr std::string_view kFlowLevelWords[] = {"bleeding.value"};
constexpr std::string_view kExcludeWords[] = {"bleeding.exclude"};

struct RoleWords {
    ColumnRole role;
    Words words;
};

const RoleWords kHeaderWords[] = {
    {ColumnRole::Date, kDateWords},
    {ColumnRole::Start, kStartWords},
    {ColumnRole::End, kEndWords},
    {ColumnRole::Length, kLengthWords},
    {ColumnRole::Flow, kFlowWords},
    {ColumnRole::Category, kCategoryWords},
    {ColumnRole::FlowLevel, kFlowLevelWords},
    {ColumnRole::Exclude, kExcludeWords},
};

// A length of a cycle is no length of a period.
constexpr std::string_view kCycleWords[] = {"cycle", "zyklus", "ciclo", "cykl", "cyklu"};

// More words than this make a title or a note, not a header.
constexpr std::size_t kHeaderWordLimit = 4;

bool Contains(Words words, std::string_view word) {
    for (const std::string_view known : words) {
        if (known == word) {
            return true;
        }
    }
    return false;
}

bool ContainsStem(Words stems, std::string_view text) {
    for (const std::string_view stem : stems) {
        if (text.find(stem) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

std::vector<std::string_view> SplitWords(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const bool letter = i < text.size() && ((text[i] >= 'a' && text[i] <= 'z') ||
                                                static_cast<unsigned char>(text[i]) >= 0x80);
        if (!letter) {
            if (i > start) {
                words.push_back(text.substr(start, i - start));
            }
            start = i + 1;
        }
    }
    return words;
}

// A number such as 0, 2 or 1.5; its value is never needed beyond zero or not.
std::optional<bool> ReadNumberIsZero(std::string_view text) {
    if (text.empty() || text.find_first_not_of("0123456789.,") != std::string_view::npos ||
        text.find_first_of("0123456789") == std::string_view::npos) {
        return std::nullopt;
    }
    return text.find_first_of("123456789") == std::string_view::npos;
}

} // namespace

Flow ReadFlowValue(std::string_view value) {
    const std::string folded = FoldText(value);
    if (folded.empty() || Contains(kNoneWords, folded)) {
        return Flow::None;
    }
    if (const auto zero = ReadNumberIsZero(folded)) {
        return *zero ? Flow::None : Flow::Bleeding;
    }
    return ContainsStem(kSpottingStems, folded) ? Flow::Spotting : Flow::Bleeding;
}

Flow ReadFlowLevel(std::string_view value) {
    const std::string folded = FoldText(value);
    if (const auto zero = ReadNumberIsZero(folded)) {
        return *zero ? Flow::Spotting : Flow::Bleeding;
    }
    return ReadFlowValue(folded);
}

bool ReadYes(std::string_view value) {
    return Contains(kYesWords, FoldText(value));
}

EventKind ReadEventKind(std::string_view value) {
    const std::string folded = FoldText(value);
    if (ContainsStem(kSpottingStems, folded)) {
        return EventKind::Spotting;
    }
    if (ContainsStem(kNotPeriodStems, folded) || !ContainsStem(kPeriodStems, folded)) {
        return EventKind::Other;
    }
    return EventKind::Period;
}

ColumnRoles ReadHeader(std::string_view header) {
    const std::string folded = FoldText(header);
    ColumnRoles roles;
    for (const RoleWords& table : kHeaderWords) {
        if (Contains(table.words, folded)) {
            roles.Add(table.role);
        }
    }
    if (roles.Any()) {
        return roles;
    }
    const std::vector<std::string_view> words = SplitWords(folded);
    if (words.size() > kHeaderWordLimit) {
        return roles;
    }
    bool aboutCycles = false;
    for (const std::string_view word : words) {
        aboutCycles = aboutCycles || Contains(kCycleWords, word);
        for (const RoleWords& table : kHeaderWords) {
            if (Contains(table.words, word)) {
                roles.Add(table.role);
            }
        }
    }
    if (aboutCycles) {
        roles.Remove(ColumnRole::Length);
    }
    return roles;
}

} // namespace imports
