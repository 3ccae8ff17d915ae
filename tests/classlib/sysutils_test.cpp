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
        {"0", 0},          {"42", 42},        {"-42", -42},     {"+7", 7},
        {"  12", 12},      {"$10", 16},       {"0x1F", 31},     {"0XfF", 255},
        {"$FFFFFFFF", -1}, {"0xFFFFFFFF", -1}, {"2147483647", 2147483647},
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
