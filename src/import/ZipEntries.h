// The entries of a zip read from their local headers as the bytes stream by:
// the central directory at the end is never waited for. Stored and deflated
// entries are handed out as they inflate, a chunk at a time, so memory stays
// the same however much an entry inflates to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct z_stream_s;

namespace imports {

class ZipEntryVisitor {
public:
    virtual ~ZipEntryVisitor() = default;
    // Whether the entry's bytes are wanted; the others are stepped over.
    virtual bool Wants(std::string_view name) = 0;
    virtual void Take(std::span<const std::uint8_t> bytes) = 0;
    // After the last bytes of a wanted entry, or where it could not be read further.
    virtual void End() = 0;
};

class ZipEntries {
public:
    explicit ZipEntries(ZipEntryVisitor& visitor);
    ~ZipEntries();
    ZipEntries(const ZipEntries&) = delete;
    ZipEntries& operator=(const ZipEntries&) = delete;

    void Feed(std::span<const std::uint8_t> chunk);
    // Past the last local header, or at bytes that cannot be read on.
    bool IsOver() const { return state_ == State::Over; }

private:
    enum class State : std::uint8_t { Header, Name, Extra, Stored, Deflated, Skip, Seek, Over };

    struct InflateEnd {
        void operator()(z_stream_s* stream) const;
    };

    // Each step takes what it can of the bytes and says how many it used.
    std::size_t StepField(std::span<const std::uint8_t> bytes);
    std::size_t StepKnownSize(std::span<const std::uint8_t> bytes);
    std::size_t StepDeflated(std::span<const std::uint8_t> bytes);
    std::size_t StepSeek(std::span<const std::uint8_t> bytes);
    void ReadField(State state, std::size_t size);
    void EndField();
    void ReadZip64Sizes();
    void StartData();
    void EndEntry();
    void Stop();

    ZipEntryVisitor& visitor_;
    State state_ = State::Header;
    std::vector<std::uint8_t> field_; // the header, name or extra field being read
    std::size_t fieldSize_ = 0;

    std::uint16_t flags_ = 0;
    std::uint16_t method_ = 0;
    std::uint64_t compressedSize_ = 0;
    std::uint64_t uncompressedSize_ = 0;
    std::uint16_t extraSize_ = 0;
    std::string name_;
    bool wanted_ = false;

    std::uint64_t left_ = 0; // bytes of the entry still to come, when its size is known
    bool sizeKnown_ = false;
    std::unique_ptr<z_stream_s, InflateEnd> inflater_;
    std::vector<std::uint8_t> inflated_;
    std::uint32_t window_ = 0; // the last four bytes seen while seeking the next header
    std::size_t sought_ = 0;
};

} // namespace imports
