#include "crypto/KeyRing.h"

#include <algorithm>

namespace keyring {
namespace {

// A slot that unwraps to `dataKey` with `secret`: new salt, new nonce.
std::optional<sealed::KeySlot> Wrap(std::span<const std::uint8_t> dataKey,
                                    std::span<const std::uint8_t> secret,
                                    std::uint32_t iterations) {
    sealed::KeySlot slot;
    slot.iterations = iterations;
    if (!cng::FillRandom(slot.salt) || !cng::FillRandom(slot.nonce)) {
        return std::nullopt;
    }
    const std::optional<cng::SecretBytes> wrappingKey =
        cng::Pbkdf2Sha256(secret, slot.salt, iterations, sealed::kKeySize);
    if (!wrappingKey) {
        return std::nullopt;
    }
    const std::optional<std::vector<std::uint8_t>> wrapped =
        cng::AesGcmSeal(wrappingKey->Span(), slot.nonce, {}, dataKey);
    if (!wrapped || wrapped->size() != slot.wrappedKey.size()) {
        return std::nullopt;
    }
    std::copy(wrapped->begin(), wrapped->end(), slot.wrappedKey.begin());
    return slot;
}

Unlocked Unwrap(std::span<const std::uint8_t> file, sealed::KeySlot sealed::Header::*which,
                std::span<const std::uint8_t> secret) {
    Unlocked result;
    const sealed::ParsedHeader parsed = sealed::ParseHeader(file, cng::SystemSha256());
    if (parsed.kind != sealed::HeaderKind::Sealed) {
        result.status = Unlock::Damaged;
        return result;
    }
    const sealed::KeySlot& slot = parsed.header.*which;
    const std::optional<cng::SecretBytes> wrappingKey =
        cng::Pbkdf2Sha256(secret, slot.salt, slot.iterations, sealed::kKeySize);
    if (!wrappingKey) {
        return result;
    }
    cng::GcmOpened opened = cng::AesGcmOpen(wrappingKey->Span(), slot.nonce, {}, slot.wrappedKey);
    switch (opened.status) {
    case cng::GcmOpen::Opened:
        result.status = Unlock::Unlocked;
        result.key.header.assign(file.begin(),
                                 file.begin() + static_cast<std::ptrdiff_t>(parsed.length));
        result.key.dataKey = std::move(opened.plain);
        break;
    case cng::GcmOpen::TagMismatch:
        result.status = Unlock::WrongSecret;
        break;
    case cng::GcmOpen::Failed:
        break;
    }
    return result;
}

} // namespace

std::optional<Protection> Create(std::span<const std::uint8_t> passwordUtf8,
                                 std::uint32_t iterations) {
    cng::SecretBytes dataKey(sealed::kKeySize);
    cng::SecretBytes recoveryKey(sizeof(secrets::RecoveryKey));
    if (!cng::FillRandom(dataKey.Span()) || !cng::FillRandom(recoveryKey.Span())) {
        return std::nullopt;
    }
    const std::optional<sealed::KeySlot> passwordSlot =
        Wrap(dataKey.Span(), passwordUtf8, iterations);
    const std::optional<sealed::KeySlot> recoverySlot =
        passwordSlot ? Wrap(dataKey.Span(), recoveryKey.Span(), sealed::kRecoveryIterations)
                     : std::nullopt;
    if (!recoverySlot) {
        return std::nullopt;
    }
    std::optional<std::vector<std::uint8_t>> header =
        sealed::SerializeHeader({*passwordSlot, *recoverySlot}, cng::SystemSha256());
    if (!header) {
        return std::nullopt;
    }
    return Protection{
        {std::move(*header), std::move(dataKey)},
        secrets::FormatRecoveryKey(std::span<const std::uint8_t, sizeof(secrets::RecoveryKey)>(
            recoveryKey.Data(), recoveryKey.Size())),
    };
}

Unlocked UnlockWithPassword(std::span<const std::uint8_t> file,
                            std::span<const std::uint8_t> passwordUtf8) {
    return Unwrap(file, &sealed::Header::password, passwordUtf8);
}

Unlocked UnlockWithRecoveryKey(std::span<const std::uint8_t> file,
                               const secrets::RecoveryKey& recoveryKey) {
    return Unwrap(file, &sealed::Header::recovery, recoveryKey);
}

Changed Change(std::span<const std::uint8_t> file, std::span<const std::uint8_t> currentUtf8,
               std::span<const std::uint8_t> newUtf8, std::uint32_t iterations) {
    Changed changed;
    changed.status = UnlockWithPassword(file, currentUtf8).status;
    if (changed.status != Unlock::Unlocked) {
        return changed;
    }
    changed.protection = Create(newUtf8, iterations);
    if (!changed.protection) {
        changed.status = Unlock::Failed;
    }
    return changed;
}

std::uint32_t CalibrateIterations(std::chrono::milliseconds target) {
    constexpr std::uint32_t kProbe = 100'000;
    constexpr std::uint8_t kSecret[] = {'c', 'a', 'l', 'i', 'b', 'r', 'a', 't', 'e'};
    const std::array<std::uint8_t, sealed::kSaltSize> salt{};
    const auto start = std::chrono::steady_clock::now();
    const bool derived = cng::Pbkdf2Sha256(kSecret, salt, kProbe, sealed::kKeySize).has_value();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    if (!derived) {
        return sealed::kPasswordIterationsFloor;
    }
    return sealed::CalibratedIterations(kProbe, elapsed, target);
}

} // namespace keyring
