// The build step that turns the chip table into the database: a good table gives the records
// as written, and each kind of bad line stops the build with its line number and leaves any
// earlier database untouched.
#include "chip_record.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::string kFlash =
    "25_SPI_FLASH\tWINBOND\tW25Q64JV\tEF4017\t8M\t256\tFlash25\t0\t3000\t3.3V\t0\t1\t0";
const std::string kEeprom = "24_EEPROM\tATMEL\tAT24C32\t0\t4K\t32\tEeprom24\t1\t100\t3.3V\t0\t1\t7";

class ChipdbGenTest : public ::testing::Test {
protected:
    // Runs the generator on the lines; returns its exit status and keeps its messages.
    int Run(const std::vector<std::string>& lines) {
        {
            std::ofstream table(Table());
            table << "# kind\tmaker\tmodel\n\n";
            for (const std::string& line : lines) table << line << "\n";
        }
        const std::string command = std::string("'") + PYROLAN_CHIPDB_GEN + "' '" + Table() +
                                    "' '" + Output() + "' 2>'" + (dir_ / "err").string() + "'";
        const int status = std::system(command.c_str());
        errors_ = ReadFileBytes((dir_ / "err").string());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Table() const { return (dir_ / "chips.tsv").string(); }
    std::string Output() const { return (dir_ / "Pyrolan.Dat").string(); }
    std::vector<uint8_t> OutputBytes() const {
        const std::string bytes = ReadFileBytes(Output());
        return {bytes.begin(), bytes.end()};
    }

    TempFolder folder_;
    const fs::path dir_ = folder_.Path();
    std::string errors_;
};

TEST_F(ChipdbGenTest, WritesTheRecordsAndTheEndRecord) {
    ASSERT_EQ(Run({kFlash, kEeprom}), 0) << errors_;
    const std::vector<uint8_t> bytes = OutputBytes();
    ASSERT_EQ(bytes.size(), 3 * kChipRecordSize);
    const ChipRecord flash = ChipRecordFromBytes(bytes.data());
    EXPECT_EQ(ChipNameText(flash), "25_SPI_FLASH,WINBOND,W25Q64JV");
    EXPECT_EQ(flash.ChipId, 0xEF4017u);
    EXPECT_EQ(flash.Capacity, 8u * 1024 * 1024);
    EXPECT_EQ(flash.PageSize, 256);
    EXPECT_EQ(flash.Family, Flash25);
    EXPECT_EQ(flash.Delay, 3000);
    const ChipRecord eeprom = ChipRecordFromBytes(bytes.data() + kChipRecordSize);
    EXPECT_EQ(ChipNameText(eeprom), "24_EEPROM,ATMEL,AT24C32");
    EXPECT_EQ(eeprom.Capacity, 4096u);
    EXPECT_EQ(eeprom.Family, Eeprom24);
    EXPECT_EQ(eeprom.Algorithm, 1);
    EXPECT_EQ(eeprom.XmlLink, 7);
    EXPECT_EQ(eeprom.EepromPage, 1);
    for (size_t i = 2 * kChipRecordSize; i < bytes.size(); ++i) EXPECT_EQ(bytes[i], 0);
    EXPECT_FALSE(fs::exists(Output() + ".tmp"));
}

struct BadLine {
    const char* what;
    std::string line;    // follows kFlash, which is line 3 of the table
    const char* message; // part of the error text
};

TEST_F(ChipdbGenTest, RefusesBadLinesNamingThem) {
    const std::string flash2 = "25_SPI_FLASH\tWINBOND\t";
    const BadLine cases[] = {
        {"too few fields", flash2 + "W25Q32JV\tEF4016\t4M\t256\tFlash25\t0\t1500\t3.3V\t0\t1",
         "expected 13 tab-separated fields, found 12"},
        {"blank in a model", flash2 + "W25Q32 JV\tEF4016\t4M\t256\tFlash25\t0\t1500\t3.3V\t0\t1\t0",
         "holds a blank"},
        {"comma in a model", flash2 + "W25Q32,JV\tEF4016\t4M\t256\tFlash25\t0\t1500\t3.3V\t0\t1\t0",
         "comma or a double quote"},
        {"quote in a maker",
         "25_SPI_FLASH\tWIN\"BOND\tW25Q32JV\tEF4016\t4M\t256\tFlash25\t0\t1500\t3.3V\t0\t1\t0",
         "comma or a double quote"},
        {"name of 48 bytes",
         flash2 + std::string(48 - 21, 'X') + "\tEF4016\t4M\t256\tFlash25\t0\t1500\t3.3V\t0\t1\t0",
         "has 48 bytes; at most 47 fit"},
        {"capacity not 64 << i",
         flash2 + "W25Q32JV\tEF4016\t3M\t256\tFlash25\t0\t1500\t3.3V\t0\t1\t0",
         "is not 64 << i bytes"},
        {"capacity beyond 64M",
         flash2 + "W25Q01JV\tEF4021\t128M\t256\tFlash25\t0\t1500\t3.3V\t0\t1\t0",
         "is not 64 << i bytes"},
        {"page not a power of two",
         flash2 + "W25Q32JV\tEF4016\t4M\t48\tFlash25\t0\t1500\t3.3V\t0\t1\t0", "page size '48'"},
        {"1.8 V part behind the 3.3 V part detection finds",
         flash2 + "W25Q64FW\t=EF4017\t8M\t256\tFlash25\t0\t3000\t1.8V\t0\t1\t0",
         "list the 1.8V part first"},
        {"shared identification, other page size",
         flash2 + "W25Q64FV\t=EF4017\t8M\t128\tFlash25\t0\t3000\t3.3V\t0\t1\t0",
         "differs in capacity, page size or algorithm"},
        {"page of 512", flash2 + "W25Q32JV\tEF4016\t4M\t512\tFlash25\t0\t1500\t3.3V\t0\t1\t0",
         "page size '512'"},
        {"model twice, other case",
         flash2 + "w25q64jv\t=EF4017\t8M\t256\tFlash25\t0\t3000\t3.3V\t0\t1\t0",
         "already listed under 25_SPI_FLASH,WINBOND on line 3"},
        {"maker spelt twice",
         "25_SPI_FLASH\tWinbond\tW25Q32JV\tEF4016\t4M\t256\tFlash25\t0\t1500\t3.3V\t0\t1\t0",
         "is spelt 'WINBOND' elsewhere"},
        {"identification reused unmarked",
         flash2 + "W25Q64FV\tEF4017\t8M\t256\tFlash25\t0\t3000\t3.3V\t0\t1\t0",
         "already used on line 3"},
        {"shared identification, other capacity",
         flash2 + "W25Q32JV\t=EF4017\t4M\t256\tFlash25\t0\t1500\t3.3V\t0\t1\t0",
         "differs in capacity"},
        {"shared identification, longer erase",
         flash2 + "W25Q64FV\t=EF4017\t8M\t256\tFlash25\t0\t4000\t3.3V\t0\t1\t0", "gives only 3000"},
        {"identification not hex",
         flash2 + "W25Q32JV\tEF40\t4M\t256\tFlash25\t0\t1500\t3.3V\t0\t1\t0", "six hex digits"},
        {"kind out of order",
         "93_EEPROM\tATMEL\tAT93C46(x8)\t0\t128\t1\tEeprom93\t7\t100\t3.3V\t0\t1\t0",
         "must be entry 2"},
        {"24-series algorithm against size",
         "24_EEPROM\tATMEL\tAT24C16\t0\t2K\t16\tEeprom24\t1\t100\t3.3V\t0\t1\t0",
         "does not fit the capacity; it is 0"},
        {"93-series algorithm",
         "24_EEPROM\tATMEL\tAT24C16\t0\t2K\t16\tEeprom93\t12\t100\t3.3V\t0\t1\t0",
         "7..11 (8-bit) or 87..91"},
        {"voltage", flash2 + "W25Q32JV\tEF4016\t4M\t256\tFlash25\t0\t1500\t3V\t0\t1\t0",
         "voltage '3V'"},
        {"delay beyond 16 bits",
         flash2 + "W25Q32JV\tEF4016\t4M\t256\tFlash25\t0\t70000\t3.3V\t0\t1\t0", "delay '70000'"},
        {"flash algorithm", flash2 + "W25Q32JV\tEF4016\t4M\t256\tFlash25\t2\t1500\t3.3V\t0\t1\t0",
         "algorithm is 0, or 1"},
    };
    for (const BadLine& c : cases) {
        SCOPED_TRACE(c.what);
        {
            std::ofstream earlier(Output(), std::ios::binary);
            earlier << "earlier";
        }
        EXPECT_EQ(Run({kFlash, c.line}), 1);
        EXPECT_NE(errors_.find(Table() + ":4: error: "), std::string::npos) << errors_;
        EXPECT_NE(errors_.find(c.message), std::string::npos) << errors_;
        EXPECT_EQ(OutputBytes(), (std::vector<uint8_t>{'e', 'a', 'r', 'l', 'i', 'e', 'r'}));
    }
}

TEST_F(ChipdbGenTest, AShared1v8PartMayLeadA3v3Part) {
    // Detection then offers 1.8 V to both: too little for the 3.3 V part, never too much.
    const std::string low =
        "25_SPI_FLASH\tMACRONIX\tMX25U3235F\tC22536\t4M\t256\tFlash25\t0\t1500\t1.8V\t0\t1\t0";
    const std::string high =
        "25_SPI_FLASH\tMACRONIX\tMX25L3239E\t=C22536\t4M\t256\tFlash25\t0\t1500\t3.3V\t0\t1\t0";
    ASSERT_EQ(Run({low, high}), 0) << errors_;
    const std::vector<uint8_t> bytes = OutputBytes();
    ASSERT_EQ(bytes.size(), 3 * kChipRecordSize);
    EXPECT_EQ(ChipRecordFromBytes(bytes.data()).Voltage, 1);
    EXPECT_EQ(ChipRecordFromBytes(bytes.data() + kChipRecordSize).Voltage, 0);
}

TEST_F(ChipdbGenTest, TakesAtMost999Chips) {
    std::vector<std::string> lines;
    for (int i = 0; i < 1000; ++i) {
        char id[8];
        std::snprintf(id, sizeof id, "%06X", 0x100000 + i);
        lines.push_back("25_SPI_FLASH\tMAKER\tM" + std::to_string(i) + "\t" + id +
                        "\t64K\t256\tFlash25\t0\t100\t3.3V\t0\t1\t0");
    }
    EXPECT_EQ(Run(lines), 1);
    EXPECT_NE(errors_.find("the table holds 1000 chips; the program's table takes at most 999"),
              std::string::npos)
        << errors_;
    EXPECT_FALSE(fs::exists(Output()));
    lines.pop_back();
    ASSERT_EQ(Run(lines), 0) << errors_;
    EXPECT_EQ(OutputBytes().size(), 1000 * kChipRecordSize);
}

TEST_F(ChipdbGenTest, RefusesAnEmptyTable) {
    EXPECT_EQ(Run({}), 1);
    EXPECT_NE(errors_.find("the table holds no chip"), std::string::npos) << errors_;
    EXPECT_FALSE(fs::exists(Output()));
}

} // namespace
