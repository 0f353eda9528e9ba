#include "crypto/SealedFormat.h"

#include "StandInDigest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using sealed::HeaderKind;
using namespace std::chrono_literals;

const sealed::Sha256 kDigest = StandInDigest;

template <std::size_t N> std::array<std::uint8_t, N> Filled(std::uint8_t first) {
    std::array<std::uint8_t, N> field{};
    for (std::size_t i = 0; i < N; ++i) {
        field[i] = static_cast<std::uint8_t>(first + i);
    }
    return field;
}

sealed::Header SampleHeader() {
    sealed::Header header;
    header.password = {600'000, Filled<16>(0x10), Filled<12>(0x20), Filled<48>(0x30)};
    header.recovery = {10'000, Filled<16>(0x80), Filled<12>(0x90), Filled<48>(0xA0)};
    return header;
}

Bytes Serialized(const sealed::Header& header) {
    return sealed::SerializeHeader(header, kDigest).value();
}

// The bytes with their digest made to fit again.
Bytes Rehashed(Bytes bytes) {
    const sealed::Digest digest =
        StandInDigest(std::span(bytes).first(sealed::kHashedSize)).value();
    std::copy(digest.begin(), digest.end(), bytes.begin() + sealed::kHashedSize);
    return bytes;
}

Bytes Slice(const Bytes& bytes, std::size_t from, std::size_t size) {
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                 bytes.begin() + static_cast<std::ptrdiff_t>(from + size));
}

HeaderKind KindOf(const Bytes& bytes) {
    return sealed::ParseHeader(bytes, kDigest).kind;
}

TEST(SealedFormatTest, HeaderHasTheDocumentedLayout) {
    const Bytes bytes = Serialized(SampleHeader());
    ASSERT_EQ(bytes.size(), 204u);
    const auto field = [&](std::size_t from, std::size_t size) { return Slice(bytes, from, size); };
    EXPECT_EQ(field(0, 8), (Bytes{0x89, 'L', 'U', 'N', 'S', 'E', 'A', 'L'}));
    EXPECT_EQ(field(8, 4), (Bytes{1, 0, 0, 0}));
    EXPECT_EQ(field(12, 4), (Bytes{0xC0, 0x27, 0x09, 0x00})); // 600,000
    EXPECT_EQ(field(16, 1), Bytes{0x10});                     // salt
    EXPECT_EQ(field(32, 1), Bytes{0x20});                     // nonce
    EXPECT_EQ(field(44, 1), Bytes{0x30});                     // wrapped key
    EXPECT_EQ(field(91, 1), Bytes{0x30 + 47});
    EXPECT_EQ(field(92, 4), (Bytes{0x10, 0x27, 0x00, 0x00})); // 10,000
    EXPECT_EQ(field(96, 1), Bytes{0x80});
    EXPECT_EQ(field(112, 1), Bytes{0x90});
    EXPECT_EQ(field(124, 1), Bytes{0xA0});
    const sealed::Digest digest = StandInDigest(std::span(bytes).first(172)).value();
    EXPECT_EQ(field(172, 32), Bytes(digest.begin(), digest.end()));
}

TEST(SealedFormatTest, ParsesWhatItWritesWithOrWithoutABody) {
    Bytes file = Serialized(SampleHeader());
    for (const std::size_t body : {0u, 4124u}) {
        file.resize(sealed::kHeaderSize + body, 0x5A);
        const sealed::ParsedHeader parsed = sealed::ParseHeader(file, kDigest);
        EXPECT_EQ(parsed.kind, HeaderKind::Sealed) << body;
        EXPECT_EQ(parsed.header, SampleHeader()) << body;
        EXPECT_EQ(parsed.length, sealed::kHeaderSize) << body;
    }
}

TEST(SealedFormatTest, TellsEachKindOfHeader) {
    const Bytes whole = Serialized(SampleHeader());
    const Bytes magic(sealed::kMagic.begin(), sealed::kMagic.end());
    const auto withWord = [](Bytes bytes, std::size_t at, std::uint32_t word) {
        for (int i = 0; i < 4; ++i) {
            bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(word >> (8 * i));
        }
        return bytes;
    };
    const auto withIterations = [](std::uint32_t password, std::uint32_t recovery) {
        sealed::Header header = SampleHeader();
        header.password.iterations = password;
        header.recovery.iterations = recovery;
        return Serialized(header);
    };
    const auto flipped = [&](std::size_t at) {
        Bytes bytes = whole;
        bytes[at] ^= 0x01;
        return bytes;
    };
    struct Case {
        const char* name;
        Bytes bytes;
        HeaderKind kind;
    };
    const Case cases[] = {
        {"empty file", {}, HeaderKind::NotSealed},
        {"plain data file", {'G', 'O', 'O', 'D', 0, 0, 0, 0}, HeaderKind::NotSealed},
        {"magic with one byte changed", flipped(3), HeaderKind::NotSealed},
        {"first byte of the magic", {0x89}, HeaderKind::Damaged},
        {"magic alone", magic, HeaderKind::Damaged},
        {"version 2, nothing after", withWord(Bytes(whole.begin(), whole.begin() + 12), 8, 2),
         HeaderKind::NewerVersion},
        {"version 2^32-1", withWord(whole, 8, 0xFFFFFFFF), HeaderKind::NewerVersion},
        {"version 0, digest fits", Rehashed(withWord(whole, 8, 0)), HeaderKind::Damaged},
        {"one byte short", Bytes(whole.begin(), whole.end() - 1), HeaderKind::Damaged},
        {"salt changed", flipped(20), HeaderKind::Damaged},
        {"wrapped key changed", flipped(150), HeaderKind::Damaged},
        {"digest changed", flipped(203), HeaderKind::Damaged},
        {"iterations changed, digest not", flipped(12), HeaderKind::Damaged},
        {"no password iterations", withIterations(0, 10'000), HeaderKind::Damaged},
        {"no recovery iterations", withIterations(600'000, 0), HeaderKind::Damaged},
        {"the most iterations", withIterations(10'000'000, 10'000'000), HeaderKind::Sealed},
        {"one iteration", withIterations(1, 1), HeaderKind::Sealed},
        {"password iterations over the limit", withIterations(10'000'001, 10'000),
         HeaderKind::TooManyIterations},
        {"4 billion recovery iterations", withIterations(600'000, 4'000'000'000u),
         HeaderKind::TooManyIterations},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KindOf(c.bytes), c.kind) << c.name;
    }
}

TEST(SealedFormatTest, HeaderCutAnywhereIsDamaged) {
    const Bytes whole = Serialized(SampleHeader());
    for (std::size_t length = 1; length < whole.size(); ++length) {
        EXPECT_EQ(KindOf(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length))),
                  HeaderKind::Damaged)
            << length;
    }
}

TEST(SealedFormatTest, HashThatCannotBeComputedIsAMismatch) {
    const Bytes whole = Serialized(SampleHeader());
    const sealed::Sha256 failing = [](std::span<const std::uint8_t>) {
        return std::optional<sealed::Digest>();
    };
    EXPECT_EQ(sealed::ParseHeader(whole, failing).kind, HeaderKind::Damaged);
    EXPECT_FALSE(sealed::SerializeHeader(SampleHeader(), failing));
}

TEST(SealedFormatTest, BodyIsWholeOnlyAtTheLengthItStates) {
    const Bytes nonce = Slice(Serialized(SampleHeader()), 32, 12);
    const auto body = [&](std::size_t cipherLength) {
        Bytes file;
        sealed::AppendBody(file, nonce, Bytes(cipherLength + sealed::kTagSize, 0x5A));
        return file;
    };
    const auto stating = [](Bytes bytes, std::uint32_t length) {
        for (int i = 0; i < 4; ++i) {
            bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(length >> (8 * i));
        }
        return bytes;
    };
    const Bytes oneBlock = body(4096);
    const Bytes twoBlocks = body(8192);
    ASSERT_EQ(oneBlock.size(), 4 + 12 + 4096 + 16u);
    EXPECT_EQ(Slice(oneBlock, 0, 16), (Bytes{0, 0x10, 0, 0, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25,
                                             0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B}));
    struct Case {
        const char* name;
        Bytes body;
        bool whole;
    };
    const Case cases[] = {
        {"one block", oneBlock, true},
        {"two blocks", twoBlocks, true},
        {"nothing", {}, false},
        {"no ciphertext", body(0), false},
        {"one byte short", Bytes(oneBlock.begin(), oneBlock.end() - 1), false},
        {"one byte over",
         [&] {
             Bytes bytes = oneBlock;
             bytes.push_back(0);
             return bytes;
         }(),
         false},
        {"a block short of what it says", Bytes(twoBlocks.begin(), twoBlocks.end() - 4096), false},
        {"a block more than it says", stating(twoBlocks, 4096), false},
        {"not whole blocks, as it says", stating(body(4095), 4095), false},
    };
    for (const Case& c : cases) {
        const std::optional<sealed::Body> split = sealed::SplitBody(c.body);
        ASSERT_EQ(split.has_value(), c.whole) << c.name;
        if (split) {
            EXPECT_EQ(Bytes(split->nonce.begin(), split->nonce.end()), nonce) << c.name;
            EXPECT_EQ(split->sealedText.size(), c.body.size() - 16) << c.name;
            EXPECT_EQ(split->sealedText.data(), c.body.data() + 16) << c.name;
        }
    }
}

TEST(SealedFormatTest, PadsToWholeBlocksAndBack) {
    struct Case {
        std::size_t plain;
        std::size_t padded;
    };
    const Case cases[] = {{0, 4096}, {1, 4096}, {4092, 4096}, {4093, 8192}, {10'000, 12'288}};
    for (const Case& c : cases) {
        Bytes plain(c.plain);
        for (std::size_t i = 0; i < plain.size(); ++i) {
            plain[i] = static_cast<std::uint8_t>(i * 7 + 1);
        }
        const Bytes padded = sealed::PadPlain(plain).value();
        ASSERT_EQ(padded.size(), c.padded) << c.plain;
        EXPECT_EQ(Slice(padded, 0, 4), (Bytes{static_cast<std::uint8_t>(c.plain),
                                              static_cast<std::uint8_t>(c.plain >> 8), 0, 0}));
        EXPECT_TRUE(std::all_of(padded.begin() + 4 + static_cast<std::ptrdiff_t>(c.plain),
                                padded.end(), [](std::uint8_t b) { return b == 0; }));
        EXPECT_EQ(sealed::UnpadPlain(padded), plain) << c.plain;
    }
}

TEST(SealedFormatTest, RefusesPaddingPadPlainDoesNotWrite) {
    const Bytes good = sealed::PadPlain(Bytes(36, 0x47)).value();
    const auto changed = [&](std::size_t at, std::uint8_t value) {
        Bytes bytes = good;
        bytes[at] = value;
        return bytes;
    };
    struct Case {
        const char* name;
        Bytes padded;
    };
    const Case cases[] = {
        {"empty", {}},
        {"not whole blocks", Bytes(good.begin(), good.end() - 1)},
        {"length past the end", changed(1, 0x10)},
        {"length one more than a block holds",
         [&] {
             Bytes bytes = changed(0, 0xFD);
             bytes[1] = 0x0F; // 4093
             return bytes;
         }()},
        {"largest length", Bytes{0xFF, 0xFF, 0xFF, 0xFF}},
        {"a byte after the plain file", changed(4 + 36, 1)},
        {"last byte not zero", changed(4095, 1)},
        {"a block more than needed",
         [&] {
             Bytes bytes = good;
             bytes.resize(8192, 0);
             return bytes;
         }()},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(sealed::UnpadPlain(c.padded)) << c.name;
    }
}

TEST(SealedFormatTest, CalibrationAimsAtTheTargetWithinTheLimits) {
    struct Case {
        std::uint32_t probe;
        std::chrono::nanoseconds probeTime;
        std::uint32_t iterations;
    };
    const Case cases[] = {
        {100'000, 50ms, 1'000'000}, {100'000, 30ms, 1'666'000}, {100'000, 100ms, 600'000},
        {100'000, 400ms, 600'000}, // a slow computer: the floor
        {100'000, 1ms, 10'000'000}, {100'000, 0ns, 10'000'000}, {4'000'000'000u, 1ns, 10'000'000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sealed::CalibratedIterations(c.probe, c.probeTime, 500ms), c.iterations)
            << c.probe << " in " << c.probeTime.count() << " ns";
    }
}

} // namespace
