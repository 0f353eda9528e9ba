// A text table she brings: a list of dates, a log of days, periods with a
// start and an end, or events of which periods are some; read as it comes,
// keeping only its first rows until its shape is known.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "import/DayList.h"
#include "import/FormatReader.h"
#include "import/Records.h"
#include "import/TableShape.h"
#include "import/TextDecoder.h"

namespace imports {

class TableReader final : public FormatReader {
public:
    explicit TableReader(const ReadOptions& options);

    void Feed(std::span<const std::uint8_t> chunk) override;
    ImportRead Finish() override;

private:
    void TakeText(std::string_view text);
    void StartRecords();
    void TakeRecord(const Record& record);
    void SettleShape();
    void ReadRow(std::size_t line, std::span<const std::string> fields, bool tooWide);

    TextDecoder decoder_;
    LineEnds lineEnds_;
    std::string decoded_;    // scratch, per chunk
    std::string normalized_; // scratch, per chunk
    std::string sample_;     // the text until the separator is found
    std::size_t sampleLines_ = 0;
    std::optional<RecordSplitter> records_;
    RecordSplitter::Sink sink_;
    std::vector<SampleRecord> firstRecords_; // until the shape is known
    std::optional<TableColumns> columns_;
    DayList days_;
    bool sawText_ = false;
    bool sawDate_ = false;
};

} // namespace imports
