#include "cycle/DataFile.h"

#include "DataFileBytes.h"
#include "cycle/CalendarData.h"
#include "cycle/DataEnvelope.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using datafile::DecodeResult;

const DateKey kMar15 = MakeDateKey(2006, 3, 15);
const DateKey kApr12 = MakeDateKey(2006, 4, 12);

DecodeResult Decode(const Bytes& bytes, CalendarData& data) {
    return datafile::Decode(bytes.data(), bytes.size(), data);
}

TEST(DataFileTest, FreshDataEncodesToThe36ByteFile) {
    const Bytes expected = {
        0x47, 0x4F, 0x4F, 0x44, 0x00, 0x00, 0x00, 0x00, 0x4F, 0x50, 0x54, 0x53,
        0x0C, 0x00, 0x00, 0x00, 0x1C, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00,
        0x01, 0x00, 0x00, 0x00, 0x44, 0x41, 0x59, 0x53, 0x00, 0x00, 0x00, 0x00,
    };
    EXPECT_EQ(datafile::Encode(CalendarData()), expected);
}

TEST(DataFileTest, EncodesKeysAscendingWhateverTheOrderOfEntry) {
    CalendarData data;
    data.ToggleMark(2006, 4, 12);
    data.ToggleMark(2006, 3, 15);
    data.SetCycleLength(30);
    data.SetPeriodLength(4);
    data.SetShowFertility(false);
    EXPECT_EQ(datafile::Encode(data),
              FileBytes().Good().Opts(30, 4, 0).Days({kMar15, kApr12}).bytes);
}

struct DecodeCase {
    const char* name;
    Bytes file;
    DecodeResult result;
    std::vector<DateKey> marks;
    std::int32_t cycle;
    std::int32_t period;
    std::uint32_t fertility;
};

// Each case starts from defaults with one mark already present, which every
// load must drop.
TEST(DataFileTest, DecodesAsTheReaderAlwaysHas) {
    const auto ok = DecodeResult::Ok;
    const auto bad = DecodeResult::FormatError;
    const DecodeCase cases[] = {
        {"empty file", {}, ok, {}, 28, 5, 1},
        {"one byte", {0x47}, ok, {}, 28, 5, 1},
        {"three bytes", {0x47, 0x4F, 0x4F}, ok, {}, 28, 5, 1},
        {"GOOD alone", FileBytes().Good().bytes, ok, {}, 28, 5, 1},
        {"writer's form",
         FileBytes().Good().Opts(30, 4, 0).Days({kMar15, kApr12}).bytes,
         ok,
         {kMar15, kApr12},
         30,
         4,
         0},
        {"first record not GOOD",
         FileBytes().Opts(30, 4, 0).Days({kMar15}).bytes,
         bad,
         {},
         28,
         5,
         1},
        {"GOOD with a payload",
         FileBytes().Tag("GOOD").Word(4).Word(0).Opts(30, 4, 0).bytes,
         bad,
         {},
         28,
         5,
         1},
        {"tag without length",
         FileBytes().Good().Opts(30, 4, 0).Tag("DAYS").bytes,
         bad,
         {},
         30,
         4,
         0},
        {"DAYS before OPTS",
         FileBytes().Good().Days({kApr12, kMar15}).Opts(22, 7, 0).bytes,
         ok,
         {kMar15, kApr12},
         22,
         7,
         0},
        {"unknown tag of length 0",
         FileBytes().Good().Opts(30, 4, 0).Tag("XTRA").Word(0).Days({kMar15}).bytes,
         ok,
         {kMar15},
         30,
         4,
         0},
        // The payload is not skipped: "OPTS" in it is read as the next tag.
        {"payload of unknown tag read as next tag",
         FileBytes().Good().Tag("XTRA").Word(4).Tag("OPTS").Word(12).Word(33).Word(6).Word(1).bytes,
         ok,
         {},
         33,
         6,
         1},
        {"payload of unknown tag shifts the records after it",
         FileBytes()
             .Good()
             .Opts(30, 4, 0)
             .Tag("XTRA")
             .Word(4)
             .Word(0x0BADF00D)
             .Days({kMar15})
             .bytes,
         ok,
         {},
         30,
         4,
         0},
        {"payload of unknown tag read as DAYS of a wild length",
         FileBytes().Good().Opts(30, 4, 0).Tag("XTRA").Word(4).Tag("DAYS").Days({kMar15}).bytes,
         bad,
         {},
         30,
         4,
         0},
        {"second GOOD ignored",
         FileBytes().Good().Good().Days({kMar15}).Good().bytes,
         ok,
         {kMar15},
         28,
         5,
         1},
        {"duplicate keys",
         FileBytes().Good().Days({kApr12, kMar15, kApr12}).bytes,
         ok,
         {kMar15, kApr12},
         28,
         5,
         1},
        {"several DAYS records",
         FileBytes().Good().Days({kApr12}).Opts(30, 4, 1).Days({kMar15}).bytes,
         ok,
         {kMar15, kApr12},
         30,
         4,
         1},
        {"later OPTS wins",
         FileBytes().Good().Opts(30, 4, 0).Opts(21, 3, 1).bytes,
         ok,
         {},
         21,
         3,
         1},
        {"truncated keys",
         FileBytes().Good().Opts(30, 4, 0).Tag("DAYS").Word(8).Word(kMar15).bytes,
         bad,
         {},
         30,
         4,
         0},
        {"truncated inside a key",
         FileBytes().Good().Opts(30, 4, 0).Tag("DAYS").Word(8).Word(kMar15).Raw({1, 2}).bytes,
         bad,
         {},
         30,
         4,
         0},
        {"earlier complete DAYS dropped too",
         FileBytes().Good().Days({kMar15}).Opts(30, 4, 0).Tag("DAYS").Word(4).bytes,
         bad,
         {},
         30,
         4,
         0},
        {"OPTS length 8",
         FileBytes().Good().Tag("OPTS").Word(8).Word(30).Word(4).Days({kMar15}).bytes,
         bad,
         {},
         28,
         5,
         1},
        {"OPTS length 16 after a good OPTS",
         FileBytes()
             .Good()
             .Opts(30, 4, 0)
             .Tag("OPTS")
             .Word(16)
             .Word(1)
             .Word(2)
             .Word(3)
             .Word(4)
             .bytes,
         bad,
         {},
         30,
         4,
         0},
        {"ends after the cycle",
         FileBytes().Good().Tag("OPTS").Word(12).Word(31).bytes,
         bad,
         {},
         31,
         5,
         1},
        {"ends after the period",
         FileBytes().Good().Tag("OPTS").Word(12).Word(31).Word(9).bytes,
         bad,
         {},
         31,
         9,
         1},
        {"ends inside the fertility word",
         FileBytes().Good().Tag("OPTS").Word(12).Word(31).Word(9).Raw({0}).bytes,
         bad,
         {},
         31,
         9,
         1},
        {"one trailing byte",
         FileBytes().Good().Opts(30, 4, 0).Days({kMar15}).Raw({7}).bytes,
         ok,
         {kMar15},
         30,
         4,
         0},
        {"three trailing bytes",
         FileBytes().Good().Opts(30, 4, 0).Days({kMar15}).Raw({7, 8, 9}).bytes,
         ok,
         {kMar15},
         30,
         4,
         0},
        {"length 6 reads two words",
         FileBytes().Good().Tag("DAYS").Word(6).Word(kMar15).Word(kApr12).Opts(30, 4, 0).bytes,
         ok,
         {kMar15, kApr12},
         30,
         4,
         0},
        {"length 6 without the second word",
         FileBytes().Good().Tag("DAYS").Word(6).Word(kMar15).Raw({1, 2}).bytes,
         bad,
         {},
         28,
         5,
         1},
        {"length near 4 GiB",
         FileBytes().Good().Opts(30, 4, 0).Tag("DAYS").Word(0xFFFFFFFF).bytes,
         bad,
         {},
         30,
         4,
         0},
        {"settings kept unchecked",
         FileBytes().Good().Opts(45, 0xFFFFFFFD, 7).bytes,
         ok,
         {},
         45,
         -3,
         7},
        {"keys kept unchecked",
         FileBytes().Good().Days({0, MakeDateKey(2006, 2, 40), 0xFFFFFFFF}).bytes,
         ok,
         {0, MakeDateKey(2006, 2, 40), 0xFFFFFFFF},
         28,
         5,
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CalendarData data;
        data.ToggleMark(1999, 9, 9);
        EXPECT_EQ(Decode(c.file, data), c.result);
        EXPECT_EQ(std::vector<DateKey>(data.Marks().begin(), data.Marks().end()), c.marks);
        EXPECT_EQ(data.GetCycleLength(), c.cycle);
        EXPECT_EQ(data.GetPeriodLength(), c.period);
        EXPECT_EQ(data.GetShowFertilityWord(), c.fertility);
    }
}

TEST(DataFileTest, WriterFormRoundTripsByteForByte) {
    const Bytes files[] = {
        FileBytes().Good().Opts(28, 5, 1).Days({}).bytes,
        FileBytes().Good().Opts(45, 0xFFFFFFFF, 7).Days({kMar15, kApr12}).bytes,
        FileBytes()
            .Good()
            .Opts(0, 0, 0)
            .Days({0, MakeDateKey(2006, 0, 0), kMar15, 0xFFFFFFFF})
            .bytes,
    };
    for (const auto& file : files) {
        CalendarData data;
        ASSERT_EQ(Decode(file, data), DecodeResult::Ok);
        EXPECT_EQ(datafile::Encode(data), file);
    }
}

// What a save cut short leaves (the reader takes most of it as an empty file)
// against what the writer makes.
TEST(DataFileTest, WriterFormIsOnlyAWholeFileAsEncodeWritesIt) {
    const Bytes whole = FileBytes().Good().Opts(30, 4, 0).Days({kMar15, kApr12}).bytes;
    const auto cut = [&whole](std::size_t size) {
        return Bytes(whole.begin(), whole.begin() + size);
    };
    struct Case {
        const char* name;
        Bytes file;
        bool writerForm;
    };
    const Case cases[] = {
        {"as written", whole, true},
        {"no marks", FileBytes().Good().Opts(28, 5, 1).Days({}).bytes, true},
        {"empty", {}, false},
        {"GOOD only", cut(8), false},
        {"GOOD and OPTS", cut(28), false},
        {"DAYS without its keys", cut(36), false},
        {"one key of two", cut(40), false},
        {"a byte short", cut(whole.size() - 1), false},
        {"a key too many", FileBytes().Good().Opts(30, 4, 0).Days({kMar15}).Word(kApr12).bytes,
         false},
        {"DAYS before OPTS", FileBytes().Good().Days({kMar15}).Opts(30, 4, 0).bytes, false},
        {"OPTS of 16",
         FileBytes().Good().Tag("OPTS").Word(16).Word(1).Word(2).Word(3).Word(4).bytes, false},
        {"GOOD with a length", FileBytes().Tag("GOOD").Word(4).Opts(30, 4, 0).Days({}).bytes,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(datafile::IsWriterForm(c.file.data(), c.file.size()), c.writerForm);
    }
}

TEST(DataFileTest, LoadedFertilityWordReadsAsOnAndIsWrittenBackUnchanged) {
    const Bytes file = FileBytes().Good().Opts(28, 5, 7).Days({}).bytes;
    CalendarData data;
    ASSERT_EQ(Decode(file, data), DecodeResult::Ok);
    EXPECT_TRUE(data.GetShowFertility());
    EXPECT_EQ(datafile::Encode(data), file);
}

TEST(DataFileTest, DuplicateKeysAreWrittenOnce) {
    CalendarData data;
    ASSERT_EQ(Decode(FileBytes().Good().Opts(28, 5, 1).Days({kMar15, kMar15}).bytes, data),
              DecodeResult::Ok);
    EXPECT_EQ(datafile::Encode(data), FileBytes().Good().Opts(28, 5, 1).Days({kMar15}).bytes);
}

} // namespace

namespace {

// The plain envelope writes the file byte for byte as the codec always has,
// and reads back only what it wrote: a cut-off copy is not whole.
TEST(DataFileTest, PlainEnvelopeIsTheCodecUnchanged) {
    const DataEnvelope& plain = PlainEnvelope::Shared();
    CalendarData data;
    data.ToggleMark(2006, 3, 15);
    const Bytes sealed = plain.Seal(data);
    EXPECT_EQ(sealed, datafile::Encode(data));
    EXPECT_TRUE(plain.IsWhole(sealed));

    CalendarData opened;
    EXPECT_EQ(plain.Open(sealed, opened), DataEnvelope::Opened::Opened);
    EXPECT_EQ(opened.Marks(), data.Marks());

    const Bytes cut(sealed.begin(), sealed.end() - 4);
    EXPECT_FALSE(plain.IsWhole(cut));
    // A file shorter than an empty calendar's is damaged here, though the codec
    // reads it as an empty calendar.
    for (const Bytes& damaged : {FileBytes().Tag("BAD!").Word(7).bytes, Bytes{}, Bytes{'G', 'O'},
                                 Bytes(sealed.begin(), sealed.begin() + 35)}) {
        CalendarData read;
        EXPECT_EQ(plain.Open(damaged, read), DataEnvelope::Opened::Damaged) << damaged.size();
    }
}

} // namespace
