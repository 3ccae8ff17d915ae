// The S-record reader record by record and the writer byte for byte, on real files.
#include "image_test_support.h"
#include "srecord.h"

#include <gtest/gtest.h>

namespace {

constexpr int32_t kSmall = 0x30000;
constexpr int32_t kFull = 0x4000000;
const std::string kHeader = "S00600004844521B\r\n";

using SRecordRead = RecordReadTest<ReadSRecordFile>;

TEST_P(SRecordRead, Case) {
    Check();
}

const std::vector<uint8_t> k4 = {0, 1, 2, 3};

INSTANTIATE_TEST_SUITE_P(
    Records, SRecordRead,
    testing::Values(
        RecordCase{"S1", "S107000000010203F2\nS9030000FC\n", kSmall, 4, {}, {{0, k4}}},
        RecordCase{"CrLfAndHeader",
                   kHeader + "S107000000010203F2\r\nS9030000FC\r\n",
                   kSmall,
                   4,
                   {},
                   {{0, k4}}},
        RecordCase{
            "EndWithoutLineFeed", "S107000000010203F2\nS9030000FC", kSmall, 4, {}, {{0, k4}}},
        RecordCase{"LowerCaseDigits",
                   "S1050010aabb85\nS9030000fc\n",
                   kSmall,
                   0x12,
                   {},
                   {{0x10, {0xAA, 0xBB}}}},
        RecordCase{"S2AndS3",
                   SRecord(2, 0x012345, {0x11}) + "\n" + SRecord(3, 0x00020000, {0x22, 0x33}) +
                       "\nS804000000FB\n",
                   kSmall,
                   0x20002,
                   {},
                   {{0x12345, {0x11}}, {0x20000, {0x22, 0x33}}}},
        RecordCase{"OtherTypesSkippedUnparsed",
                   "S0zz\nS4\nS5030001FB\nS6!!\nSX\nS\n" + SRecord(1, 0, {9}) + "\nS9\n",
                   kSmall,
                   1,
                   {},
                   {{0, {9}}}},
        RecordCase{"EndRecordsNotTested",
                   SRecord(1, 0, {1}) + "\nS7zz\n" + SRecord(1, 1, {2}) + "\n",
                   kSmall,
                   1,
                   {},
                   {{0, {1}}}},
        RecordCase{"S8WithWrongChecksumEnds",
                   SRecord(1, 0, {1}) + "\nS804000000FF\n",
                   kSmall,
                   1,
                   {},
                   {{0, {1}}}},
        RecordCase{"Checksum",
                   SRecord(1, 0, {1, 2}, 1) + "\nS9030000FC\n",
                   kSmall,
                   0,
                   {"Checksum Error"},
                   {{0, {1, 2}}}},
        // A count that leaves no room for address and checksum: the "checksum" would be a
        // byte of the address.
        RecordCase{"CountSmallerThanS3Address",
                   "S303030000F9\nS9030000FC\n",
                   kFull,
                   0,
                   {"Checksum Error"},
                   {}},
        RecordCase{"CountSmallerThanS1Address",
                   "S10100FE\nS9030000FC\n",
                   kSmall,
                   0,
                   {"Checksum Error"},
                   {}},
        RecordCase{
            "CountOfTheAddressAlone", "S102FD00\nS9030000FC\n", kSmall, 0, {"Checksum Error"}, {}},
        // An empty data record stores nothing, so it makes the image no longer.
        RecordCase{"EmptyDataRecordBehindData",
                   SRecord(1, 0, {9}) + "\n" + SRecord(1, 0x1000, {}) + "\nS9030000FC\n",
                   kSmall,
                   1,
                   {},
                   {{0, {9}}}},
        RecordCase{"NoEndRecordKeepsData",
                   "S107000000010203F2\n",
                   kSmall,
                   0,
                   {"File Read Operation Failed"},
                   {{0, k4}}},
        RecordCase{"EmptyFile", "", kSmall, 0, {"File Read Operation Failed"}, {}},
        RecordCase{"LowerCaseS",
                   "s107000000010203F2\nS9030000FC\n",
                   kSmall,
                   0,
                   {"Illegal Line found"},
                   {}},
        RecordCase{"BlankLineBetween",
                   SRecord(1, 0, {1}) + "\n\nS9030000FC\n",
                   kSmall,
                   0,
                   {"Illegal Line found"},
                   {{0, {1}}}},
        RecordCase{"LeadingBlankLine", "\r\nS9030000FC\n", kSmall, 0, {"Illegal Line found"}, {}},
        RecordCase{"IllegalAddressDigit",
                   "S1070G00000102030F\nS9030000FC\n",
                   kSmall,
                   0,
                   {"Illegal Char in File"},
                   {}},
        RecordCase{"TruncatedLineReadsOnlyItself",
                   SRecord(1, 0, Sequence(16, 0x10)) + "\nS1130010AABB\nS9030000FC\n",
                   kSmall,
                   0,
                   {"Illegal Char in File"},
                   {{0, Sequence(16, 0x10)}, {0x10, {0xAA, 0xBB}}}},
        RecordCase{"TruncatedLastLine",
                   "S10700000001",
                   kSmall,
                   0,
                   {"Illegal Char in File"},
                   {{0, {0, 1}}}},
        RecordCase{"LongestS1",
                   SRecord(1, 0x100, Sequence(252, 1)) + "\r\nS9030000FC\n",
                   kSmall,
                   0x100 + 252,
                   {},
                   {{0x100, Sequence(252, 1)}}},
        RecordCase{"LongestS3",
                   SRecord(3, 0x200, Sequence(250, 3)) + "\r\nS70500000000FA\n",
                   kSmall,
                   0x200 + 250,
                   {},
                   {{0x200, Sequence(250, 3)}}},
        RecordCase{"EndsExactlyAtBuffer",
                   SRecord(3, 0x3FFFFF0, Sequence(16)) + "\nS9030000FC\n",
                   kFull,
                   kFull,
                   {},
                   {{0x3FFFFF0, Sequence(16)}}},
        RecordCase{"OneBytePastBuffer",
                   SRecord(3, 0x3FFFFF0, Sequence(17)) + "\nS9030000FC\n",
                   kFull,
                   0,
                   {"File exceeds Maximum Size"},
                   {}},
        RecordCase{"S3FarBeyondBuffer",
                   SRecord(3, 0xFFFFFFFF, {1, 2, 3}) + "\nS9030000FC\n",
                   kFull,
                   0,
                   {"File exceeds Maximum Size"},
                   {}}),
    [](const testing::TestParamInfo<RecordCase>& info) { return info.param.name; });

using SRecordWrite = RecordWriteTest<WriteSRecordFile>;

TEST_F(SRecordWrite, SmallImage) {
    EXPECT_EQ(Write(k4, 4), kHeader + "S107000000010203F2\r\nS9030000FC\r\n");
    const std::vector<uint8_t> image = Sequence(17, 0x80);
    EXPECT_EQ(Write(image, 17), kHeader + SRecord(1, 0, Sequence(16, 0x80)) + "\r\n" +
                                    SRecord(1, 0x10, {0x90}) + "\r\nS9030000FC\r\n");
    EXPECT_EQ((SRecord(1, 0, Sequence(16)) + "\r\n").size(), 44u);
}

struct ClassCase {
    int32_t length;
    std::string firstRecord;
    std::string end;
};

// The class follows the length alone: 65536 bytes already take S2 records.
TEST_F(SRecordWrite, AddressClassByLength) {
    std::vector<uint8_t> first(16, 0xFF);
    first[0] = 0x5A;
    const std::vector<ClassCase> cases = {
        {0x8000, SRecord(1, 0, first), "S9030000FC\r\n"},
        {0xFFFF, SRecord(1, 0, first), "S9030000FC\r\n"},
        {0x10000, SRecord(2, 0, first), "S804000000FB\r\n"},
        {0xFFFFFF, SRecord(2, 0, first), "S804000000FB\r\n"},
        {0x1000000, SRecord(3, 0, first), "S70500000000FA\r\n"},
        {0x2000000, SRecord(3, 0, first), "S70500000000FA\r\n"},
    };
    std::vector<uint8_t> image(0x2000000, 0xFF);
    image[0] = 0x5A;
    for (const ClassCase& c : cases) {
        EXPECT_EQ(Write(image, c.length), kHeader + c.firstRecord + "\r\n" + c.end) << c.length;
    }
}

TEST_F(SRecordWrite, EmptyAndErasedGiveHeaderAndEnd) {
    const std::vector<uint8_t> erased(0x10000, 0xFF);
    EXPECT_EQ(Write(erased, 0), kHeader + "S9030000FC\r\n");
    EXPECT_EQ(Write(erased, 0x8000), kHeader + "S9030000FC\r\n");
    EXPECT_EQ(Write(erased, 0x10000), kHeader + "S804000000FB\r\n");
}

TEST_F(SRecordWrite, ReadsBackEveryByte) {
    std::vector<uint8_t> image = RandomBytes(0x30005, 11);
    std::fill(image.begin() + 0x100, image.begin() + 0x200, 0xFF);
    const std::string text = Write(image, static_cast<int32_t>(image.size()));
    EXPECT_EQ(text.substr(0, 18 + 2), kHeader + "S2");
    std::vector<uint8_t> back(image.size(), 0xFF);
    ImageTestServices services;
    ImageStreamCell cell;
    EXPECT_EQ(ReadSRecordFile(cell, folder.File("out.rec"), back.data(),
                              static_cast<int32_t>(back.size()), services),
              static_cast<int32_t>(image.size()));
    EXPECT_TRUE(services.errors.empty());
    EXPECT_EQ(back, image);
}

} // namespace
