#include "import/ZipEntries.h"

#include <algorithm>

#include <zlib.h>

namespace imports {
namespace {

constexpr std::uint32_t kLocalHeader = 0x04034b50;
constexpr std::uint32_t kCentralHeader = 0x02014b50;
constexpr std::uint32_t kEndOfDirectory = 0x06054b50;
constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::uint16_t kEncrypted = 1;
constexpr std::uint16_t kSizesAfterData = 8;
constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDeflated = 8;
constexpr std::uint16_t kZip64Extra = 1;
constexpr std::uint32_t kSizeInZip64Extra = 0xFFFFFFFF;
// A data descriptor with its signature and 64-bit sizes is 24 bytes.
constexpr std::size_t kLongestDescriptor = 24;
constexpr std::size_t kInflatedChunk = 64 * 1024;

std::uint16_t Little16(const std::uint8_t* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

std::uint32_t Little32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(Little16(bytes)) |
           static_cast<std::uint32_t>(Little16(bytes + 2)) << 16;
}

std::uint64_t Little64(const std::uint8_t* bytes) {
    return static_cast<std::uint64_t>(Little32(bytes)) |
           static_cast<std::uint64_t>(Little32(bytes + 4)) << 32;
}

} // namespace

void ZipEntries::InflateEnd::operator()(z_stream_s* stream) const {
    inflateEnd(stream);
    delete stream;
}

ZipEntries::ZipEntries(ZipEntryVisitor& visitor) : visitor_(visitor) {
    ReadField(State::Header, kLocalHeaderSize);
}

ZipEntries::~ZipEntries() = default;

void ZipEntries::Feed(std::span<const std::uint8_t> chunk) {
    while (!chunk.empty() && state_ != State::Over) {
        std::size_t used = 0;
        switch (state_) {
        case State::Header:
        case State::Name:
        case State::Extra:
            used = StepField(chunk);
            break;
        case State::Stored:
        case State::Skip:
            used = StepKnownSize(chunk);
            break;
        case State::Deflated:
            used = StepDeflated(chunk);
            break;
        default: // Seek
            used = StepSeek(chunk);
            break;
        }
        chunk = chunk.subspan(used);
    }
}

void ZipEntries::ReadField(State state, std::size_t size) {
    state_ = state;
    field_.clear();
    fieldSize_ = size;
    if (size == 0) {
        EndField();
    }
}

std::size_t ZipEntries::StepField(std::span<const std::uint8_t> bytes) {
    const std::size_t used = std::min(bytes.size(), fieldSize_ - field_.size());
    field_.insert(field_.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(used));
    if (field_.size() == fieldSize_) {
        EndField();
    }
    return used;
}

void ZipEntries::EndField() {
    const std::uint8_t* bytes = field_.data();
    switch (state_) {
    case State::Header:
        // The central directory, or anything else: no entry follows.
        if (Little32(bytes) != kLocalHeader) {
            Stop();
            return;
        }
        flags_ = Little16(bytes + 6);
        method_ = Little16(bytes + 8);
        compressedSize_ = Little32(bytes + 18);
        uncompressedSize_ = Little32(bytes + 22);
        extraSize_ = Little16(bytes + 28);
        ReadField(State::Name, Little16(bytes + 26));
        return;
    case State::Name:
        name_.assign(field_.begin(), field_.end());
        ReadField(State::Extra, extraSize_);
        return;
    default: // Extra
        ReadZip64Sizes();
        StartData();
        return;
    }
}

// Sizes past 4 GiB are in the zip64 extra field, each only when the header's is all ones.
void ZipEntries::ReadZip64Sizes() {
    for (std::size_t at = 0; at + 4 <= field_.size();) {
        const std::uint16_t id = Little16(&field_[at]);
        const std::size_t size = Little16(&field_[at + 2]);
        const std::size_t end = std::min(field_.size(), at + 4 + size);
        if (id == kZip64Extra) {
            std::size_t value = at + 4;
            if (uncompressedSize_ == kSizeInZip64Extra && value + 8 <= end) {
                uncompressedSize_ = Little64(&field_[value]);
                value += 8;
            }
            if (compressedSize_ == kSizeInZip64Extra && value + 8 <= end) {
                compressedSize_ = Little64(&field_[value]);
            }
        }
        at = end;
    }
}

void ZipEntries::StartData() {
    const bool encrypted = (flags_ & kEncrypted) != 0;
    sizeKnown_ = (flags_ & kSizesAfterData) == 0;
    left_ = compressedSize_;
    const bool readable =
        !encrypted && (method_ == kDeflated || (method_ == kStored && sizeKnown_));
    wanted_ = readable && visitor_.Wants(name_);
    if (!encrypted && method_ == kDeflated && (wanted_ || !sizeKnown_)) {
        // A deflate stream ends itself: the way past an entry whose size
        // comes after it, wanted or not.
        auto stream = std::make_unique<z_stream>();
        if (inflateInit2(stream.get(), -MAX_WBITS) != Z_OK) {
            Stop();
            return;
        }
        inflater_.reset(stream.release());
        inflated_.resize(kInflatedChunk);
        state_ = State::Deflated;
        return;
    }
    if (!sizeKnown_) {
        Stop(); // stored or unknown data whose end cannot be found
        return;
    }
    state_ = wanted_ ? State::Stored : State::Skip;
    if (left_ == 0) {
        EndEntry();
    }
}

std::size_t ZipEntries::StepKnownSize(std::span<const std::uint8_t> bytes) {
    const std::size_t used = static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), left_));
    if (state_ == State::Stored) {
        visitor_.Take(bytes.first(used));
    }
    left_ -= used;
    if (left_ == 0) {
        EndEntry();
    }
    return used;
}

std::size_t ZipEntries::StepDeflated(std::span<const std::uint8_t> bytes) {
    if (sizeKnown_) {
        bytes = bytes.first(static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), left_)));
    }
    z_stream& stream = *inflater_;
    stream.next_in = const_cast<Bytef*>(bytes.data());
    stream.avail_in = static_cast<uInt>(std::min<std::size_t>(bytes.size(), UINT32_MAX));
    const uInt offered = stream.avail_in;
    int result = Z_OK;
    do {
        stream.next_out = inflated_.data();
        stream.avail_out = static_cast<uInt>(inflated_.size());
        result = inflate(&stream, Z_NO_FLUSH);
        const std::size_t produced = inflated_.size() - stream.avail_out;
        if (wanted_ && produced > 0) {
            visitor_.Take(std::span(inflated_).first(produced));
        }
    } while (result == Z_OK && (stream.avail_in > 0 || stream.avail_out == 0));
    const std::size_t used = offered - stream.avail_in;
    left_ -= sizeKnown_ ? used : 0;

    if (result == Z_STREAM_END) {
        inflater_.reset();
        if (sizeKnown_ && left_ > 0) {
            state_ = State::Skip; // bytes the stream did not need
        } else {
            EndEntry();
        }
    } else if ((result != Z_OK && result != Z_BUF_ERROR) || used == 0 ||
               (sizeKnown_ && left_ == 0)) {
        Stop(); // damaged, or cut short
    }
    return used;
}

// After an entry whose sizes follow it: the data descriptor, with or without
// its signature, then the next header.
std::size_t ZipEntries::StepSeek(std::span<const std::uint8_t> bytes) {
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        window_ = window_ >> 8 | static_cast<std::uint32_t>(bytes[at]) << 24;
        ++sought_;
        if (window_ == kLocalHeader) {
            ReadField(State::Header, kLocalHeaderSize);
            const std::uint8_t signature[] = {0x50, 0x4b, 0x03, 0x04};
            field_.assign(std::begin(signature), std::end(signature));
            return at + 1;
        }
        if (window_ == kCentralHeader || window_ == kEndOfDirectory ||
            sought_ > kLongestDescriptor + 4) {
            Stop();
            return at + 1;
        }
    }
    return bytes.size();
}

void ZipEntries::EndEntry() {
    if (wanted_) {
        wanted_ = false;
        visitor_.End();
    }
    inflater_.reset();
    if (sizeKnown_) {
        ReadField(State::Header, kLocalHeaderSize);
        return;
    }
    window_ = 0;
    sought_ = 0;
    state_ = State::Seek;
}

void ZipEntries::Stop() {
    if (wanted_) {
        wanted_ = false;
        visitor_.End();
    }
    inflater_.reset();
    state_ = State::Over;
}

} // namespace imports
