// The import pieces below the control: priority list, format choice and chooser dialog, hex
// text, file lists.
#include "clipboard_test_env.h"
#include "orix_hex_clipboard_import.h"
#include "orix_hex_error.h"

#include <QCheckBox>
#include <QImage>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList Items(const TFormatSelDialog& dialog) {
    QStringList items;
    for (int i = 0; i < dialog.FormatList->count(); ++i)
        items << dialog.FormatList->item(i)->text();
    return items;
}

void WriteFile(const QString& path, const std::string& bytes) {
    std::ofstream(path.toStdString(), std::ios::binary) << bytes;
}

} // namespace

TEST(ClipboardImport, PriorityList) {
    EXPECT_EQ(OrixHClipFormats(false), (TClipFormats{CF_HEXEDITOR, CF_HDROP}));
    const TClipFormats all = OrixHClipFormats(true);
    ASSERT_EQ(all.size(), 17u);
    EXPECT_EQ(all[2], CF_TEXT);
    EXPECT_EQ(all[5], CF_BITMAP);
    EXPECT_EQ(all[15], CF_REGEDIT_HEXDATA);
    EXPECT_EQ(all[16], CF_HTML);

    TestApp();
    QMimeData data;
    data.setText("x");
    data.setData(kMimeHexEditor, "ORXT");
    TClipFormat format = 0;
    ASSERT_TRUE(OLEHasSupportedFormat(&data, all, format));
    EXPECT_EQ(format, CF_HEXEDITOR);
    QMimeData text;
    text.setText("x");
    format = 0;
    EXPECT_FALSE(OLEHasSupportedFormat(&text, OrixHClipFormats(false), format));
    EXPECT_EQ(format, 0);
}

TEST(ClipboardImport, HexText) {
    const struct {
        const char* text;
        bool swap;
        std::string bytes;
    } cases[] = {
        {"12 ab-Z3", false, "\x12\xAB"},
        {"12 ab-Z3", true, "\x21\xBA"},
        {"1", false, ""},
        {"", false, ""},
        {"0 0 f F", false, std::string("\x00\xFF", 2)},
    };
    for (const auto& c : cases) EXPECT_EQ(HexTextToBytes(c.text, c.swap), c.bytes) << c.text;
}

TEST(ClipboardImport, FileLists) {
    QTemporaryDir dir;
    const QString a = dir.filePath("first.bin"), b = dir.filePath("second.bin");
    WriteFile(a, std::string("\x01\x00\x02", 3));
    WriteFile(b, "other");
    const std::vector<std::string> files = {a.toStdString(), b.toStdString()};
    EXPECT_EQ(FileListToBytes(files, false), std::string("\x01\x00\x02", 3));
    EXPECT_EQ(FileListToBytes(files, true), files[0] + '\0' + files[1] + '\0');

    // Names are taken whole, however long.
    const QString deep = dir.filePath(QString(200, 'd') + "/" + QString(200, 'e') + ".bin");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(deep).path()));
    WriteFile(deep, "deep");
    ASSERT_GT(deep.size(), 260);
    EXPECT_EQ(FileListToBytes({deep.toStdString()}, false), "deep");

    // Refused with the open error: a file that is not there, and what has no plain contents
    // (a named pipe would wait for a writer for ever; a file of /proc tells a size of 0 and
    // would paste nothing of what it holds).
    const QString pipe = dir.filePath("pipe");
    ASSERT_EQ(::mkfifo(pipe.toStdString().c_str(), 0600), 0);
    // Held open here as well, so that a reader that does try to open it fails instead of
    // hanging the test.
    const int pipeFd = ::open(pipe.toStdString().c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(pipeFd, 0);
    for (const QString& refused :
         {dir.filePath("missing"), dir.path(), pipe, QString("/proc/self/status")})
        EXPECT_THROW(FileListToBytes({refused.toStdString()}, false), EFOpenError)
            << refused.toStdString();
    ::close(pipeFd);

    // A name holding a NUL (file:///path/fifo%00) is refused whole: cut at the NUL it would
    // name the pipe, which then blocks with no one holding it, or a folder or a file of /proc
    // whose size cannot be known.
    for (const std::string& prefix : {pipe.toStdString(), dir.path().toStdString(),
                                      std::string("/proc/self/status"), a.toStdString()}) {
        try {
            FileListToBytes({prefix + std::string(1, '\0')}, false);
            ADD_FAILURE() << "no error for " << prefix;
        } catch (const EFOpenError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Cannot open file \"" + prefix + "%00\". Invalid argument");
        }
    }
}

TEST(ClipboardImport, FileBeyondTheDataSizeIsRefusedBeforeItIsRead) {
    QTemporaryDir dir;
    const QString big = dir.filePath("big.bin");
    WriteFile(big, "");
    // A sparse file: no disk space, and a read of it would take long enough to notice.
    ASSERT_EQ(::truncate(big.toStdString().c_str(), int64_t{1} << 31), 0);
    try {
        FileListToBytes({big.toStdString()}, false);
        ADD_FAILURE() << "no error";
    } catch (const EOrixHexEditor& e) {
        EXPECT_NE(std::string(e.what()).find("too large"), std::string::npos) << e.what();
    }
}

TEST(FormatChooser, ListsOfferedFormatsInPriorityOrderAndRemembersTheChoice) {
    TestApp();
    LastSelectedClipFormat = -1;
    QMimeData data;
    data.setImageData(QImage(2, 2, QImage::Format_RGB32));
    data.setText("12");
    TClipFormat format = 0;
    bool hexText = true;

    const auto chooser = OnChooser([](TFormatSelDialog& d) {
        EXPECT_EQ(Items(d), QStringList({"Text", "Bitmap Picture"}));
        EXPECT_EQ(d.windowTitle(), "Select data format");
        EXPECT_EQ(d.FormatList->currentRow(), 0);
        EXPECT_TRUE(d.HexTextBox->isEnabled());
        EXPECT_TRUE(d.HexTextBox->isChecked());
        d.FormatList->setCurrentRow(1);
        EXPECT_FALSE(d.HexTextBox->isEnabled());
        d.HexTextBox->setChecked(false);
        d.OKButton->click();
    });
    ASSERT_TRUE(OLESelectFormat(OrixHClipFormats(true), &data, format, hexText));
    EXPECT_EQ(format, CF_BITMAP);
    EXPECT_TRUE(hexText) << "the box counts only for text";

    const auto chooser2 = OnChooser([](TFormatSelDialog& d) {
        EXPECT_EQ(d.FormatList->currentRow(), 1) << "the last choice is preselected";
        d.FormatList->setCurrentRow(0);
        d.HexTextBox->setChecked(false);
        d.OKButton->click();
    });
    ASSERT_TRUE(OLESelectFormat(OrixHClipFormats(true), &data, format, hexText));
    EXPECT_EQ(format, CF_TEXT);
    EXPECT_FALSE(hexText);

    format = 0;
    const auto chooser3 = OnChooser([](TFormatSelDialog& d) { d.CancelButton->click(); });
    EXPECT_FALSE(OLESelectFormat(OrixHClipFormats(true), &data, format, hexText));
    EXPECT_EQ(format, 0);
}

TEST(FormatChooser, EveryPasteableFormatInItsPlace) {
    TestApp();
    LastSelectedClipFormat = -1;
    // Offered in an order of their own; the chooser lists them by priority.
    QMimeData data;
    data.setData("text/html", "<p>");
    data.setData(kMimeRegEditHexData, QByteArray("\1\0\0\0x", 5));
    data.setData("audio/wav", "RIFF");
    data.setData("image/tiff", "II*");
    data.setImageData(QImage(1, 1, QImage::Format_RGB32));
    data.setData("text/rtf", "{\\rtf1}");
    data.setText("t");
    TClipFormat format = 0;
    bool hexText = false;
    QStringList listed;
    const auto chooser = OnChooser([&](TFormatSelDialog& d) {
        listed = Items(d);
        d.CancelButton->click();
    });
    EXPECT_FALSE(OLESelectFormat(OrixHClipFormats(true), &data, format, hexText));
    EXPECT_EQ(listed, QStringList({"Text", "Rich Text Format", "Bitmap Picture",
                                   "Tagged Image File Format (TIFF) Picture", "Wave Audio",
                                   "RegEdit_HexData", "HTML Format"}));
}

TEST(FormatChooser, OneOfferedFormatIsTakenWithoutAsking) {
    TestApp();
    QMimeData data;
    data.setText("x");
    data.setData("application/x-unknown", "y");
    TClipFormat format = 0;
    bool hexText = false;
    ASSERT_TRUE(OLESelectFormat(OrixHClipFormats(true), &data, format, hexText));
    EXPECT_EQ(format, CF_TEXT);
    QMimeData none;
    EXPECT_FALSE(OLESelectFormat(OrixHClipFormats(true), &none, format, hexText));
}
