#include "crypto/PasswordRules.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using secrets::PasswordVerdict;
using secrets::RecoveryKeyProblem;

TEST(PasswordRulesTest, JudgesNewPasswords) {
    struct Case {
        const char* password;
        const char* repeated;
        PasswordVerdict verdict;
    };
    const Case cases[] = {
        {"", "", PasswordVerdict::TooShort},
        {"Moon7ab", "Moon7ab", PasswordVerdict::TooShort},
        {"Moon7abc", "Moon7abc", PasswordVerdict::Accepted},
        // 7 characters in 14 bytes: length is counted in characters, not bytes.
        {"\xC3\xA9t\xC3\xA9 \xC3\xA0 \xC3\xA9", "", PasswordVerdict::TooShort},
        {"\xC3\xA9t\xC3\xA9 \xC3\xA0 L\xC3\xA9", "\xC3\xA9t\xC3\xA9 \xC3\xA0 L\xC3\xA9",
         PasswordVerdict::Accepted},
        {"\xF0\x9F\x8C\x99\xF0\x9F\x8C\x99\xF0\x9F\x8C\x99\xF0\x9F\x8C\x99", "",
         PasswordVerdict::TooShort},
        {"aaaaaaaa", "aaaaaaaa", PasswordVerdict::OneCharacter},
        {"AaAaAaAaAa", "AaAaAaAaAa", PasswordVerdict::OneCharacter},
        {"\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", "",
         PasswordVerdict::OneCharacter},
        {"12345678", "12345678", PasswordVerdict::PlainRun},
        {"0123456789", "0123456789", PasswordVerdict::PlainRun},
        {"87654321", "87654321", PasswordVerdict::PlainRun},
        {"abcdefgh", "abcdefgh", PasswordVerdict::PlainRun},
        {"STUVWXYZ", "STUVWXYZ", PasswordVerdict::PlainRun},
        {"hGfEdCbA", "hGfEdCbA", PasswordVerdict::PlainRun},
        {"123456789a", "123456789a", PasswordVerdict::Accepted},
        {"12345679", "12345679", PasswordVerdict::Accepted},
        {"13579bdf", "13579bdf", PasswordVerdict::Accepted},
        {"1234abcd", "1234abcd", PasswordVerdict::Accepted},
        // Letters next to each other in code but not in the alphabet.
        {"WXYZ[\\]^", "WXYZ[\\]^", PasswordVerdict::Accepted},
        {"Moon7abc", "moon7abc", PasswordVerdict::Mismatch},
        {"Moon7abc", "Moon7abc ", PasswordVerdict::Mismatch},
        {"Moon7abc", "", PasswordVerdict::Mismatch},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(secrets::CheckNewPassword(c.password, c.repeated), c.verdict) << c.password;
    }
}

TEST(PasswordRulesTest, CountsCodePointsAndEachStrayByteAsOne) {
    struct Case {
        const char* text;
        std::size_t characters;
    };
    const Case cases[] = {
        {"", 0},
        {"abc", 3},
        {"\xC3\xA9", 1},         // é
        {"e\xCC\x81", 2},        // e and a combining accent: NFC is the caller's
        {"\xE2\x82\xAC", 1},     // €
        {"\xF0\x9F\x8C\x99", 1}, // a moon
        {"\xC3", 1},             // cut short
        {"\xE2\x82", 2},         // cut short
        {"\xC0\x80", 2},         // overlong
        {"\xED\xA0\x80", 3},     // a surrogate
        {"\xF4\x90\x80\x80", 4}, // beyond Unicode
        {"\xFF\xFE", 2},         // never in UTF-8
        {"a\x80"
         "b",
         3}, // a stray continuation byte
    };
    for (const Case& c : cases) {
        EXPECT_EQ(secrets::CountCharacters(c.text), c.characters) << c.text;
    }
}

std::vector<secrets::RecoveryKey> SampleKeys() {
    std::vector<secrets::RecoveryKey> keys(2);
    keys[1].fill(0xFF);
    std::mt19937 random(20260703);
    for (int i = 0; i < 200; ++i) {
        secrets::RecoveryKey key;
        for (std::uint8_t& byte : key) {
            byte = static_cast<std::uint8_t>(random());
        }
        keys.push_back(key);
    }
    return keys;
}

TEST(RecoveryKeyTest, ReadsBackWhatItWrites) {
    for (const secrets::RecoveryKey& key : SampleKeys()) {
        const std::string text = secrets::FormatRecoveryKey(key);
        ASSERT_EQ(text.size(), 34u) << text;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (i % 5 == 4) {
                EXPECT_EQ(text[i], '-') << text;
            } else {
                EXPECT_NE(std::string_view("0123456789ABCDEFGHJKMNPQRSTVWXYZ").find(text[i]),
                          std::string_view::npos)
                    << text;
            }
        }
        const secrets::TypedRecoveryKey typed = secrets::ParseRecoveryKey(text);
        EXPECT_EQ(typed.problem, RecoveryKeyProblem::None) << text;
        EXPECT_EQ(typed.key, key) << text;
    }
}

TEST(RecoveryKeyTest, ToleratesCaseSpacesDashesAndLookAlikes) {
    secrets::RecoveryKey key{};
    for (std::size_t i = 0; i < key.size(); ++i) {
        key[i] = static_cast<std::uint8_t>(0x10 * i + 3);
    }
    std::string text = secrets::FormatRecoveryKey(key);
    std::string plain;
    for (const char c : text) {
        if (c != '-') {
            plain += c;
        }
    }
    std::string lower;
    for (const char c : text) {
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    std::string lookAlikes = text;
    for (char& c : lookAlikes) {
        if (c == '0') {
            c = 'o';
        } else if (c == '1') {
            c = 'l';
        }
    }
    const std::string spaced =
        "  " + plain.substr(0, 7) + " \t" + plain.substr(7, 10) + " - " + plain.substr(17) + " ";
    for (const std::string& typed : {text, plain, lower, lookAlikes, spaced}) {
        const secrets::TypedRecoveryKey read = secrets::ParseRecoveryKey(typed);
        EXPECT_EQ(read.problem, RecoveryKeyProblem::None) << typed;
        EXPECT_EQ(read.key, key) << typed;
    }
}

// Every character replaced by every other, and every pair of neighbours swapped.
TEST(RecoveryKeyTest, CatchesAnyOneCharacterTypedWrong) {
    const std::string_view alphabet = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";
    for (const secrets::RecoveryKey& key : {SampleKeys()[0], SampleKeys()[1], SampleKeys()[7]}) {
        std::string plain;
        for (const char c : secrets::FormatRecoveryKey(key)) {
            if (c != '-') {
                plain += c;
            }
        }
        for (std::size_t at = 0; at < plain.size(); ++at) {
            for (const char other : alphabet) {
                if (other == plain[at]) {
                    continue;
                }
                std::string typo = plain;
                typo[at] = other;
                EXPECT_EQ(secrets::ParseRecoveryKey(typo).problem, RecoveryKeyProblem::CheckFailed)
                    << typo;
            }
            if (at + 1 < plain.size() && plain[at] != plain[at + 1]) {
                std::string swapped = plain;
                std::swap(swapped[at], swapped[at + 1]);
                EXPECT_EQ(secrets::ParseRecoveryKey(swapped).problem,
                          RecoveryKeyProblem::CheckFailed)
                    << swapped;
            }
        }
    }
}

TEST(RecoveryKeyTest, RefusesWhatIsNotAKey) {
    const std::string text = secrets::FormatRecoveryKey(SampleKeys()[5]);
    struct Case {
        std::string typed;
        RecoveryKeyProblem problem;
    };
    const Case cases[] = {
        {"", RecoveryKeyProblem::WrongLength},
        {text.substr(0, text.size() - 1), RecoveryKeyProblem::WrongLength},
        {text + "0", RecoveryKeyProblem::WrongLength},
        {"U" + text.substr(1), RecoveryKeyProblem::BadCharacter},
        {text.substr(0, 10) + "!" + text.substr(11), RecoveryKeyProblem::BadCharacter},
        {text.substr(0, 10) + "_" + text.substr(10), RecoveryKeyProblem::BadCharacter},
        // 26 digits that would need 130 bits.
        {"ZZZZ-ZZZZ-ZZZZ-ZZZZ-ZZZZ-ZZZZ-ZZZZ", RecoveryKeyProblem::CheckFailed},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(secrets::ParseRecoveryKey(c.typed).problem, c.problem) << c.typed;
    }
}

} // namespace
