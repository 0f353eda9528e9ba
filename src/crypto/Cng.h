// The program's only door to the system's cryptography (bcrypt.dll): random
// bytes, SHA-256, PBKDF2-HMAC-SHA256 and AES-256-GCM with 12-byte nonces and
// 16-byte tags. None of it is our own. A call the system refuses answers
// nothing (nullopt, Failed); no call ever hands out a half-made result.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "crypto/SealedFormat.h"

namespace cng {

// Keys, passwords and decrypted bytes: wiped when they go, whichever way.
template <typename T> class SecretBuffer {
public:
    SecretBuffer() = default;
    explicit SecretBuffer(std::size_t size) : items_(size) {}
    // Takes the vector's memory as it is; the caller's copy is gone.
    explicit SecretBuffer(std::vector<T>&& items) : items_(std::move(items)) {}
    SecretBuffer(const SecretBuffer&) = delete;
    SecretBuffer& operator=(const SecretBuffer&) = delete;
    SecretBuffer(SecretBuffer&& other) noexcept : items_(std::exchange(other.items_, {})) {}
    SecretBuffer& operator=(SecretBuffer&& other) noexcept {
        if (this != &other) {
            Wipe();
            items_ = std::exchange(other.items_, {});
        }
        return *this;
    }
    ~SecretBuffer() { Wipe(); }

    T* Data() { return items_.data(); }
    const T* Data() const { return items_.data(); }
    std::size_t Size() const { return items_.size(); }
    bool Empty() const { return items_.empty(); }
    std::span<T> Span() { return items_; }
    std::span<const T> Span() const { return items_; }

    // Leaves it empty.
    void Wipe() {
        if (!items_.empty()) {
            ::SecureZeroMemory(items_.data(), items_.size() * sizeof(T));
        }
        items_.clear();
    }

private:
    std::vector<T> items_;
};

using SecretBytes = SecretBuffer<std::uint8_t>;

// From the system's preferred generator.
bool FillRandom(std::span<std::uint8_t> out);

std::optional<sealed::Digest> Sha256(std::span<const std::uint8_t> bytes);
// Sha256 as sealed::ParseHeader and SerializeHeader take it.
const sealed::Sha256& SystemSha256();

// PBKDF2 with HMAC-SHA256.
std::optional<SecretBytes> Pbkdf2Sha256(std::span<const std::uint8_t> secret,
                                        std::span<const std::uint8_t> salt,
                                        std::uint32_t iterations, std::size_t length);

// The ciphertext followed by its 16-byte tag. A key of 32 bytes, a nonce of 12.
std::optional<std::vector<std::uint8_t>> AesGcmSeal(std::span<const std::uint8_t> key,
                                                    std::span<const std::uint8_t> nonce,
                                                    std::span<const std::uint8_t> associatedData,
                                                    std::span<const std::uint8_t> plain);

enum class GcmOpen {
    Opened,
    TagMismatch, // another key, other associated data, or changed bytes
    Failed,      // the system refused, or the input cannot be a sealed text
};

struct GcmOpened {
    GcmOpen status = GcmOpen::Failed;
    SecretBytes plain; // empty unless Opened
};

// `sealedText` is the ciphertext followed by its tag, as AesGcmSeal writes it.
GcmOpened AesGcmOpen(std::span<const std::uint8_t> key, std::span<const std::uint8_t> nonce,
                     std::span<const std::uint8_t> associatedData,
                     std::span<const std::uint8_t> sealedText);

// The password as keys are derived from it: NFC, then UTF-8, so that "é" typed
// as one character or as e and an accent opens the same file. Nullopt for
// text that is not valid UTF-16 (a lone surrogate).
std::optional<SecretBytes> PasswordUtf8(std::wstring_view password);

} // namespace cng
