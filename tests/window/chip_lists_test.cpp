#include "window_fixture.h"

#include "chip_size_list.h"
#include "encoding.h"
#include "orix_hex_editor_ex.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

namespace {

TEST(ChipSizeListTest, SizeListItem) {
    struct Case {
        uint32_t capacity;
        int index;
    } cases[] = {{64, 0}, {2 * 1024 * 1024, 15}, {3 * 1024 * 1024, 14}, {63, -1},
                 {0, -1}, {0x4000000, 20},       {0x8000000, -1},       {0x8000040, 0}};
    for (const Case& c : cases) EXPECT_EQ(SizeListIndex(c.capacity), c.index) << c.capacity;
    EXPECT_STREQ(SizeListText(15), "2MB");
}

using ChipListTest = WindowTest;

QStringList Items(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    return items;
}

TEST_F(ChipListTest, ListsFollowTheTwoCompareRules) {
    WriteDatabase({
        {"25 flash,W,X", 1024},
        {"25 flash,W,Y", 2048},
        {"SPI,Win,A1", 4096},
        {"spi,Win,A2", 8192},  // differs only in case: never selectable
        {"SPI,Win,A1", 16384}, // duplicate model: the first one counts
        {"SPI,Win,B1", 3 * 1024 * 1024, 16},
        {"SPI", 32}, // fewer than three fields
        {"SPI,Solo", 64},
    });
    Start();
    TForm1& f = Main();
    EXPECT_EQ(Items(f.ComboBox1), QStringList({"25", "SPI"}));
    EXPECT_EQ(Items(f.ComboBox2), QStringList({"flash"}));
    EXPECT_EQ(Items(f.ComboBox3), QStringList({"W"}));
    EXPECT_EQ(f.State.ChipIndex, 0);

    f.SelectChip(1, 0, 1);
    EXPECT_EQ(Items(f.ComboBox2), QStringList({"Win", "Solo"}));
    EXPECT_EQ(Items(f.ComboBox3), QStringList({"A1", "B1"}));
    EXPECT_EQ(f.State.ChipIndex, 5);
    EXPECT_EQ(f.Edit1->text(), "3145728");
    EXPECT_EQ(f.ComboBox5->currentText(), "1MB");
    EXPECT_EQ(f.Edit2->text(), "16");
    EXPECT_EQ(f.FlashEditor->GetDataSize(), 3 * 1024 * 1024);

    f.SelectChip(1, 0, 0);
    EXPECT_EQ(f.State.ChipIndex, 2) << "first record of a duplicate model";

    // A manufacturer without models keeps the lists usable and selects nothing.
    f.SelectChip(1, 1, 0);
    EXPECT_EQ(Items(f.ComboBox3), QStringList());
    EXPECT_EQ(f.State.ChipIndex, 2);
    EXPECT_EQ(f.ComboBox3->currentIndex(), -1);
}

TEST_F(ChipListTest, PositionsBeyondTheListsSelectNothing) {
    WriteDatabase({{"K,M,A", 4096, 256}, {"K,M,B", 32, 8}});
    Start();
    TForm1& f = Main();
    f.SelectChip(0, 0, 1);
    EXPECT_EQ(f.State.ChipIndex, 1);
    EXPECT_EQ(f.ComboBox5->currentText(), "4KB") << "below 64 bytes the size list stays";
    f.SelectChip(0, 0, 0);
    for (auto [k, m, n] :
         {std::tuple{0, 0, 7}, std::tuple{0, 3, 0}, std::tuple{5, 0, 0}, std::tuple{-1, -1, -1}}) {
        f.FlashEditor->SetDataAt(3, 0x12);
        f.FlashEditor->SetModified(true);
        f.SelectChip(k, m, n);
        EXPECT_EQ(f.State.ChipIndex, 0);
        EXPECT_EQ(f.Edit1->text(), "4096");
        EXPECT_EQ(f.FlashEditor->GetDataSize(), 4096) << "reloaded with the previous chip";
        EXPECT_FALSE(f.FlashEditor->GetModified()) << "reloaded with the previous chip";
    }
    EXPECT_EQ(f.ComboBox1->currentIndex(), -1);
}

// Records without a kind or a manufacturer come before the items that the positions name: the
// lists read those positions as the items, never as the empty text of a list still being built.
TEST_F(ChipListTest, ARecordWithoutKindOrMakerIsNeverListedUnderAnother) {
    WriteDatabase(
        {{",A,m0", 64}, {"K,A,m1", 128}, {"K,,m2", 256}, {"K,B,m3", 512}, {"K,,m4", 1024}});
    WriteSettings("[CHIP]\nINDEX1=1\nINDEX2=0\nINDEX3=0\n");
    Start();
    TForm1& f = Main();
    EXPECT_EQ(f.State.ChipIndex, 1) << "restored while the kind list was first built";
    EXPECT_EQ(Items(f.ComboBox1), QStringList({"", "K"}));
    const struct Case {
        int kind, maker, model;
        int chip;
        QStringList models;
    } cases[] = {
        {1, 1, 0, 3, {"m3"}},
        {1, 0, 0, 1, {"m1"}},
        {0, 0, 0, 0, {"m0"}},
        // A manufacturer position beyond the list is the empty manufacturer, and the list
        // shows no manufacturer.
        {1, 5, 1, 4, {"m2", "m4"}},
    };
    for (const Case& c : cases) {
        f.SelectChip(c.kind, c.maker, c.model);
        EXPECT_EQ(f.State.ChipIndex, c.chip) << c.kind << "," << c.maker << "," << c.model;
        EXPECT_EQ(Items(f.ComboBox3), c.models) << c.kind << "," << c.maker;
    }
    EXPECT_EQ(Items(f.ComboBox2), QStringList({"A", "B"}));
    EXPECT_EQ(f.ComboBox2->currentIndex(), -1);
}

TEST_F(ChipListTest, HandlersSelectTheFirstModelOfAPick) {
    WriteDatabase({{"K1,M1,A", 64}, {"K1,M2,B", 128}, {"K1,M2,C", 256}, {"K2,M3,D", 512}});
    Start();
    TForm1& f = Main();
    f.ComboBox1->setCurrentIndex(1);
    f.ComboBox1Change();
    EXPECT_EQ(f.State.ChipIndex, 3);
    EXPECT_EQ(f.State.KindIndex, 1);
    f.ComboBox1->setCurrentIndex(0);
    f.ComboBox1Change();
    f.ComboBox2->setCurrentIndex(1);
    f.ComboBox2Change();
    EXPECT_EQ(f.State.ChipIndex, 1);
    f.ComboBox3->setCurrentIndex(1);
    f.ComboBox3Change();
    EXPECT_EQ(f.State.ChipIndex, 2);
    EXPECT_EQ(std::tuple(f.State.KindIndex, f.State.MakerIndex, f.State.ModelIndex),
              std::tuple(0, 1, 1));

    // Typing in the model list leaves it without a selection: nothing is selected.
    QTest::keyClicks(f.ComboBox3->lineEdit(), "x");
    EXPECT_EQ(f.State.ModelIndex, -1);
    EXPECT_EQ(f.State.ChipIndex, 2);
}

TEST_F(ChipListTest, KindsAccumulateAndAPickDiscardsViewEdits) {
    WriteDatabase({{"K1,M,A", 64}, {"K2,M,B", 128}});
    Start();
    TForm1& f = Main();
    // A table without K1 (as the editor's reload leaves it): the kind stays listed.
    f.State.ChipTable[0] = f.State.ChipTable[1];
    f.State.ChipTable[1] = ChipRecord{};
    f.SelectChip(1, 0, 0);
    EXPECT_EQ(Items(f.ComboBox1), QStringList({"K1", "K2"}));
    EXPECT_EQ(f.State.ChipIndex, 0);

    f.FlashEditor->SetDataAt(3, 0x12);
    f.FlashEditor->SetModified(true);
    f.ComboBox3Change();
    EXPECT_FALSE(f.FlashEditor->GetModified());
    EXPECT_EQ(f.FlashEditor->GetDataAt(3), 0xFF) << "the edit was not taken over";
    EXPECT_EQ(f.State.ImageBuffer[3], 0xFF);
}

TEST_F(ChipListTest, ListsShowChineseNamesAndSpeakUtf8) {
    const std::string maker = Utf8ToCp936("华邦");
    // A GBK trail byte can be an ASCII letter: 0xC4 0x61 and 0xC4 0x41 are two characters.
    const std::string a = "\xC4\x61", b = "\xC4\x41";
    WriteDatabase({{"FLASH," + maker + ",W25Q80", 1024 * 1024},
                   {"FLASH," + maker + "," + a, 64},
                   {"FLASH," + maker + "," + b, 128}});
    Start();
    TForm1& f = Main();
    EXPECT_EQ(f.ComboBox2->currentText(), "华邦");
    EXPECT_EQ(f.ChipListText(ChipList::Maker), "华邦");
    EXPECT_EQ(f.ChipListIndexOf(ChipList::Maker, "华邦"), 0);
    EXPECT_EQ(f.ChipListIndexOf(ChipList::Maker, maker), -1) << "texts are UTF-8, not bytes";
    EXPECT_EQ(f.ChipListIndexOf(ChipList::Model, "w25q80"), 0) << "search ignores case";
    EXPECT_EQ(f.ChipListIndexOf(ChipList::Model, "W25Q"), -1);
    ASSERT_EQ(f.ComboBox3->count(), 3) << "no case folding inside a Chinese character";
    f.SelectChip(0, 0, 2);
    EXPECT_EQ(f.State.ChipIndex, 2);
    EXPECT_EQ(f.ChipListText(ChipList::Model), Cp936ToUtf8(b));
}

TEST_F(ChipListTest, ReloadKeepsTheChipShownAfterTheTableChanged) {
    WriteDatabase({{"K1,M,A", 64}, {"K2,M,B", 128}, {"K2,M,C", 256}});
    WriteSettings("[CHIP]\nINDEX1=1\nINDEX2=0\nINDEX3=1\n");
    Start();
    TForm1& f = Main();
    ASSERT_EQ(f.State.ChipIndex, 2);
    // The editor saved a table without K1 and with a new record in front of C.
    const auto put = [&f](int slot, const char* name, uint32_t capacity) {
        ChipRecord& r = f.State.ChipTable[slot];
        r = ChipRecord{};
        SetChipName(r, name);
        r.Capacity = capacity;
    };
    put(0, "K2,M,B", 128);
    put(1, "K2,M,X", 512);
    put(2, "K2,M,C", 1024);
    put(3, "", 0);
    f.FlashEditor->SetDataAt(3, 0x12);
    f.FlashEditor->SetModified(true);
    f.ReloadChipLists();
    EXPECT_EQ(f.State.ImageBuffer[3], 0x12) << "view edits are kept";
    EXPECT_EQ(f.FlashEditor->GetDataAt(3), 0x12);
    EXPECT_EQ(Items(f.ComboBox1), QStringList({"K2"}));
    EXPECT_EQ(Items(f.ComboBox3), QStringList({"B", "X", "C"}));
    EXPECT_EQ(f.State.ChipIndex, 2);
    EXPECT_EQ(f.ComboBox3->currentText(), "C");
    EXPECT_EQ(f.Edit1->text(), "1024");
    EXPECT_EQ(f.FlashEditor->GetDataSize(), 1024);
    EXPECT_EQ(std::tuple(f.State.KindIndex, f.State.MakerIndex, f.State.ModelIndex),
              std::tuple(0, 0, 2));

    // The chip shown is gone: the first chip.
    put(2, "", 0);
    f.ReloadChipLists();
    EXPECT_EQ(f.State.ChipIndex, 0);
    EXPECT_EQ(f.ComboBox3->currentText(), "B");

    // Nothing left: no stale record stays selected.
    put(0, "", 0);
    f.State.ChipIndex = 1;
    f.ReloadChipLists();
    EXPECT_EQ(f.State.ChipIndex, 0);
    EXPECT_EQ(f.ComboBox1->count(), 0);
}

} // namespace
