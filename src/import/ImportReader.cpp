#include "import/ImportReader.h"

#include <algorithm>
#include <string_view>

#include "import/AppExports.h"
#include "import/TableReader.h"

namespace imports {
namespace {

// Enough to see past a BOM and blank lines, and for the decoder to tell UTF-8.
constexpr std::size_t kHeadSize = 4096;
// A zip's central directory, which names its entries, is at its end.
constexpr std::size_t kZipTailSize = 64 * 1024;

std::string_view AsText(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

bool IsBlank(char32_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Control bytes that no text holds; tab, line ends, form feed and the old
// end-of-file mark do appear in text files.
bool IsBinaryByte(std::uint8_t byte) {
    return byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r' && byte != '\f' &&
           byte != 0x1A;
}

FileShape ShapeOfFirst(char32_t c) {
    if (c == '{' || c == '[') {
        return FileShape::Json;
    }
    return c == '<' ? FileShape::Xml : FileShape::Table;
}

std::uint16_t Little16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

// Names of zip entries: in local headers in `head`, in the central directory
// in `tail`.
bool ZipHoldsWorkbook(std::span<const std::uint8_t> head, std::span<const std::uint8_t> tail) {
    bool openDocumentNamed = false;
    bool openDocumentSpreadsheet =
        AsText(head).find("opendocument.spreadsheet") != std::string_view::npos;
    const auto entries = [&](std::span<const std::uint8_t> bytes, std::string_view signature,
                             std::size_t lengthAt, std::size_t nameAt) {
        const std::string_view text = AsText(bytes);
        for (std::size_t at = text.find(signature); at != std::string_view::npos;
             at = text.find(signature, at + 1)) {
            if (at + nameAt > text.size()) {
                break;
            }
            const std::size_t length = Little16(bytes, at + lengthAt);
            const std::string_view name = text.substr(at + nameAt, length);
            if (name.starts_with("xl/")) {
                return true;
            }
            openDocumentNamed = openDocumentNamed || name == "content.xml" || name == "mimetype";
        }
        return false;
    };
    if (entries(head, "PK\x03\x04", 26, 30) || entries(tail, "PK\x01\x02", 28, 46)) {
        return true;
    }
    return openDocumentNamed && openDocumentSpreadsheet;
}

ImportRead ShapedRead(FileShape shape) {
    ImportRead read;
    read.shape = shape;
    return read;
}

// A file read as nothing but its shape.
class ShapeOnly final : public FormatReader {
public:
    explicit ShapeOnly(FileShape shape) : shape_(shape) {}
    void Feed(std::span<const std::uint8_t>) override {}
    ImportRead Finish() override { return ShapedRead(shape_); }

private:
    FileShape shape_;
};

// A zip: a workbook, or whatever the archive reader makes of it.
class ZipReader final : public FormatReader {
public:
    explicit ZipReader(const ReadOptions& options)
        : archive_(ReaderFor(FileShape::Archive, options)) {}

    void Feed(std::span<const std::uint8_t> chunk) override {
        archive_->Feed(chunk);
        if (head_.size() < kHeadSize) {
            const std::size_t taken = std::min(chunk.size(), kHeadSize - head_.size());
            head_.insert(head_.end(), chunk.begin(), chunk.begin() + taken);
        }
        tail_.insert(tail_.end(), chunk.begin(), chunk.end());
        if (tail_.size() > 2 * kZipTailSize) {
            tail_.erase(tail_.begin(), tail_.end() - kZipTailSize);
        }
    }
    ImportRead Finish() override {
        if (ZipHoldsWorkbook(head_, tail_)) {
            return ShapedRead(FileShape::Workbook);
        }
        return archive_->Finish();
    }

private:
    std::unique_ptr<FormatReader> archive_;
    std::vector<std::uint8_t> head_;
    std::vector<std::uint8_t> tail_;
};

} // namespace

FileShape SniffShape(std::span<const std::uint8_t> head) {
    const std::string_view text = AsText(head);
    if (text.empty()) {
        return FileShape::Empty;
    }
    if (text.starts_with("PK\x03\x04")) {
        return FileShape::Archive;
    }
    if (text.starts_with(std::string_view("SQLite format 3\0", 16))) {
        return FileShape::Database;
    }
    const bool littleEndian = text.starts_with("\xFF\xFE");
    if (littleEndian || text.starts_with("\xFE\xFF")) {
        for (std::size_t at = 2; at + 1 < head.size(); at += 2) {
            const char32_t unit = littleEndian ? Little16(head, at) : head[at] << 8 | head[at + 1];
            if (!IsBlank(unit)) {
                return ShapeOfFirst(unit);
            }
        }
        return FileShape::Table;
    }
    if (std::any_of(head.begin(), head.end(), IsBinaryByte)) {
        return FileShape::Binary;
    }
    const std::string_view body = text.starts_with("\xEF\xBB\xBF") ? text.substr(3) : text;
    const std::size_t first = body.find_first_not_of(" \t\r\n");
    return first == std::string_view::npos ? FileShape::Table : ShapeOfFirst(body[first]);
}

std::unique_ptr<FormatReader> ReaderFor(FileShape shape, const ReadOptions& options) {
    switch (shape) {
    case FileShape::Empty:
    case FileShape::Table:
        return std::make_unique<TableReader>(options);
    case FileShape::Json:
        return MakeJsonReader(options);
    case FileShape::Xml:
        return MakeHealthXmlReader(options);
    case FileShape::Archive:
        return MakeZipReader(options);
    case FileShape::Workbook:
    case FileShape::Database:
    case FileShape::Binary:
        break;
    }
    return std::make_unique<ShapeOnly>(shape);
}

ImportReader::ImportReader(const ReadOptions& options) : options_(options) {}

ImportReader::~ImportReader() = default;

void ImportReader::Feed(std::span<const std::uint8_t> chunk) {
    if (!reader_) {
        const std::size_t taken = std::min(chunk.size(), kHeadSize - head_.size());
        head_.insert(head_.end(), chunk.begin(), chunk.begin() + taken);
        chunk = chunk.subspan(taken);
        if (head_.size() < kHeadSize) {
            return;
        }
        Start();
    }
    reader_->Feed(chunk);
}

ImportRead ImportReader::Finish() {
    if (!reader_) {
        Start();
    }
    return reader_->Finish();
}

void ImportReader::Start() {
    const FileShape shape = SniffShape(head_);
    if (shape == FileShape::Archive) {
        reader_ = std::make_unique<ZipReader>(options_);
    } else {
        reader_ = ReaderFor(shape, options_);
    }
    reader_->Feed(head_);
    head_ = {};
}

ImportRead ReadImport(std::span<const std::uint8_t> bytes, const ReadOptions& options) {
    ImportReader reader(options);
    reader.Feed(bytes);
    return reader.Finish();
}

} // namespace imports
