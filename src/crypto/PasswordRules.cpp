#include "crypto/PasswordRules.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace secrets {
namespace {

// A stray byte becomes a code point no valid sequence yields (a lone
// surrogate), one for each byte value, so it stays itself.
constexpr char32_t kStrayByteBase = 0xDC00;

// The length of the sequence a lead byte starts; 0 for a byte that starts none.
std::size_t SequenceLength(unsigned char lead) {
    if (lead < 0x80) {
        return 1;
    }
    if (lead >> 5 == 0x6) {
        return 2;
    }
    if (lead >> 4 == 0xE) {
        return 3;
    }
    return lead >> 3 == 0x1E ? 4 : 0;
}

std::vector<char32_t> CodePoints(std::string_view utf8) {
    // Overlong forms, surrogates and what lies beyond Unicode are not UTF-8.
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    std::vector<char32_t> points;
    std::size_t next = 0;
    while (next < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[next]);
        const std::size_t length = SequenceLength(lead);
        char32_t point = length == 1 ? lead : lead & (0x7F >> length);
        bool valid = length != 0 && next + length <= utf8.size();
        for (std::size_t i = 1; valid && i < length; ++i) {
            const auto follow = static_cast<unsigned char>(utf8[next + i]);
            valid = (follow & 0xC0) == 0x80;
            point = point << 6 | (follow & 0x3F);
        }
        valid = valid && point >= kSmallest[length] && point <= 0x10FFFF &&
                (point < 0xD800 || point > 0xDFFF);
        if (valid) {
            points.push_back(point);
            next += length;
        } else {
            points.push_back(kStrayByteBase + lead);
            ++next;
        }
    }
    return points;
}

char32_t FoldAsciiCase(char32_t point) {
    return point >= U'A' && point <= U'Z' ? point - U'A' + U'a' : point;
}

bool IsDigit(char32_t point) {
    return point >= U'0' && point <= U'9';
}

bool IsLetter(char32_t point) {
    return point >= U'a' && point <= U'z';
}

// Every character one above, or every one one below, the one before it.
bool IsPlainRun(const std::vector<char32_t>& folded) {
    const bool sameKind = std::all_of(folded.begin(), folded.end(), IsDigit) ||
                          std::all_of(folded.begin(), folded.end(), IsLetter);
    if (!sameKind || folded.size() < 2) {
        return false;
    }
    const auto step = static_cast<std::int32_t>(folded[1]) - static_cast<std::int32_t>(folded[0]);
    if (step != 1 && step != -1) {
        return false;
    }
    for (std::size_t i = 2; i < folded.size(); ++i) {
        if (static_cast<std::int32_t>(folded[i]) - static_cast<std::int32_t>(folded[i - 1]) !=
            step) {
            return false;
        }
    }
    return true;
}

constexpr std::string_view kAlphabet = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";
constexpr std::size_t kDataDigits = 26;
constexpr std::size_t kGroupLength = 4;
constexpr unsigned kCheckModulus = 1021;
// 26 digits of 5 bits hold 130: the two highest are always zero.
constexpr int kLeadingZeroBits = 5 * kDataDigits - 8 * sizeof(RecoveryKey);

std::optional<std::uint8_t> DigitOf(char c) {
    const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    switch (upper) {
    case 'O':
        return 0;
    case 'I':
    case 'L':
        return 1;
    default:
        break;
    }
    const std::size_t found = kAlphabet.find(upper);
    if (found == std::string_view::npos) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(found);
}

unsigned CheckOf(const std::array<std::uint8_t, kDataDigits>& digits) {
    unsigned check = 0;
    for (const std::uint8_t digit : digits) {
        check = (check * 32 + digit) % kCheckModulus;
    }
    return check;
}

} // namespace

std::size_t CountCharacters(std::string_view utf8) {
    return CodePoints(utf8).size();
}

PasswordVerdict CheckNewPassword(std::string_view password, std::string_view repeated) {
    std::vector<char32_t> folded = CodePoints(password);
    if (folded.size() < kMinimumPasswordCharacters) {
        return PasswordVerdict::TooShort;
    }
    std::transform(folded.begin(), folded.end(), folded.begin(), FoldAsciiCase);
    if (std::all_of(folded.begin(), folded.end(),
                    [&](char32_t point) { return point == folded.front(); })) {
        return PasswordVerdict::OneCharacter;
    }
    if (IsPlainRun(folded)) {
        return PasswordVerdict::PlainRun;
    }
    if (password != repeated) {
        return PasswordVerdict::Mismatch;
    }
    return PasswordVerdict::Accepted;
}

std::string FormatRecoveryKey(std::span<const std::uint8_t, 16> key) {
    std::array<std::uint8_t, kDataDigits> digits{};
    for (std::size_t i = 0; i < kDataDigits; ++i) {
        for (int j = 0; j < 5; ++j) {
            const int bit = static_cast<int>(5 * i) + j - kLeadingZeroBits;
            const bool set = bit >= 0 && (key[bit / 8] >> (7 - bit % 8) & 1) != 0;
            digits[i] = static_cast<std::uint8_t>(digits[i] << 1 | (set ? 1 : 0));
        }
    }
    const unsigned check = CheckOf(digits);
    std::string characters;
    for (const std::uint8_t digit : digits) {
        characters += kAlphabet[digit];
    }
    characters += kAlphabet[check / 32];
    characters += kAlphabet[check % 32];

    std::string text;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        if (i != 0 && i % kGroupLength == 0) {
            text += '-';
        }
        text += characters[i];
    }
    return text;
}

TypedRecoveryKey ParseRecoveryKey(std::string_view typed) {
    TypedRecoveryKey result;
    std::vector<std::uint8_t> digits;
    for (const char c : typed) {
        if (c == ' ' || c == '\t' || c == '-') {
            continue;
        }
        const std::optional<std::uint8_t> digit = DigitOf(c);
        if (!digit) {
            result.problem = RecoveryKeyProblem::BadCharacter;
            return result;
        }
        digits.push_back(*digit);
    }
    if (digits.size() != kRecoveryKeyCharacters) {
        result.problem = RecoveryKeyProblem::WrongLength;
        return result;
    }
    std::array<std::uint8_t, kDataDigits> data{};
    std::copy_n(digits.begin(), kDataDigits, data.begin());
    const unsigned typedCheck = digits[kDataDigits] * 32u + digits[kDataDigits + 1];
    // A first digit above 3 would need more than 128 bits.
    if (typedCheck != CheckOf(data) || data[0] >> (5 - kLeadingZeroBits) != 0) {
        result.problem = RecoveryKeyProblem::CheckFailed;
        return result;
    }
    for (std::size_t i = 0; i < kDataDigits; ++i) {
        for (int j = 0; j < 5; ++j) {
            const int bit = static_cast<int>(5 * i) + j - kLeadingZeroBits;
            if (bit >= 0 && (data[i] >> (4 - j) & 1) != 0) {
                result.key[bit / 8] |= static_cast<std::uint8_t>(0x80 >> (bit % 8));
            }
        }
    }
    return result;
}

} // namespace secrets
