#include "crypto/Cng.h"

#include <bcrypt.h>

#include <climits>

#include "framework/Handle.h"

namespace cng {
namespace {

// mingw-w64's headers lack it.
constexpr NTSTATUS kAuthTagMismatch = static_cast<NTSTATUS>(0xC000A002);

struct AlgorithmTraits {
    using Handle = BCRYPT_ALG_HANDLE;
    static Handle None() { return nullptr; }
    static bool Close(Handle algorithm) {
        return BCRYPT_SUCCESS(::BCryptCloseAlgorithmProvider(algorithm, 0));
    }
};
struct KeyTraits {
    using Handle = BCRYPT_KEY_HANDLE;
    static Handle None() { return nullptr; }
    static bool Close(Handle key) { return BCRYPT_SUCCESS(::BCryptDestroyKey(key)); }
};
using Algorithm = win::Unique<AlgorithmTraits>;
using Key = win::Unique<KeyTraits>;

// The API takes non-const pointers even for what it only reads.
PUCHAR In(std::span<const std::uint8_t> bytes) {
    return const_cast<PUCHAR>(bytes.data());
}

bool FitsUlong(std::size_t size) {
    return size <= ULONG_MAX;
}

Algorithm OpenAlgorithm(LPCWSTR name, ULONG flags) {
    Algorithm algorithm;
    if (!BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(algorithm.Put(), name, nullptr, flags))) {
        return {};
    }
    return algorithm;
}

// A key is destroyed before the algorithm it was made with.
struct GcmKey {
    Algorithm aes;
    Key key;
};

// AES-256-GCM under `key`; an empty key handle when the system refused.
GcmKey MakeGcmKey(std::span<const std::uint8_t> key) {
    GcmKey made;
    if (key.size() != sealed::kKeySize) {
        return made;
    }
    made.aes = OpenAlgorithm(BCRYPT_AES_ALGORITHM, 0);
    if (!made.aes) {
        return made;
    }
    auto* mode = reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_GCM));
    if (!BCRYPT_SUCCESS(::BCryptSetProperty(made.aes.Get(), BCRYPT_CHAINING_MODE, mode,
                                            sizeof(BCRYPT_CHAIN_MODE_GCM), 0)) ||
        !BCRYPT_SUCCESS(::BCryptGenerateSymmetricKey(made.aes.Get(), made.key.Put(), nullptr, 0,
                                                     In(key), sealed::kKeySize, 0))) {
        made.key.Reset();
    }
    return made;
}

BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO GcmInfo(std::span<const std::uint8_t> nonce,
                                              std::span<const std::uint8_t> associatedData,
                                              std::uint8_t* tag) {
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info;
    BCRYPT_INIT_AUTH_MODE_INFO(info);
    info.pbNonce = In(nonce);
    info.cbNonce = static_cast<ULONG>(nonce.size());
    info.pbAuthData = In(associatedData);
    info.cbAuthData = static_cast<ULONG>(associatedData.size());
    info.pbTag = tag;
    info.cbTag = sealed::kTagSize;
    return info;
}

bool GcmInputsFit(std::span<const std::uint8_t> nonce, std::span<const std::uint8_t> associatedData,
                  std::size_t textSize) {
    return nonce.size() == sealed::kNonceSize && FitsUlong(associatedData.size()) &&
           FitsUlong(textSize);
}

} // namespace

bool FillRandom(std::span<std::uint8_t> out) {
    return FitsUlong(out.size()) &&
           BCRYPT_SUCCESS(::BCryptGenRandom(nullptr, out.data(), static_cast<ULONG>(out.size()),
                                            BCRYPT_USE_SYSTEM_PREFERRED_RNG));
}

std::optional<sealed::Digest> Sha256(std::span<const std::uint8_t> bytes) {
    const Algorithm sha = OpenAlgorithm(BCRYPT_SHA256_ALGORITHM, 0);
    sealed::Digest digest{};
    if (!sha || !FitsUlong(bytes.size()) ||
        !BCRYPT_SUCCESS(::BCryptHash(sha.Get(), nullptr, 0, In(bytes),
                                     static_cast<ULONG>(bytes.size()), digest.data(),
                                     static_cast<ULONG>(digest.size())))) {
        return std::nullopt;
    }
    return digest;
}

const sealed::Sha256& SystemSha256() {
    static const sealed::Sha256 sha256 = Sha256;
    return sha256;
}

std::optional<SecretBytes> Pbkdf2Sha256(std::span<const std::uint8_t> secret,
                                        std::span<const std::uint8_t> salt,
                                        std::uint32_t iterations, std::size_t length) {
    // Without the HMAC flag Wine answers success with a wrong key.
    const Algorithm hmac = OpenAlgorithm(BCRYPT_SHA256_ALGORITHM, BCRYPT_ALG_HANDLE_HMAC_FLAG);
    if (!hmac || iterations == 0 || !FitsUlong(secret.size()) || !FitsUlong(salt.size()) ||
        !FitsUlong(length)) {
        return std::nullopt;
    }
    SecretBytes derived(length);
    if (!BCRYPT_SUCCESS(
            ::BCryptDeriveKeyPBKDF2(hmac.Get(), In(secret), static_cast<ULONG>(secret.size()),
                                    In(salt), static_cast<ULONG>(salt.size()), iterations,
                                    derived.Data(), static_cast<ULONG>(derived.Size()), 0))) {
        return std::nullopt;
    }
    return derived;
}

std::optional<std::vector<std::uint8_t>> AesGcmSeal(std::span<const std::uint8_t> key,
                                                    std::span<const std::uint8_t> nonce,
                                                    std::span<const std::uint8_t> associatedData,
                                                    std::span<const std::uint8_t> plain) {
    if (!GcmInputsFit(nonce, associatedData, plain.size())) {
        return std::nullopt;
    }
    const GcmKey handle = MakeGcmKey(key);
    if (!handle.key) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> out(plain.size() + sealed::kTagSize);
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info =
        GcmInfo(nonce, associatedData, out.data() + plain.size());
    ULONG written = 0;
    if (!BCRYPT_SUCCESS(::BCryptEncrypt(
            handle.key.Get(), In(plain), static_cast<ULONG>(plain.size()), &info, nullptr, 0,
            out.data(), static_cast<ULONG>(plain.size()), &written, 0)) ||
        written != plain.size()) {
        return std::nullopt;
    }
    return out;
}

GcmOpened AesGcmOpen(std::span<const std::uint8_t> key, std::span<const std::uint8_t> nonce,
                     std::span<const std::uint8_t> associatedData,
                     std::span<const std::uint8_t> sealedText) {
    GcmOpened opened;
    if (sealedText.size() < sealed::kTagSize ||
        !GcmInputsFit(nonce, associatedData, sealedText.size())) {
        return opened;
    }
    const GcmKey handle = MakeGcmKey(key);
    if (!handle.key) {
        return opened;
    }
    const auto cipher = sealedText.first(sealedText.size() - sealed::kTagSize);
    const auto tag = sealedText.last(sealed::kTagSize);
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info =
        GcmInfo(nonce, associatedData, const_cast<std::uint8_t*>(tag.data()));
    SecretBytes plain(cipher.size());
    ULONG written = 0;
    const NTSTATUS status =
        ::BCryptDecrypt(handle.key.Get(), In(cipher), static_cast<ULONG>(cipher.size()), &info,
                        nullptr, 0, plain.Data(), static_cast<ULONG>(plain.Size()), &written, 0);
    if (BCRYPT_SUCCESS(status) && written == cipher.size()) {
        opened.status = GcmOpen::Opened;
        opened.plain = std::move(plain);
    } else {
        // `plain` now holds unauthenticated bytes: its destructor wipes them.
        opened.status = status == kAuthTagMismatch ? GcmOpen::TagMismatch : GcmOpen::Failed;
    }
    return opened;
}

std::optional<SecretBytes> PasswordUtf8(std::wstring_view password) {
    if (password.empty()) {
        return SecretBytes();
    }
    if (password.size() > INT_MAX / 4) {
        return std::nullopt;
    }
    const int sourceLength = static_cast<int>(password.size());
    int capacity = ::NormalizeString(NormalizationC, password.data(), sourceLength, nullptr, 0);
    SecretBuffer<wchar_t> normalized;
    int normalizedLength = 0;
    // The first answer is an estimate; a short buffer answers a better one.
    for (int attempt = 0; attempt < 4 && normalizedLength <= 0; ++attempt) {
        if (capacity <= 0) {
            return std::nullopt;
        }
        normalized = SecretBuffer<wchar_t>(static_cast<std::size_t>(capacity));
        normalizedLength = ::NormalizeString(NormalizationC, password.data(), sourceLength,
                                             normalized.Data(), capacity);
        if (normalizedLength <= 0) {
            if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
                return std::nullopt;
            }
            capacity = normalizedLength < 0 ? -normalizedLength : capacity * 2;
        }
    }
    if (normalizedLength <= 0) {
        return std::nullopt;
    }
    const int utf8Length = ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, normalized.Data(),
                                                 normalizedLength, nullptr, 0, nullptr, nullptr);
    if (utf8Length <= 0) {
        return std::nullopt;
    }
    SecretBytes utf8(static_cast<std::size_t>(utf8Length));
    if (::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, normalized.Data(), normalizedLength,
                              reinterpret_cast<char*>(utf8.Data()), utf8Length, nullptr,
                              nullptr) != utf8Length) {
        return std::nullopt;
    }
    return utf8;
}

} // namespace cng
