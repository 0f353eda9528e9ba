#include "cycle/SealedEnvelope.h"

#include <algorithm>

#include "cycle/CalendarData.h"
#include "cycle/DataFile.h"

FileKind KindOf(std::span<const std::uint8_t> bytes) {
    switch (sealed::ParseHeader(bytes, cng::SystemSha256()).kind) {
    case sealed::HeaderKind::NotSealed:
        return FileKind::Plain;
    case sealed::HeaderKind::Sealed:
        return FileKind::Sealed;
    case sealed::HeaderKind::NewerVersion:
        return FileKind::NewerVersion;
    case sealed::HeaderKind::TooManyIterations:
        return FileKind::TooManyIterations;
    case sealed::HeaderKind::Damaged:
        break;
    }
    return FileKind::DamagedHeader;
}

std::vector<std::uint8_t> SealedEnvelope::Seal(const CalendarData& data) const {
    if (!key_) {
        return {};
    }
    const cng::SecretBytes plain(datafile::Encode(data));
    std::optional<std::vector<std::uint8_t>> padded = sealed::PadPlain(plain.Span());
    if (!padded) {
        return {};
    }
    const cng::SecretBytes paddedPlain(std::move(*padded));
    std::array<std::uint8_t, sealed::kNonceSize> nonce{};
    if (!cng::FillRandom(nonce)) {
        return {};
    }
    const std::optional<std::vector<std::uint8_t>> sealedText =
        cng::AesGcmSeal(key_->dataKey.Span(), nonce, key_->header, paddedPlain.Span());
    if (!sealedText) {
        return {};
    }
    std::vector<std::uint8_t> file = key_->header;
    sealed::AppendBody(file, nonce, *sealedText);
    return file;
}

DataEnvelope::Opened SealedEnvelope::Open(std::span<const std::uint8_t> bytes,
                                          CalendarData& data) const {
    // Whatever does not open leaves no marks, as with a damaged plain file.
    data.ClearMarks();
    const sealed::ParsedHeader parsed = sealed::ParseHeader(bytes, cng::SystemSha256());
    if (parsed.kind == sealed::HeaderKind::NewerVersion) {
        return Opened::Locked;
    }
    if (parsed.kind != sealed::HeaderKind::Sealed) {
        return Opened::Damaged;
    }
    const auto header = bytes.first(parsed.length);
    const std::optional<sealed::Body> body = sealed::SplitBody(bytes.subspan(parsed.length));
    if (!body) {
        return Opened::Damaged;
    }
    if (!key_ ||
        !std::equal(header.begin(), header.end(), key_->header.begin(), key_->header.end())) {
        return Opened::Locked;
    }
    const cng::GcmOpened opened =
        cng::AesGcmOpen(key_->dataKey.Span(), body->nonce, header, body->sealedText);
    if (opened.status != cng::GcmOpen::Opened) {
        return Opened::Damaged;
    }
    std::optional<std::vector<std::uint8_t>> unpadded = sealed::UnpadPlain(opened.plain.Span());
    if (!unpadded) {
        return Opened::Damaged;
    }
    const cng::SecretBytes plain(std::move(*unpadded));
    return PlainEnvelope::Shared().Open(plain.Span(), data);
}

bool SealedEnvelope::IsWhole(std::span<const std::uint8_t> bytes) const {
    const sealed::ParsedHeader parsed = sealed::ParseHeader(bytes, cng::SystemSha256());
    return parsed.kind == sealed::HeaderKind::Sealed &&
           sealed::SplitBody(bytes.subspan(parsed.length)).has_value();
}
