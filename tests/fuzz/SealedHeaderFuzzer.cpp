// Feeds arbitrary bytes to the sealed file's header parser and padding check.
// Neither may crash; a header taken as sealed must be written back byte for
// byte, and padding taken as whole must be made again the same.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "StandInDigest.h"
#include "crypto/SealedFormat.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

bool StartsLikeTheMagic(std::span<const std::uint8_t> bytes) {
    const std::size_t seen = std::min(bytes.size(), sealed::kMagicSize);
    return seen > 0 && std::equal(bytes.begin(), bytes.begin() + seen, sealed::kMagic.begin());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const sealed::Sha256 digest = StandInDigest;
    const sealed::ParsedHeader parsed = sealed::ParseHeader(bytes, digest);
    Check((parsed.kind == sealed::HeaderKind::NotSealed) == !StartsLikeTheMagic(bytes));
    if (parsed.kind == sealed::HeaderKind::Sealed) {
        Check(parsed.length == sealed::kHeaderSize);
        for (const sealed::KeySlot* slot : {&parsed.header.password, &parsed.header.recovery}) {
            Check(slot->iterations >= 1 && slot->iterations <= sealed::kMaxIterations);
        }
        const auto written = sealed::SerializeHeader(parsed.header, digest);
        Check(written && std::equal(written->begin(), written->end(), bytes.begin()));
        const auto body = sealed::SplitBody(bytes.subspan(parsed.length));
        if (body) {
            Check(4 + body->nonce.size() + body->sealedText.size() == size - parsed.length);
        }
    } else {
        Check(parsed.length == 0);
    }
    if (const auto plain = sealed::UnpadPlain(bytes)) {
        const auto padded = sealed::PadPlain(*plain);
        Check(padded && std::equal(padded->begin(), padded->end(), bytes.begin(), bytes.end()));
    }
    return 0;
}
