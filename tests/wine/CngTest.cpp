#include "crypto/Cng.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Hex(std::string_view hex) {
    Bytes bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(
            static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    }
    return bytes;
}

Bytes Ascii(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

Bytes Of(const cng::SecretBytes& secret) {
    return Bytes(secret.Data(), secret.Data() + secret.Size());
}

// Test cases 13, 14 and 16 of McGrew and Viega's GCM paper, AES-256.
struct GcmVector {
    const char* name;
    Bytes key;
    Bytes nonce;
    Bytes associatedData;
    Bytes plain;
    Bytes sealedText;
};

std::vector<GcmVector> GcmVectors() {
    const Bytes zeroKey(32, 0);
    const Bytes key16 = Hex("feffe9928665731c6d6a8f9467308308feffe9928665731c6d6a8f9467308308");
    return {
        {"13: nothing to encrypt",
         zeroKey,
         Bytes(12, 0),
         {},
         {},
         Hex("530f8afbc74536b9a963b4f1c4cb738b")},
        {"14: one zero block",
         zeroKey,
         Bytes(12, 0),
         {},
         Bytes(16, 0),
         Hex("cea7403d4d606b6e074ec5d3baf39d18d0d1c8a799996bf0265b98b5d48ab919")},
        {"16: associated data, a partial block", key16, Hex("cafebabefacedbaddecaf888"),
         Hex("feedfacedeadbeeffeedfacedeadbeefabaddad2"),
         Hex("d9313225f88406e5a55909c5aff5269a86a7a9531534f7da2e4c303d8a318a72"
             "1c3c0c95956809532fcf0e2449a6b525b16aedf5aa0de657ba637b39"),
         Hex("522dc1f099567d07f47f37a32a84427d643a8cdcbfe5c0c97598a2bd2555d1aa"
             "8cb08e48590dbb3da7b08b1056828838c5f61e6393ba7a0abcc9f662"
             "76fc6ece0f4e1768cddf8853bb2d551b")},
    };
}

TEST(CngTest, AesGcmMatchesThePublishedVectors) {
    for (const GcmVector& v : GcmVectors()) {
        EXPECT_EQ(cng::AesGcmSeal(v.key, v.nonce, v.associatedData, v.plain), v.sealedText)
            << v.name;
        const cng::GcmOpened opened =
            cng::AesGcmOpen(v.key, v.nonce, v.associatedData, v.sealedText);
        EXPECT_EQ(opened.status, cng::GcmOpen::Opened) << v.name;
        EXPECT_EQ(Of(opened.plain), v.plain) << v.name;
    }
}

TEST(CngTest, AesGcmOpenTellsAChangeFromAFailureAndHandsOutNothing) {
    const GcmVector v = GcmVectors().back();
    const auto changed = [](Bytes bytes, std::size_t at) {
        bytes[at] ^= 0x01;
        return bytes;
    };
    struct Case {
        const char* name;
        Bytes key;
        Bytes nonce;
        Bytes associatedData;
        Bytes sealedText;
        cng::GcmOpen status;
    };
    const Case cases[] = {
        {"ciphertext changed", v.key, v.nonce, v.associatedData, changed(v.sealedText, 0),
         cng::GcmOpen::TagMismatch},
        {"tag changed", v.key, v.nonce, v.associatedData,
         changed(v.sealedText, v.sealedText.size() - 1), cng::GcmOpen::TagMismatch},
        {"other associated data", v.key, v.nonce, changed(v.associatedData, 3), v.sealedText,
         cng::GcmOpen::TagMismatch},
        {"no associated data", v.key, v.nonce, {}, v.sealedText, cng::GcmOpen::TagMismatch},
        {"other nonce", v.key, changed(v.nonce, 11), v.associatedData, v.sealedText,
         cng::GcmOpen::TagMismatch},
        {"other key", changed(v.key, 31), v.nonce, v.associatedData, v.sealedText,
         cng::GcmOpen::TagMismatch},
        {"16-byte nonce", v.key, Bytes(16, 0), v.associatedData, v.sealedText,
         cng::GcmOpen::Failed},
        {"16-byte key", Bytes(16, 0), v.nonce, v.associatedData, v.sealedText,
         cng::GcmOpen::Failed},
        {"shorter than a tag", v.key, v.nonce, v.associatedData, Bytes(15, 0),
         cng::GcmOpen::Failed},
    };
    for (const Case& c : cases) {
        const cng::GcmOpened opened =
            cng::AesGcmOpen(c.key, c.nonce, c.associatedData, c.sealedText);
        EXPECT_EQ(opened.status, c.status) << c.name;
        EXPECT_TRUE(opened.plain.Empty()) << c.name;
    }
    EXPECT_FALSE(cng::AesGcmSeal(v.key, Bytes(16, 0), {}, v.plain)) << "16-byte nonce";
    EXPECT_FALSE(cng::AesGcmSeal(Bytes(16, 0), v.nonce, {}, v.plain)) << "16-byte key";
}

// RFC 7914, section 11.
TEST(CngTest, Pbkdf2MatchesThePublishedVectors) {
    struct Case {
        Bytes password;
        Bytes salt;
        std::uint32_t iterations;
        Bytes derived;
    };
    const Bytes first = Hex("55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"
                            "49ca9cccf179b645991664b39d77ef317c71b845b1e30bd509112041d3a19783");
    const Case cases[] = {
        {Ascii("passwd"), Ascii("salt"), 1, first},
        {Ascii("passwd"), Ascii("salt"), 1, Bytes(first.begin(), first.begin() + 32)},
        {Ascii("Password"), Ascii("NaCl"), 80000,
         Hex("4ddcd8f60b98be21830cee5ef22701f9641a4418d04c0414aeff08876b34ab56"
             "a1d425a1225833549adb841b51c9b3176a272bdebba1d078478f62b397f33c8d")},
    };
    for (const Case& c : cases) {
        const std::optional<cng::SecretBytes> derived =
            cng::Pbkdf2Sha256(c.password, c.salt, c.iterations, c.derived.size());
        ASSERT_TRUE(derived) << c.iterations;
        EXPECT_EQ(Of(*derived), c.derived) << c.iterations;
    }
    EXPECT_FALSE(cng::Pbkdf2Sha256(Ascii("passwd"), Ascii("salt"), 0, 32)) << "no iterations";
}

// FIPS 180-2, appendix B.
TEST(CngTest, Sha256MatchesThePublishedVectors) {
    struct Case {
        std::string_view message;
        Bytes digest;
    };
    const Case cases[] = {
        {"", Hex("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855")},
        {"abc", Hex("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad")},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         Hex("248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1")},
    };
    for (const Case& c : cases) {
        const std::optional<sealed::Digest> digest = cng::Sha256(Ascii(c.message));
        ASSERT_TRUE(digest) << c.message;
        EXPECT_EQ(Bytes(digest->begin(), digest->end()), c.digest) << c.message;
    }
}

TEST(CngTest, RandomBytesAreNewEachTime) {
    Bytes first(32, 0);
    Bytes second(32, 0);
    ASSERT_TRUE(cng::FillRandom(first));
    ASSERT_TRUE(cng::FillRandom(second));
    EXPECT_NE(first, second);
    EXPECT_NE(first, Bytes(32, 0));
}

TEST(CngTest, PasswordIsNfcInUtf8) {
    struct Case {
        std::wstring_view typed;
        std::optional<Bytes> utf8;
    };
    const Case cases[] = {
        {L"", Bytes{}},
        {L"Moon7abc", Ascii("Moon7abc")},
        {L"\u00e9t\u00e9", Hex("c3a974c3a9")},             // été, precomposed
        {L"e\u0301te\u0301", Hex("c3a974c3a9")},           // the same with combining accents
        {L"\u212b", Hex("c385")},                          // the Ångström sign becomes Å
        {L"\U0001F319", Hex("f09f8c99")},                  // a moon, outside the first plane
        {std::wstring_view(L"a\xD800z", 3), std::nullopt}, // a lone surrogate
    };
    for (const Case& c : cases) {
        const std::optional<cng::SecretBytes> utf8 = cng::PasswordUtf8(c.typed);
        ASSERT_EQ(utf8.has_value(), c.utf8.has_value()) << c.typed.size();
        if (utf8) {
            EXPECT_EQ(Of(*utf8), *c.utf8) << c.typed.size();
        }
    }
}

} // namespace
