// The grammar of translated texts, apart from where they come from: blanks
// (%1 .. %9) filled in any order a language needs, and the plural form of a
// counted phrase chosen by the language's own rule.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

// `pattern` with %1 .. %9 replaced by the matching argument (empty when there
// is none) and %% by one %. Anything else is copied as it stands, so a slip in
// a translation shows as text instead of reading past the arguments.
std::wstring FillPlaceholders(std::wstring_view pattern, std::span<const std::wstring_view> args);
inline std::wstring FillPlaceholders(std::wstring_view pattern,
                                     std::initializer_list<std::wstring_view> args) {
    return FillPlaceholders(pattern, std::span(args.begin(), args.size()));
}

// Which of a language's plural forms goes with `count`, counted from 0 in the
// order the string tables list them: English, German, Spanish and Italian
// "one|other" (one for 1), French and Brazilian Portuguese "one|other" (one for
// 0 and 1), Polish "one|few|many". `language` is an ISO 639 code; an unknown
// one follows English.
int PluralFormIndex(std::wstring_view language, long long count);

// The form for `count` out of "form0|form1|...". A table with fewer forms than
// the language has gives its last one.
std::wstring_view PickPluralForm(std::wstring_view forms, std::wstring_view language,
                                 long long count);

// The form for a number with decimals whose whole part is `wholePart`, out of
// the same "form0|form1|..." list. French and Portuguese choose by the whole
// part ("1,5 jour", "2,5 jours"); the other languages take their last form
// ("1.5 days", Polish "1,5 dnia").
std::wstring_view PickDecimalPluralForm(std::wstring_view forms, std::wstring_view language,
                                        long long wholePart);

// The parts that are not empty, with `separator` between them: the sentences
// or paragraphs of a message whose parts depend on the case.
std::wstring JoinNonEmpty(std::initializer_list<std::wstring> parts, std::wstring_view separator);
