// The clipboard blocks, the data object's five renderings and the reading of offered formats.
#include "hex_test_env.h"
#include "orix_hex_clipboard_data.h"
#include "orix_hex_clipboard_formats.h"

#include <QImage>
#include <QUrl>

namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s.push_back(static_cast<char>(v));
    return s;
}

std::unique_ptr<TOrixHDataObject> Object(const std::string& data, bool hexText = false,
                                         bool swap = false,
                                         const std::string& name = "C:/work/fw.rom") {
    return std::unique_ptr<TOrixHDataObject>(TOrixHDataObject::CreateFromBuffer(
        data.data(), static_cast<int32_t>(data.size()), name, hexText, swap));
}

std::string Rendered(const TOrixHDataObject& object, const char* mime) {
    return object.data(mime).toStdString();
}

} // namespace

TEST(ClipboardBlocks, OwnBlockIsMagicVersionLengthAndBytes) {
    const std::string data = Bytes({0xAA, 0xBB, 0xCC});
    const auto object = Object(data);
    EXPECT_EQ(Rendered(*object, kMimeHexEditor),
              Bytes({'O', 'R', 'X', 'T', 1, 0, 1, 0, 3, 0, 0, 0, 0xAA, 0xBB, 0xCC}));
    EXPECT_EQ(Rendered(*object, kMimeRegEditHexData), Bytes({3, 0, 0, 0, 0xAA, 0xBB, 0xCC}));
    EXPECT_EQ(ReadHexEditorBlock(Rendered(*object, kMimeHexEditor)), data);
    EXPECT_EQ(ReadRegEditBlock(Rendered(*object, kMimeRegEditHexData)), data);
}

TEST(ClipboardBlocks, DamagedBlocksAreRefused) {
    const std::string good = MakeHexEditorBlock(reinterpret_cast<const uint8_t*>("xyz"), 3);
    struct Case {
        const char* what;
        std::string block;
    };
    std::string badMagic = good;
    badMagic[0] = 'P';
    std::string badVersion = good;
    badVersion[4] = 2;
    std::string longLength = good;
    longLength[8] = 4; // claims 4 bytes, holds 3
    std::string hugeLength = good;
    hugeLength[11] = static_cast<char>(0xFF);
    const Case cases[] = {{"bad magic", badMagic},
                          {"bad version", badVersion},
                          {"length beyond the block", longLength},
                          {"length near 4 GiB", hugeLength},
                          {"header cut short", good.substr(0, 11)}};
    for (const Case& c : cases) EXPECT_FALSE(ReadHexEditorBlock(c.block)) << c.what;
    EXPECT_FALSE(ReadRegEditBlock(Bytes({4, 0, 0, 0, 1, 2, 3})));
    EXPECT_FALSE(ReadRegEditBlock(Bytes({0, 0, 0})));
    // Bytes after the counted ones are not part of the data.
    EXPECT_EQ(ReadRegEditBlock(Bytes({2, 0, 0, 0, 1, 2, 3})), Bytes({1, 2}));
}

TEST(ClipboardDataObject, TextIsTheBytesBeforeTheFirstNulOrHexDigits) {
    const std::string data = Bytes({0x41, 0x42, 0x00, 0x43});
    EXPECT_EQ(Rendered(*Object(data), kMimeText), "AB");
    EXPECT_EQ(Rendered(*Object(data, true), kMimeText), "41420043");
    EXPECT_EQ(Rendered(*Object(Bytes({0x1F, 0xA0}), true), kMimeText), "1FA0");
    EXPECT_EQ(Rendered(*Object(Bytes({0x1F, 0xA0}), true, true), kMimeText), "F10A");
}

TEST(ClipboardDataObject, VirtualFileHasTheDumpNameAndTheBytes) {
    const std::string data = Bytes({0x00, 0xFF, 0x10});
    const auto object = Object(data);
    EXPECT_EQ(Rendered(*object, kMimeSuggestedFileName), "Dump of fw.bin");
    EXPECT_EQ(Rendered(*object, kMimeFileContents), data);
    EXPECT_EQ(object->formats(), QStringList({kMimeHexEditor, kMimeText, kMimeSuggestedFileName,
                                              kMimeFileContents, kMimeRegEditHexData}));
    EXPECT_TRUE(object->data("image/png").isEmpty());
}

TEST(ClipboardDataObject, DumpNames) {
    const std::pair<std::string, std::string> cases[] = {
        {"fw.rom", "Dump of fw.bin"},
        {"/home/me/work/fw.rom", "Dump of fw.bin"},
        {"/home/me/a.b/archive.tar.gz", "Dump of archive.tar.bin"},
        {"noext", "Dump of noext.bin"},
        {"", "Dump of .bin"},
    };
    for (const auto& [file, dump] : cases) EXPECT_EQ(MakeDumpName(file), dump) << file;
    // 255 bytes at most, never half a character: "Dump of " is 8 bytes, then 2-byte letters.
    std::string umlauts;
    for (int i = 0; i < 200; ++i) umlauts += "\xC3\xBC";
    const std::string cut = MakeDumpName(umlauts);
    EXPECT_EQ(cut.size(), 254u);
    EXPECT_EQ(cut.substr(0, 10), "Dump of \xC3\xBC");
    EXPECT_TRUE(QString::fromUtf8(cut.data(), static_cast<qsizetype>(cut.size())).toUtf8() ==
                QByteArray::fromStdString(cut));
}

TEST(ClipboardDataObject, EmptyObject) {
    const auto object = Object("");
    EXPECT_EQ(Rendered(*object, kMimeHexEditor),
              Bytes({'O', 'R', 'X', 'T', 1, 0, 1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Rendered(*object, kMimeText), "");
    EXPECT_EQ(object->DumpName(), "");
}

TEST(ClipboardDataObject, KeepsItsOwnCopyOfTheStreamBytes) {
    TMemoryStream stream;
    const std::string data = Bytes({1, 2, 3, 4, 5, 6});
    stream.WriteBuffer(data.data(), 6);
    const std::unique_ptr<TOrixHDataObject> object(
        TOrixHDataObject::CreateFromStream(&stream, 2, 3, "x.bin", false, false));
    const uint8_t changed[] = {9, 9, 9, 9, 9, 9};
    stream.SetPosition(0);
    stream.WriteBuffer(changed, 6);
    EXPECT_EQ(object->Data(), Bytes({3, 4, 5}));
    EXPECT_THROW(TOrixHDataObject::CreateFromStream(&stream, 4, 3, "x.bin", false, false),
                 EReadError);
}

TEST(ClipboardFormatEnum, MapsOfferedMimeTypesToFormats) {
    TestApp();
    QMimeData data;
    data.setText("hi");
    data.setImageData(QImage(2, 2, QImage::Format_RGB32));
    data.setData("text/html", "<b>x</b>");
    data.setData("application/x-unknown", "z");
    const TFormatEnum offered(&data);
    EXPECT_TRUE(offered.HasFormat(CF_TEXT));
    EXPECT_TRUE(offered.HasFormat(CF_BITMAP));
    EXPECT_TRUE(offered.HasFormat(CF_HTML));
    EXPECT_FALSE(offered.HasFormat(CF_HDROP));
    EXPECT_EQ(offered.Formats().size(), 3u);

    // A URL list counts as a file list only with a local file in it.
    QMimeData web;
    web.setUrls({QUrl("https://example.org/a.bin")});
    EXPECT_FALSE(TFormatEnum(&web).HasFormat(CF_HDROP));
    web.setUrls({QUrl("https://example.org/a.bin"), QUrl::fromLocalFile("/tmp/b.bin")});
    EXPECT_TRUE(TFormatEnum(&web).HasFormat(CF_HDROP));
    EXPECT_EQ(LocalFilesOf(&web), std::vector<std::string>{"/tmp/b.bin"});
    EXPECT_FALSE(TFormatEnum(nullptr).HasFormat(CF_TEXT));
}

TEST(ClipboardFormatEnum, FormatsToBytes) {
    TestApp();
    QMimeData data;
    data.setData("text/plain", QByteArray("ab\0cd", 5));
    data.setData("text/rtf", QByteArray("{\\rtf1}", 7));
    data.setData("image/tiff", QByteArray("II*\0\0\0", 6));
    data.setData(kMimeRegEditHexData, QByteArray("\x02\0\0\0\x7F\x80", 6));
    EXPECT_EQ(MimeFormatToBytes(&data, CF_TEXT), "ab");
    EXPECT_EQ(MimeFormatToBytes(&data, CF_RTF), "{\\rtf1}");
    EXPECT_EQ(MimeFormatToBytes(&data, CF_TIFF), std::string("II*\0\0\0", 6));
    EXPECT_EQ(MimeFormatToBytes(&data, CF_REGEDIT_HEXDATA), Bytes({0x7F, 0x80}));
    EXPECT_EQ(MimeFormatToBytes(&data, CF_HEXEDITOR), "");

    QMimeData picture;
    picture.setImageData(QImage(3, 2, QImage::Format_RGB32));
    const std::string bmp = MimeFormatToBytes(&picture, CF_BITMAP);
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(QImage::fromData(QByteArray::fromStdString(bmp)).size(), QSize(3, 2));
}

TEST(ClipboardFormatNames, StandardRegisteredAndUnknown) {
    const std::pair<TClipFormat, const char*> cases[] = {
        {CF_TEXT, "Text"},
        {CF_BITMAP, "Bitmap Picture"},
        {CF_PALETTE, "Color Palete"},
        {CF_HDROP, "File List"},
        {CF_HEXEDITOR, "TOrixHexeditorEx Clipboard Format"},
        {CF_HTML, "HTML Format"},
        {49200, "(49200)"},
    };
    for (const auto& [id, name] : cases) EXPECT_EQ(ClipFormatDisplayName(id), name) << id;
}
