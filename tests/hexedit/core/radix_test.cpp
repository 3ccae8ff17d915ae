#include "exceptions.h"
#include "orix_hex_error.h"
#include "radix.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr uint64_t kMax = UINT64_MAX;
constexpr uint64_t k2To32 = 0x100000000ull;

// Runs f and answers the message of the exception of type E it raises, or fails.
template <typename E> std::string MessageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const E& e) {
        return e.Message();
    } catch (const std::exception& e) {
        return std::string("wrong exception: ") + e.what();
    }
    return "no exception";
}

} // namespace

TEST(IntToRadix, DigitsPaddingAndTwosComplement) {
    const struct {
        int32_t value;
        uint8_t radix, len;
        std::string text;
    } cases[] = {
        {255, 16, 4, "00FF"},
        {0, 2, 0, "0"},
        {0, 16, 3, "000"},
        {-1, 16, 0, "FFFFFFFF"},
        {5, 2, 2, "101"}, // Len is a minimum, not a maximum
        {INT32_MIN, 16, 0, "80000000"},
        {INT32_MAX, 10, 0, "2147483647"},
        {-1, 10, 0, "4294967295"},
        {-1, 2, 0, "11111111111111111111111111111111"},
        {-1, 8, 0, "37777777777"},
        {35, 16, 0, "23"},
        {0xABCDEF, 16, 0, "ABCDEF"},
        {12, 3, 0, "110"},
        {1, 16, 255, std::string(254, '0') + "1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IntToRadixLen(c.value, c.radix, c.len), c.text)
            << c.value << " radix " << int(c.radix);
        if (c.len == 0) {
            EXPECT_EQ(IntToRadix(c.value, c.radix), c.text);
        }
    }
    EXPECT_EQ(IntToOctal(8), "10");
    EXPECT_EQ(IntToOctal(-1), "37777777777");
}

TEST(IntToRadix64, UnsignedLimits) {
    const struct {
        uint64_t value;
        uint8_t radix, len;
        std::string text;
    } cases[] = {
        {kMax, 16, 0, "FFFFFFFFFFFFFFFF"},
        {kMax, 10, 0, "18446744073709551615"},
        {kMax, 2, 0, std::string(64, '1')},
        {1ull << 63, 8, 0, "1000000000000000000000"},
        {k2To32, 16, 0, "100000000"},
        {0, 16, 20, std::string(20, '0')},
        {0x1F, 16, 4, "001F"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IntToRadixLen64(c.value, c.radix, c.len), c.text) << c.value;
        if (c.len == 0) {
            EXPECT_EQ(IntToRadix64(c.value, c.radix), c.text);
        }
    }
}

TEST(RadixFunctions, RadixOutsideTwoToSixteenRaises) {
    for (int radix : {0, 1, 17, 36, 255}) {
        const auto r = static_cast<uint8_t>(radix);
        const std::string expected =
            "Invalid radix " + std::to_string(radix) + ", must be from 2 to 16";
        EXPECT_EQ(MessageOf<EOrixHexEditor>([&] { IntToRadix(10, r); }), expected);
        EXPECT_EQ(MessageOf<EOrixHexEditor>([&] { IntToRadixLen64(0, r, 4); }), expected);
        EXPECT_EQ(MessageOf<EOrixHexEditor>([&] { RadixToInt("", r); }), expected);
        EXPECT_EQ(MessageOf<EOrixHexEditor>([&] { RadixToInt64("0", r); }), expected);
    }
    EXPECT_EQ(IntToRadix(3, 2), "11");
    EXPECT_EQ(RadixToInt("F", 16), 15);
}

TEST(RadixToInt, DigitsEitherCaseAndWrapping) {
    const struct {
        const char* text;
        uint8_t radix;
        int32_t value;
    } cases[] = {
        {"ff", 16, 255},
        {"FF", 16, 255},
        {"", 16, 0},
        {"", 2, 0},
        {"777", 8, 511},
        {"1010", 2, 10},
        {"FFFFFFFF", 16, -1},
        {"7FFFFFFF", 16, INT32_MAX},
        {"100000000", 16, 0}, // 32-bit accumulator wraps without an error
        {"4294967297", 10, 1},
        {"00012", 10, 12},
        {"fedcba9", 16, 0xFEDCBA9},
    };
    for (const auto& c : cases) EXPECT_EQ(RadixToInt(c.text, c.radix), c.value) << c.text;
    EXPECT_EQ(OctalToInt("17"), 15);
}

TEST(RadixToInt64, SixtyFourBitAccumulator) {
    const struct {
        const char* text;
        uint8_t radix;
        int64_t value;
    } cases[] = {
        {"FFFFFFFFFFFFFFFF", 16, -1},     {"7fffffffffffffff", 16, INT64_MAX},
        {"10000000000000000", 16, 0},     {"18446744073709551615", 10, -1},
        {"100000000", 16, 0x100000000ll}, {"", 8, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(RadixToInt64(c.text, c.radix), c.value) << c.text;
}

TEST(RadixToInt, InvalidCharacterNamesCharacterAndRadixInHex) {
    const struct {
        const char* text;
        uint8_t radix;
        const char* message;
    } cases[] = {
        {"19", 8, "Invalid character 9, cannot convert using radix 8h"},
        {"1g", 16, "Invalid character G, cannot convert using radix 10h"},
        {"12", 2, "Invalid character 2, cannot convert using radix 2h"},
        {"-1", 10, "Invalid character -, cannot convert using radix Ah"},
        {" 1", 10, "Invalid character  , cannot convert using radix Ah"},
        {"1fH", 16, "Invalid character H, cannot convert using radix 10h"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MessageOf<EOrixHexEditor>([&] { RadixToInt(c.text, c.radix); }), c.message);
        EXPECT_EQ(MessageOf<EOrixHexEditor>([&] { RadixToInt64(c.text, c.radix); }), c.message);
    }
    EXPECT_EQ(MessageOf<EOrixHexEditor>([] { OctalToInt("8"); }),
              "Invalid character 8, cannot convert using radix 8h");
}

TEST(CheckRadixToInt, PrefixesAndSuffixesPickTheRadix) {
    const struct {
        const char* text;
        int32_t value;
        int64_t value64;
    } cases[] = {
        {"0x1F", 31, 31},
        {"0X1f", 31, 31},
        {"$1F", 31, 31},
        {"1Fh", 31, 31},
        {"1fH", 31, 31},
        {"17o", 15, 15},
        {"17O", 15, 15},
        {"o17", 15, 15},
        {"O17", 15, 15},
        {"101%", 5, 5},
        {"%101", 5, 5},
        {"-12", -12, -12},
        {"0x", 0, 0},
        {"h", 0, 0},
        {"42", 42, 42},
        {"0", 0, 0},
        {"$FFFFFFFF", -1, 0xFFFFFFFFll},
        {"0x100000001", 1, 0x100000001ll}, // the 32-bit form wraps
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CheckRadixToInt(c.text), c.value) << c.text;
        EXPECT_EQ(CheckRadixToInt64(c.text), c.value64) << c.text;
    }
}

TEST(CheckRadixToInt, ErrorsOfTheRadixAndOfTheDecimalFallback) {
    // "$" wins over the "h" suffix, so the "h" is a digit of radix 16.
    EXPECT_EQ(MessageOf<EOrixHexEditor>([] { CheckRadixToInt("$10h"); }),
              "Invalid character H, cannot convert using radix 10h");
    EXPECT_EQ(MessageOf<EOrixHexEditor>([] { CheckRadixToInt64("$10h"); }),
              "Invalid character H, cannot convert using radix 10h");
    EXPECT_EQ(MessageOf<EOrixHexEditor>([] { CheckRadixToInt("%102"); }),
              "Invalid character 2, cannot convert using radix 2h");
    EXPECT_EQ(MessageOf<EOrixHexEditor>([] { CheckRadixToInt("o18"); }),
              "Invalid character 8, cannot convert using radix 8h");
    for (const char* text : {"0b101", "12a", "", "2147483648", "1 2"})
        EXPECT_EQ(MessageOf<EConvertError>([&] { CheckRadixToInt(text); }),
                  std::string("'") + text + "' is not a valid integer value");
    for (const char* text : {"0b101", "", "9223372036854775808", "-9223372036854775809"})
        EXPECT_EQ(MessageOf<EConvertError>([&] { CheckRadixToInt64(text); }),
                  std::string("'") + text + "' is not a valid integer value");
}

TEST(CheckRadixToInt64, DecimalLimits) {
    EXPECT_EQ(CheckRadixToInt64("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(CheckRadixToInt64("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(CheckRadixToInt64("4294967296"), 4294967296ll);
    EXPECT_EQ(CheckRadixToInt64("0xFFFFFFFFFFFFFFFF"), -1);
    EXPECT_EQ(CheckRadixToInt64("1777777777777777777777o"), -1);
}

TEST(ConvertHexToBin, SkipsNonDigitsAndDropsALoneDigit) {
    const struct {
        const char* text;
        int32_t count;
        bool swap;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"A B-C", 5, false, {0xAB}},
        {"A B-C", 5, true, {0xBA}},
        {"0fA0", 4, false, {0x0F, 0xA0}},
        {"0fA0", 3, false, {0x0F}}, // only Count characters are read
        {"xyz", 3, false, {}},
        {"12 34 56 78", 11, false, {0x12, 0x34, 0x56, 0x78}},
        {"12345", 5, true, {0x21, 0x43}},
        {"ff", 0, false, {}},
        {"ff", -4, false, {}},
    };
    for (const auto& c : cases) {
        uint8_t dest[16];
        std::memset(dest, 0xEE, sizeof dest);
        int32_t translated = -1;
        EXPECT_EQ(ConvertHexToBin(c.text, dest, c.count, c.swap, translated), dest);
        ASSERT_EQ(translated, static_cast<int32_t>(c.bytes.size())) << c.text;
        EXPECT_EQ(std::vector<uint8_t>(dest, dest + translated), c.bytes) << c.text;
        for (size_t i = c.bytes.size(); i < sizeof dest; ++i) EXPECT_EQ(dest[i], 0xEE) << c.text;
    }
}

TEST(ConvertBinToHex, UpperCasePairsAndTerminatingNul) {
    const uint8_t bytes[] = {0x0F, 0xA0};
    char dest[8];
    for (bool swap : {false, true}) {
        std::memset(dest, '#', sizeof dest);
        EXPECT_EQ(ConvertBinToHex(bytes, dest, 2, swap), dest);
        EXPECT_STREQ(dest, swap ? "F00A" : "0FA0");
        EXPECT_EQ(dest[5], '#');
    }
    std::memset(dest, '#', sizeof dest);
    ConvertBinToHex(bytes, dest, 0, false);
    EXPECT_EQ(dest[0], '\0');
    EXPECT_EQ(dest[1], '#');
    ConvertBinToHex(bytes, dest, -3, false);
    EXPECT_EQ(dest[0], '\0');
}

TEST(ConvertHexBin, EveryByteRoundTrips) {
    uint8_t all[256];
    for (int i = 0; i < 256; ++i) all[i] = static_cast<uint8_t>(i);
    for (bool swap : {false, true}) {
        char hex[513];
        ConvertBinToHex(all, hex, 256, swap);
        ASSERT_EQ(std::strlen(hex), 512u);
        uint8_t back[256];
        int32_t n = 0;
        ConvertHexToBin(hex, back, 512, swap, n);
        ASSERT_EQ(n, 256);
        EXPECT_EQ(std::memcmp(all, back, 256), 0);
    }
}

TEST(UnsignedArithmetic, TryFormsReportOverflowAndKeepLowBits) {
    using Op = bool (*)(uint64_t, uint64_t, uint64_t&);
    const struct {
        const char* name;
        Op op;
        uint64_t a, b;
        bool ok;
        uint64_t res;
    } cases[] = {
        {"add", TryAddU64, kMax, 1, false, 0},
        {"add", TryAddU64, kMax, kMax, false, kMax - 1},
        {"add", TryAddU64, kMax - 1, 1, true, kMax},
        {"add", TryAddU64, kMax, 0, true, kMax},
        {"sub", TrySubtractU64, 1, 2, false, kMax},
        {"sub", TrySubtractU64, 0, kMax, false, 1},
        {"sub", TrySubtractU64, 2, 2, true, 0},
        {"sub", TrySubtractU64, kMax, kMax - 1, true, 1},
        {"mul", TryMultiplyU64, k2To32, k2To32, false, 0},
        {"mul", TryMultiplyU64, k2To32 - 1, k2To32 + 1, true, kMax},
        {"mul", TryMultiplyU64, kMax, kMax, false, 1},
        {"mul", TryMultiplyU64, 3, 1ull << 63, false, 1ull << 63},
        {"mul", TryMultiplyU64, kMax, 0, true, 0},
        {"mul", TryMultiplyU64, 0xFFFFFFFFull, 0xFFFFFFFFull, true, 0xFFFFFFFE00000001ull},
    };
    for (const auto& c : cases) {
        uint64_t res = 12345;
        EXPECT_EQ(c.op(c.a, c.b, res), c.ok) << c.name << " " << c.a << " " << c.b;
        EXPECT_EQ(res, c.res) << c.name << " " << c.a << " " << c.b;
    }
}

TEST(UnsignedArithmetic, PlainFormsRaiseIntegerOverflow) {
    EXPECT_EQ(MessageOf<EIntOverflow>([] { SubtractU64(1, 2); }), "Integer overflow");
    EXPECT_EQ(MessageOf<EIntOverflow>([] { AddU64(kMax, 1); }), "Integer overflow");
    EXPECT_EQ(MessageOf<EIntOverflow>([] { MultiplyU64(k2To32, k2To32); }), "Integer overflow");
    EXPECT_EQ(AddU64(kMax - 5, 5), kMax);
    EXPECT_EQ(SubtractU64(kMax, kMax), 0u);
    EXPECT_EQ(MultiplyU64(k2To32, k2To32 - 1), kMax - (k2To32 - 1));
}

TEST(UnsignedDivision, QuotientsRemaindersAndDivisionByZero) {
    const struct {
        uint64_t a, b, quotient, remainder;
    } cases[] = {
        {10, 3, 3, 1},
        {kMax, 1, kMax, 0},
        {kMax, kMax, 1, 0},
        {kMax - 1, kMax, 0, kMax - 1},
        {kMax, 0xFFFFFFFFull, 0x100000001ull, 0},
        {kMax, k2To32, 0xFFFFFFFFull, 0xFFFFFFFFull},
        {0x123456789ABCDEF0ull, k2To32, 0x12345678ull, 0x9ABCDEF0ull},
        {1ull << 63, k2To32 + 1, 0x7FFFFFFFull, 0x80000001ull},
        {0, 7, 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DivideU64(c.a, c.b), c.quotient) << c.a << " / " << c.b;
        EXPECT_EQ(ModuloU64(c.a, c.b), c.remainder) << c.a << " % " << c.b;
        uint64_t q = 0, r = 0;
        EXPECT_TRUE(TryDivideU64(c.a, c.b, q));
        EXPECT_TRUE(TryModuloU64(c.a, c.b, r));
        EXPECT_EQ(q, c.quotient);
        EXPECT_EQ(r, c.remainder);
    }
    uint64_t res = 99;
    EXPECT_FALSE(TryDivideU64(5, 0, res));
    EXPECT_FALSE(TryModuloU64(5, 0, res));
    EXPECT_EQ(MessageOf<EDivByZero>([] { DivideU64(1, 0); }), "Division by zero");
    EXPECT_EQ(MessageOf<EDivByZero>([] { ModuloU64(kMax, 0); }), "Division by zero");
}

TEST(SwapWideChar, ExchangesTheTwoBytes) {
    char16_t c = 0x1234;
    SwapWideChar(c);
    EXPECT_EQ(c, 0x3412);
    uint16_t u = 0xFF00;
    SwapWideChar(u);
    EXPECT_EQ(u, 0x00FF);
}
