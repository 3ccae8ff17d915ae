#include "chip_name.h"

#include <gtest/gtest.h>

namespace {

TEST(ChipNameTest, DelimitedTextSplit) {
    struct Case {
        const char* name;
        const char* kind;
        const char* maker;
        const char* model;
    } cases[] = {
        {"24_EEPROM,ATMEL,AT24C02", "24_EEPROM", "ATMEL", "AT24C02"},
        {"25 flash,W,X", "25", "flash", "W"}, // blanks separate too
        {"  A , B ,C", "A", "B", "C"},
        {"A,,C", "A", "", "C"},
        {"\"25 flash\",W,X", "25 flash", "W", "X"},
        {"A,B", "A", "B", ""},
        {"A", "A", "", ""},
        {"", "", "", ""},
        {"A,B,C,D", "A", "B", "C"},
    };
    for (const Case& c : cases) {
        const ChipNameFields f = SplitChipName(c.name);
        EXPECT_EQ(f.Kind, c.kind) << c.name;
        EXPECT_EQ(f.Maker, c.maker) << c.name;
        EXPECT_EQ(f.Model, c.model) << c.name;
    }
}

} // namespace
