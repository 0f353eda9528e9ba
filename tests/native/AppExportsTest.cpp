#include "import/AppExports.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <zlib.h>

#include "HistoryStarts.h"
#include "import/ImportReader.h"

namespace {

using namespace imports;
using historytest::AddDays;
using Bytes = std::vector<std::uint8_t>;

const DateKey kToday = MakeDateKey(2025, 6, 1);

Bytes ReadCorpus(const std::string& name) {
    std::ifstream file(std::string(LUNABEL_SOURCE_DIR) + "/tests/import/apps/" + name,
                       std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), {});
}

Bytes BytesOf(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

enum class Kind { Json, Xml, Zip };

std::unique_ptr<FormatReader> MakeReader(Kind kind) {
    ReadOptions options;
    options.today = kToday;
    switch (kind) {
    case Kind::Json:
        return MakeJsonReader(options);
    case Kind::Xml:
        return MakeHealthXmlReader(options);
    default:
        return MakeZipReader(options);
    }
}

// The file fed in chunks of the sizes `nextSize` gives.
template <typename NextSize>
ImportRead ReadInChunks(Kind kind, const Bytes& bytes, NextSize nextSize) {
    const auto reader = MakeReader(kind);
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t size = std::min<std::size_t>(nextSize(), bytes.size() - at);
        // A copy, so that a reader keeping a pointer into the chunk shows under ASan.
        const Bytes chunk(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                          bytes.begin() + static_cast<std::ptrdiff_t>(at + size));
        reader->Feed(chunk);
        at += size;
    }
    return reader->Finish();
}

ImportRead ReadWhole(Kind kind, const Bytes& bytes) {
    return ReadInChunks(kind, bytes, [&] { return std::max<std::size_t>(bytes.size(), 1); });
}

// The starts a careful person takes: a bleeding day none of whose three days
// before is a bleeding day. Spotting and days without flow start nothing.
std::vector<DateKey> PeriodStarts(const std::vector<ImportedDay>& days) {
    std::set<DateKey> bleeding;
    for (const ImportedDay& day : days) {
        if (day.flow == Flow::Bleeding) {
            bleeding.insert(day.date);
        }
    }
    std::vector<DateKey> starts;
    for (const DateKey day : bleeding) {
        const bool continues = bleeding.count(AddDays(day, -1)) ||
                               bleeding.count(AddDays(day, -2)) || bleeding.count(AddDays(day, -3));
        if (!continues) {
            starts.push_back(day);
        }
    }
    return starts;
}

std::size_t CountFlow(const ImportRead& read, Flow flow) {
    return static_cast<std::size_t>(std::count_if(
        read.days.begin(), read.days.end(), [&](const ImportedDay& d) { return d.flow == flow; }));
}

using Listed = std::vector<std::pair<std::size_t, LeftOut>>;

Listed ListedOf(const ImportRead& read) {
    Listed listed;
    for (const LeftOutRow& row : read.firstLeftOut) {
        listed.emplace_back(row.line, row.reason);
    }
    return listed;
}

// A zip as Health and other programs write it: each entry deflated or stored,
// its sizes in the local header or in a data descriptor after the data.
struct ZipItem {
    std::string name;
    Bytes bytes;
    bool deflate = true;
    bool sizesAfter = false;
};

void Put16(Bytes& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(Bytes& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

Bytes Deflate(const Bytes& bytes) {
    z_stream stream{};
    EXPECT_EQ(deflateInit2(&stream, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
    Bytes out(deflateBound(&stream, static_cast<uLong>(bytes.size())));
    stream.next_in = const_cast<Bytef*>(bytes.data());
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

Bytes ZipOf(const std::vector<ZipItem>& items) {
    Bytes zip;
    Bytes directory;
    for (const ZipItem& item : items) {
        const Bytes data = item.deflate ? Deflate(item.bytes) : item.bytes;
        const auto crc = static_cast<std::uint32_t>(
            crc32(0, item.bytes.data(), static_cast<uInt>(item.bytes.size())));
        const auto offset = static_cast<std::uint32_t>(zip.size());
        for (Bytes* out : {&zip, &directory}) {
            const bool central = out == &directory;
            Put32(*out, central ? 0x02014b50 : 0x04034b50);
            if (central) {
                Put16(*out, 20);
            }
            Put16(*out, 20);
            Put16(*out, item.sizesAfter ? 8 : 0);
            Put16(*out, item.deflate ? 8 : 0);
            Put32(*out, 0); // time and date
            const bool inHeader = central || !item.sizesAfter;
            Put32(*out, inHeader ? crc : 0);
            Put32(*out, inHeader ? static_cast<std::uint32_t>(data.size()) : 0);
            Put32(*out, inHeader ? static_cast<std::uint32_t>(item.bytes.size()) : 0);
            Put16(*out, static_cast<unsigned>(item.name.size()));
            Put16(*out, 0);
            if (central) {
                Put32(*out, 0);
                Put32(*out, 0);
                Put16(*out, 0);
                Put32(*out, offset);
            }
            out->insert(out->end(), item.name.begin(), item.name.end());
        }
        zip.insert(zip.end(), data.begin(), data.end());
        if (item.sizesAfter) {
            Put32(zip, 0x08074b50);
            Put32(zip, crc);
            Put32(zip, static_cast<std::uint32_t>(data.size()));
            Put32(zip, static_cast<std::uint32_t>(item.bytes.size()));
        }
    }
    const auto directoryAt = static_cast<std::uint32_t>(zip.size());
    zip.insert(zip.end(), directory.begin(), directory.end());
    Put32(zip, 0x06054b50);
    Put32(zip, 0);
    Put16(zip, static_cast<unsigned>(items.size()));
    Put16(zip, static_cast<unsigned>(items.size()));
    Put32(zip, static_cast<std::uint32_t>(directory.size()));
    Put32(zip, directoryAt);
    Put16(zip, 0);
    return zip;
}

Bytes HealthZip(bool deflate, bool sizesAfter) {
    const Bytes other = BytesOf("<?xml version=\"1.0\"?><ClinicalDocument/>");
    return ZipOf(
        {{"apple_health_export/", {}, false, false},
         {"apple_health_export/export_cda.xml", other, deflate, sizesAfter},
         {"apple_health_export/workout-routes/route_2024-01-20.gpx", BytesOf("<gpx/>"), deflate,
          sizesAfter},
         {"apple_health_export/export.xml", ReadCorpus("health-export.xml"), deflate, sizesAfter},
         {"apple_health_export/electrocardiograms/ecg.csv", BytesOf("x"), deflate, sizesAfter}});
}

DateKey D(int year, int month, int day) {
    return MakeDateKey(year, month, day);
}

struct FileCase {
    const char* name;
    Kind kind;
    Bytes bytes;
    FileShape shape;
    std::vector<DateKey> starts;
    std::size_t spottingDays;
    std::size_t leftOut;
    Listed listed;
};

std::vector<FileCase> FileCases() {
    const std::vector<DateKey> healthStarts = {D(2024, 1, 3), D(2024, 1, 31), D(2024, 2, 27)};
    const Listed healthListed = {
        {54, LeftOut::BadDate}, {55, LeftOut::NoDate}, {60, LeftOut::FutureDate}};
    return {
        {"health-export.xml", Kind::Xml, ReadCorpus("health-export.xml"), FileShape::Xml,
         healthStarts, 1, 3, healthListed},
        {"not-health.xml", Kind::Xml, ReadCorpus("not-health.xml"), FileShape::Xml, {}, 0, 0, {}},
        {"export.xml deflated in a zip, sizes after the data", Kind::Zip, HealthZip(true, true),
         FileShape::Xml, healthStarts, 1, 3, healthListed},
        {"export.xml deflated in a zip, sizes before", Kind::Zip, HealthZip(true, false),
         FileShape::Xml, healthStarts, 1, 3, healthListed},
        {"export.xml stored in a zip", Kind::Zip, HealthZip(false, false), FileShape::Xml,
         healthStarts, 1, 3, healthListed},
        {"a zip without export.xml",
         Kind::Zip,
         ZipOf({{"notes/export_cda.xml", BytesOf("<a/>"), true, true},
                {"notes/read-me.txt", BytesOf("hello"), false, false}}),
         FileShape::Archive,
         {},
         0,
         0,
         {}},
        {"a workbook",
         Kind::Zip,
         ZipOf({{"[Content_Types].xml", BytesOf("<Types/>"), true, false},
                {"xl/workbook.xml", BytesOf("<workbook/>"), true, false},
                {"xl/worksheets/sheet1.xml", BytesOf("<worksheet/>"), true, false}}),
         FileShape::Workbook,
         {},
         0,
         0,
         {}},
        {"typed-events.json",
         Kind::Json,
         ReadCorpus("typed-events.json"),
         FileShape::Json,
         {D(2025, 1, 6), D(2025, 2, 3)},
         1,
         6,
         {{4, LeftOut::OtherEvent},
          {7, LeftOut::OtherEvent},
          {11, LeftOut::NoDate},
          {12, LeftOut::OtherEvent},
          {13, LeftOut::BadDate}}},
        {"daily-data.json",
         Kind::Json,
         ReadCorpus("daily-data.json"),
         FileShape::Json,
         {D(2024, 7, 1), D(2024, 7, 29), D(2024, 8, 27)},
         1,
         3,
         {{7, LeftOut::OtherEvent}, {9, LeftOut::OtherEvent}, {14, LeftOut::NoDate}}},
        {"cycle-ranges.json",
         Kind::Json,
         ReadCorpus("cycle-ranges.json"),
         FileShape::Json,
         {D(2024, 12, 2), D(2024, 12, 30), D(2025, 2, 2), D(2025, 4, 30), D(2025, 5, 29)},
         0,
         5,
         {{5, LeftOut::TooLong},
          {6, LeftOut::BadDate},
          {12, LeftOut::OtherEvent},
          {12, LeftOut::OtherEvent},
          {14, LeftOut::OtherEvent}}},
        {"period-tables.json",
         Kind::Json,
         ReadCorpus("period-tables.json"),
         FileShape::Json,
         {D(2024, 3, 5), D(2024, 4, 2), D(2024, 5, 3)},
         0,
         6,
         {{9, LeftOut::BadDate},
          {11, LeftOut::Excluded},
          {14, LeftOut::OtherEvent},
          {14, LeftOut::OtherEvent},
          {15, LeftOut::OtherEvent}}},
        {"not-days.json", Kind::Json, ReadCorpus("not-days.json"), FileShape::Json, {}, 0, 0, {}},
    };
}

TEST(AppExportsTest, ReadsThePeriodsInEachKindOfExport) {
    for (const FileCase& file : FileCases()) {
        SCOPED_TRACE(file.name);
        ASSERT_FALSE(file.bytes.empty());
        const ImportRead read = ReadWhole(file.kind, file.bytes);
        EXPECT_EQ(read.shape, file.shape);
        EXPECT_EQ(PeriodStarts(read.days), file.starts);
        EXPECT_EQ(CountFlow(read, Flow::Spotting), file.spottingDays);
        EXPECT_EQ(read.leftOutCount, file.leftOut);
        EXPECT_EQ(ListedOf(read), file.listed);
    }
}

// Import tells each kind by its first bytes and hands it to the same reader.
TEST(AppExportsTest, ImportSendsEachExportToItsReader) {
    ReadOptions options;
    options.today = kToday;
    for (const FileCase& file : FileCases()) {
        SCOPED_TRACE(file.name);
        const ImportRead direct = ReadWhole(file.kind, file.bytes);
        const ImportRead dispatched = ReadImport(file.bytes, options);
        EXPECT_EQ(dispatched.shape, direct.shape);
        EXPECT_EQ(dispatched.days, direct.days);
        EXPECT_EQ(dispatched.leftOutCount, direct.leftOutCount);
        EXPECT_EQ(ListedOf(dispatched), ListedOf(direct));
    }
}

TEST(AppExportsTest, ChunkSizesChangeNothing) {
    std::mt19937 random(20250601);
    for (const FileCase& file : FileCases()) {
        SCOPED_TRACE(file.name);
        const ImportRead whole = ReadWhole(file.kind, file.bytes);
        const ImportRead oneByte = ReadInChunks(file.kind, file.bytes, [] { return 1; });
        std::uniform_int_distribution<std::size_t> size(1, 700);
        const ImportRead randomSizes =
            ReadInChunks(file.kind, file.bytes, [&] { return size(random); });
        for (const ImportRead* read : {&oneByte, &randomSizes}) {
            EXPECT_EQ(read->shape, whole.shape);
            EXPECT_EQ(read->days, whole.days);
            EXPECT_EQ(read->leftOutCount, whole.leftOutCount);
            EXPECT_EQ(ListedOf(*read), ListedOf(whole));
        }
    }
}

// A download cut short: what inflated before the cut is read, nothing after.
TEST(AppExportsTest, AZipCutShortGivesTheDaysBeforeTheCut) {
    const Bytes zip = HealthZip(true, true);
    const ImportRead whole = ReadWhole(Kind::Zip, zip);
    std::size_t cutsWithSomeDays = 0;
    for (std::size_t size = 0; size < zip.size(); size += 31) {
        const ImportRead cut = ReadWhole(
            Kind::Zip, Bytes(zip.begin(), zip.begin() + static_cast<std::ptrdiff_t>(size)));
        ASSERT_LE(cut.days.size(), whole.days.size());
        EXPECT_TRUE(std::equal(cut.days.begin(), cut.days.end(), whole.days.begin()));
        cutsWithSomeDays += !cut.days.empty() && cut.days.size() < whole.days.size();
    }
    EXPECT_GT(cutsWithSomeDays, 0u);
}

} // namespace
