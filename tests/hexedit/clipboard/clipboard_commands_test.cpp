// Copy, cut and paste through the control and the Qt clipboard.
#include "clipboard_test_env.h"
#include "orix_hex_error.h"

#include <QCheckBox>
#include <QClipboard>
#include <QImage>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <fstream>

namespace {

std::vector<uint8_t> V(std::initializer_list<int> values) {
    std::vector<uint8_t> v;
    for (int x : values) v.push_back(static_cast<uint8_t>(x));
    return v;
}

QClipboard& Clipboard() {
    return *QGuiApplication::clipboard();
}

QByteArray OnClipboard(const char* mime) {
    const QMimeData* data = Clipboard().mimeData();
    return data ? data->data(mime) : QByteArray();
}

QStringList ClipboardFormats() {
    const QMimeData* data = Clipboard().mimeData();
    return data ? data->formats() : QStringList();
}

QMimeData* Offer(std::initializer_list<std::pair<const char*, QByteArray>> formats) {
    auto* data = new QMimeData;
    for (const auto& [mime, bytes] : formats) data->setData(mime, bytes);
    Clipboard().setMimeData(data);
    return data;
}

// Text and a picture, so that a paste asks which to take.
void OfferTextAndPicture(const QString& text) {
    auto* data = new QMimeData;
    data->setImageData(QImage(2, 2, QImage::Format_RGB32));
    data->setText(text);
    Clipboard().setMimeData(data);
}

QByteArray OwnBlock(const QByteArray& bytes) {
    return QByteArray::fromStdString(MakeHexEditorBlock(
        reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<int32_t>(bytes.size())));
}

// An editor of 8 bytes 00..07 with the caret on the first byte and nothing selected.
struct PasteTarget : ShownEditor {
    PasteTarget() : ShownEditor(0) {
        LoadBytes(*editor, V({0, 1, 2, 3, 4, 5, 6, 7}));
        editor->SetSelStart(0);
        editor->ResetSelection(false);
        Clipboard().clear();
    }
    std::vector<uint8_t> Pasted(const std::vector<uint8_t>& expectedFirst) {
        const std::vector<uint8_t> data = DataOf(*editor);
        return std::vector<uint8_t>(data.begin(),
                                    data.begin() + std::min(data.size(), expectedFirst.size()));
    }
};

const std::vector<uint8_t> kUntouched = V({0, 1, 2, 3, 4, 5, 6, 7});

} // namespace

TEST(ClipboardCopy, RendersTheSelectionInEveryForm) {
    ShownEditor e(0);
    LoadBytes(*e, V({0xAA, 0xBB, 0xCC}));
    e->SelectAll();
    ASSERT_TRUE(e->CBCopy());
    EXPECT_EQ(OnClipboard(kMimeHexEditor),
              QByteArray("ORXT\x01\x00\x01\x00\x03\x00\x00\x00\xAA\xBB\xCC", 15));
    EXPECT_EQ(OnClipboard(kMimeRegEditHexData), QByteArray("\x03\x00\x00\x00\xAA\xBB\xCC", 7));
    EXPECT_TRUE(e->OwnsClipBoard());

    LoadBytes(*e, V({0x41, 0x42, 0x00, 0x43}));
    e->SelectAll();
    ASSERT_TRUE(e->CBCopy());
    EXPECT_EQ(OnClipboard(kMimeText), "AB");
    e->SetClipboardAsHexText(true);
    ASSERT_TRUE(e->CBCopy());
    EXPECT_EQ(OnClipboard(kMimeText), "41420043");
    EXPECT_EQ(Clipboard().text(), "41420043");
}

TEST(ClipboardCopy, NamesTheVirtualFileAfterTheDocument) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("fw.rom").toStdString();
    std::ofstream(path, std::ios::binary) << "abc";
    ShownEditor e(0);
    e->LoadFromFile(path);
    e->SelectAll();
    ASSERT_TRUE(e->CBCopy());
    EXPECT_EQ(OnClipboard(kMimeSuggestedFileName), "Dump of fw.bin");
    EXPECT_EQ(OnClipboard(kMimeFileContents), "abc");

    // The document's name is cut to 255 bytes before its extension goes: the last dot
    // within them ends the name.
    const std::string longName = "a.b" + std::string(300, 'c') + ".rom";
    e->CreateEmptyFile(longName);
    LoadBytes(*e, V({0x78}));
    e->SelectAll();
    ASSERT_TRUE(e->CBCopy());
    EXPECT_EQ(OnClipboard(kMimeSuggestedFileName), "Dump of a.bin");
}

TEST(ClipboardCopy, CopiesOnlyTheSelectionAndNothingWithoutOne) {
    ShownEditor e(0);
    LoadBytes(*e, V({1, 2, 3, 4, 5}));
    Clipboard().clear();
    e->ResetSelection(false);
    EXPECT_FALSE(e->CanCopy());
    EXPECT_FALSE(e->CBCopy());
    EXPECT_EQ(ClipboardFormats(), QStringList());
    e->NewSelection(3, 1);
    ASSERT_TRUE(e->CBCopy());
    EXPECT_EQ(OnClipboard(kMimeFileContents), QByteArray("\x02\x03\x04", 3));
}

TEST(ClipboardCopy, EditingAfterACopyLeavesTheClipboardAlone) {
    ShownEditor e(0);
    LoadBytes(*e, V({0x10, 0x20, 0x30}));
    e->SelectAll();
    ASSERT_TRUE(e->CBCopy());
    e->SetDataAt(1, 0xEE);
    LoadBytes(*e, V({0x99}));
    EXPECT_EQ(OnClipboard(kMimeFileContents), QByteArray("\x10\x20\x30", 3));
}

TEST(ClipboardCopy, DestroyingTheControlEmptiesTheClipboardUnlessFlushed) {
    for (const bool flush : {false, true}) {
        auto e = std::make_unique<ShownEditor>(4);
        (*e)->SelectAll();
        (*e)->SetFlushClipboardAtShutDown(flush);
        ASSERT_TRUE((*e)->CBCopy());
        e.reset();
        EXPECT_EQ(OnClipboard(kMimeFileContents).size(), flush ? 4 : 0) << flush;
    }
    // The clipboard taken over by someone else is left alone.
    auto e = std::make_unique<ShownEditor>(4);
    (*e)->SelectAll();
    ASSERT_TRUE((*e)->CBCopy());
    Offer({{"text/plain", "other"}});
    EXPECT_FALSE((*e)->OwnsClipBoard());
    e.reset();
    EXPECT_EQ(Clipboard().text(), "other");
}

TEST(ClipboardCut, RemovesTheSelectionUnlessTheSizeIsFixed) {
    ShownEditor e(0);
    LoadBytes(*e, V({1, 2, 3, 4}));
    e->NewSelection(1, 2);
    e->SetNoSizeChange(true);
    EXPECT_FALSE(e->CanCut());
    Clipboard().clear();
    EXPECT_FALSE(e->CBCut());
    EXPECT_EQ(DataOf(*e), V({1, 2, 3, 4}));
    EXPECT_TRUE(ClipboardFormats().isEmpty());

    e->SetNoSizeChange(false);
    ASSERT_TRUE(e->CBCut());
    EXPECT_EQ(DataOf(*e), V({1, 4}));
    EXPECT_EQ(OnClipboard(kMimeFileContents), QByteArray("\x02\x03", 2));
}

TEST(ClipboardPaste, OwnBlockWinsWithoutAsking) {
    PasteTarget t;
    Offer({{kMimeHexEditor, OwnBlock("\xAB\xCD")}, {"text/plain", "text"}});
    ASSERT_TRUE(t->CanPaste());
    const auto chooser = OnChooser();
    ASSERT_TRUE(t->CBPaste());
    EXPECT_EQ(t.Pasted(V({0xAB, 0xCD, 0})), V({0xAB, 0xCD, 0}));
    EXPECT_EQ(t->GetDataSize(), 10);
}

TEST(ClipboardPaste, CopyThenPasteRoundTrips) {
    PasteTarget t;
    t->NewSelection(5, 7);
    ASSERT_TRUE(t->CBCopy());
    t->ResetSelection(false);
    t->SetSelStart(0);
    t->ResetSelection(false);
    const auto chooser = OnChooser();
    ASSERT_TRUE(t->CBPaste());
    EXPECT_EQ(DataOf(*t), V({5, 6, 7, 0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST(ClipboardPaste, DamagedOwnBlocksPasteNothing) {
    QByteArray badMagic = OwnBlock("\x01\x02");
    badMagic[0] = 'X';
    QByteArray oversized = OwnBlock("\x01\x02");
    oversized[8] = 3;
    for (const QByteArray& block : {badMagic, oversized}) {
        PasteTarget t;
        Offer({{kMimeHexEditor, block}});
        ASSERT_TRUE(t->CanPaste());
        EXPECT_FALSE(t->CBPaste());
        EXPECT_EQ(DataOf(*t), kUntouched);
    }
}

TEST(ClipboardPaste, TextAndPictureAskInPriorityOrderAndCancelPastesNothing) {
    PasteTarget t;
    OfferTextAndPicture("zz");
    ASSERT_TRUE(t->CanPaste());
    QStringList listed;
    const auto chooser = OnChooser([&](TFormatSelDialog& d) {
        for (int i = 0; i < d.FormatList->count(); ++i) listed << d.FormatList->item(i)->text();
        d.CancelButton->click();
    });
    EXPECT_FALSE(t->CBPaste());
    EXPECT_EQ(listed, QStringList({"Text", "Bitmap Picture"}));
    EXPECT_EQ(DataOf(*t), kUntouched);

    LastSelectedClipFormat = -1;
    const auto chooser2 = OnChooser([](TFormatSelDialog& d) { d.OKButton->click(); });
    ASSERT_TRUE(t->CanPaste());
    ASSERT_TRUE(t->CBPaste());
    EXPECT_EQ(t.Pasted(V({'z', 'z', 0})), V({'z', 'z', 0}));
}

TEST(ClipboardPaste, HexTextWithAndWithoutSwappedNibbles) {
    for (const bool swap : {false, true}) {
        PasteTarget t;
        t->SetClipboardAsHexText(true);
        t->SetSwapNibbles(swap);
        Offer({{"text/plain", "12 ab-Z3"}});
        ASSERT_TRUE(t->CanPaste());
        ASSERT_TRUE(t->CBPaste());
        const std::vector<uint8_t> expected = swap ? V({0x21, 0xBA, 0}) : V({0x12, 0xAB, 0});
        EXPECT_EQ(t.Pasted(expected), expected) << swap;
        EXPECT_EQ(t->GetDataSize(), 10);
    }
}

TEST(ClipboardPaste, TheHexTextBoxOfTheChooserStays) {
    PasteTarget t;
    OfferTextAndPicture("4142");
    ASSERT_TRUE(t->CanPaste());
    const auto chooser = OnChooser([](TFormatSelDialog& d) {
        d.FormatList->setCurrentRow(0);
        d.HexTextBox->setChecked(true);
        d.OKButton->click();
    });
    ASSERT_TRUE(t->CBPaste());
    EXPECT_TRUE(t->GetClipboardAsHexText());
    EXPECT_EQ(t.Pasted(V({0x41, 0x42, 0})), V({0x41, 0x42, 0}));
}

TEST(ClipboardPaste, WholeUnitsOnly) {
    const struct {
        QByteArray bytes;
        int32_t inserted;
    } cases[] = {{QByteArray("abcdef"), 4}, {QByteArray("abc"), 0}, {QByteArray("abcdefgh"), 8}};
    for (const auto& c : cases) {
        PasteTarget t;
        t->SetBytesPerUnit(4);
        Offer({{kMimeHexEditor, OwnBlock(c.bytes)}});
        ASSERT_TRUE(t->CanPaste());
        EXPECT_EQ(t->CBPaste(), c.inserted > 0);
        EXPECT_EQ(t->GetDataSize(), 8 + c.inserted) << c.bytes.constData();
        EXPECT_EQ(t.Pasted(V({0, 0, 0, 0})),
                  c.inserted ? V({'a', 'b', 'c', 'd'}) : V({0, 1, 2, 3}));
    }
}

TEST(ClipboardPaste, FileListPastesTheFirstFile) {
    QTemporaryDir dir;
    const QString a = dir.filePath("a.bin"), b = dir.filePath("b.bin");
    std::ofstream(a.toStdString(), std::ios::binary) << "AAA";
    std::ofstream(b.toStdString(), std::ios::binary) << "BBBB";
    PasteTarget t;
    t->SetSupportsOtherClipFormats(false);
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)});
    Clipboard().setMimeData(data);
    ASSERT_TRUE(t->CanPaste());
    const auto chooser = OnChooser();
    ASSERT_TRUE(t->CBPaste());
    EXPECT_EQ(t->GetDataSize(), 11);
    EXPECT_EQ(t.Pasted(V({'A', 'A', 'A', 0})), V({'A', 'A', 'A', 0}));

    data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(dir.filePath("gone.bin"))});
    Clipboard().setMimeData(data);
    ASSERT_TRUE(t->CanPaste());
    EXPECT_THROW(t->CBPaste(), EFOpenError);
    EXPECT_EQ(t->GetDataSize(), 11);
}

TEST(ClipboardPaste, FileTheDataCannotTakeIsRefusedFromItsSize) {
    QTemporaryDir dir;
    const std::string big = dir.filePath("big.bin").toStdString();
    MakeSparseFile(big, 2147483643);
    const struct {
        int selected; // bytes selected from 0; the paste replaces them
        int64_t most;
    } cases[] = {{0, 2147483639}, {3, 2147483642}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.selected);
        PasteTarget t;
        if (c.selected > 0) t->NewSelection(0, c.selected - 1);
        auto* data = new QMimeData;
        data->setUrls({QUrl::fromLocalFile(QString::fromStdString(big))});
        Clipboard().setMimeData(data);
        ASSERT_TRUE(t->CanPaste());
        try {
            t->CBPaste();
            ADD_FAILURE() << "no error";
        } catch (const EOrixHexEditor& e) {
            EXPECT_EQ(std::string(e.what()), TooLargeForTheData(big, 2147483643, c.most));
        }
        EXPECT_EQ(DataOf(*t), kUntouched);
        EXPECT_FALSE(t->GetCanUndo());
    }
}

TEST(ClipboardPaste, AcceptedFormatsAndRefusals) {
    PasteTarget t;
    Offer({{"text/plain", "x"}});
    t->SetSupportsOtherClipFormats(false);
    EXPECT_FALSE(t->CanPaste());
    EXPECT_FALSE(t->CBPaste());
    t->SetSupportsOtherClipFormats(true);
    EXPECT_TRUE(t->CanPaste());
    t->SetReadOnlyView(true);
    EXPECT_FALSE(t->CanPaste());
    t->SetReadOnlyView(false);

    Clipboard().clear();
    EXPECT_FALSE(t->CanPaste());
    EXPECT_EQ(DataOf(*t), kUntouched);

    // With a fixed size there must be data to overwrite.
    ShownEditor empty(0);
    empty->SetNoSizeChange(true);
    Offer({{"text/plain", "x"}});
    EXPECT_FALSE(empty->CanPaste());
    empty->SetNoSizeChange(false);
    EXPECT_TRUE(empty->CanPaste());
}

TEST(ClipboardPaste, ClipboardChangedWhileTheChooserIsOpen) {
    // The chosen format gone afterwards: nothing is pasted.
    {
        PasteTarget t;
        OfferTextAndPicture("old");
        ASSERT_TRUE(t->CanPaste());
        const auto chooser = OnChooser([](TFormatSelDialog& d) {
            d.FormatList->setCurrentRow(0); // Text
            Offer({{"image/tiff", "II*\0"}});
            d.OKButton->click();
        });
        EXPECT_FALSE(t->CBPaste());
        EXPECT_EQ(DataOf(*t), kUntouched);
    }
    // Still offered: what the clipboard holds now is pasted, not the deleted old data.
    {
        PasteTarget t;
        OfferTextAndPicture("old");
        ASSERT_TRUE(t->CanPaste());
        const auto chooser2 = OnChooser([](TFormatSelDialog& d) {
            d.FormatList->setCurrentRow(0);
            Offer({{"text/plain", "new"}});
            d.OKButton->click();
        });
        ASSERT_TRUE(t->CBPaste());
        EXPECT_EQ(t.Pasted(V({'n', 'e', 'w'})), V({'n', 'e', 'w'}));
    }
}

TEST(ClipboardKeys, CtrlCXVAndTheEditActions) {
    PasteTarget t;
    t->NewSelection(1, 2);
    QTest::keyClick(t.editor.get(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(OnClipboard(kMimeFileContents), QByteArray("\x01\x02", 2));
    QTest::keyClick(t.editor.get(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(DataOf(*t), V({0, 3, 4, 5, 6, 7}));
    t->ResetSelection(false);
    const auto chooser = OnChooser();
    QTest::keyClick(t.editor.get(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(t->GetDataSize(), 8);
    // Ctrl+Shift+C and Ctrl+Alt+V are no clipboard keys.
    Clipboard().clear();
    t->SelectAll();
    QTest::keyClick(t.editor.get(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(t.editor.get(), Qt::Key_V, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(ClipboardFormats().isEmpty());
    EXPECT_EQ(t->GetDataSize(), 8);

    TEditCopy copy;
    TEditCut cut;
    TEditPaste paste;
    t->SetNoSizeChange(true);
    ASSERT_TRUE(t->UpdateAction(&copy));
    ASSERT_TRUE(t->UpdateAction(&cut));
    ASSERT_TRUE(t->UpdateAction(&paste));
    EXPECT_TRUE(copy.Enabled);
    EXPECT_FALSE(cut.Enabled);
    EXPECT_FALSE(paste.Enabled) << "the clipboard is empty";
    EXPECT_TRUE(t->ExecuteAction(&copy));
    EXPECT_EQ(OnClipboard(kMimeFileContents).size(), 8);
    EXPECT_FALSE(t->ExecuteAction(&cut));
    ASSERT_TRUE(t->UpdateAction(&paste));
    EXPECT_TRUE(paste.Enabled);
}

TEST(ClipboardKeys, AnErrorOfAPasteIsReportedByTheKeyHandler) {
    PasteTarget t;
    std::string reported;
    TCustomGrid::ReportException() = [&](const std::exception& e) { reported = e.what(); };
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile("/nonexistent/clip.bin")});
    Clipboard().setMimeData(data);
    QTest::keyClick(t.editor.get(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_NE(reported.find("Cannot open file"), std::string::npos) << reported;
    EXPECT_EQ(DataOf(*t), kUntouched);
    EXPECT_EQ(t->Cursor(), crIBeam) << "the wait cursor is restored";
    TCustomGrid::ReportException() = [](const std::exception& e) {
        ADD_FAILURE() << "exception in event handler: " << e.what();
    };
}

TEST(ClipboardImportPath, AFileListMovedOnTheControlBecomesALinkAndYieldsTheNames) {
    PasteTarget t;
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/tmp/one.bin"), QUrl::fromLocalFile("/tmp/two.bin")});
    Qt::DropAction effect = Qt::MoveAction;
    ASSERT_TRUE(t->SupportsOLEData(&data, effect, oleDrop));
    EXPECT_EQ(t->OLEFormat(oleDrop), CF_HDROP);
    EXPECT_EQ(effect, Qt::LinkAction);
    // Refused in a read-only view, still with the file list's effect.
    t->SetReadOnlyView(true);
    Qt::DropAction refusedEffect = Qt::MoveAction;
    EXPECT_FALSE(t->SupportsOLEData(&data, refusedEffect, oleDrop));
    EXPECT_EQ(refusedEffect, Qt::LinkAction);
    t->SetReadOnlyView(false);
    const auto chooser = OnChooser();
    EXPECT_EQ(t->ImportOLEData([&] { return &data; }, effect, oleDrop),
              std::string("/tmp/one.bin\0/tmp/two.bin\0", 26));
    // Only the clipboard pastes here; a drop's placement is not this path's.
    EXPECT_FALSE(t->InsertOLEData([&] { return &data; }, effect, oleDrop));
    EXPECT_EQ(effect, Qt::IgnoreAction);
    EXPECT_EQ(DataOf(*t), kUntouched);
}
