// What a new password must be, and the recovery key as she copies it down and
// types it back.
//
// A password is judged in UTF-8 after NFC normalisation (cng::PasswordUtf8),
// exactly as it is derived from, and its length counts Unicode code points:
// "é" is one character whether it was typed as one or two.
//
// The recovery key is 128 random bits written as 28 characters of Crockford's
// base 32 (0-9 and A-Z without I, L, O, U) in 7 groups of 4 joined by dashes:
//   - the first 26 characters are the bits as one big-endian number, so the
//     first is always 0-3;
//   - the last 2 are that number modulo 1021, a prime: any one character
//     typed wrong and any two neighbours swapped change the remainder.
// Reading it back ignores case, spaces and dashes and takes O as 0 and I, L as 1.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace secrets {

inline constexpr std::size_t kMinimumPasswordCharacters = 8;

enum class PasswordVerdict {
    Accepted,
    TooShort,     // fewer than 8 characters
    OneCharacter, // one character repeated (case aside)
    PlainRun,     // digits or letters in a row up or down: 12345678, hgfedcba
    Mismatch,     // the second entry differs from the first
};

// Code points in UTF-8; each byte that is not part of a valid sequence counts as one.
std::size_t CountCharacters(std::string_view utf8);

// Judges the first entry, then whether the second repeats it.
PasswordVerdict CheckNewPassword(std::string_view password, std::string_view repeated);

using RecoveryKey = std::array<std::uint8_t, 16>;

inline constexpr std::size_t kRecoveryKeyCharacters = 28;

// "0ABC-DEFG-HJKM-NPQR-STVW-XYZ0-12AB": 34 characters.
std::string FormatRecoveryKey(std::span<const std::uint8_t, 16> key);

enum class RecoveryKeyProblem {
    None,
    WrongLength,  // not 28 characters once spaces and dashes are left out
    BadCharacter, // a character outside the alphabet
    CheckFailed,  // a character typed wrong
};

struct TypedRecoveryKey {
    RecoveryKeyProblem problem = RecoveryKeyProblem::None;
    RecoveryKey key{}; // when there is no problem
};

TypedRecoveryKey ParseRecoveryKey(std::string_view typed);

} // namespace secrets
