#include "command_block.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

ChipRecord Chip(uint8_t family, uint8_t voltage = 1) {
    ChipRecord r{};
    r.Family = family;
    r.Algorithm = 0x5A;
    r.PageSize = 256;
    r.Delay = 0x0102;
    r.Capacity = 0x800000; // 8 MiB
    r.ChipId = 0xEF4017;
    r.Voltage = voltage;
    r.XmlLink = 0x7777; // never sent
    r.EepromSize = 0x6666;
    r.EepromPage = 0x55;
    return r;
}

// Expected block: the named bytes, every other byte zero.
using Bytes = std::map<int, uint8_t>;

void ExpectBlock(const CommandBlock& block, const Bytes& named) {
    for (int i = 0; i < kCommandBlockSize; ++i) {
        const auto it = named.find(i);
        EXPECT_EQ(block.At(i), it == named.end() ? 0 : it->second) << "byte " << i;
    }
}

Bytes Parameters(uint8_t code, uint8_t family, bool big, uint8_t byte16, uint8_t voltage = 1) {
    Bytes b{{1, code}, {2, family}, {3, 0x5A}, {16, byte16}, {28, voltage}};
    const uint8_t page[2] = {0x01, 0x00};
    const uint8_t delay[2] = {0x01, 0x02};
    const uint8_t capacity[4] = {0x00, 0x80, 0x00, 0x00};
    const uint8_t id[4] = {0x00, 0xEF, 0x40, 0x17};
    for (int i = 0; i < 2; ++i) {
        b[4 + i] = page[big ? i : 1 - i];
        b[6 + i] = delay[big ? i : 1 - i];
    }
    for (int i = 0; i < 4; ++i) {
        b[8 + i] = capacity[big ? i : 3 - i];
        b[12 + i] = id[big ? i : 3 - i];
    }
    b[0] = 0;
    return b;
}

struct ParameterCase {
    const char* name;
    uint8_t family;
    int32_t speed;
    uint8_t voltage;
    uint8_t beginByte16;
    uint8_t queryByte16;
};

const ParameterCase kParameterCases[] = {
    {"flash speed 3", Flash25, 3, 1, 0x03, 0x03},
    {"flash no speed", Flash25, -1, 1, 0xFF, 0xFF},
    {"eeprom25 speed 2 voltage 1", Eeprom25, 2, 1, 0x21, 0x02},
    {"eeprom25 no speed", Eeprom25, -1, 2, 0xF2, 0xFF},
    {"eeprom25 speed 5 voltage 2", Eeprom25, 5, 2, 0x52, 0x05},
    {"eeprom24 sends voltage", Eeprom24, 4, 2, 0x02, 0x04},
    {"eeprom93 sends voltage", Eeprom93, 1, 0, 0x00, 0x01},
    {"eeprom95 sends voltage", Eeprom95, -1, 1, 0x01, 0xFF},
};

TEST(CommandBlockTest, BeginAndQueryCarryTheChipParametersInBothByteOrders) {
    for (const bool big : {true, false}) {
        for (const ParameterCase& c : kParameterCases) {
            SCOPED_TRACE(std::string(c.name) + (big ? " big-endian" : " little-endian"));
            const ChipRecord chip = Chip(c.family, c.voltage);
            ExpectBlock(BuildBeginCommand(chip, c.speed, big),
                        Parameters(CmdBegin, c.family, big, c.beginByte16, c.voltage));
            ExpectBlock(BuildQueryCommand(chip, c.speed, big),
                        Parameters(CmdQueryChip, c.family, big, c.queryByte16, c.voltage));
        }
    }
}

TEST(CommandBlockTest, PageSizeAndCapacityByteOrders) {
    const ChipRecord chip = Chip(Flash25);
    const CommandBlock big = BuildBeginCommand(chip, 0, true);
    const CommandBlock little = BuildBeginCommand(chip, 0, false);
    EXPECT_EQ(big.At(4), 0x01);
    EXPECT_EQ(big.At(5), 0x00);
    EXPECT_EQ(little.At(4), 0x00);
    EXPECT_EQ(little.At(5), 0x01);
    EXPECT_EQ((std::array<uint8_t, 4>{big.At(8), big.At(9), big.At(10), big.At(11)}),
              (std::array<uint8_t, 4>{0x00, 0x80, 0x00, 0x00}));
    EXPECT_EQ((std::array<uint8_t, 4>{little.At(8), little.At(9), little.At(10), little.At(11)}),
              (std::array<uint8_t, 4>{0x00, 0x00, 0x80, 0x00}));
}

TEST(CommandBlockTest, TheShortCommands) {
    struct Case {
        const char* name;
        CommandBlock block;
        Bytes big;
        Bytes little;
    };
    for (const bool big : {true, false}) {
        const Case cases[] = {
            {"end", BuildEndCommand(big), {{0, 1}, {1, 8}}, {{0, 1}, {1, 8}}},
            {"set address 0", BuildSetAddressCommand(0, big), {{1, 5}}, {{1, 5}}},
            {"set address",
             BuildSetAddressCommand(0x01020304, big),
             {{1, 5}, {8, 1}, {9, 2}, {10, 3}, {11, 4}},
             {{1, 5}, {8, 4}, {9, 3}, {10, 2}, {11, 1}}},
            {"chip erase",
             BuildEraseCommand(0x8000, big),
             {{0, 1}, {1, 2}, {26, 0x80}},
             {{0, 1}, {1, 2}, {27, 0x80}}},
            {"page erase",
             BuildEraseCommand(0xFF00, big),
             {{0, 1}, {1, 2}, {26, 0xFF}},
             {{0, 1}, {1, 2}, {27, 0xFF}}},
            {"spi 4-byte mode",
             BuildSpiCommand(kSpiEnter4ByteMode, big),
             {{1, 11}, {2, 3}, {3, 1}, {4, 0xB7}},
             {{1, 11}, {2, 3}, {3, 1}, {4, 0xB7}}},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (big ? " big-endian" : " little-endian"));
            ExpectBlock(c.block, big ? c.big : c.little);
            EXPECT_EQ(c.block.Bytes().size(), 64u);
        }
    }
}

} // namespace
