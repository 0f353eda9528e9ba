#include "crypto/SealedFormat.h"

#include <algorithm>
#include <limits>

namespace sealed {
namespace {

constexpr std::size_t kVersionOffset = kMagicSize;
constexpr std::size_t kSlotsOffset = kVersionOffset + 4;
constexpr std::size_t kLengthSize = 4;

void AppendWord(std::vector<std::uint8_t>& out, std::uint32_t word) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(word >> shift));
    }
}

std::uint32_t WordAt(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(bytes[offset]) |
           static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[offset + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

template <std::size_t N>
void Append(std::vector<std::uint8_t>& out, const std::array<std::uint8_t, N>& field) {
    out.insert(out.end(), field.begin(), field.end());
}

template <std::size_t N>
std::size_t Take(std::span<const std::uint8_t> bytes, std::size_t offset,
                 std::array<std::uint8_t, N>& field) {
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), N, field.begin());
    return offset + N;
}

void AppendSlot(std::vector<std::uint8_t>& out, const KeySlot& slot) {
    AppendWord(out, slot.iterations);
    Append(out, slot.salt);
    Append(out, slot.nonce);
    Append(out, slot.wrappedKey);
}

KeySlot SlotAt(std::span<const std::uint8_t> bytes, std::size_t offset) {
    KeySlot slot;
    slot.iterations = WordAt(bytes, offset);
    offset = Take(bytes, offset + 4, slot.salt);
    offset = Take(bytes, offset, slot.nonce);
    Take(bytes, offset, slot.wrappedKey);
    return slot;
}

} // namespace

std::optional<std::vector<std::uint8_t>> SerializeHeader(const Header& header,
                                                         const Sha256& sha256) {
    std::vector<std::uint8_t> out;
    out.reserve(kHeaderSize);
    Append(out, kMagic);
    AppendWord(out, kVersion);
    AppendSlot(out, header.password);
    AppendSlot(out, header.recovery);
    const std::optional<Digest> digest = sha256(out);
    if (!digest) {
        return std::nullopt;
    }
    Append(out, *digest);
    return out;
}

ParsedHeader ParseHeader(std::span<const std::uint8_t> bytes, const Sha256& sha256) {
    ParsedHeader parsed;
    const std::size_t magicSeen = std::min(bytes.size(), kMagicSize);
    if (magicSeen == 0 || !std::equal(bytes.begin(), bytes.begin() + magicSeen, kMagic.begin())) {
        return parsed;
    }
    // From here on the file claims to be sealed: whatever is wrong is damage.
    parsed.kind = HeaderKind::Damaged;
    if (bytes.size() < kSlotsOffset) {
        return parsed;
    }
    const std::uint32_t version = WordAt(bytes, kVersionOffset);
    if (version > kVersion) {
        parsed.kind = HeaderKind::NewerVersion;
        return parsed;
    }
    if (version != kVersion || bytes.size() < kHeaderSize) {
        return parsed;
    }
    const std::optional<Digest> digest = sha256(bytes.first(kHashedSize));
    if (!digest || !std::equal(digest->begin(), digest->end(), bytes.begin() + kHashedSize)) {
        return parsed;
    }
    const Header header{SlotAt(bytes, kSlotsOffset), SlotAt(bytes, kSlotsOffset + kSlotSize)};
    // Zero is never written.
    if (header.password.iterations == 0 || header.recovery.iterations == 0) {
        return parsed;
    }
    if (header.password.iterations > kMaxIterations ||
        header.recovery.iterations > kMaxIterations) {
        parsed.kind = HeaderKind::TooManyIterations;
        return parsed;
    }
    parsed.kind = HeaderKind::Sealed;
    parsed.header = header;
    parsed.length = kHeaderSize;
    return parsed;
}

std::optional<Body> SplitBody(std::span<const std::uint8_t> afterHeader) {
    constexpr std::size_t overhead = kLengthSize + kNonceSize + kTagSize;
    if (afterHeader.size() <= overhead) {
        return std::nullopt;
    }
    const std::size_t cipherLength = WordAt(afterHeader, 0);
    if (cipherLength != afterHeader.size() - overhead || cipherLength % kPaddingBlock != 0) {
        return std::nullopt;
    }
    return Body{afterHeader.subspan(kLengthSize, kNonceSize),
                afterHeader.subspan(kLengthSize + kNonceSize)};
}

void AppendBody(std::vector<std::uint8_t>& file, std::span<const std::uint8_t> nonce,
                std::span<const std::uint8_t> sealedText) {
    file.reserve(file.size() + kLengthSize + nonce.size() + sealedText.size());
    AppendWord(file, static_cast<std::uint32_t>(sealedText.size() - kTagSize));
    file.insert(file.end(), nonce.begin(), nonce.end());
    file.insert(file.end(), sealedText.begin(), sealedText.end());
}

std::optional<std::vector<std::uint8_t>> PadPlain(std::span<const std::uint8_t> plain) {
    if (plain.size() > std::numeric_limits<std::uint32_t>::max()) {
        return std::nullopt;
    }
    const std::size_t used = kLengthSize + plain.size();
    const std::size_t padded = (used + kPaddingBlock - 1) / kPaddingBlock * kPaddingBlock;
    // Reserved once: a reallocation would leave a copy of the plain bytes behind.
    std::vector<std::uint8_t> out;
    out.reserve(padded);
    AppendWord(out, static_cast<std::uint32_t>(plain.size()));
    out.insert(out.end(), plain.begin(), plain.end());
    out.resize(padded, 0);
    return out;
}

std::optional<std::vector<std::uint8_t>> UnpadPlain(std::span<const std::uint8_t> padded) {
    if (padded.empty() || padded.size() % kPaddingBlock != 0) {
        return std::nullopt;
    }
    const std::size_t length = WordAt(padded, 0);
    if (length > padded.size() - kLengthSize) {
        return std::nullopt;
    }
    const auto plain = padded.subspan(kLengthSize, length);
    const auto padding = padded.subspan(kLengthSize + length);
    // Whole blocks of nothing but padding are not what PadPlain writes either.
    if (padding.size() >= kPaddingBlock ||
        std::any_of(padding.begin(), padding.end(), [](std::uint8_t b) { return b != 0; })) {
        return std::nullopt;
    }
    return std::vector<std::uint8_t>(plain.begin(), plain.end());
}

std::uint32_t CalibratedIterations(std::uint32_t probe, std::chrono::nanoseconds probeTime,
                                   std::chrono::nanoseconds target) {
    if (probeTime.count() <= 0) {
        return kMaxIterations;
    }
    const double scaled = static_cast<double>(probe) * static_cast<double>(target.count()) /
                          static_cast<double>(probeTime.count());
    const double clamped = std::clamp(scaled, static_cast<double>(kPasswordIterationsFloor),
                                      static_cast<double>(kMaxIterations));
    return static_cast<std::uint32_t>(clamped) / 1000 * 1000;
}

} // namespace sealed
