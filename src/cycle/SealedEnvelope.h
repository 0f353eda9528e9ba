// The data file sealed under her password (crypto/SealedFormat.h for the
// bytes, crypto/KeyRing.h for the keys). It starts locked: it can tell what a
// file is and whether it is whole, but opens and seals nothing until it is
// given the key of the file's header.
//
// A plain file is not this envelope's to open: Open answers Damaged for it as
// for any file without a sealed header. KindOf tells the two apart from the
// first bytes alone, without a key, so that the start-up can choose the
// envelope (or ask for the password) before anything is loaded.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "crypto/KeyRing.h"
#include "cycle/DataEnvelope.h"

enum class FileKind {
    Plain,             // no sealed header: PlainEnvelope's
    Sealed,            // a whole header: unlock it with keyring::UnlockWith*
    NewerVersion,      // sealed by a later Lunabel: leave it as it is
    TooManyIterations, // a header no Lunabel writes: treat as damaged
    DamagedHeader,     // sealed, but the header broke off or was changed
};

// Needs only the header's bytes (the file's first sealed::kHeaderSize).
FileKind KindOf(std::span<const std::uint8_t> bytes);

class SealedEnvelope : public DataEnvelope {
public:
    SealedEnvelope() = default;
    explicit SealedEnvelope(keyring::SealingKey key) : key_(std::move(key)) {}

    // From an unlock or a new protection; replaces the key held.
    void SetKey(keyring::SealingKey key) { key_ = std::move(key); }
    // Locks it again; the data key is wiped.
    void ForgetKey() { key_.reset(); }
    bool HasKey() const { return key_.has_value(); }
    // The header of the files it seals; only while it has a key.
    const std::vector<std::uint8_t>& Header() const { return key_->header; }

    // The key's header, then a new nonce and the sealed plain file. Empty
    // when there is no key or the system's cryptography failed: never bytes
    // to write.
    std::vector<std::uint8_t> Seal(const CalendarData& data) const override;
    // Opened; Locked without a key, for a header other than the key's (a file
    // sealed before a change) and for a newer version; Damaged for a damaged
    // header, a body that fails authentication under the right key, wrong
    // padding or lengths, and for a plain file.
    Opened Open(std::span<const std::uint8_t> bytes, CalendarData& data) const override;
    // A sealed header and a body of exactly the length Seal writes; no key needed.
    bool IsWhole(std::span<const std::uint8_t> bytes) const override;

private:
    std::optional<keyring::SealingKey> key_;
};
