#include "skin/CxFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

std::size_t CxMemFile::Read(void* buffer, std::size_t size, std::size_t count) {
    if (size == 0 || count == 0 || !buffer) {
        return 0;
    }
    const std::size_t items = std::min(count, (size_ - position_) / size);
    if (items > 0) {
        std::memcpy(buffer, data_ + position_, items * size);
        position_ += items * size;
    }
    return items;
}

bool CxMemFile::Seek(std::int64_t offset, int origin) {
    std::int64_t base = 0;
    switch (origin) {
    case SEEK_SET:
        base = 0;
        break;
    case SEEK_CUR:
        base = Tell();
        break;
    case SEEK_END:
        base = Size();
        break;
    default:
        return false;
    }
    // Both are at most the block size, so neither sum can overflow unnoticed.
    if (offset < -base || offset > Size() - base) {
        return false;
    }
    position_ = static_cast<std::size_t>(base + offset);
    return true;
}
