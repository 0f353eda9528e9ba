// A digest for the sealed header's checks where the system's SHA-256 is out of
// reach (native tests, the fuzzer): not cryptographic, but every byte changes it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "crypto/SealedFormat.h"

inline std::optional<sealed::Digest> StandInDigest(std::span<const std::uint8_t> bytes) {
    sealed::Digest digest{};
    for (std::size_t i = 0; i < digest.size(); ++i) {
        std::uint64_t hash = 0xcbf29ce484222325ull ^ i;
        for (const std::uint8_t byte : bytes) {
            hash = (hash ^ byte) * 0x100000001b3ull;
        }
        digest[i] = static_cast<std::uint8_t>(hash >> 32);
    }
    return digest;
}
