// Apple Health's export.xml: one Record element per sample, most of them steps
// and heart beats. Only menstrual-flow and intermenstrual-bleeding records are
// days; every other element is stepped over as it streams by.
#include <optional>
#include <string>
#include <utility>

#include "import/AppExports.h"
#include "import/DateText.h"
#include "import/DayTally.h"
#include "import/XmlTokens.h"

namespace imports {
namespace {

constexpr std::string_view kMenstrualFlow = "HKCategoryTypeIdentifierMenstrualFlow";
constexpr std::string_view kIntermenstrualBleeding =
    "HKCategoryTypeIdentifierIntermenstrualBleeding";
constexpr std::string_view kNoFlow = "HKCategoryValueMenstrualFlowNone";
constexpr std::string_view kCycleStart = "HKMenstrualCycleStart";

class HealthXmlReader final : public FormatReader {
public:
    explicit HealthXmlReader(const ReadOptions& options) : tally_(options.today) {}

    void Feed(std::span<const std::uint8_t> chunk) override {
        tokens_.Feed(chunk);
        while (const auto tag = tokens_.Next()) {
            Take(*tag);
        }
    }

    ImportRead Finish() override {
        EndRecord();
        return tally_.Finish(FileShape::Xml);
    }

private:
    // A record of interest, kept until its end tag: a metadata entry inside
    // it may say that it is the first day of a period.
    struct Record {
        std::string startDate;
        Flow flow = Flow::Bleeding;
        bool isMenstrualFlow = false;
        std::size_t line = 0;
    };

    void Take(const XmlTag& tag) {
        if (tag.name == "Record") {
            EndRecord();
            if (!tag.isEnd) {
                StartRecord(tag);
            }
        } else if (tag.name == "MetadataEntry" && record_ && record_->isMenstrualFlow &&
                   tag.Attribute("key") == kCycleStart && tag.Attribute("value") == "1") {
            record_->flow = Flow::Bleeding;
        }
    }

    void StartRecord(const XmlTag& tag) {
        const auto type = tag.Attribute("type");
        if (type != kMenstrualFlow && type != kIntermenstrualBleeding) {
            return;
        }
        Record record;
        record.isMenstrualFlow = type == kMenstrualFlow;
        record.flow = !record.isMenstrualFlow             ? Flow::Spotting
                      : tag.Attribute("value") == kNoFlow ? Flow::None
                                                          : Flow::Bleeding;
        record.line = tag.line;
        record.startDate = tag.Attribute("startDate").value_or("");
        record_ = std::move(record);
        if (tag.selfClosing) {
            EndRecord();
        }
    }

    void EndRecord() {
        if (!record_) {
            return;
        }
        const Record record = std::move(*record_);
        record_.reset();
        if (record.startDate.empty()) {
            tally_.LeaveOut(record.line, LeftOut::NoDate);
            return;
        }
        const auto date = ReadIsoDate(record.startDate);
        if (!date) {
            tally_.LeaveOut(record.line, LeftOut::BadDate);
            return;
        }
        tally_.AddDay(*date, record.flow, record.line);
    }

    XmlTokens tokens_;
    DayTally tally_;
    std::optional<Record> record_;
};

} // namespace

std::unique_ptr<FormatReader> MakeHealthXmlReader(const ReadOptions& options) {
    return std::make_unique<HealthXmlReader>(options);
}

} // namespace imports
