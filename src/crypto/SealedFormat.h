// The sealed data file: a header holding what unlocks the data key, then the
// plain data file encrypted under that key. This is only the byte layout and
// its checks; the cryptography happens in crypto/Cng.h.
//
// Numbers are little-endian. The header, 204 bytes in version 1:
//   offset size
//        0    8  magic 89 4C 55 4E 53 45 41 4C ("\x89LUNSEAL"; a plain file
//              starts with "GOOD", and the high first byte keeps text tools off)
//        8    4  version: 1
//       12   80  the password's slot:
//                  +0   4  PBKDF2-HMAC-SHA256 iterations
//                  +4  16  salt
//                  +20 12  nonce of the wrap
//                  +32 48  the 32-byte data key sealed with AES-256-GCM under
//                          the derived key (no associated data), then its tag
//       92   80  the recovery key's slot, laid out the same, 10,000 iterations
//      172   32  SHA-256 of bytes 0-171: a damaged header is told from a wrong
//              password before any key is derived
// The body:
//      204    4  n, the length of the ciphertext: a file cut short at a block's
//              end is told without the key
//      208   12  nonce, new for every save
//      220    n  AES-256-GCM under the data key, with the whole header as
//              associated data, of: the plain file's length (4 bytes), the
//              plain file, zeros up to n; n a multiple of 4096, so the size
//              tells little about how many marks she keeps
//    220+n   16  tag
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace sealed {

inline constexpr std::size_t kMagicSize = 8;
inline constexpr std::size_t kSaltSize = 16;
inline constexpr std::size_t kNonceSize = 12;
inline constexpr std::size_t kKeySize = 32;
inline constexpr std::size_t kTagSize = 16;
inline constexpr std::size_t kWrappedKeySize = kKeySize + kTagSize;
inline constexpr std::size_t kDigestSize = 32;
inline constexpr std::size_t kSlotSize = 4 + kSaltSize + kNonceSize + kWrappedKeySize;
inline constexpr std::size_t kHashedSize = kMagicSize + 4 + 2 * kSlotSize;
inline constexpr std::size_t kHeaderSize = kHashedSize + kDigestSize;
inline constexpr std::size_t kPaddingBlock = 4096;

inline constexpr std::array<std::uint8_t, kMagicSize> kMagic = {0x89, 'L', 'U', 'N',
                                                                'S',  'E', 'A', 'L'};
inline constexpr std::uint32_t kVersion = 1;

// A reader refuses more: a header asking for billions would hang the unlock.
inline constexpr std::uint32_t kMaxIterations = 10'000'000;
// The recovery key is 128 random bits; stretching it buys nothing.
inline constexpr std::uint32_t kRecoveryIterations = 10'000;
// Calibration never goes below this, however slow the computer.
inline constexpr std::uint32_t kPasswordIterationsFloor = 600'000;

using Digest = std::array<std::uint8_t, kDigestSize>;
// SHA-256 as the system computes it; nullopt when it could not.
using Sha256 = std::function<std::optional<Digest>(std::span<const std::uint8_t>)>;

// One secret's way to the data key.
struct KeySlot {
    std::uint32_t iterations = 0;
    std::array<std::uint8_t, kSaltSize> salt{};
    std::array<std::uint8_t, kNonceSize> nonce{};
    std::array<std::uint8_t, kWrappedKeySize> wrappedKey{};

    bool operator==(const KeySlot&) const = default;
};

struct Header {
    KeySlot password;
    KeySlot recovery;

    bool operator==(const Header&) const = default;
};

enum class HeaderKind {
    NotSealed,         // no magic: a plain data file, or not Lunabel's at all
    Sealed,            // a whole version 1 header
    NewerVersion,      // the magic and a version this program does not know
    TooManyIterations, // whole, but asks for more than kMaxIterations
    Damaged,           // the magic, then bytes broken off or changed
};

struct ParsedHeader {
    HeaderKind kind = HeaderKind::NotSealed;
    Header header;          // Sealed only
    std::size_t length = 0; // Sealed only: where the body starts
};

// The header's 204 bytes; nullopt when the hash could not be computed.
std::optional<std::vector<std::uint8_t>> SerializeHeader(const Header& header,
                                                         const Sha256& sha256);

// Reads the header at the start of `bytes` (a whole file or only its first
// bytes). A hash that cannot be computed counts as a mismatch.
ParsedHeader ParseHeader(std::span<const std::uint8_t> bytes, const Sha256& sha256);

struct Body {
    std::span<const std::uint8_t> nonce;
    std::span<const std::uint8_t> sealedText; // ciphertext, then the tag
};
// The body after the header, split: nullopt unless its length is exactly
// what AppendBody writes (whole padding blocks, as many as it says).
std::optional<Body> SplitBody(std::span<const std::uint8_t> afterHeader);
// Appends the body to a file that holds the header.
void AppendBody(std::vector<std::uint8_t>& file, std::span<const std::uint8_t> nonce,
                std::span<const std::uint8_t> sealedText);

// The plain file's length, its bytes and zeros to a multiple of 4096; nullopt
// when the length does not fit its 4 bytes.
std::optional<std::vector<std::uint8_t>> PadPlain(std::span<const std::uint8_t> plain);
// The plain file back; nullopt unless the padding is exactly as PadPlain
// writes it (whole blocks, a length that fits, zeros after it).
std::optional<std::vector<std::uint8_t>> UnpadPlain(std::span<const std::uint8_t> padded);

// The iteration count that takes about `target` on a computer where `probe`
// iterations took `probeTime`, in thousands; never under the floor, never more
// than a reader accepts.
std::uint32_t CalibratedIterations(std::uint32_t probe, std::chrono::nanoseconds probeTime,
                                   std::chrono::nanoseconds target);

} // namespace sealed
