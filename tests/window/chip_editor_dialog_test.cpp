#include "window_fixture.h"

#include "chip_editor_form.h"
#include "chip_editor_grid.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <cstring>
#include <sys/stat.h>

namespace {

struct Chip {
    const char* Name;
    uint8_t Family = Flash25;
    uint8_t Algorithm = 0;
    uint32_t Capacity = 4096;
    uint16_t PageSize = 256;
    uint8_t Voltage = 0;
    uint16_t EepromSize = 0;
    uint8_t EepromPage = 1;
    uint32_t ChipId = 0;
    uint16_t Delay = 100;
    uint16_t XmlLink = 0;
};

ChipRecord RecordOf(const Chip& c) {
    ChipRecord r{};
    SetChipName(r, c.Name);
    r.ChipId = c.ChipId;
    r.Capacity = c.Capacity;
    r.PageSize = c.PageSize;
    r.Family = c.Family;
    r.Algorithm = c.Algorithm;
    r.Delay = c.Delay;
    r.XmlLink = c.XmlLink;
    r.EepromSize = c.EepromSize;
    r.EepromPage = c.EepromPage;
    r.Voltage = c.Voltage;
    return r;
}

// The file bytes of the records and a zero end record.
std::string FileOf(const std::vector<Chip>& chips) {
    std::vector<ChipRecord> records;
    for (const Chip& c : chips) records.push_back(RecordOf(c));
    return DatabaseFile(records);
}

class ChipEditorTest : public WindowTest {
protected:
    void StartWith(const std::vector<Chip>& chips, const std::string& settings = "") {
        WriteFile("Pyrolan.Dat", FileOf(chips));
        if (!settings.empty()) WriteSettings(settings);
        Start();
    }
    TForm2& Editor() { return *Form2; }
    // A failed save of the chip database leaves no temporary file beside it.
    void ExpectNoTemporaryFileLeft() {
        for (const auto& entry : std::filesystem::directory_iterator(dir_))
            EXPECT_EQ(entry.path().filename().string().find(".Pyrolan.Dat."), std::string::npos)
                << "no temporary file is left behind";
    }
    TChipEditorGrid& Grid() { return *Form2->StringGrid1; }
    // Shows the dialog (without waiting in its loop), which reloads and lists the file.
    void ShowEditor() {
        Form2->hide();
        Form2->show();
    }
    QPoint CellCentre(int column, int row) {
        return Grid().visualRect(Grid().model()->index(row - 1, column)).center();
    }
    void ClickCell(int column, int row) {
        QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, CellCentre(column, row));
    }
    void DoubleClickRow(int row) {
        Grid().scrollToItem(Grid().item(row - 1, 1));
        ClickCell(1, row);
        QTest::mouseDClick(Grid().viewport(), Qt::LeftButton, {}, CellCentre(1, row));
    }
    std::string Database() const { return ReadFile("Pyrolan.Dat"); }
    std::string LastBox() const { return boxes_.empty() ? std::string() : boxes_.back().Text; }
};

TEST_F(ChipEditorTest, EveryFamilyComesBackUnchanged) {
    const std::vector<Chip> chips = {
        {"SPI_FLASH,WINBOND,W25Q64", Flash25, 1, 8 * 1024 * 1024, 256, 0, 0, 1, 0xEF4017, 3000, 5},
        {"24_EEPROM,ATMEL,AT24C64", Eeprom24, 1, 8192, 32, 2, 8192, 32, 0, 100, 0},
        {"93_EEPROM,ATMEL,AT93C66", Eeprom93, 9, 512, 1, 0, 512, 1, 0, 200, 0},
        {"93_EEPROM,ATMEL,AT93C66-16", Eeprom93, 89, 512, 2, 0, 512, 2, 0, 200, 0},
        {"25_EEPROM,ST,M95080", Eeprom25, 1, 1024, 32, 1, 1024, 32, 0, 100, 1},
        {"95_EEPROM,ST,M95040", Eeprom95, 0, 512, 16, 0, 512, 16, 0, 100, 65535},
    };
    StartWith(chips);
    ShowEditor();
    ASSERT_EQ(Grid().RowCount(), 7);
    EXPECT_EQ(Grid().Cells(1), (EditorRow{"SPI_FLASH", "WINBOND", "W25Q64", "0xEF4017", "8388608",
                                          "256", "0", "1", "3000", "0", "0", "1", "5"}));
    const int widths[] = {75, 75, 75, 60, 60, 60, 60, 60, 60, 60, 75, 60, 60};
    for (int c = 0; c < kEditorColumns; ++c) {
        EXPECT_EQ(Grid().columnWidth(c), widths[c]) << c;
        EXPECT_EQ(Grid().horizontalHeaderItem(c)->text(),
                  QString::fromUtf8(EditorColumnCaptions[c]));
    }

    struct Shown {
        const char *size, *algorithm, *voltage, *eepromSize, *eepromPage;
    } shown[] = {
        {"8MB", "SST SPI flash", "3.3V", "0B", "1"},
        {"8KB", "大于等于4KB", "5.0V", "8KB", "32"},
        {"512B", "93C66 8 BITS", "3.3V", "512B", "1"},
        {"512B", "93C66 16 BITS", "3.3V", "512B", "2"},
        {"1KB", "大等于512B", "1.8V", "1KB", "32"},
        {"512B", "小于512B", "3.3V", "512B", "16"},
    };
    for (int r = 1; r <= 6; ++r) {
        DoubleClickRow(r);
        EXPECT_EQ(Editor().SelectedRow, r);
        const Shown& s = shown[r - 1];
        EXPECT_EQ(Editor().ComboBox5->currentText(), QString::fromUtf8(s.size)) << r;
        EXPECT_EQ(Editor().ComboBox8->currentText(), QString::fromUtf8(s.algorithm)) << r;
        EXPECT_EQ(Editor().ComboBox7->currentText(), s.voltage) << r;
        EXPECT_EQ(Editor().ComboBox10->currentText(), s.eepromSize) << r;
        EXPECT_EQ(Editor().ComboBox11->currentText(), s.eepromPage) << r;
        EXPECT_EQ(Editor().ComboBox4->currentIndex(), chips[r - 1].Family) << r;
        const EditorRow before = Grid().Cells(r);
        QTest::mouseClick(Editor().BtnEdit, Qt::LeftButton);
        EXPECT_EQ(Grid().Cells(r), before) << "row " << r << " written back";
    }
    QTest::mouseClick(Editor().BtnSave, Qt::LeftButton);
    EXPECT_TRUE(boxes_.empty()) << LastBox();
    EXPECT_EQ(Database(), FileOf(chips)) << "(N + 1) x 68 bytes, every field unchanged";
}

TEST_F(ChipEditorTest, RowIntoTheControlsAndBack) {
    struct Case {
        Chip chip;
        const char *size, *algorithm;
        const char* capacity; // cells 4, 6 and 7 after Edit
        const char* family;
        const char* written;
    } cases[] = {
        {{"K,M,A", Flash25, 0, 100}, "64B", "非SST SPI flash", "64", "0", "0"},
        {{"K,M,B", Eeprom24, 0, 2048}, "2KB", "小于4KB", "2048", "1", "0"},
        {{"K,M,C", Eeprom24, 0, 4096}, "4KB", "大于等于4KB", "4096", "1", "1"},
        {{"K,M,D", Eeprom25, 2, 1024}, "1KB", "大等于512B", "1024", "3", "1"},
        {{"K,M,E", Eeprom25, 1, 512}, "512B", "小于512B", "512", "3", "0"},
        {{"K,M,F", 7, 3, 256}, "256B", "", "256", "-1", "-1"},
    };
    std::vector<Chip> chips;
    for (const Case& c : cases) chips.push_back(c.chip);
    StartWith(chips);
    ShowEditor();
    for (int r = 1; r <= static_cast<int>(std::size(cases)); ++r) {
        const Case& c = cases[r - 1];
        DoubleClickRow(r);
        EXPECT_EQ(Editor().ComboBox5->currentText(), c.size) << c.chip.Name;
        EXPECT_EQ(Editor().ComboBox8->currentText(), QString::fromUtf8(c.algorithm)) << c.chip.Name;
        Editor().BtnEditClick();
        const EditorRow row = Grid().Cells(r);
        EXPECT_EQ(row[4], c.capacity) << c.chip.Name;
        EXPECT_EQ(row[6], c.family) << c.chip.Name;
        EXPECT_EQ(row[7], c.written) << c.chip.Name;
    }
}

TEST_F(ChipEditorTest, TypedTextLeavesAListWithoutASelectedItem) {
    StartWith({{"K,M,A", Flash25, 1, 4096}});
    ShowEditor();
    DoubleClickRow(1);
    ASSERT_EQ(Editor().ComboBox8->currentText(), "SST SPI flash");
    // A family typed that names none empties the algorithm list.
    QTest::keyClicks(Editor().ComboBox4->lineEdit(), "x");
    EXPECT_EQ(Editor().ComboBox4->currentIndex(), -1);
    EXPECT_EQ(Editor().ComboBox8->count(), 0);
    // A size and an EEPROM page typed that match no item.
    for (QComboBox* list : {Editor().ComboBox5, Editor().ComboBox11}) {
        QTest::keyClicks(list->lineEdit(), "7");
        EXPECT_EQ(list->currentIndex(), -1);
    }
    Editor().BtnAddClick();
    const EditorRow row = Grid().Cells(2);
    EXPECT_EQ(row[4], "") << "no shift by a negative count";
    EXPECT_EQ(row[11], "");
    EXPECT_EQ(row[6], "-1");
    EXPECT_EQ(row[7], "-1");
    EXPECT_EQ(row[10], "0") << "the EEPROM size list kept its item";
    // Picking an item again selects it and refills the algorithms.
    Editor().ComboBox4->setCurrentIndex(Eeprom93);
    emit Editor().ComboBox4->activated(Eeprom93);
    EXPECT_EQ(Editor().ComboBox8->count(), 10);
    EXPECT_EQ(Editor().ComboBox8->currentIndex(), 0);
}

TEST_F(ChipEditorTest, NameOfTwoPartsAndBlanks) {
    StartWith({{"A,B"}, {"  K , M ,X Y"}});
    ShowEditor();
    const EditorRow one = Grid().Cells(1);
    EXPECT_EQ((std::vector<std::string>{one[0], one[1], one[2]}),
              (std::vector<std::string>{"A", "", "B"}));
    EXPECT_EQ(Editor().ComboBox2->count(), 1) << "an empty manufacturer is not listed";
    EXPECT_EQ(Editor().ComboBox2->itemText(0), " M ");
    EXPECT_EQ(Editor().ComboBox1->currentText(), "A") << "the name lists show their first item";
    Editor().BtnSaveClick();
    EXPECT_EQ(ChipNameText(Main().State.ChipTable[0]), "A,,B");
    EXPECT_EQ(ChipNameText(Main().State.ChipTable[1]), "K,M,X Y");
    EXPECT_EQ(Database().substr(0, 5), std::string("A,,B\0", 5));
}

QStringList Items(const QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
    return items;
}

TEST_F(ChipEditorTest, NameListsHoldEachPartOnceWithoutRegardToLetterCase) {
    // 0x81 0x41 and 0x81 0x61 are two characters whose trail bytes are 'A' and 'a'.
    StartWith({{"K,M,A"}, {"k,m,B"}, {"\x81\x41,M,C"}, {"\x81\x61,M,D"}, {"A,B"}, {"X"}, {",,"}});
    ShowEditor();
    EXPECT_EQ(Items(Editor().ComboBox1), QStringList({"K", "丄", "乤", "A", ""}))
        << "an empty kind is listed";
    EXPECT_EQ(Items(Editor().ComboBox2), QStringList({"M"})) << "an empty manufacturer is not";
    EXPECT_EQ(Items(Editor().ComboBox3), QStringList({"A", "B", "C", "D", "X", ""}));
    for (const QComboBox* list : {Editor().ComboBox1, Editor().ComboBox2, Editor().ComboBox3})
        EXPECT_EQ(list->currentIndex(), 0);
}

TEST_F(ChipEditorTest, AddWithTheDefaultsThenSave) {
    StartWith({{"K,M,A"}});
    ShowEditor();
    EXPECT_EQ(Editor().SelectedRow, 0);
    // Before any cell was selected, double click and Edit do nothing.
    const EditorRow first = Grid().Cells(1);
    Editor().StringGrid1DblClick();
    EXPECT_EQ(Editor().Edit1->text(), "100");
    Editor().BtnEditClick();
    EXPECT_EQ(Grid().Cells(1), first);

    QTest::mouseClick(Editor().BtnAdd, Qt::LeftButton);
    ASSERT_EQ(Grid().RowCount(), 3);
    EXPECT_EQ(Editor().SelectedRow, 2);
    EXPECT_EQ(Grid().Row(), 2);
    EXPECT_EQ(Grid().Cells(2),
              (EditorRow{"K", "M", "A", "0", "64", "1", "-1", "0", "100", "-1", "2", "4", ""}));

    // The empty association cell stops Save before anything changes.
    const std::string file = Database();
    QTest::mouseClick(Editor().BtnSave, Qt::LeftButton);
    EXPECT_EQ(LastBox(), "'' is not a valid integer value.");
    EXPECT_EQ(Database(), file);
    EXPECT_TRUE(IsEndRecord(Main().State.ChipTable[1])) << "the table is unchanged";

    Grid().SetCell(12, 2, "0x10");
    boxes_.clear();
    QTest::mouseClick(Editor().BtnSave, Qt::LeftButton);
    EXPECT_TRUE(boxes_.empty()) << LastBox();
    ASSERT_EQ(Database().size(), 3 * kChipRecordSize);
    const ChipRecord added = Main().State.ChipTable[1];
    EXPECT_EQ(ChipNameText(added), "K,M,A");
    EXPECT_EQ(added.Family, 255);
    EXPECT_EQ(added.Voltage, 255);
    EXPECT_EQ(added.Capacity, 64u);
    EXPECT_EQ(added.EepromSize, 2);
    EXPECT_EQ(added.EepromPage, 4);
    EXPECT_EQ(added.XmlLink, 16);
    EXPECT_TRUE(IsEndRecord(Main().State.ChipTable[2]));
}

TEST_F(ChipEditorTest, DeletingEveryRowSavesOneEndRecord) {
    StartWith({{"K,M,A"}, {"K,M,B"}, {"K,M,C"}});
    ShowEditor();
    ClickCell(2, 2);
    EXPECT_EQ(Editor().SelectedRow, 2);
    QTest::mouseClick(Editor().BtnDelete, Qt::LeftButton);
    EXPECT_EQ(Grid().RowCount(), 3);
    EXPECT_EQ(Grid().Cell(2, 2), "C") << "the rows below move up";
    EXPECT_EQ(Editor().SelectedRow, 2) << "Delete leaves SelectedRow";
    for (int i = 0; i < 4; ++i) Editor().BtnDeleteClick(); // one more than there are
    EXPECT_EQ(Grid().RowCount(), 1);
    Editor().BtnSaveClick();
    const std::string file = Database();
    ASSERT_EQ(file.size(), kChipRecordSize);
    EXPECT_EQ(file.substr(0, 20), std::string(20, '\0'));
    EXPECT_TRUE(IsEndRecord(Main().State.ChipTable[0]));
    EXPECT_EQ(Main().ComboBox1->count(), 0) << "the main window's lists follow";
    EXPECT_EQ(Main().State.ChipIndex, 0);
    ShowEditor();
    EXPECT_EQ(Grid().RowCount(), 1);
}

TEST_F(ChipEditorTest, ACellThatDoesNotConvertChangesNothing) {
    StartWith({{"K,M,A", Flash25, 0, 4096}, {"K,M,B", Flash25, 0, 8192}});
    ShowEditor();
    const ChipTableArray table = Main().State.ChipTable;
    const std::string file = Database();
    // The first row is changed, the second gets a capacity typed in place.
    Grid().SetCell(2, 1, "RENAMED");
    ClickCell(4, 2);
    QTest::keyClick(&Grid(), Qt::Key_A);
    auto* cellEditor = Grid().findChild<QLineEdit*>();
    ASSERT_NE(cellEditor, nullptr) << "typing opens the cell's editor";
    QTest::keyClicks(cellEditor, "bc");
    QTest::keyClick(cellEditor, Qt::Key_Return);
    QApplication::processEvents(); // the editor hands its text over in a posted call
    ASSERT_EQ(Grid().Cell(4, 2), "abc");
    QTest::mouseClick(Editor().BtnSave, Qt::LeftButton);
    EXPECT_EQ(LastBox(), "'abc' is not a valid integer value.");
    EXPECT_EQ(Database(), file);
    EXPECT_EQ(std::memcmp(&table, &Main().State.ChipTable, sizeof table), 0);

    // A name beyond 47 bytes is refused the same way.
    Grid().SetCell(4, 2, "8192");
    Grid().SetCell(2, 2, std::string(44, 'x'));
    Main().State.Language = 2;
    Editor().BtnSave->click();
    EXPECT_EQ(LastBox(),
              "The chip name is longer than 47 bytes: K,M," + std::string(44, 'x') + ".");
    EXPECT_EQ(Database(), file);
}

TEST_F(ChipEditorTest, AFileThatCannotBeReplacedChangesNothing) {
    StartWith({{"K,M,A"}, {"K,M,B"}});
    ShowEditor();
    const ChipTableArray table = Main().State.ChipTable;
    ClickCell(1, 1);
    Editor().BtnDeleteClick();
    // A folder in the file's place cannot be replaced by a file.
    std::filesystem::remove(Path("Pyrolan.Dat"));
    std::filesystem::create_directories(Path("Pyrolan.Dat") + "/keep");
    Editor().BtnSave->click();
    EXPECT_EQ(LastBox(), "Cannot create file " + Path("Pyrolan.Dat") + ".");
    EXPECT_EQ(std::memcmp(&table, &Main().State.ChipTable, sizeof table), 0);
    EXPECT_EQ(Main().ComboBox3->count(), 2);
    ExpectNoTemporaryFileLeft();
}

// What may not be replaced by the saved file stays as it is and the save says so.
TEST_F(ChipEditorTest, AFileThatMayNotBeReplacedStaysAndSaysWhy) {
    struct Case {
        const char* what;
        std::function<void(const std::string&)> make;
        const char* ending; // of the message shown
    };
    const Case cases[] = {
        {"a pipe", [](const std::string& name) { ASSERT_EQ(::mkfifo(name.c_str(), 0666), 0); },
         " (not a plain file)"},
        {"a read-only file",
         [&](const std::string& name) {
             WriteFile("Pyrolan.Dat", FileOf({{"K,M,A"}, {"K,M,B"}}));
             ::chmod(name.c_str(), 0444);
         },
         "."},
        {"a link to a read-only file",
         [&](const std::string& name) {
             WriteFile("real.Dat", FileOf({{"K,M,A"}, {"K,M,B"}}));
             ::chmod(Path("real.Dat").c_str(), 0444);
             std::filesystem::create_symlink(Path("real.Dat"), name);
         },
         "."},
    };
    StartWith({{"K,M,A"}, {"K,M,B"}});
    ShowEditor();
    const ChipTableArray table = Main().State.ChipTable;
    ClickCell(1, 1);
    Editor().BtnDeleteClick();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(Path("Pyrolan.Dat"));
        c.make(Path("Pyrolan.Dat"));
        struct stat before {};
        ASSERT_EQ(::stat(Path("Pyrolan.Dat").c_str(), &before), 0);
        // A pipe is never read: that would wait for a writer.
        const bool plain = S_ISREG(before.st_mode);
        const std::string file = plain ? Database() : "";
        Editor().BtnSave->click();
        EXPECT_EQ(LastBox(), "Cannot create file " + Path("Pyrolan.Dat") + c.ending);
        EXPECT_EQ(std::memcmp(&table, &Main().State.ChipTable, sizeof table), 0);
        struct stat after {};
        ASSERT_EQ(::stat(Path("Pyrolan.Dat").c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mode, before.st_mode);
        if (plain) {
            EXPECT_EQ(Database(), file);
        }
        ExpectNoTemporaryFileLeft();
    }
    EXPECT_TRUE(std::filesystem::is_symlink(Path("Pyrolan.Dat"))) << "the link stays a link";
}

TEST_F(ChipEditorTest, DamagedFileIsReportedInSimplifiedChinese) {
    StartWith({{"K,M,A"}, {"K,M,B"}}, "[DEVICE]\nLANGU=2\n");
    WriteFile("Pyrolan.Dat", std::string(67, 'x'));
    ShowEditor();
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].Text, "配置文件被破坏！");
    EXPECT_EQ(boxes_[0].Icon, BoxIcon::None);
    EXPECT_EQ(boxes_[0].Caption, "Pyrolan");
    EXPECT_EQ(Grid().RowCount(), 3) << "the current table is listed";
    EXPECT_EQ(ChipNameText(Main().State.ChipTable[1]), "K,M,B");
}

TEST_F(ChipEditorTest, EveryShowingReloadsTheFile) {
    StartWith({{"K,M,A", Flash25, 0, 4096}, {"K,M,B", Flash25, 0, 8192}});
    Main().SelectChip(0, 0, 1);
    ASSERT_EQ(Main().State.ChipIndex, 1);
    ShowEditor();
    Grid().SetCell(2, 1, "UNSAVED");
    WriteFile("Pyrolan.Dat", FileOf({{"K,M,A"}, {"K,M,B"}, {"K,N,C"}}));
    ShowEditor();
    EXPECT_EQ(Grid().RowCount(), 4);
    EXPECT_EQ(Grid().Cell(2, 1), "A") << "edits not saved are gone";
    EXPECT_EQ(ChipNameText(Main().State.ChipTable[2]), "K,N,C");
    EXPECT_EQ(Main().ComboBox2->count(), 1) << "the main window's lists wait for a Save";
}

TEST_F(ChipEditorTest, RowsNotSavedSurviveARestoreAndEscape) {
    StartWith({{"K,M,A"}, {"K,M,B"}, {"K,N,C"}});
    ShowEditor();
    // A restore from minimized is no new showing: the edits stay.
    Grid().SetCell(2, 3, "UNSAVED");
    WriteFile("Pyrolan.Dat", FileOf({{"K,M,A"}}));
    Form2->showMinimized();
    QApplication::processEvents();
    Form2->showNormal();
    QApplication::processEvents();
    EXPECT_EQ(Grid().RowCount(), 4);
    EXPECT_EQ(Grid().Cell(2, 3), "UNSAVED");

    // Escape cancels a cell edit and closes nothing.
    ClickCell(2, 1);
    QTest::keyClick(&Grid(), Qt::Key_Z);
    QTest::keyClick(Grid().findChild<QLineEdit*>(), Qt::Key_Escape);
    QTest::keyClick(&Grid(), Qt::Key_Escape);
    EXPECT_TRUE(Form2->isVisible());
    EXPECT_EQ(Grid().Cell(2, 1), "A");
    EXPECT_EQ(Grid().Cell(2, 3), "UNSAVED");
}

TEST_F(ChipEditorTest, SaveRebuildsTheMainWindowsLists) {
    StartWith({{"K,M,A", Flash25, 0, 4096}, {"K,M,B", Flash25, 0, 8192}});
    Main().SelectChip(0, 0, 1);
    ASSERT_EQ(Main().State.ChipIndex, 1);
    ShowEditor();
    ClickCell(1, 1);
    Editor().BtnDeleteClick();
    Editor().BtnSaveClick();
    EXPECT_EQ(Main().State.ChipIndex, 0) << "B moved to slot 0";
    EXPECT_EQ(Main().ComboBox3->currentText(), "B");
    EXPECT_EQ(Main().ComboBox3->count(), 1);
    EXPECT_EQ(Main().Edit1->text(), "8192");
    EXPECT_EQ(Main().State.SelectedChip().Capacity, 8192u);
}

TEST_F(ChipEditorTest, AddBeyondTheTableIsRefused) {
    std::vector<Chip> chips(999, Chip{"K,M,A"});
    StartWith(chips, "[DEVICE]\nLANGU=2\n");
    ShowEditor();
    ASSERT_EQ(Grid().RowCount(), 1000);
    QTest::mouseClick(Editor().BtnAdd, Qt::LeftButton);
    EXPECT_EQ(LastBox(), "The chip table holds at most 999 chips.");
    EXPECT_EQ(Grid().RowCount(), 1000);
    boxes_.clear();
    Editor().BtnSaveClick();
    EXPECT_EQ(Database().size(), 1000 * kChipRecordSize);
}

TEST_F(ChipEditorTest, OpenedFromTheDeviceCommandsOnlyWithTheSwitch) {
    StartWith({{"K,M,A"}});
    EXPECT_FALSE(Main().ToolDeviceAction->isVisible());
    EXPECT_FALSE(Main().N3->isVisible());
    DestroyForms();

    StartWith({{"K,M,A"}}, "[DEVICE]\nchip=1\nLANGU=2\n");
    EXPECT_TRUE(Main().ToolDeviceAction->isVisible());
    EXPECT_TRUE(Main().N3->isVisible());
    PlugProgrammer();
    const int lines = Main().LogLines().size();
    CloseNextModal([this](QWidget* modal) {
        EXPECT_EQ(modal, Form2);
        EXPECT_EQ(Grid().RowCount(), 2);
        EXPECT_EQ(Form2->windowTitle(), "Chip Editor");
        EXPECT_EQ(Form2->GroupBox1->title(), "Config");
        EXPECT_EQ(Form2->Label13->text(), "Extend");
        EXPECT_EQ(Form2->BtnExit->text(), "Quit");
        EXPECT_EQ(Grid().horizontalHeaderItem(0)->text(), "芯片类型") << "in every language";
        QTest::mouseClick(Form2->BtnExit, Qt::LeftButton);
    });
    Main().N3->trigger();
    EXPECT_FALSE(Form2->isVisible());
    EXPECT_EQ(Main().LogLines().size(), lines + 1) << "closing probes the programmer";
    EXPECT_EQ(Main().Label1->text(), "Type") << "the main window keeps its own captions";
}

} // namespace
