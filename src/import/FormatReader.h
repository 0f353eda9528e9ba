// One reader per kind of file, fed the file's bytes as they come.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "import/ImportRead.h"

namespace imports {

class FormatReader {
public:
    virtual ~FormatReader() = default;
    virtual void Feed(std::span<const std::uint8_t>) = 0;
    virtual ImportRead Finish() = 0;
};

// The reader for a file of this shape: tables, JSON and XML (Apple Health)
// exports, zips; the other shapes read as nothing but their shape.
std::unique_ptr<FormatReader> ReaderFor(FileShape shape, const ReadOptions& options);

} // namespace imports
