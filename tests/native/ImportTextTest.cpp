// Text decoding, line ends, records and the file's shape: the same result
// whatever the chunks the bytes come in.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "import/ImportReader.h"
#include "import/Records.h"
#include "import/TableReader.h"
#include "import/TextDecoder.h"

namespace {

using namespace imports;

ReadOptions Today() {
    ReadOptions options;
    options.today = MakeDateKey(2024, 6, 15);
    return options;
}

std::span<const std::uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string Decode(const std::string& bytes, unsigned codePage, std::size_t split) {
    TextDecoder decoder(codePage);
    std::string text;
    decoder.Decode(Bytes(bytes.substr(0, split)), text);
    decoder.Decode(Bytes(bytes.substr(split)), text);
    decoder.Finish(text);
    return text;
}

std::string OneByteAtATime(const std::string& bytes, unsigned codePage) {
    TextDecoder decoder(codePage);
    std::string text;
    for (const char c : bytes) {
        decoder.Decode(Bytes(std::string(1, c)), text);
    }
    decoder.Finish(text);
    return text;
}

TEST(ImportTextTest, DecodesEveryEncodingAtEverySplitPoint) {
    const struct {
        const char* name;
        std::string bytes;
        unsigned codePage;
        std::string text;
    } cases[] = {
        {"UTF-8", "St\xC3\xA4rke \xE2\x82\xAC \xF0\x9F\x98\x80.", 1252,
         "St\xC3\xA4rke \xE2\x82\xAC \xF0\x9F\x98\x80."},
        {"UTF-8 with a BOM", "\xEF\xBB\xBF\xC5\x82x", 1250, "\xC5\x82x"},
        {"UTF-16LE, a surrogate pair", std::string("\xFF\xFE\xE4\0\x3D\xD8\x00\xDE!\0", 10), 1252,
         "\xC3\xA4\xF0\x9F\x98\x80!"},
        {"UTF-16BE", std::string("\xFE\xFF\0a\x20\xAC", 6), 1252, "a\xE2\x82\xAC"},
        {"UTF-16, a lone surrogate and an odd byte", std::string("\xFF\xFE\x3D\xD8\x41\0\x41", 7),
         1252,
         "\xEF\xBF\xBD"
         "A\xEF\xBF\xBD"},
        {"Windows-1250", "Pocz\xB9tek \x9C\xB3", 1250, "Pocz\xC4\x85tek \xC5\x9B\xC5\x82"},
        {"Windows-1252", "St\xE4rke \x80", 1252, "St\xC3\xA4rke \xE2\x82\xAC"},
        {"another code page reads as 1252", "St\xE4rke", 1251, "St\xC3\xA4rke"},
        {"UTF-8 then a stray byte of the code page", "Datum\n\xC3\xA4\n\xE4", 1252,
         "Datum\n\xC3\xA4\n\xC3\xA4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(OneByteAtATime(c.bytes, c.codePage), c.text);
        for (std::size_t split = 0; split <= c.bytes.size(); ++split) {
            ASSERT_EQ(Decode(c.bytes, c.codePage, split), c.text) << "split at " << split;
        }
    }
}

TEST(ImportTextTest, LineEndsBecomeOneWhateverTheConvention) {
    const struct {
        const char* text;
        const char* normalized;
    } cases[] = {
        {"a\nb\n", "a\nb\n"},
        {"a\r\nb\r\n\r\nc", "a\nb\n\nc"},
        {"a\rb\r\rc", "a\nb\n\nc"},
        {"a\n\rb\n\r\n\rc", "a\nb\n\nc"},
        {"a\nb\r\nc\n\rd", "a\nb\nc\n\nd"}, // LF first: LF-CR is two line ends
        {"a\r\nb\nc\rd", "a\nb\nc\nd"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string text = c.text;
        for (std::size_t split = 0; split <= text.size(); ++split) {
            LineEnds lineEnds;
            std::string out;
            lineEnds.Normalize(std::string_view(text).substr(0, split), out);
            lineEnds.Normalize(std::string_view(text).substr(split), out);
            ASSERT_EQ(out, c.normalized) << "split at " << split;
        }
    }
}

struct SplitRecord {
    std::size_t line;
    std::vector<std::string> fields;
    bool tooWide;
    friend bool operator==(const SplitRecord&, const SplitRecord&) = default;
};

std::vector<SplitRecord> Split(const std::string& text) {
    std::vector<SplitRecord> records;
    RecordSplitter splitter(ChooseSeparator(text));
    const auto keep = [&](const Record& record) {
        records.push_back(
            {record.line, {record.fields.begin(), record.fields.end()}, record.tooWide});
    };
    splitter.Feed(text, keep);
    splitter.Finish(keep);
    return records;
}

TEST(ImportTextTest, RecordsAsSpreadsheetsWriteThem) {
    const struct {
        const char* name;
        std::string text;
        std::vector<SplitRecord> records;
    } cases[] = {
        {"commas, quotes holding separators, doubled quotes and line ends",
         "a,b\n\"x,y\",\"say \"\"hi\"\"\nthere\"\nlast",
         {{1, {"a", "b"}, false}, {2, {"x,y", "say \"hi\"\nthere"}, false}, {4, {"last"}, false}}},
        {"semicolons beat decimal commas",
         "Datum;Temp\n1.2.2024;36,5\n2.2.2024;36,6\n",
         {{1, {"Datum", "Temp"}, false},
          {2, {"1.2.2024", "36,5"}, false},
          {3, {"2.2.2024", "36,6"}, false}}},
        {"tabs", "a\tb\n1\t2", {{1, {"a", "b"}, false}, {2, {"1", "2"}, false}}},
        {"no separator",
         "2024-01-05\n\n2024-02-02\n",
         {{1, {"2024-01-05"}, false}, {2, {""}, false}, {3, {"2024-02-02"}, false}}},
        {"spaces before a quote", "a, \"b,c\" ,d\n", {{1, {"a", "b,c ", "d"}, false}}},
        {"a separator in quotes does not count",
         "\"a;b\",c\n\"d;e\",f\n",
         {{1, {"a;b", "c"}, false}, {2, {"d;e", "f"}, false}}},
        {"an unclosed quote runs to the end", "a,\"b\nc", {{1, {"a", "b\nc"}, false}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Split(c.text), c.records);
    }
}

TEST(ImportTextTest, AHugeRecordIsCutAndTheNextOneKeepsItsLine) {
    const std::string huge =
        "2024-01-05,\"" + std::string(kRecordLimit, 'x') + "\n\"\n2024-02-02,y\n";
    const std::vector<SplitRecord> records = Split(huge);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_TRUE(records[0].tooWide);
    EXPECT_LE(records[0].fields[0].size() + records[0].fields.back().size(), kRecordLimit);
    EXPECT_EQ(records[1], (SplitRecord{3, {"2024-02-02", "y"}, false}));
}

TEST(ImportTextTest, TheFirstBytesTellTheShape) {
    const struct {
        std::string bytes;
        FileShape shape;
    } cases[] = {
        {"", FileShape::Empty},
        {"PK\x03\x04rest", FileShape::Archive},
        {std::string("SQLite format 3\0\x10\0", 19), FileShape::Database},
        {" \r\n{\"a\":1}", FileShape::Json},
        {"\xEF\xBB\xBF[1]", FileShape::Json},
        {"<?xml version=\"1.0\"?>", FileShape::Xml},
        {std::string("\xFF\xFE \0<\0", 6), FileShape::Xml},
        {std::string("\xFE\xFF\0[", 4), FileShape::Json},
        {std::string("Date\n2024\0", 10), FileShape::Binary},
        {"Date\x01\n", FileShape::Binary},
        {"Date\t\f\x1A\n", FileShape::Table},
        {std::string("\xFF\xFE"
                     "D\0\n\0",
                     6),
         FileShape::Table},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(SniffShape(Bytes(c.bytes)), c.shape);
    }
}

// The stored bytes of a zip entry: what a workbook's names are told by.
std::string ZipEntry(const std::string& name, const std::string& data) {
    std::string entry = "PK\x03\x04";
    entry += std::string(22, '\0');
    entry += static_cast<char>(name.size());
    entry += std::string(3, '\0');
    return entry + name + data;
}

TEST(ImportTextTest, AZipIsAWorkbookWhenItsEntriesSaySo) {
    const ReadOptions options = Today();
    const struct {
        std::string bytes;
        FileShape shape;
    } cases[] = {
        {ZipEntry("xl/workbook.xml", "<workbook/>"), FileShape::Workbook},
        {ZipEntry("mimetype", "application/vnd.oasis.opendocument.spreadsheet") +
             ZipEntry("content.xml", "<x/>"),
         FileShape::Workbook},
        {ZipEntry("mimetype", "application/vnd.oasis.opendocument.text"), FileShape::Archive},
        {ZipEntry("export/periods.json", "[]"), FileShape::Archive},
        // The central directory at the end names an entry past the first bytes.
        {ZipEntry("[Content_Types].xml", std::string(9000, 'x')) + "PK\x01\x02" +
             std::string(24, '\0') + "\x0F" + std::string(17, '\0') + "xl/workbook.xml",
         FileShape::Workbook},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadImport(Bytes(c.bytes), options).shape, c.shape);
    }
}

std::string Describe(const ImportRead& read) {
    std::string text = "shape " + std::to_string(static_cast<int>(read.shape)) + " order " +
                       std::to_string(static_cast<int>(read.order)) +
                       (read.orderOpen ? " open" : "") + (read.foundDateColumn ? " dated" : "") +
                       "\n";
    for (const auto* days : {&read.days, &read.otherOrder}) {
        for (const ImportedDay& day : *days) {
            text +=
                std::to_string(day.date) + ":" + std::to_string(static_cast<int>(day.flow)) + " ";
        }
        text += "\n";
    }
    text += "left out " + std::to_string(read.leftOutCount) + ":";
    for (const LeftOutRow& row : read.firstLeftOut) {
        text += " " + std::to_string(row.line) + "/" + std::to_string(static_cast<int>(row.reason));
    }
    return text;
}

std::string ReadTable(const std::string& bytes, const ReadOptions& options, std::size_t split) {
    TableReader reader(options);
    reader.Feed(Bytes(bytes.substr(0, split)));
    reader.Feed(Bytes(bytes.substr(split)));
    return Describe(reader.Finish());
}

std::string Utf16LE(const std::string& ascii) {
    std::string bytes = "\xFF\xFE";
    for (const char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

TEST(ImportTextTest, ATableReadsTheSameAtEverySplitPoint) {
    const std::string table = "Datum;St\xC3\xA4rke;Notiz\r\n"
                              "03.02.2024;stark;\"lang,\r\nsehr\"\r\n"
                              "\r\n"
                              "04.02.2024;Schmierblutung;x\r\n"
                              "kein Datum;;\r\n"
                              "05.02.2024;keine;\r\n";
    const std::string list = "Date\tFlow\r\n3/2/2024\theavy\r\n4/2/2024\tlight\r\n?\t\r\n";
    const ReadOptions options = Today();
    for (const std::string& bytes : {table, Utf16LE(list), std::string("\xEF\xBB\xBF") + table}) {
        const std::string whole = ReadTable(bytes, options, bytes.size());
        for (std::size_t split = 0; split < bytes.size(); ++split) {
            ASSERT_EQ(ReadTable(bytes, options, split), whole) << "split at " << split;
        }
    }
    EXPECT_EQ(ReadTable(table, options, 0), "shape 1 order 0 dated\n"
                                            "132645379:2 132645380:1 132645381:0 \n"
                                            "\n"
                                            "left out 1: 6/1");
}

TEST(ImportTextTest, ABigFileReadsTheSameInSmallChunks) {
    std::string file = "date,flow,notes\n";
    for (int day = 1; day <= 28; ++day) {
        for (int month = 1; month <= 12; ++month) {
            char row[64];
            std::snprintf(row, sizeof row, "%d/%d/2023,%s,\"a note, \"\"quoted\"\"\"\r\n", day,
                          month, day < 5 ? "medium" : "none");
            file += row;
        }
    }
    ASSERT_GT(file.size(), 3 * 4096u);
    const ReadOptions options = Today();
    const std::string whole = Describe(ReadImport(Bytes(file), options));
    for (const std::size_t chunk : {1u, 7u, 4095u, 4097u}) {
        ImportReader reader(options);
        for (std::size_t at = 0; at < file.size(); at += chunk) {
            reader.Feed(Bytes(file.substr(at, chunk)));
        }
        EXPECT_EQ(Describe(reader.Finish()), whole) << "chunks of " << chunk;
    }
    // Days above 12 settle the order; nothing is left out.
    EXPECT_TRUE(whole.starts_with("shape 1 order 0 dated\n")) << whole;
    EXPECT_TRUE(whole.ends_with("left out 0:")) << whole;
}

} // namespace
