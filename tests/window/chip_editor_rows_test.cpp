#include "chip_editor_rows.h"

#include "exceptions.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

TEST(ChipEditorRowsTest, NameSplitsAtTheFirstTwoCommasOnly) {
    struct Case {
        const char* name;
        const char* kind;
        const char* maker;
        const char* model;
    } cases[] = {
        {"SPI_FLASH,WINBOND,W25Q64", "SPI_FLASH", "WINBOND", "W25Q64"},
        {"A,B", "A", "", "B"},
        {"A", "", "", "A"},
        {"A,B,C,D", "A", "B", "C,D"},
        {" A , B ,C D", " A ", " B ", "C D"}, // nothing trimmed, blanks do not split
        {"A,,C", "A", "", "C"},
        {",,", "", "", ""},
        {"", "", "", ""},
    };
    for (const Case& c : cases) {
        const EditorNameParts parts = SplitEditorName(c.name);
        EXPECT_EQ(parts.Kind, c.kind) << c.name;
        EXPECT_EQ(parts.Maker, c.maker) << c.name;
        EXPECT_EQ(parts.Model, c.model) << c.name;
    }
}

TEST(ChipEditorRowsTest, HalvingCountIsTheListItemOfAPowerOfTwo) {
    const std::pair<int32_t, int32_t> cases[] = {
        {-5, 0},  {0, 0},     {1, 0},      {2, 1},          {3, 1},         {64, 6},
        {100, 6}, {4096, 12}, {65535, 15}, {0x4000000, 26}, {INT32_MAX, 30}};
    for (auto [v, n] : cases) EXPECT_EQ(HalvingCount(v), n) << v;
}

TEST(ChipEditorRowsTest, RowOfARecord) {
    ChipRecord r{};
    SetChipName(r, "SPI_FLASH,WINBOND,W25Q64");
    r.ChipId = 0xEF4017;
    r.Capacity = 8 * 1024 * 1024;
    r.PageSize = 256;
    r.Family = Flash25;
    r.Algorithm = 1;
    r.Delay = 65535;
    r.XmlLink = 7;
    r.EepromSize = 4096;
    r.EepromPage = 32;
    r.Voltage = 2;
    EXPECT_EQ(RowFromRecord(r), (EditorRow{"SPI_FLASH", "WINBOND", "W25Q64", "0xEF4017", "8388608",
                                           "256", "0", "1", "65535", "2", "4096", "32", "7"}));
    // A name that fills all 48 bytes without its NUL is read no further.
    std::memset(r.Name, 'N', sizeof r.Name);
    EXPECT_EQ(RowFromRecord(r)[2], std::string(48, 'N'));
}

TEST(ChipEditorRowsTest, RowOfTheControls) {
    EditorControls c;
    c.Kind = "K";
    c.Maker = "M";
    c.Model = "X";
    c.ChipId = "0x1F";
    c.Delay = "100";
    c.XmlLink = "3";
    c.Size = 20;
    c.Page = 8;
    c.Family = Eeprom93;
    c.Algorithm = 2;
    c.Voltage = 1;
    c.EepromSize = 12;
    c.EepromPage = 0;
    EXPECT_EQ(RowFromControls(c), (EditorRow{"K", "M", "X", "0x1F", "67108864", "256", "2", "9",
                                             "100", "1", "4096", "1", "3"}));
    c.Algorithm = 7;
    EXPECT_EQ(RowFromControls(c)[7], "89") << "16-bit organisations of the 93 series";
    c.EepromSize = 0;
    EXPECT_EQ(RowFromControls(c)[10], "0");

    // Lists without a selected item: no shift by a negative count, the cell stays empty.
    EditorControls none;
    const EditorRow row = RowFromControls(none);
    for (int column : {4, 5, 10, 11}) EXPECT_EQ(row[column], "") << column;
    for (int column : {6, 7, 9}) EXPECT_EQ(row[column], "-1") << column;
}

TEST(ChipEditorRowsTest, AlgorithmItemsAndTheValuesTheyStore) {
    // Families 0 and 2 store their item's value and show it again from it.
    struct Stored {
        int32_t family, item;
        const char* value;
    } stored[] = {
        {Flash25, 0, "0"},   {Flash25, 1, "1"},   {Eeprom93, 0, "7"},  {Eeprom93, 1, "8"},
        {Eeprom93, 2, "9"},  {Eeprom93, 3, "10"}, {Eeprom93, 4, "11"}, {Eeprom93, 5, "87"},
        {Eeprom93, 6, "88"}, {Eeprom93, 7, "89"}, {Eeprom93, 8, "90"}, {Eeprom93, 9, "91"},
        {Eeprom24, 1, "1"},  {Eeprom25, 2, "2"},  {Eeprom95, 1, "1"},
    };
    for (const Stored& s : stored) {
        EditorControls c;
        c.Family = s.family;
        c.Algorithm = s.item;
        EXPECT_EQ(RowFromControls(c)[7], s.value) << s.family << "/" << s.item;
        if (s.family == Flash25 || s.family == Eeprom93) {
            EXPECT_EQ(AlgorithmItemFor(s.family, 0, std::stoi(s.value), -1), s.item) << s.value;
        }
    }
    // Families 1, 3 and 4 choose by the size list's item alone; no family keeps the item.
    struct Chosen {
        int32_t family, sizeItem, algorithm, item;
    } chosen[] = {
        {Eeprom24, 5, 1, 0}, {Eeprom24, 6, 0, 1},  {Eeprom25, 3, 1, 0}, {Eeprom25, 4, 2, 1},
        {Eeprom95, 3, 2, 0}, {Eeprom95, 20, 0, 1}, {-1, 4, 1, 5},       {7, 4, 1, 5},
    };
    for (const Chosen& c : chosen)
        EXPECT_EQ(AlgorithmItemFor(c.family, c.sizeItem, c.algorithm, 5), c.item)
            << c.family << "/" << c.sizeItem;
}

EditorRow GoodRow(const std::string& kind, const std::string& maker, const std::string& model) {
    return {kind, maker, model, "0xEF4017", "4096", "256", "-1", "89", "100", "-1", "0", "4", "0"};
}

TEST(ChipEditorRowsTest, RecordsOfTheRows) {
    ChipTableArray table{};
    std::memset(&table[2], 0xAB, sizeof(ChipRecord));
    const std::vector<ChipRecord> records =
        RecordsFromRows({GoodRow(" K ", "", "A B "), GoodRow("K", "M", "X")}, table, 2);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(ChipNameText(records[0]), "K,,A B") << "trimmed parts, blanks inside kept";
    EXPECT_EQ(ChipNameText(records[1]), "K,M,X");
    EXPECT_EQ(records[0].ChipId, 0xEF4017u);
    EXPECT_EQ(records[0].Capacity, 4096u);
    EXPECT_EQ(records[0].Family, 255) << "no family chosen";
    EXPECT_EQ(records[0].Voltage, 255);
    EXPECT_EQ(records[0].Algorithm, 89);
    EXPECT_EQ(records[0].EepromPage, 4);
    // The end record clears the first 20 bytes of its slot and keeps the rest.
    uint8_t end[kChipRecordSize], expected[kChipRecordSize];
    ChipRecordToBytes(records[2], end);
    std::memset(expected, 0xAB, sizeof expected);
    std::memset(expected, 0, 20);
    EXPECT_EQ(std::memcmp(end, expected, kChipRecordSize), 0);

    // Values are cut to their fields' widths.
    EditorRow wide = GoodRow("K", "M", "X");
    wide[5] = "0x12345";
    wide[6] = "258";
    wide[12] = "-1";
    const ChipRecord cut = RecordsFromRows({wide}, table, 0)[0];
    EXPECT_EQ(cut.PageSize, 0x2345);
    EXPECT_EQ(cut.Family, 2);
    EXPECT_EQ(cut.XmlLink, 0xFFFF);
}

TEST(ChipEditorRowsTest, RowsThatCannotBeSavedAreRefused) {
    const ChipTableArray table{};
    EditorRow bad = GoodRow("K", "M", "X");
    bad[12] = "";
    try {
        RecordsFromRows({GoodRow("K", "M", "A"), bad}, table, 2);
        ADD_FAILURE() << "an empty cell converted";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'' is not a valid integer value");
    }

    // 47 bytes and the NUL fill the name; one more is refused.
    const std::string model47(43, 'm');
    EXPECT_EQ(ChipNameText(RecordsFromRows({GoodRow("K", "M", model47)}, table, 2)[0]).size(), 47u);
    try {
        RecordsFromRows({GoodRow("K", "M", model47 + "m")}, table, 2);
        ADD_FAILURE() << "a 48-byte name was taken";
    } catch (const EConvertError&) {
        ADD_FAILURE() << "wrong error";
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()),
                  "The chip name is longer than 47 bytes: K,M," + model47 + "m");
    }

    // 999 records and the end record fill the table.
    std::vector<EditorRow> rows(999, GoodRow("K", "M", "X"));
    EXPECT_EQ(RecordsFromRows(rows, table, 2).size(), 1000u);
    rows.push_back(GoodRow("K", "M", "Y"));
    EXPECT_THROW(RecordsFromRows(rows, table, 2), Exception);
    EXPECT_EQ(EditorTableFullMessage(2), "The chip table holds at most 999 chips.");
}

TEST(ChipEditorRowsTest, ListTextsAsGiven) {
    EXPECT_EQ(EditorFamilyTexts().size(), 5u);
    EXPECT_STREQ(EditorFamilyTexts()[4], "95 eeprom 系列");
    EXPECT_EQ(EditorPageTexts().size(), 9u);
    EXPECT_STREQ(EditorPageTexts()[8], "256");
    EXPECT_EQ(EditorVoltageTexts().size(), 3u);
    EXPECT_STREQ(EditorVoltageTexts()[2], "5.0V");
    ASSERT_EQ(EditorEepromSizeTexts().size(), 27u);
    EXPECT_STREQ(EditorEepromSizeTexts()[1], "2B");
    EXPECT_STREQ(EditorEepromSizeTexts()[10], "1KB");
    EXPECT_STREQ(EditorEepromSizeTexts()[26], "64MB");
    const size_t algorithms[] = {2, 2, 10, 3, 3, 0, 0};
    for (int family = 0; family < 7; ++family)
        EXPECT_EQ(EditorAlgorithmTexts(family).size(), algorithms[family]) << family;
    EXPECT_STREQ(EditorAlgorithmTexts(Flash25)[0], "非SST SPI flash");
    EXPECT_STREQ(EditorAlgorithmTexts(Eeprom24)[1], "大于等于4KB");
    EXPECT_STREQ(EditorAlgorithmTexts(Eeprom93)[7], "93C66 16 BITS");
    EXPECT_STREQ(EditorAlgorithmTexts(Eeprom95)[2], "大于64KB");
    EXPECT_EQ(EditorAlgorithmTexts(-1).size(), 0u);
    EXPECT_STREQ(EditorColumnCaptions[12], "关联XML");
}

} // namespace
