// Reads a file she brings for import, whatever it turns out to be: the first
// bytes tell its shape, and the reader for that shape takes the rest as it
// comes, in chunks of any size.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "import/FormatReader.h"
#include "import/ImportRead.h"

namespace imports {

class ImportReader {
public:
    explicit ImportReader(const ReadOptions& options);
    ~ImportReader();
    ImportReader(const ImportReader&) = delete;
    ImportReader& operator=(const ImportReader&) = delete;

    void Feed(std::span<const std::uint8_t> chunk); // any chunk sizes, including 1 byte
    ImportRead Finish();

private:
    void Start();

    ReadOptions options_;
    std::vector<std::uint8_t> head_; // until it is long enough to tell the shape
    std::unique_ptr<FormatReader> reader_;
};

ImportRead ReadImport(std::span<const std::uint8_t> bytes, const ReadOptions& options);

// What the first bytes of a file say it is. A zip is an Archive here: which
// zip is a workbook only its entries tell.
FileShape SniffShape(std::span<const std::uint8_t> head);

} // namespace imports
