// A zip such as the one Health's Export All writes: export.xml inside it is
// read as it inflates. A workbook (.xlsx) is a zip too, and is named as one.
#include <algorithm>
#include <cctype>

#include "import/AppExports.h"
#include "import/ZipEntries.h"

namespace imports {
namespace {

bool EndsWithNoCase(std::string_view text, std::string_view ending) {
    return text.size() >= ending.size() &&
           std::equal(ending.begin(), ending.end(),
                      text.end() - static_cast<std::ptrdiff_t>(ending.size()), [](char a, char b) {
                          return std::tolower(static_cast<unsigned char>(a)) ==
                                 std::tolower(static_cast<unsigned char>(b));
                      });
}

class ZipReader final : public FormatReader, private ZipEntryVisitor {
public:
    explicit ZipReader(const ReadOptions& options) : options_(options) {}

    void Feed(std::span<const std::uint8_t> chunk) override {
        if (!exportRead_) {
            entries_.Feed(chunk);
        }
    }

    ImportRead Finish() override {
        if (export_) {
            return export_->Finish();
        }
        ImportRead read;
        read.shape = isWorkbook_ ? FileShape::Workbook : FileShape::Archive;
        return read;
    }

private:
    // The first export.xml (export_cda.xml, the clinical records beside it, is not one).
    bool Wants(std::string_view name) override {
        isWorkbook_ = isWorkbook_ || name.starts_with("xl/");
        if (export_ || !EndsWithNoCase(name, "export.xml")) {
            return false;
        }
        export_ = MakeHealthXmlReader(options_);
        return true;
    }

    void Take(std::span<const std::uint8_t> bytes) override { export_->Feed(bytes); }

    void End() override { exportRead_ = true; }

    ReadOptions options_;
    ZipEntries entries_{*this};
    std::unique_ptr<FormatReader> export_;
    bool exportRead_ = false;
    bool isWorkbook_ = false;
};

} // namespace

std::unique_ptr<FormatReader> MakeZipReader(const ReadOptions& options) {
    return std::make_unique<ZipReader>(options);
}

} // namespace imports
