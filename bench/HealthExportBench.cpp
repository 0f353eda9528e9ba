// Reading Apple Health's export.xml as large as a few years of a watch make
// it: 200 MB, nearly all steps and heart rate, generated a chunk at a time and
// fed in 1 MiB chunks as Import reads the file. Memory must stay that of the
// days kept, whatever the size. Prints "label|figure" rows for bench.sh: the
// time spent reading and the process's peak resident memory.
#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

#include "import/AppExports.h"

using namespace imports;

namespace {

constexpr std::size_t kExportBytes = 200u * 1024 * 1024;
constexpr std::size_t kChunkBytes = 1024 * 1024;
constexpr int kYears = 3;
constexpr int kFirstYear = 2021;

// The export's text, handed to the reader a full chunk at a time; only the
// reading is timed.
class ChunkedFeed {
public:
    explicit ChunkedFeed(FormatReader& reader) : reader_(reader) { text_.reserve(2 * kChunkBytes); }

    void Append(std::string_view text) {
        text_ += text;
        fed_ += text.size();
        if (text_.size() >= kChunkBytes) {
            Feed(kChunkBytes);
        }
    }

    void Flush() { Feed(text_.size()); }

    std::size_t Fed() const { return fed_; }
    double ReadingSeconds() const { return reading_.count(); }

private:
    void Feed(std::size_t size) {
        const auto start = std::chrono::steady_clock::now();
        reader_.Feed(std::span(reinterpret_cast<const std::uint8_t*>(text_.data()), size));
        reading_ += std::chrono::steady_clock::now() - start;
        text_.erase(0, size);
    }

    FormatReader& reader_;
    std::string text_;
    std::size_t fed_ = 0;
    std::chrono::duration<double> reading_{};
};

constexpr const char* kHeader = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE HealthData [
<!ELEMENT HealthData (ExportDate,Me,(Record|Correlation|Workout)*)>
<!ATTLIST HealthData locale CDATA #REQUIRED>
<!ELEMENT Record ((MetadataEntry|HeartRateVariabilityMetadataList)*)>
<!ATTLIST Record type CDATA #REQUIRED value CDATA #IMPLIED>
]>
<HealthData locale="en_US">
 <ExportDate value="2024-01-01 09:00:00 +0100"/>
 <Me HKCharacteristicTypeIdentifierDateOfBirth="1990-05-14"/>
)";

// Day `index` of the years covered, as a date.
DateKey DayAt(int index) {
    int year = kFirstYear;
    int month = 1;
    int day = 1 + index;
    while (day > DaysInMonth(year, month)) {
        day -= DaysInMonth(year, month);
        if (++month > 12) {
            month = 1;
            ++year;
        }
    }
    return MakeDateKey(year, month, day);
}

std::string Date(DateKey day, int hour) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:00:00 +0100", KeyYear(day), KeyMonth(day),
                  KeyDay(day), hour);
    return text;
}

std::string StepsAndHeartRate(DateKey day, int hour) {
    const std::string at = Date(day, hour);
    return R"( <Record type="HKQuantityTypeIdentifierStepCount" sourceName="Her iPhone" sourceVersion="17.2" device="&lt;&lt;HKDevice: 0x2837a1b20&gt;, name:iPhone, manufacturer:Apple Inc., model:iPhone, hardware:iPhone15,2, software:17.2&gt;" unit="count" creationDate=")" +
           at + R"(" startDate=")" + at + R"(" endDate=")" + at + R"(" value="412"/>
 <Record type="HKQuantityTypeIdentifierHeartRate" sourceName="Her Watch" sourceVersion="10.2" unit="count/min" creationDate=")" +
           at + R"(" startDate=")" + at + R"(" endDate=")" + at + R"(" value="72">
  <MetadataEntry key="HKMetadataKeyHeartRateMotionContext" value="0"/>
 </Record>
)";
}

std::string MenstrualFlow(DateKey day, bool first) {
    const std::string at = Date(day, 8);
    std::string record =
        R"( <Record type="HKCategoryTypeIdentifierMenstrualFlow" sourceName="Health" sourceVersion="17.2" creationDate=")" +
        at + R"(" startDate=")" + at + R"(" endDate=")" + at +
        R"(" value="HKCategoryValueMenstrualFlowMedium">)";
    if (first) {
        record += R"(<MetadataEntry key="HKMenstrualCycleStart" value="1"/>)";
    }
    return record + "</Record>\n";
}

} // namespace

int main() {
    ReadOptions options;
    options.today = MakeDateKey(kFirstYear + kYears, 12, 31);
    const auto reader = MakeHealthXmlReader(options);
    ChunkedFeed feed(*reader);
    feed.Append(kHeader);
    // So many step and heart-rate records a day that the file reaches its
    // size by the last day, and five days of bleeding every 28.
    const int days = kYears * 365;
    const std::size_t perDay = kExportBytes / days;
    std::size_t bleedingDays = 0;
    for (int index = 0; index < days; ++index) {
        const DateKey day = DayAt(index);
        if (index % 28 < 5) {
            feed.Append(MenstrualFlow(day, index % 28 == 0));
            ++bleedingDays;
        }
        const std::size_t dayEnd = static_cast<std::size_t>(index + 1) * perDay;
        for (int hour = 0; feed.Fed() < dayEnd; hour = (hour + 1) % 24) {
            feed.Append(StepsAndHeartRate(day, hour));
        }
    }
    feed.Append("</HealthData>\n");
    feed.Flush();
    const auto started = std::chrono::steady_clock::now();
    const ImportRead read = reader->Finish();
    const double seconds =
        feed.ReadingSeconds() +
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    if (read.days.size() != bleedingDays || read.leftOutCount != 0) {
        std::fprintf(stderr, "health export bench: %zu days and %zu left out of %zu\n",
                     read.days.size(), read.leftOutCount, bleedingDays);
        return 1;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("import a %zu MB Apple Health export.xml in 1 MiB chunks|%.2f s (%.0f MB/s)\n",
                feed.Fed() / 1000000, seconds, static_cast<double>(feed.Fed()) / 1e6 / seconds);
    std::printf("peak memory of that import (ru_maxrss), %zu days kept|%.1f MiB\n",
                read.days.size(), static_cast<double>(usage.ru_maxrss) / 1024.0);
    return 0;
}
