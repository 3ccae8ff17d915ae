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
#include <limits>
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

TEST(ClipboardImport, FileUrisNameLocalFilesByTheirBytes) {
    TestApp();
    QTemporaryDir dir;
    const std::string d = dir.path().toStdString();
    WriteFile(dir.filePath("a.bin"), "a");
    // Old Latin-1 names, and the spelling a decoding through UTF-8 would make of the first.
    const std::string latin = d + "/caf\xE9.bin", bom = d + "/\xFF\xFE.bin";
    std::ofstream(latin, std::ios::binary) << "latin";
    std::ofstream(bom, std::ios::binary) << "bom";
    std::ofstream(d + "/caf\xEF\xBF\xBD.bin", std::ios::binary) << "other";
    ASSERT_EQ(d.front(), '/');
    const struct {
        std::string list;
        std::vector<std::string> files;
        std::string contents; // of the first
    } cases[] = {
        {"file://" + d + "/caf%E9.bin", {latin}, "latin"},
        {"file://" + d + "/%ff%FE.bin", {bom}, "bom"},
        {"file://localhost" + d + "/a.bin", {d + "/a.bin"}, "a"},
        {"FILE://LocalHost" + d + "/a.bin", {d + "/a.bin"}, "a"},
        {"file:" + d + "/a.bin", {d + "/a.bin"}, "a"},
        {"file://" + d + "/a.bin#part", {d + "/a.bin"}, "a"},
        // Another host's files are not here; as local paths these would name one that is
        // (file://tmp/x.bin has the host "tmp").
        {"file://otherhost" + d + "/a.bin", {}, ""},
        {"file:/" + d + "/a.bin", {}, ""},
        {"file://localhost", {}, ""},
        {"file:a.bin", {}, ""},
        {"# comment\r\nhttps://example.org/x.bin\r\nfile://host" + d + "/a.bin\r\n  file://" + d +
             "/caf%E9.bin  \r\nfile://" + d + "/a.bin\r\n",
         {latin, d + "/a.bin"},
         "latin"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list);
        QMimeData data;
        data.setData(kMimeUriList, QByteArray::fromStdString(c.list));
        EXPECT_EQ(LocalFilesOf(&data), c.files);
        EXPECT_EQ(TFormatEnum(&data).HasFormat(CF_HDROP), !c.files.empty());
        if (!c.files.empty()) {
            EXPECT_EQ(FileListToBytes(LocalFilesOf(&data), false), c.contents);
        }
    }
    // Lists that Qt writes itself, from its URLs.
    QMimeData qt;
    qt.setUrls({QUrl::fromLocalFile(dir.filePath("a b.bin")), QUrl("https://example.org/y")});
    EXPECT_EQ(LocalFilesOf(&qt), std::vector<std::string>{d + "/a b.bin"});
}

TEST(ClipboardImport, ANameWithANulIsRefusedAlsoAsAName) {
    TestApp();
    QTemporaryDir dir;
    const std::string d = dir.path().toStdString();
    WriteFile(dir.filePath("a.bin"), "a");
    QMimeData data;
    data.setData(kMimeUriList, QByteArray::fromStdString("file://" + d + "/a.bin\r\nfile://" + d +
                                                         "/a.bin%00/etc/passwd\r\n"));
    const std::vector<std::string> files = LocalFilesOf(&data);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[1], d + "/a.bin" + std::string(1, '\0') + "/etc/passwd");
    for (const bool asNames : {false, true}) {
        try {
            FileListToBytes({files[1], files[0]}, asNames);
            ADD_FAILURE() << "no error, names " << asNames;
        } catch (const EFOpenError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Cannot open file \"" + d + "/a.bin%00/etc/passwd\". Invalid argument");
        }
    }
}

TEST(ClipboardImport, FileBeyondTheDataSizeIsRefusedBeforeItIsRead) {
    QTemporaryDir dir;
    const std::string big = dir.filePath("big.bin").toStdString();
    const int64_t most = std::numeric_limits<int32_t>::max();
    const struct {
        int64_t size, room;
    } cases[] = {
        {int64_t{1} << 31, most},
        {most, most - 8},
        {2147483643, most - 8},
        {1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        MakeSparseFile(big, c.size);
        try {
            FileListToBytes({big}, false, c.room);
            ADD_FAILURE() << "no error";
        } catch (const EOrixHexEditor& e) {
            EXPECT_EQ(std::string(e.what()), TooLargeForTheData(big, c.size, c.room));
        }
    }
}

TEST(ClipboardImport, FileThatShrinksWhileReadIsNamedInTheReadError) {
    // Files of /sys tell a size of a page and hold a few bytes: the read ends early, as that of
    // a file cut short meanwhile does.
    std::string shrinking;
    for (const char* name : {"/sys/devices/system/cpu/online", "/sys/kernel/uevent_seqnum",
                             "/sys/kernel/mm/transparent_hugepage/enabled"}) {
        struct stat st {};
        std::string held;
        if (::stat(name, &st) == 0 && S_ISREG(st.st_mode) &&
            std::getline(std::ifstream(name), held) &&
            static_cast<int64_t>(held.size()) + 1 < st.st_size) {
            shrinking = name;
            break;
        }
    }
    if (shrinking.empty()) GTEST_SKIP() << "no file of /sys that holds less than its size";
    try {
        FileListToBytes({shrinking}, false);
        ADD_FAILURE() << "no error";
    } catch (const EReadError& e) {
        EXPECT_EQ(std::string(e.what()), "Stream read error in file \"" + shrinking + "\"");
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
