#include "window_fixture.h"

#include "image_file.h"
#include "message_table.h"
#include "orix_hex_editor_ex.h"
#include "sysutils.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFileDialog>
#include <cstring>
#include <sys/stat.h>

namespace {

class FileCommandTest : public WindowTest {
protected:
    // A 4 KiB chip, English texts.
    void StartWithChip(uint32_t capacity = 4096) {
        WriteDatabase({{"K,M,C", capacity, 256}});
        WriteSettings("[DEVICE]\nLANGU=2\n");
        Start();
    }
    // 1 KiB of data without a run of 0xFF, then 0xFF.
    static std::string Pattern() {
        std::string data(1024, '\0');
        for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 % 255);
        return data;
    }
    void PutPatternInBuffer() {
        std::memcpy(Main().State.ImageBuffer.get(), Pattern().data(), 1024);
        Main().State.DataLength = 1024;
    }
    std::string Buffer(size_t count) const {
        return std::string(reinterpret_cast<const char*>(Form1->State.ImageBuffer.get()), count);
    }
    std::string View() const {
        std::string bytes(static_cast<size_t>(Form1->FlashEditor->GetDataSize()), '\0');
        Form1->FlashEditor->ReadBuffer(bytes.data(), 0, static_cast<int32_t>(bytes.size()));
        return bytes;
    }
    void Open(const std::string& name) {
        ChooseFile(name);
        Main().O2->trigger();
    }
    void Save(const std::string& name) {
        ChooseFile(name);
        Main().S1->trigger();
    }
};

TEST_F(FileCommandTest, SaveAndOpenRoundTripThroughEachFormat) {
    StartWithChip();
    const std::string image = Pattern() + std::string(3072, '\xFF');
    struct Case {
        const char* saveAs;
        const char* openAs; // the saved file under this name (empty: the same)
        int32_t length;     // DataLength after Open
        const char* format;
    } cases[] = {
        {"a.bin", "", 4096, "raw"},
        {"b.HEX", "", 1024, "Intel HEX"},
        {"c.src", "c.eep", 1024, "S-records, loaded through .eep"},
        {"d.rom", "", 4096, "raw"},
        {"e", "e.hex", 1024, "a name without extension saves as Intel HEX"},
        {"f.Eep", "", 4096, ".eep whose first byte is not a record mark: raw"},
    };
    for (const Case& c : cases) {
        PutPatternInBuffer();
        Save(c.saveAs);
        const std::string saved =
            std::string(c.saveAs) + (ExtractFileExt(c.saveAs).empty() ? ".hex" : "");
        ASSERT_TRUE(std::filesystem::exists(Path(saved))) << c.saveAs;
        const std::string openAs = *c.openAs ? c.openAs : saved;
        if (openAs != saved) std::filesystem::copy_file(Path(saved), Path(openAs));
        std::memset(Main().State.ImageBuffer.get(), 0, 4096);
        Main().State.DataLength = 0;
        const int32_t counter = Main().State.LogCounter;
        Open(openAs);
        EXPECT_EQ(Main().State.DataLength, c.length) << c.format;
        EXPECT_EQ(Buffer(4096), image) << c.format;
        EXPECT_EQ(View(), image) << c.format;
        EXPECT_EQ(Main().LogLines().value(0).toStdString(),
                  Format("%03d:", counter) + "Open" + Path(openAs))
            << c.format;
    }
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(fileDialogs_.front(), "SaveDialog1");
    EXPECT_EQ(fileDialogs_.back(), "OpenDialog1");
}

TEST_F(FileCommandTest, OpenReadsCapsulesAndRawFilesOfAnyName) {
    StartWithChip();
    const std::string data = Pattern();
    struct Case {
        const char* name;
        std::string bytes;
        int32_t length;
        std::string start; // the buffer's first bytes
    } cases[] = {
        {"img.CAP", std::string(2048, 'h') + data, 1024, data.substr(0, 16)},
        {"tiny.cap", std::string(100, 'h'), 0, std::string(16, '\xFF')},
        {"UPPER.BIN", data, 1024, data.substr(0, 16)},
        {"noext", data.substr(0, 10), 10, data.substr(0, 10) + std::string(6, '\xFF')},
        {"rec.src", "S00600004844521B\n", 17, "S00600004844521B"},
    };
    for (const Case& c : cases) {
        WriteFile(c.name, c.bytes);
        Open(c.name);
        EXPECT_EQ(Main().State.DataLength, c.length) << c.name;
        EXPECT_EQ(Buffer(c.start.size()), c.start) << c.name;
        EXPECT_EQ(Main().FlashEditor->GetDataSize(), 4096) << c.name;
        // The view holds its own copy: the hand-over stream keeps no block.
        EXPECT_EQ(Main().State.EditorStream.Memory(), nullptr) << c.name;
    }
}

// Return in a file dialog accepts it while the name completer's list is open; the list must
// go with the dialog, or it stays on the screen and takes the next click and keys.
TEST_F(FileCommandTest, ClosingAFileDialogClosesItsNameList) {
    StartWithChip();
    for (QFileDialog* dialog : {Main().OpenDialog1, Main().SaveDialog1}) {
        for (const QDialog::DialogCode code : {QDialog::Accepted, QDialog::Rejected}) {
            dialog->show();
            const QList<QCompleter*> completers = dialog->findChildren<QCompleter*>();
            ASSERT_FALSE(completers.isEmpty());
            for (QCompleter* completer : completers) completer->popup()->show();
            static_cast<QDialog*>(dialog)->done(code);
            for (QCompleter* completer : completers)
                EXPECT_FALSE(completer->popup()->isVisible())
                    << dialog->objectName().toStdString() << " " << code;
        }
    }
}

TEST_F(FileCommandTest, AFailedOpenLeavesAnEmptyBufferAndStillLogs) {
    StartWithChip();
    PutPatternInBuffer();
    WriteFile("bad.hex", "this is no record\n");
    Open("bad.hex");
    EXPECT_EQ(Main().State.DataLength, 0);
    EXPECT_EQ(View(), std::string(4096, '\xFF'));
    ASSERT_FALSE(boxes_.empty()) << "the reader's own error box";
    EXPECT_EQ(boxes_.back().Caption, "Error");
    EXPECT_TRUE(
        Main().LogLines().value(0).endsWith("Open" + QString::fromStdString(Path("bad.hex"))));

    // A file that cannot be opened raises: shown as the application shows exceptions, no log
    // line, and nothing left of the old image.
    PutPatternInBuffer();
    Main().ReloadHexView(4096);
    const QStringList log = Main().LogLines();
    boxes_.clear();
    Open("missing.bin");
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].Caption, "Pyrolan");
    EXPECT_EQ(Main().State.DataLength, 0);
    EXPECT_EQ(View(), std::string(4096, '\xFF'));
    EXPECT_EQ(Main().LogLines(), log);

    // A cancelled dialog changes nothing.
    PutPatternInBuffer();
    Open("");
    EXPECT_EQ(Main().State.DataLength, 1024);
    EXPECT_EQ(Main().LogLines(), log);
}

TEST_F(FileCommandTest, SaveTakesViewEditsAndWritesTheWholeCapacity) {
    StartWithChip();
    PutPatternInBuffer();
    Main().ReloadHexView(4096);
    const QStringList log = Main().LogLines();
    // What an edit in the view leaves: the byte, its change mark, the modified flag.
    Main().FlashEditor->SetDataAt(5, 0xA5);
    Main().FlashEditor->SetChanged(5, true);
    Main().FlashEditor->SetModified(true);
    ASSERT_TRUE(Main().FlashEditor->GetModified());
    Save("out.bin");
    std::string expected = Pattern() + std::string(3072, '\xFF');
    expected[5] = '\xA5';
    EXPECT_EQ(ReadFile("out.bin"), expected);
    EXPECT_FALSE(Main().FlashEditor->GetModified());
    EXPECT_FALSE(Main().FlashEditor->HasChanged(5));
    EXPECT_EQ(Main().State.DataLength, 4096) << "the view's size, at most the capacity";

    // Over an existing file: No keeps it.
    answer_ = IDNO;
    Main().State.ImageBuffer[0] = 0;
    Save("out.bin");
    EXPECT_EQ(ReadFile("out.bin"), expected);
    EXPECT_EQ(boxes_.back().Caption, "Info");
    EXPECT_EQ(Main().LogLines(), log) << "Save writes no log line";
}

// A read-only file is not replaced by a save in any format, named or linked to: the save
// says that it cannot create the file.
TEST_F(FileCommandTest, SaveOverAReadOnlyFileLeavesItAndSaysSo) {
    StartWithChip();
    PutPatternInBuffer();
    for (const char* name : {"ro.bin", "ro.hex", "ro.src", "link.bin"}) {
        SCOPED_TRACE(name);
        if (std::string(name) == "link.bin") {
            std::filesystem::create_symlink(Path("ro.bin"), Path(name));
        } else {
            WriteFile(name, "read-only");
            ::chmod(Path(name).c_str(), 0444);
        }
        boxes_.clear();
        answer_ = IDYES;
        Save(name);
        ASSERT_FALSE(boxes_.empty());
        EXPECT_EQ(boxes_.back().Text, "Cannot create file " + Path(name) + ".");
        EXPECT_EQ(ReadFile(name), "read-only");
    }
    EXPECT_TRUE(std::filesystem::is_symlink(Path("link.bin")));
}

TEST_F(FileCommandTest, WithoutAChipDatabaseSaveWritesNothingButTheEndRecord) {
    WriteSettings("[DEVICE]\nLANGU=2\n");
    Start();
    WriteFile("a.bin", Pattern());
    Open("a.bin");
    EXPECT_EQ(Main().State.DataLength, 1024);
    EXPECT_EQ(Main().FlashEditor->GetDataSize(), 0);
    Save("empty.bin");
    EXPECT_EQ(ReadFile("empty.bin"), "");
    Save("empty.hex");
    EXPECT_EQ(ReadFile("empty.hex"), ":00000001FF\r\n");
}

TEST_F(FileCommandTest, CapacityBeyondTheBufferIsClamped) {
    StartWithChip(0x8000000);
    // The record is not usable for a device, but Open and Save must stay inside the buffer.
    WriteFile("a.bin", Pattern());
    Open("a.bin");
    EXPECT_EQ(Main().FlashEditor->GetDataSize(), int64_t{kImageBufferSize});
    Save("big.bin");
    EXPECT_EQ(std::filesystem::file_size(Path("big.bin")), uint64_t{kImageBufferSize});
}

TEST_F(FileCommandTest, DialogsCarryTheirFilters) {
    StartWithChip();
    ChooseFile("");
    Main().ToolOpen->click();
    const QStringList open = Main().OpenDialog1->nameFilters();
    ASSERT_EQ(open.size(), 5);
    EXPECT_TRUE(open[0].startsWith("Binary (*.bin)"));
    EXPECT_TRUE(open[3].startsWith("Asus Rom (*.cap)"));
    EXPECT_TRUE(open[4].endsWith("(*)")) << "names without an extension are files too";
    EXPECT_EQ(Main().OpenDialog1->selectedNameFilter(), "Binary (*.bin)");
    EXPECT_FALSE(Main().OpenDialog1->filter() & QDir::CaseSensitive) << "*.BIN is a binary";
    EXPECT_TRUE(Main().OpenDialog1->testOption(QFileDialog::HideNameFilterDetails));

    Main().ToolSave->click();
    const QStringList save = Main().SaveDialog1->nameFilters();
    ASSERT_EQ(save.size(), 4);
    EXPECT_TRUE(save[1].startsWith("Intel Hex(*.hex)"));
    EXPECT_EQ(Main().SaveDialog1->defaultSuffix(), "hex");
    // The save dialog keeps the filter chosen last.
    Main().SaveDialog1->selectNameFilter(save[2]);
    Main().ToolSave->click();
    EXPECT_EQ(Main().SaveDialog1->selectedNameFilter(), "Bios Rom (*.rom)");
    EXPECT_EQ(fileDialogs_,
              (std::vector<std::string>{"OpenDialog1", "SaveDialog1", "SaveDialog1"}));
}

} // namespace
