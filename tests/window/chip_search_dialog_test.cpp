#include "window_fixture.h"

#include "chip_search_form.h"
#include "encoding.h"
#include "orix_hex_editor_ex.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>
#include <cstring>

namespace {

using ChipSearchTest = WindowTest;

// The entries as "kind|maker|model|pos".
QStringList Entries() {
    QStringList entries;
    QTreeWidget* list = Form3->ListView1;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* e = list->topLevelItem(i);
        entries << e->text(0) + "|" + e->text(1) + "|" + e->text(2) + "|" + e->text(3);
    }
    return entries;
}

void Search(const QString& text) {
    Form3->ComboBox1->setEditText(text);
}

void Choose(int entry) {
    Form3->ListView1->setCurrentItem(Form3->ListView1->topLevelItem(entry));
}

const std::vector<TestChip> kChips = {
    {"25_flash,W,X", 1024},
    {"25_flash,W,Y", 2048},
    {"24_eeprom,ATMEL,AT24C02", 256},
    {"SPI", 64}, // fewer than three fields
};

TEST_F(ChipSearchTest, ShowingListsEveryRecordWhateverTheTextHolds) {
    WriteDatabase(kChips);
    WriteSettings("[DEVICE]\nLANGU=2\n");
    Start();
    Search("no such chip");
    EXPECT_TRUE(Entries().isEmpty());

    CloseNextModal([](QWidget* modal) {
        EXPECT_EQ(modal, Form3);
        EXPECT_EQ(Form3->ComboBox1->currentText(), "no such chip") << "the text is kept";
        EXPECT_EQ(Entries(), QStringList({"25_flash|W|X|0", "25_flash|W|Y|1",
                                          "24_eeprom|ATMEL|AT24C02|2", "SPI|||3"}));
        QTreeWidget* list = Form3->ListView1;
        ASSERT_EQ(list->columnCount(), 4);
        const char* captions[] = {"Type", "Manufacturer", "Name", "pos"};
        const int widths[] = {80, 80, 100, 1};
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(list->headerItem()->text(c), captions[c]);
            EXPECT_EQ(list->columnWidth(c), widths[c]);
        }
        EXPECT_FALSE(Form3->BitBtn1->isEnabled()) << "no entry is selected after the listing";
    });
    QTest::mouseClick(Main().BitBtn2, Qt::LeftButton);
    EXPECT_FALSE(Form3->isVisible());

    // The column captions follow the language at every listing.
    Main().fantiClick();
    Form3->FormShow();
    EXPECT_EQ(Form3->ListView1->headerItem()->text(0), "類型");
    EXPECT_EQ(Form3->ListView1->headerItem()->text(2), "名稱");
}

TEST_F(ChipSearchTest, FilterIsAPartOfTheStoredNameInItsLetterCase) {
    const std::string maker = Utf8ToCp936("华邦");
    std::vector<TestChip> chips = kChips;
    chips.push_back({"25_flash," + maker + ",W25Q80", 1024 * 1024});
    WriteDatabase(chips);
    Start();
    Form3->FormShow();
    struct Case {
        const char* text;
        std::vector<int> found;
    } cases[] = {
        {"   ", {}},
        {"W,X", {0}}, // across the comma between manufacturer and model
        {" W,X", {0}},
        {"W,X\t ", {0}},
        {"w,x", {}},
        {"25_FLASH", {}},
        {"25_flash", {0, 1, 4}},
        {"flash,W", {0, 1}},
        {"SPI", {3}},
        {"华邦,W25", {4}},
        {",", {0, 1, 2, 4}},
        {"X,", {}},
        {"", {}},
    };
    for (const Case& c : cases) {
        Search(QString::fromUtf8(c.text));
        QStringList positions;
        for (int i = 0; i < Form3->ListView1->topLevelItemCount(); ++i)
            positions << Form3->ListView1->topLevelItem(i)->text(3);
        QStringList expected;
        for (int i : c.found) expected << QString::number(i);
        EXPECT_EQ(positions, expected) << "search text '" << c.text << "'";
    }
    Search("W,Y");
    EXPECT_EQ(Entries(), QStringList({"25_flash|W|Y|1"}));
    Search("华邦");
    EXPECT_EQ(Entries(), QStringList({"25_flash|华邦|W25Q80|4"}));

    // A restore from minimized is no new showing: the list still follows the text.
    Form3->show();
    Search("W25Q8");
    ASSERT_EQ(Entries().size(), 1);
    Form3->showMinimized();
    QApplication::processEvents();
    Form3->showNormal();
    QApplication::processEvents();
    EXPECT_EQ(Entries(), QStringList({"25_flash|华邦|W25Q80|4"}));
}

TEST_F(ChipSearchTest, NameWithoutItsNulIsReadNoFurtherThanItsField) {
    ChipRecord full{};
    const std::string name = "25_flash,W," + std::string(37, 'Z');
    ASSERT_EQ(name.size(), sizeof full.Name);
    std::memcpy(full.Name, name.data(), sizeof full.Name);
    full.ChipId = 0x51515151; // "QQQQ" right behind the name
    WriteFile("Pyrolan.Dat", DatabaseFile({full}));
    Start();
    Form3->FormShow();
    EXPECT_EQ(Entries(), QStringList({"25_flash|W|" + QString(37, 'Z') + "|0"}));
    Search("ZQ");
    EXPECT_TRUE(Entries().isEmpty());
    Search("ZZZZ");
    EXPECT_EQ(Entries().size(), 1);
}

TEST_F(ChipSearchTest, SelectAndDoubleClickSelectTheChipInTheMainWindow) {
    WriteDatabase(kChips);
    Start();
    TForm1& f = Main();
    ASSERT_EQ(f.State.ChipIndex, 0);

    // Select: the button is enabled only while an entry is selected.
    CloseNextModal([](QWidget*) {
        EXPECT_FALSE(Form3->BitBtn1->isEnabled());
        Form3->BitBtn1Click(); // nothing selected: nothing happens
        EXPECT_TRUE(Form3->isVisible());
        Search("AT24");
        Choose(0);
        EXPECT_TRUE(Form3->BitBtn1->isEnabled());
        QTest::mouseClick(Form3->BitBtn1, Qt::LeftButton);
        EXPECT_FALSE(Form3->isVisible()) << "Select closes the dialog";
    });
    f.BitBtn2Click();
    EXPECT_EQ(f.State.ChipIndex, 2);
    EXPECT_EQ(f.ComboBox1->currentText(), "24_eeprom");
    EXPECT_EQ(f.ComboBox2->currentText(), "ATMEL");
    EXPECT_EQ(f.ComboBox3->currentText(), "AT24C02");
    EXPECT_EQ(f.FlashEditor->GetDataSize(), 256) << "the hex view holds the chip";
    EXPECT_EQ(f.State.KindIndex, 0) << "the saved positions stay those of the chip before";

    // A double click on an entry.
    CloseNextModal([](QWidget*) {
        QTreeWidget* list = Form3->ListView1;
        const QRect rect = list->visualItemRect(list->topLevelItem(1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    });
    f.BitBtn2Click();
    EXPECT_EQ(f.State.ChipIndex, 1);
    EXPECT_EQ(f.ComboBox3->currentText(), "Y");
    EXPECT_EQ(f.FlashEditor->GetDataSize(), 2048);
}

TEST_F(ChipSearchTest, ClosingProbesTheProgrammerAgain) {
    WriteDatabase(kChips);
    Start();
    PlugProgrammer();
    const int lines = Main().LogLines().size();
    CloseNextModal([](QWidget*) { QTest::mouseClick(Form3->BitBtn2, Qt::LeftButton); });
    Main().BitBtn2Click();
    EXPECT_EQ(Main().LogLines().size(), lines + 1);
    EXPECT_EQ(Panel(1), "准备好");
}

TEST_F(ChipSearchTest, CaptionsFollowTheLanguageWithoutTouchingTheMainWindow) {
    Start();
    Main().EnlishClick();
    EXPECT_EQ(Form3->windowTitle(), "Chip Select");
    EXPECT_EQ(Form3->Label1->text(), "Find");
    EXPECT_EQ(Form3->BitBtn1->text(), "Select");
    EXPECT_EQ(Form3->BitBtn2->text(), "Quit");
    EXPECT_EQ(Main().Label1->text(), "Type");
    EXPECT_EQ(Main().BitBtn1->text(), "Test");
    EXPECT_EQ(Main().BitBtn2->text(), "Find");
}

} // namespace
