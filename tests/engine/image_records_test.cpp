// The hex byte decoder and formatter that both record formats share, at every position of
// a field: they take many characters at a time, so a bad character or an erased byte must
// be seen wherever it sits.
#include "image_records.h"
#include "image_test_support.h"

#include <gtest/gtest.h>

namespace {

bool IsHexDigit(int c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Upper case for even bytes, lower case for odd ones.
std::string MixedCaseHex(const std::vector<uint8_t>& bytes) {
    std::string text = HexText(bytes);
    for (size_t i = 2; i < text.size(); i += 4)
        for (size_t k = i; k < i + 2; ++k)
            if (text[k] >= 'A') text[k] = static_cast<char>(text[k] + ('a' - 'A'));
    return text;
}

TEST(ImageHexBytes, StoresEveryByteOfAFieldInEitherCase) {
    for (const size_t count : {0, 1, 15, 16, 17, 31, 32, 33, 48, 255}) {
        const std::vector<uint8_t> bytes = RandomBytes(count, static_cast<uint32_t>(count));
        const std::string line = "S3" + MixedCaseHex(bytes) + "x";
        std::vector<uint8_t> target(count + 16, 0xEE);
        uint32_t sum = 5;
        ImageTestServices services;
        EXPECT_TRUE(
            StoreHexBytes(line, 2, static_cast<uint32_t>(count), target.data(), sum, services));
        uint32_t expectedSum = 5;
        for (uint8_t b : bytes) expectedSum += b;
        EXPECT_EQ(sum, expectedSum) << count;
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), target.begin())) << count;
        EXPECT_EQ(target[count], 0xEE) << "nothing stored past the field, count " << count;
        EXPECT_TRUE(services.errors.empty());
    }
}

TEST(ImageHexBytes, EveryCharacterAtEveryPositionOfAField) {
    const std::vector<uint8_t> bytes = RandomBytes(40, 3);
    const std::string good = HexText(bytes);
    for (size_t position = 0; position < good.size(); ++position) {
        for (int c = 0; c < 256; ++c) {
            std::string line = ":" + good;
            line[1 + position] = static_cast<char>(c);
            std::vector<uint8_t> target(bytes.size(), 0xEE);
            uint32_t sum = 0;
            ImageTestServices services;
            const bool stored = StoreHexBytes(line, 1, 40, target.data(), sum, services);
            ASSERT_EQ(stored, IsHexDigit(c)) << "char " << c << " at " << position;
            if (stored) continue;
            ASSERT_EQ(services.errors, std::vector<std::string>{"Illegal Char in File"});
            const size_t bad = position / 2;
            ASSERT_TRUE(std::equal(bytes.begin(), bytes.begin() + bad, target.begin()))
                << "the bytes before the bad pair stay stored, char " << c << " at " << position;
            ASSERT_TRUE(std::all_of(target.begin() + bad, target.end(),
                                    [](uint8_t b) { return b == 0xEE; }))
                << "nothing from the bad pair on, char " << c << " at " << position;
        }
    }
}

TEST(ImageHexBytes, FieldCutShortByTheLineEnd) {
    const std::vector<uint8_t> bytes = RandomBytes(20, 4);
    for (size_t length = 0; length < 40; ++length) {
        const std::string line = ":" + HexText(bytes).substr(0, length);
        std::vector<uint8_t> target(bytes.size(), 0xEE);
        uint32_t sum = 0;
        ImageTestServices services;
        EXPECT_FALSE(StoreHexBytes(line, 1, 20, target.data(), sum, services));
        EXPECT_EQ(services.errors, std::vector<std::string>{"Illegal Char in File"});
        const size_t whole = length / 2;
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + whole, target.begin())) << length;
        EXPECT_EQ(target[whole], 0xEE) << length;
    }
}

TEST(ImageHexBytes, FormatsUpperCaseAndSeesAnyByteThatIsNotErased) {
    for (size_t count = 0; count <= 40; ++count) {
        const std::vector<uint8_t> bytes = RandomBytes(count, static_cast<uint32_t>(count) + 9);
        std::string text(2 * count, '?');
        uint32_t sum = 1;
        FormatHexBytes(bytes.data(), count, text.data(), sum);
        EXPECT_EQ(text, HexText(bytes)) << count;
        uint32_t expectedSum = 1;
        for (uint8_t b : bytes) expectedSum += b;
        EXPECT_EQ(sum, expectedSum) << count;

        std::vector<uint8_t> erased(count, 0xFF);
        EXPECT_TRUE(FormatHexBytes(erased.data(), count, text.data(), sum)) << count;
        for (size_t i = 0; i < count; ++i) {
            erased[i] = 0xFE;
            EXPECT_FALSE(FormatHexBytes(erased.data(), count, text.data(), sum))
                << "byte " << i << " of " << count;
            erased[i] = 0xFF;
        }
    }
}

} // namespace
