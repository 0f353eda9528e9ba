// Texts of the string table with their blanks filled in, and numbers written
// the user's way. Every string table names its own language (an ISO 639 code
// such as "de") in string kLanguageStringId: Windows picks the table, and the
// table tells which plural rules its counted phrases follow.
//
//   FormatResourceString(IDS_SAVE_FAILED, {path, reason});   // "...%1...%2..."
//   FormatCountString(IDS_NEW_STARTS, 25);                     // "1 start|%1 starts"
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <string_view>

inline constexpr UINT kLanguageStringId = 129;
// "Windows gave no reason (error %1)." in the table's language.
inline constexpr UINT kNoReasonStringId = 311;

// The language of the string table in use; "en" when it names none.
std::wstring ResourceLanguage();

// String `id` with %1 .. %9 replaced by `args`.
std::wstring FormatResourceString(UINT id, std::initializer_list<std::wstring_view> args);

// String `id` holds the plural forms of a counted phrase, separated by '|';
// the one for `count` is taken, %1 becomes the count in the user's digits and
// %2 .. %9 the further `args`.
std::wstring FormatCountString(UINT id, long long count,
                               std::initializer_list<std::wstring_view> args = {});

// Why Windows says `error` happened, in the user's language: its own
// message, or string kNoReasonStringId with the number when it has none.
std::wstring SystemErrorText(DWORD error);

// `text` in UTF-8, as files written for other programs hold it.
std::string Utf8(std::wstring_view text);

// `value` in the user's locale with `decimals` digits after the separator
// ("28.5", "28,5"), without grouping: day counts never need it.
std::wstring LocaleNumber(double value, int decimals);
