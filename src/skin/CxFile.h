// Byte streams the picture decoder reads from.
#pragma once

#include <cstddef>
#include <cstdint>

// A readable, seekable stream. Seek origins are SEEK_SET, SEEK_CUR and SEEK_END.
class CxFile {
public:
    CxFile() = default;
    CxFile(const CxFile&) = delete;
    CxFile& operator=(const CxFile&) = delete;
    virtual ~CxFile() = default;

    // Reads up to `count` items of `size` bytes; answers how many whole items were read.
    virtual std::size_t Read(void* buffer, std::size_t size, std::size_t count) = 0;
    virtual bool Seek(std::int64_t offset, int origin) = 0;
    virtual std::int64_t Tell() const = 0;
    virtual std::int64_t Size() const = 0;
    virtual bool Eof() const = 0;
};

// A stream over bytes owned by someone else (a resource, which lives as long
// as the process).
class CxMemFile : public CxFile {
public:
    CxMemFile(const void* data, std::size_t size)
        : data_(static_cast<const std::uint8_t*>(data)), size_(data ? size : 0) {}

    std::size_t Read(void* buffer, std::size_t size, std::size_t count) override;
    // Positions outside 0..Size() are refused and leave the position as it was.
    bool Seek(std::int64_t offset, int origin) override;
    std::int64_t Tell() const override { return static_cast<std::int64_t>(position_); }
    std::int64_t Size() const override { return static_cast<std::int64_t>(size_); }
    bool Eof() const override { return position_ >= size_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};
