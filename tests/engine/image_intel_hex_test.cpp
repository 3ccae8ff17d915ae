// The Intel HEX reader record by record and the writer byte for byte, on real files.
#include "image_records.h"
#include "image_test_support.h"
#include "intel_hex.h"
#include "streams.h"

#include <gtest/gtest.h>

namespace {

const std::string kEnd = ":00000001FF\n";
const std::vector<std::string> kNoEndBoxes = {"File Read Operation Failed", "Error reading File"};
constexpr int32_t kSmall = 0x30000;
constexpr int32_t kFull = 0x4000000;

using IntelHexRead = RecordReadTest<ReadIntelHexFile>;

TEST_P(IntelHexRead, Case) {
    Check();
}

const std::vector<uint8_t> k8 = Sequence(8);

INSTANTIATE_TEST_SUITE_P(
    Records, IntelHexRead,
    testing::Values(
        RecordCase{"EightBytes", ":080000000001020304050607DC\n" + kEnd, kSmall, 8, {}, {{0, k8}}},
        RecordCase{
            "CrLf", ":080000000001020304050607DC\r\n:00000001FF\r\n", kSmall, 8, {}, {{0, k8}}},
        RecordCase{"EndWithoutLineFeed",
                   ":080000000001020304050607DC\n:00000001FF",
                   kSmall,
                   8,
                   {},
                   {{0, k8}}},
        RecordCase{"LowerCaseDigits",
                   ":04001000aabbccddde\n:00000001ff\n",
                   kSmall,
                   0x14,
                   {},
                   {{0x10, {0xAA, 0xBB, 0xCC, 0xDD}}}},
        RecordCase{"TrailingCharactersIgnored",
                   IntelRecord(0, 0, {0x41}) + "  ; note\n" + kEnd + "anything after the end",
                   kSmall,
                   1,
                   {},
                   {{0, {0x41}}}},
        RecordCase{"HighestEndNotLastRecord",
                   IntelRecord(0, 0x100, {1, 2}) + "\n" + IntelRecord(0, 0, {3}) + "\n" + kEnd,
                   kSmall,
                   0x102,
                   {},
                   {{0x100, {1, 2}}, {0, {3}}}},
        RecordCase{"NoDataRecords", kEnd, kSmall, 0, {}, {}},
        // An empty data record stores nothing, so it makes the image no longer.
        RecordCase{"EmptyDataRecordAtTheBufferEnd",
                   ":020000040400F6\n:0000000000\n" + kEnd,
                   kFull,
                   0,
                   {},
                   {}},
        RecordCase{"EmptyDataRecordBehindData",
                   IntelRecord(0, 0, {1, 2}) + "\n" + IntelRecord(0, 0x1000, {}) + "\n" + kEnd,
                   kSmall,
                   2,
                   {},
                   {{0, {1, 2}}}},
        RecordCase{"ChecksumType0",
                   ":080000000001020304050607DD\n" + kEnd,
                   kSmall,
                   0,
                   {"Checksum Error type 0"},
                   {{0, k8}}},
        RecordCase{"SegmentAddress",
                   IntelRecord(2, 0, {0x10, 0x00}) + "\n" + IntelRecord(0, 0x10, {0xAB}) + "\n" +
                       kEnd,
                   kSmall,
                   0x10011,
                   {},
                   {{0x10010, {0xAB}}}},
        RecordCase{"LinearAddress",
                   ":020000040001F9\n" + IntelRecord(0, 0x20, {0x5A}) + "\n" + kEnd,
                   kSmall,
                   0x10021,
                   {},
                   {{0x10020, {0x5A}}}},
        RecordCase{"SegmentAndLinearAdd",
                   IntelRecord(4, 0, {0, 1}) + "\n" + IntelRecord(2, 0, {0x01, 0x00}) + "\n" +
                       IntelRecord(0, 5, {7}) + "\n" + kEnd,
                   kSmall,
                   0x11006,
                   {},
                   {{0x11005, {7}}}},
        RecordCase{"ChecksumType2",
                   IntelRecord(2, 0, {0x10, 0}, 1) + "\n" + kEnd,
                   kSmall,
                   0,
                   {"Checksum Error type 2"},
                   {}},
        RecordCase{"LengthType2",
                   IntelRecord(2, 0, {0, 0, 0}) + "\n" + kEnd,
                   kSmall,
                   0,
                   {"Invalid Record Length for type 2"},
                   {}},
        RecordCase{"ChecksumType4",
                   IntelRecord(4, 0, {0, 1}, -1) + "\n" + kEnd,
                   kSmall,
                   0,
                   {"Checksum Error type 4"},
                   {}},
        RecordCase{"LengthType4",
                   IntelRecord(4, 0, {1}) + "\n" + kEnd,
                   kSmall,
                   0,
                   {"Invalid Record Length for type 4"},
                   {}},
        RecordCase{"StartAddressesSkippedUnparsed",
                   ":0400000300zz\n:04000005!!\n" + IntelRecord(0, 0, {9}) + "\n" + kEnd,
                   kSmall,
                   1,
                   {},
                   {{0, {9}}}},
        RecordCase{"Type6Refused",
                   IntelRecord(6, 0, {}) + "\n" + kEnd,
                   kSmall,
                   0,
                   {"Invalid Record type"},
                   {}},
        RecordCase{"EofChecksum00", ":0000000100\n", kSmall, 0, {"Invalid EOF Record"}, {}},
        RecordCase{"EofOffsetNotZero", ":00000101FE\n", kSmall, 0, {"Invalid EOF Record"}, {}},
        RecordCase{"EofCountNotZero",
                   IntelRecord(1, 0, {0}) + "\n",
                   kSmall,
                   0,
                   {"Invalid EOF Record"},
                   {}},
        RecordCase{"NoEndRecordKeepsData",
                   ":080000000001020304050607DC\n",
                   kSmall,
                   0,
                   kNoEndBoxes,
                   {{0, k8}}},
        RecordCase{"EmptyFile", "", kSmall, 0, kNoEndBoxes, {}},
        RecordCase{"BlankLineBetween",
                   IntelRecord(0, 0, {1}) + "\n\n" + kEnd,
                   kSmall,
                   0,
                   {"Illegal Line found"},
                   {{0, {1}}}},
        RecordCase{"LeadingBlankLine", "\r\n" + kEnd, kSmall, 0, {"Illegal Line found"}, {}},
        RecordCase{"IllegalCountDigit",
                   ":0G0000000001020304050607DC\n" + kEnd,
                   kSmall,
                   0,
                   {"Illegal Char in File"},
                   {}},
        RecordCase{"IllegalDataDigitStopsAtOnce",
                   ":0400000001X20304F2\n" + kEnd,
                   kSmall,
                   0,
                   {"Illegal Char in File"},
                   {{0, {1}}}},
        // The first line is longer; its characters must not complete the short second one.
        RecordCase{"TruncatedLineReadsOnlyItself",
                   IntelRecord(0, 0, Sequence(16, 0x10)) + "\n:10001000AABB\n" + kEnd,
                   kSmall,
                   0,
                   {"Illegal Char in File"},
                   {{0, Sequence(16, 0x10)}, {0x10, {0xAA, 0xBB}}}},
        RecordCase{"TruncatedLastLine",
                   ":0800000000010203",
                   kSmall,
                   0,
                   {"Illegal Char in File"},
                   {{0, {0, 1, 2, 3}}}},
        RecordCase{"ChecksumMissingAtLineEnd",
                   ":0100000041\r\n" + kEnd,
                   kSmall,
                   0,
                   {"Illegal Char in File"},
                   {{0, {0x41}}}},
        RecordCase{"TruncatedHeader", ":0100", kSmall, 0, {"Illegal Char in File"}, {}},
        RecordCase{"Longest255DataBytes",
                   IntelRecord(0, 0x100, Sequence(255, 1)) + "\r\n" + kEnd,
                   kSmall,
                   0x1FF,
                   {},
                   {{0x100, Sequence(255, 1)}}},
        RecordCase{"EndsExactlyAtBuffer",
                   IntelRecord(4, 0, {0x03, 0xFF}) + "\n" + IntelRecord(0, 0xFFF0, Sequence(16)) +
                       "\n" + kEnd,
                   kFull,
                   kFull,
                   {},
                   {{0x3FFFFF0, Sequence(16)}}},
        RecordCase{"OneBytePastBuffer",
                   IntelRecord(4, 0, {0x03, 0xFF}) + "\n" + IntelRecord(0, 0xFFF0, Sequence(17)) +
                       "\n" + kEnd,
                   kFull,
                   0,
                   {"File exceeds Maximum Size"},
                   {}},
        RecordCase{"PastSmallBuffer",
                   IntelRecord(0, 0xFFFF, {1, 2}) + "\n" + kEnd,
                   0x10000,
                   0,
                   {"File exceeds Maximum Size"},
                   {}},
        // Both bases at their largest: 64-bit sums, no wrap back into the buffer.
        RecordCase{"LargestAddressesDoNotWrap",
                   IntelRecord(4, 0, {0xFF, 0xFF}) + "\n" + IntelRecord(2, 0, {0xFF, 0xFF}) + "\n" +
                       IntelRecord(0, 0xFFFF, Sequence(255)) + "\n" + kEnd,
                   kFull,
                   0,
                   {"File exceeds Maximum Size"},
                   {}}),
    [](const testing::TestParamInfo<RecordCase>& info) { return info.param.name; });

using IntelHexWrite = RecordWriteTest<WriteIntelHexFile>;

TEST_F(IntelHexWrite, RecordsOf32BytesAndTheEnd) {
    EXPECT_EQ(Write(Sequence(8), 8), ":080000000001020304050607DC\r\n:00000001FF\r\n");
    const std::vector<uint8_t> image = Sequence(33, 0x40);
    const std::string text = Write(image, 33);
    const std::string first = IntelRecord(0, 0, Sequence(32, 0x40)) + "\r\n";
    const std::string second = IntelRecord(0, 0x20, {0x60}) + "\r\n";
    EXPECT_EQ(text, first + second + ":00000001FF\r\n");
    EXPECT_EQ(first.size(), 13u + 64u);
    EXPECT_EQ(second.size(), 13u + 2u);
}

TEST_F(IntelHexWrite, EmptyAndErasedGiveTheEndRecordAlone) {
    const std::vector<uint8_t> erased(0x10000, 0xFF);
    EXPECT_EQ(Write(erased, 0), ":00000001FF\r\n");
    EXPECT_EQ(Write(erased, 0x10000), ":00000001FF\r\n");
}

TEST_F(IntelHexWrite, ExtendedAddressAtEveryBlockAlsoWhenErased) {
    // Block 1 all 0xFF, one byte in block 0, block 2 and the odd tail of 32 bytes.
    std::vector<uint8_t> image(0x20021, 0xFF);
    image[0x1F] = 0x11;
    image[0x20000] = 0x22;
    image[0x20020] = 0x33;
    std::vector<uint8_t> firstChunk(32, 0xFF);
    firstChunk[31] = 0x11;
    std::vector<uint8_t> blockTwo(32, 0xFF);
    blockTwo[0] = 0x22;
    EXPECT_EQ(Write(image, static_cast<int32_t>(image.size())),
              IntelRecord(0, 0, firstChunk) + "\r\n" + ":020000040001F9\r\n" +
                  ":020000040002F8\r\n" + IntelRecord(0, 0, blockTwo) + "\r\n" +
                  IntelRecord(0, 0x20, {0x33}) + "\r\n:00000001FF\r\n");
}

TEST_F(IntelHexWrite, ReadsBackAcross64KiB) {
    const std::vector<uint8_t> image = RandomBytes(0x20000, 7);
    const std::string text = Write(image, 0x20000);
    EXPECT_NE(text.find("\r\n:020000040001F9\r\n:20000000"), std::string::npos);
    EXPECT_EQ(text.find("\r\n:020000040002"), std::string::npos);
    EXPECT_EQ(text.size(), 0x1000u * 77 + 17 + 13);

    std::vector<uint8_t> back(0x20000, 0xFF);
    ImageTestServices services;
    ImageStreamCell cell;
    EXPECT_EQ(ReadIntelHexFile(cell, folder.File("out.rec"), back.data(), 0x20000, services),
              0x20000);
    EXPECT_TRUE(services.errors.empty());
    EXPECT_EQ(back, image);
}

TEST(IntelHexRecordLines, LongLineIsHandedOutInPieces) {
    TMemoryStream source;
    const std::string text = std::string(10, 'a') + "\nb";
    source.Write(text.data(), static_cast<int64_t>(text.size()));
    source.SetPosition(0);
    ImageTestServices services;
    RecordLineReader reader(source, services, 4);
    std::vector<std::string> lines;
    for (std::string_view line; reader.ReadRecordLine(line);) lines.emplace_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"aaaa", "aaaa", "aa", "b"}));
    EXPECT_EQ(services.errors, std::vector<std::string>{"File Read Operation Failed"});
}

} // namespace
