#include "import/TableReader.h"

#include <algorithm>

#include "import/FlowWords.h"
#include "import/Folding.h"

namespace imports {
namespace {

// A list of dates such as "March 3, 2024" has commas but no columns. A title
// or a header may stand above it.
bool IsPlainDateList(std::string_view sample) {
    bool dated = false;
    while (!sample.empty()) {
        const std::size_t end = sample.find('\n');
        const std::string_view line = sample.substr(0, end);
        sample.remove_prefix(end == std::string_view::npos ? sample.size() : end + 1);
        if (TrimSpace(line).empty()) {
            continue;
        }
        const bool date = ReadCellDate(line).has_value();
        if (dated && !date) {
            return false;
        }
        dated = dated || date;
    }
    return dated;
}

std::string_view Cell(std::span<const std::string> fields, std::optional<std::size_t> column) {
    return column && *column < fields.size() ? std::string_view(fields[*column])
                                             : std::string_view();
}

// The leading whole number of a length cell ("5", "5 days"); 1 when none.
int ReadLength(std::string_view cell) {
    cell = TrimSpace(cell);
    int length = 0;
    std::size_t digits = 0;
    for (; digits < cell.size() && digits < 4 && cell[digits] >= '0' && cell[digits] <= '9';
         ++digits) {
        length = length * 10 + (cell[digits] - '0');
    }
    return digits == 0 ? 1 : length;
}

} // namespace

TableReader::TableReader(const ReadOptions& options)
    : decoder_(options.codePage), sink_([this](const Record& record) { TakeRecord(record); }),
      days_(options) {}

void TableReader::Feed(std::span<const std::uint8_t> chunk) {
    decoded_.clear();
    decoder_.Decode(chunk, decoded_);
    normalized_.clear();
    lineEnds_.Normalize(decoded_, normalized_);
    TakeText(normalized_);
}

ImportRead TableReader::Finish() {
    decoded_.clear();
    decoder_.Finish(decoded_);
    normalized_.clear();
    lineEnds_.Normalize(decoded_, normalized_);
    TakeText(normalized_);
    if (!records_) {
        StartRecords();
    }
    records_->Finish(sink_);
    if (!columns_) {
        SettleShape();
    }
    ImportRead read;
    read.shape = sawText_ ? FileShape::Table : FileShape::Empty;
    read.foundDateColumn = sawDate_;
    days_.Finish(read);
    return read;
}

void TableReader::TakeText(std::string_view text) {
    if (!records_) {
        // The separator is found from the same lines however the text comes.
        std::size_t taken = 0;
        while (taken < text.size() && sampleLines_ < kShapeRows &&
               sample_.size() + taken < kRecordLimit) {
            sampleLines_ += text[taken++] == '\n' ? 1 : 0;
        }
        sample_.append(text.substr(0, taken));
        text.remove_prefix(taken);
        if (sampleLines_ < kShapeRows && sample_.size() < kRecordLimit) {
            return;
        }
        StartRecords();
    }
    records_->Feed(text, sink_);
}

void TableReader::StartRecords() {
    records_.emplace(IsPlainDateList(sample_) ? '\0' : ChooseSeparator(sample_));
    std::string sample;
    sample.swap(sample_);
    records_->Feed(sample, sink_);
}

void TableReader::TakeRecord(const Record& record) {
    sawText_ = sawText_ || !IsBlankRecord(record.fields);
    if (columns_) {
        ReadRow(record.line, record.fields, record.tooWide);
        return;
    }
    firstRecords_.push_back(
        {record.line, {record.fields.begin(), record.fields.end()}, record.tooWide});
    if (firstRecords_.size() >= kShapeRows) {
        SettleShape();
    }
}

void TableReader::SettleShape() {
    columns_ = FindColumns(firstRecords_);
    for (std::size_t i = columns_->dataStart; i < firstRecords_.size(); ++i) {
        const SampleRecord& record = firstRecords_[i];
        ReadRow(record.line, record.fields, record.tooWide);
    }
    firstRecords_ = {};
}

void TableReader::ReadRow(std::size_t line, std::span<const std::string> fields, bool tooWide) {
    if (tooWide) {
        days_.LeaveOut(line, LeftOut::TooWide);
        return;
    }
    if (IsBlankRecord(fields)) {
        return;
    }
    const TableColumns& columns = *columns_;
    const std::string_view dateCell = TrimSpace(Cell(fields, columns.date.value_or(0)));
    if (dateCell.empty()) {
        days_.LeaveOut(line, LeftOut::NoDate);
        return;
    }
    const auto date = ReadCellDate(dateCell);
    if (!date) {
        days_.LeaveOut(line, LeftOut::BadDate);
        return;
    }
    sawDate_ = true;
    if (columns.exclude && ReadYes(Cell(fields, columns.exclude))) {
        days_.LeaveOut(line, LeftOut::Excluded);
        return;
    }

    Flow flow = Flow::Bleeding;
    const std::string_view flowCell = Cell(fields, columns.flow);
    if (columns.category) {
        const EventKind kind = ReadEventKind(Cell(fields, columns.category));
        if (kind == EventKind::Other) {
            days_.LeaveOut(line, LeftOut::OtherEvent);
            return;
        }
        // A flow column may say how much; an empty one says nothing against the event.
        if (kind == EventKind::Spotting) {
            flow = Flow::Spotting;
        } else if (!TrimSpace(flowCell).empty()) {
            flow = columns.flowIsLevel ? ReadFlowLevel(flowCell) : ReadFlowValue(flowCell);
        }
    } else if (columns.flow) {
        flow = columns.flowIsLevel ? ReadFlowLevel(flowCell) : ReadFlowValue(flowCell);
    }

    if (columns.end) {
        const std::string_view endCell = TrimSpace(Cell(fields, columns.end));
        const auto end = endCell.empty() ? date : ReadCellDate(endCell);
        if (!end) {
            days_.LeaveOut(line, LeftOut::BadDate);
            return;
        }
        days_.AddSpan(line, *date, *end, flow);
    } else if (columns.length) {
        days_.AddSpan(line, *date, ReadLength(Cell(fields, columns.length)), flow);
    } else {
        days_.AddDay(line, *date, flow);
    }
}

} // namespace imports
