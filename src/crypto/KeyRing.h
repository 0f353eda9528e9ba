// The keys of a sealed data file (crypto/SealedFormat.h): a random data key
// seals the body; the header holds it wrapped twice, once under a key derived
// from her password and once under one derived from her recovery key.
//
// Deriving a key from the password takes about half a second by design: call
// Create, UnlockWith*, Change and CalibrateIterations away from the window's
// thread. They keep no state and may run on any thread.
//
// Passwords are passed as cng::PasswordUtf8 makes them (NFC, UTF-8).
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "crypto/Cng.h"
#include "crypto/PasswordRules.h"

namespace keyring {

// What seals and opens one generation of files: the header's bytes, written at
// the start of each, and the data key they wrap.
struct SealingKey {
    std::vector<std::uint8_t> header;
    cng::SecretBytes dataKey;
};

struct Protection {
    SealingKey key;
    // To be shown once, for her to copy down (secrets::FormatRecoveryKey).
    std::string recoveryKey;
};

// A new data key, recovery key and header; the password's slot derives with
// `iterations` (CalibrateIterations), the recovery key's with 10,000.
// Nullopt when the system's cryptography failed.
std::optional<Protection> Create(std::span<const std::uint8_t> passwordUtf8,
                                 std::uint32_t iterations);

enum class Unlock {
    Unlocked,
    WrongSecret, // the header is whole; the password or recovery key does not fit it
    Damaged,     // no header this program can read (check SealedEnvelope::KindOf first)
    Failed,      // the system's cryptography failed
};

struct Unlocked {
    Unlock status = Unlock::Failed;
    SealingKey key; // Unlocked only
};

// `file` is the file's bytes, or at least its header.
Unlocked UnlockWithPassword(std::span<const std::uint8_t> file,
                            std::span<const std::uint8_t> passwordUtf8);
Unlocked UnlockWithRecoveryKey(std::span<const std::uint8_t> file,
                               const secrets::RecoveryKey& recoveryKey);

struct Changed {
    Unlock status = Unlock::Failed;
    std::optional<Protection> protection; // Unlocked only
};

// Checks the current password against the file's header, then makes a whole
// new protection (data key, recovery key, header): neither the old password
// nor the old recovery key opens anything sealed with it. After an unlock
// with the recovery key, Create makes the new protection instead.
Changed Change(std::span<const std::uint8_t> file, std::span<const std::uint8_t> currentUtf8,
               std::span<const std::uint8_t> newUtf8, std::uint32_t iterations);

// The password iterations that take about `target` here; never fewer than
// sealed::kPasswordIterationsFloor. Takes a tenth of a second or so.
std::uint32_t
CalibrateIterations(std::chrono::milliseconds target = std::chrono::milliseconds(500));

} // namespace keyring
