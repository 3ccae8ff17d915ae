#include "datetime.h"
#include "exceptions.h"
#include "string_list.h"
#include "sysutils.h"

#include <gtest/gtest.h>

TEST(StrToInt, AcceptedForms) {
    const struct {
        const char* text;
        int32_t value;
    } cases[] = {
        {"0", 0},
        {"42", 42},
        {"-42", -42},
        {"+7", 7},
        {"  12", 12},
        {"$10", 16},
        {"0x1F", 31},
        {"0XfF", 255},
        {"$FFFFFFFF", -1},
        {"0xFFFFFFFF", -1},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
    };
    for (const auto& c : cases) EXPECT_EQ(StrToInt(c.text), c.value) << c.text;
}

TEST(StrToInt, RefusedFormsRaiseTheConversionError) {
    for (const char* text : {"", " ", "12 ", "1a", "0x", "$", "2147483648", "0x100000000", "--1"}) {
        try {
            StrToInt(text);
            ADD_FAILURE() << "accepted " << text;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), std::string("'") + text + "' is not a valid integer value");
        }
    }
    EXPECT_EQ(StrToIntDef("zz", -5), -5);
}

// StrToInt and StrToInt64 share one rule: the same prefixes, each within its own width.
TEST(StrToInt, OneRuleForBothWidths) {
    const int64_t refused = INT64_MIN + 1; // no case below has this value
    const struct {
        const char* text;
        int64_t value32;
        int64_t value64;
    } cases[] = {
        {"x10", 16, 16},
        {"X1f", 31, 31},
        {"-x10", -16, -16},
        {" +$7fffffff", INT32_MAX, INT32_MAX},
        {"$FFFFFFFF", -1, 0xFFFFFFFF},
        {"2147483648", refused, 2147483648},
        {"-2147483649", refused, -2147483649},
        {"x100000000", refused, 0x100000000},
        {"0xFFFFFFFFFFFFFFFF", refused, -1},
        {"-x8000000000000000", refused, INT64_MIN},
        {"9223372036854775807", refused, INT64_MAX},
        {"-9223372036854775808", refused, INT64_MIN},
        {"9223372036854775808", refused, refused},
        {"x10000000000000000", refused, refused},
        {"x", refused, refused},
        {"0x", refused, refused},
        {"xx1", refused, refused},
        {"1x", refused, refused},
    };
    for (const auto& c : cases) {
        int32_t v32 = 0;
        int64_t v64 = 0;
        EXPECT_EQ(TryStrToInt(c.text, v32), c.value32 != refused) << c.text;
        if (c.value32 != refused) {
            EXPECT_EQ(v32, c.value32) << c.text;
        }
        EXPECT_EQ(TryStrToInt64(c.text, v64), c.value64 != refused) << c.text;
        if (c.value64 != refused) {
            EXPECT_EQ(v64, c.value64) << c.text;
        }
    }
    EXPECT_THROW(StrToInt64("x"), EConvertError);
    EXPECT_EQ(StrToInt64("x10"), 16);
}

TEST(FileNames, ExtensionRules) {
    EXPECT_EQ(ExtractFileExt("/a/b/IMAGE.HEX"), ".HEX");
    EXPECT_EQ(ExtractFileExt("/a.dir/noext"), "");
    EXPECT_EQ(ChangeFileExt("/opt/p/Pyrolan", ".Dat"), "/opt/p/Pyrolan.Dat");
    EXPECT_EQ(ChangeFileExt("/opt/p/Pyrolan.exe", ".ini"), "/opt/p/Pyrolan.ini");
}

TEST(FormatDateTime, ElapsedTimeAcrossMidnight) {
    const TDateTime start = EncodeDateTime(2026, 12, 9, 23, 59, 50, 0);
    const TDateTime end = EncodeDateTime(2026, 12, 10, 0, 0, 20, 0);
    EXPECT_EQ(FormatDateTime("hh:mm:ss", end - start), "00:00:30");
    EXPECT_EQ(FormatDateTime("hh:mm:ss", EncodeDateTime(2026, 1, 1, 13, 5, 9, 999) -
                                             EncodeDateTime(2026, 1, 1, 0, 0, 0, 0)),
              "13:05:09");
}

TEST(SplitDelimitedText, ClassLibraryRule) {
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitDelimitedText("25_flash,Winbond,W25Q64"), (V{"25_flash", "Winbond", "W25Q64"}));
    EXPECT_EQ(SplitDelimitedText("a b,c"), (V{"a", "b", "c"}));
    EXPECT_EQ(SplitDelimitedText("\"a b\",c"), (V{"a b", "c"}));
    EXPECT_EQ(SplitDelimitedText("a,,b"), (V{"a", "", "b"}));
    EXPECT_EQ(SplitDelimitedText("a,"), (V{"a", ""}));
    EXPECT_EQ(SplitDelimitedText("  lead"), (V{"lead"}));
    EXPECT_EQ(SplitDelimitedText(""), V{});
}
