// The extension control: shortcuts and the modifiers that must not trigger them, taking keys
// before the window's shortcuts, wheel zoom and its limits, the paint lock, backup on save,
// PasteData, double click, the offset popup menu and the standard edit actions.
#include "hex_test_env.h"
#include "sysutils.h"
#include "test_files.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
void PutCaret(TCustomOrixHexEditor& e, int32_t pos, bool inChar = false) {
    const TGridCoord c = e.GetCursorAtPos(pos, inChar);
    e.MoveColRow(c.X, c.Y, true, true);
}

void Wheel(TOrixHexEditorEx& e, bool up, Qt::KeyboardModifiers mods) {
    const QPointF at(50, 50);
    QWheelEvent ev(at, e.viewport()->mapToGlobal(at), QPoint(), QPoint(0, up ? 120 : -120),
                   Qt::NoButton, mods, Qt::NoScrollPhase, false);
    QApplication::sendEvent(e.viewport(), &ev);
}

void WriteFile(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
}

std::string ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

QPoint CellPoint(TCustomOrixHexEditor& e, int pos) {
    const TGridCoord c = e.GetCursorAtPos(pos, false);
    const TRect r = e.CellRect(c.X, c.Y);
    return QPoint(r.Left + 2, (r.Top + r.Bottom) / 2);
}
} // namespace

TEST(EditorEx, Shortcuts) {
    ShownEditor e(16);
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        bool selectsAll;
    } selectCases[] = {
        {Qt::Key_A, Qt::ControlModifier, true},
        {Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier, false},
        {Qt::Key_A, Qt::ControlModifier | Qt::AltModifier, false},
        {Qt::Key_A, Qt::AltModifier, false},
    };
    for (const Case& c : selectCases) {
        SCOPED_TRACE(testing::Message() << c.mods);
        e->ResetSelection(true);
        QTest::keyClick(e.editor.get(), c.key, c.mods);
        EXPECT_EQ(e->GetSelCount(), c.selectsAll ? 16 : 0);
        EXPECT_EQ(e->GetDataAt(0), Pattern(16)[0]); // and typed nothing
    }

    e->IntChangeByte(e->GetDataAt(1), 0x99, 1, "");
    QTest::keyClick(e.editor.get(), Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);
    QTest::keyClick(e.editor.get(), Qt::Key_Z, Qt::AltModifier);
    EXPECT_EQ(e->GetDataAt(1), 0x99);
    QTest::keyClick(e.editor.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(e->GetDataAt(1), Pattern(16)[1]);
    EXPECT_TRUE(e->GetCanRedo());
    QTest::keyClick(e.editor.get(), Qt::Key_Z, Qt::ControlModifier); // nothing to undo
    EXPECT_TRUE(e->GetCanRedo());
    QTest::keyClick(e.editor.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(e->GetDataAt(1), 0x99);

    // A handler that clears the key suppresses the shortcuts.
    e->OnKeyDown = [](TCustomOrixHexEditor*, uint16_t& key, TShiftState) { key = 0; };
    QTest::keyClick(e.editor.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(e->GetDataAt(1), 0x99);
}

TEST(EditorEx, KeysGoBeforeTheWindowsShortcuts) {
    TestApp();
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* editor = new TOrixHexEditorEx(&window);
    layout->addWidget(editor);
    int undoAction = 0, openAction = 0;
    auto* undo = new QAction(&window);
    undo->setShortcut(QKeySequence("Ctrl+Z"));
    QObject::connect(undo, &QAction::triggered, [&] { ++undoAction; });
    auto* open = new QAction(&window);
    open->setShortcut(QKeySequence("Ctrl+O"));
    QObject::connect(open, &QAction::triggered, [&] { ++openAction; });
    window.addAction(undo);
    window.addAction(open);
    window.resize(600, 300);
    window.show();
    editor->setFocus();
    QApplication::processEvents();
    LoadBytes(*editor, Pattern(8));
    editor->IntChangeByte(editor->GetDataAt(0), 0x77, 0, "");
    QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(undoAction, 0);
    EXPECT_EQ(editor->GetDataAt(0), Pattern(8)[0]);
    QTest::keyClick(editor, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(openAction, 1);
    EXPECT_TRUE(editor->IsOwnShortcut('5', ssCtrl | ssShift));
    EXPECT_FALSE(editor->IsOwnShortcut('Z', ssCtrl | ssAlt));
}

TEST(EditorEx, WheelZoom) {
    ShownEditor e(64);
    e->SetBytesPerRow(2);
    Wheel(*e, false, Qt::ControlModifier);
    EXPECT_EQ(e->GetBytesPerRow(), 1);
    const int32_t top = e->TopRow();
    Wheel(*e, false, Qt::ControlModifier); // at the limit: the view scrolls instead
    EXPECT_EQ(e->GetBytesPerRow(), 1);
    EXPECT_GT(e->TopRow() + e->Row(), top + 2);
    e->SetBytesPerRow(256);
    Wheel(*e, true, Qt::ControlModifier);
    EXPECT_EQ(e->GetBytesPerRow(), 256);
    e->SetBytesPerRow(16);
    Wheel(*e, true, Qt::ControlModifier);
    EXPECT_EQ(e->GetBytesPerRow(), 17);
    Wheel(*e, true, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(e->GetBytesPerRow(), 17);

    QFont f = e->font();
    f.setPointSize(3);
    e->setFont(f);
    Wheel(*e, false, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(e->font().pointSize(), 2);
    Wheel(*e, false, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(e->font().pointSize(), 2);
    Wheel(*e, true, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(e->font().pointSize(), 3);
    f.setPixelSize(20); // a font given in pixels zooms by points too
    e->setFont(f);
    Wheel(*e, true, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_GT(e->font().pointSize(), 2);
    e->SetZoomOnWheel(false);
    Wheel(*e, true, Qt::ControlModifier);
    EXPECT_EQ(e->GetBytesPerRow(), 17);
}

TEST(EditorEx, RangeUndoKeepsTheModifiedFlag) {
    TestApp();
    TOrixHexEditorEx e;
    LoadBytes(e, Pattern(8));
    e.CreateRangeUndo(2, 3, "range");
    EXPECT_FALSE(e.GetModified());
    EXPECT_EQ(e.UndoStorage().GetLastUndoKind(), ufKindReplace);
    e.CreateRangeUndo(0, 0, "");
    EXPECT_EQ(e.UndoStorage().GetLastUndoKind(), ufKindAllData);
    EXPECT_EQ(e.GetUndoDescription(), "All data saved");
    e.IntChangeByte(e.GetDataAt(0), 0xEE, 0, "");
    LoadBytes(e, {});
    EXPECT_THROW(e.CreateRangeUndo(0, 2, ""), EOrixHexEditor);
    EXPECT_FALSE(e.GetModified());
}

TEST(EditorEx, PaintLock) {
    TestApp();
    TOrixHexEditorEx e;
    EXPECT_EQ(e.EndUpdate(), 0);
    EXPECT_EQ(e.BeginUpdate(), 1);
    EXPECT_EQ(e.BeginUpdate(), 2);
    EXPECT_EQ(e.EndUpdate(), 1);
    EXPECT_EQ(e.EndUpdate(), 0);
    EXPECT_EQ(e.EndUpdate(), 0);
}

TEST(EditorEx, BackupOnSave) {
    TestApp();
    QTemporaryDir dir;
    const std::string a = dir.filePath("a.bin").toStdString();
    const std::string bak = a + ".bak";
    WriteFile(a, "old!");
    WriteFile(bak, "older backup");
    TOrixHexEditorEx e;
    e.LoadFromFile(a);
    e.IntChangeByte(e.GetDataAt(0), 'n', 0, "");
    e.Save();
    EXPECT_EQ(ReadFile(a), "nld!");
    EXPECT_EQ(ReadFile(bak), "old!"); // the older backup was replaced
    EXPECT_FALSE(e.GetModified());

    // Not modified: no backup.
    ::unlink(bak.c_str());
    e.SaveToFile(a, true);
    EXPECT_FALSE(FileExists(bak));
    // The file is gone meanwhile: nothing to keep.
    e.IntChangeByte(e.GetDataAt(1), 'e', 1, "");
    ::unlink(a.c_str());
    e.SaveToFile(a, true);
    EXPECT_FALSE(FileExists(bak));
    EXPECT_EQ(ReadFile(a), "ned!");
    // Switched off.
    e.SetCreateBackup(false);
    e.IntChangeByte(e.GetDataAt(1), 'x', 1, "");
    e.Save();
    EXPECT_FALSE(FileExists(bak));
    // Another extension, and a backup that cannot be made: the old file stays in place.
    e.SetCreateBackup(true);
    e.SetBackupExtension(".old");
    e.IntChangeByte(e.GetDataAt(1), 'y', 1, "");
    const std::string old = a + ".old";
    ASSERT_EQ(::mkdir(old.c_str(), 0700), 0);
    WriteFile(old + "/keep", "x");
    try {
        e.Save();
        ADD_FAILURE() << "saved";
    } catch (const EOrixHexEditor& ex) {
        EXPECT_EQ(std::string(ex.what()).rfind("Cannot create backup " + old + ". (", 0), 0u)
            << ex.what();
    }
    EXPECT_EQ(ReadFile(a), "nxd!");

    TOrixHexEditorEx fresh;
    EXPECT_THROW(fresh.Save(), EOrixHexEditor);
}

// A backup under the document's own name, or one that leads to the document, would take the
// document away: the save is refused before anything on disk changes.
TEST(EditorEx, ABackupThatWouldBeTheDocumentIsRefused) {
    TestApp();
    QTemporaryDir dir;
    const std::string a = dir.filePath("a.bin").toStdString();
    WriteFile(a, "ORIGINAL");
    ASSERT_EQ(::symlink(a.c_str(), (a + ".lnk").c_str()), 0);
    TOrixHexEditorEx e;
    e.LoadFromFile(a);
    e.IntChangeByte(e.GetDataAt(0), 'o', 0, "");
    for (const char* extension : {"", ".lnk"}) {
        SCOPED_TRACE(extension);
        e.SetBackupExtension(extension);
        EXPECT_EQ(ErrorOf([&] { e.Save(); }), "Cannot create backup " + a + extension +
                                                  ". (The backup would be the document itself)");
        EXPECT_EQ(ReadFile(a), "ORIGINAL");
        EXPECT_TRUE(e.GetModified());
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::System).size(), 2);
    }
}

// A save with a backup that fails or is cancelled leaves the document and the older backup as
// they were: the old file makes room only once the new one is complete on disk. Once the
// cause is gone the same save goes through and keeps the backup.
TEST(EditorEx, AFailedSaveWithABackupLeavesTheDocumentAndTheOlderBackup) {
    TestApp();
    const std::vector<uint8_t> pattern = Pattern(64 << 10);
    const std::string previous(pattern.begin(), pattern.end());
    struct Case {
        const char* what;
        std::function<void(TOrixHexEditorEx&, const std::string&)> fail;
        std::function<void(TOrixHexEditorEx&, const std::string&)> mend;
    };
    std::unique_ptr<FileSizeLimit> limit;
    const Case cases[] = {
        {"cancelled",
         [](TOrixHexEditorEx& e, const std::string&) {
             e.OnProgress = [](TCustomOrixHexEditor*, TOrixHProgressKind kind, const std::string&,
                               uint8_t, bool& cancel) { cancel = kind == pkSave; };
         },
         [](TOrixHexEditorEx& e, const std::string&) { e.OnProgress = nullptr; }},
        {"a write error",
         [&](TOrixHexEditorEx&, const std::string&) {
             limit = std::make_unique<FileSizeLimit>(4096);
         },
         [&](TOrixHexEditorEx&, const std::string&) { limit.reset(); }},
        {"a read-only document",
         [](TOrixHexEditorEx&, const std::string& a) { ::chmod(a.c_str(), 0444); },
         [](TOrixHexEditorEx&, const std::string& a) { ::chmod(a.c_str(), 0644); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const std::string a = dir.filePath("p.bin").toStdString();
        WriteFile(a, previous);
        WriteFile(a + ".bak", "older backup");
        TOrixHexEditorEx e;
        e.LoadFromFile(a);
        e.IntChangeByte(e.GetDataAt(0), 'n', 0, "");
        c.fail(e, a);
        EXPECT_NE(ErrorOf([&] { e.Save(); }), "");
        c.mend(e, a);
        EXPECT_EQ(ReadFile(a), previous);
        EXPECT_EQ(ReadFile(a + ".bak"), "older backup");
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
        EXPECT_TRUE(e.GetModified());
        e.Save();
        EXPECT_EQ(ReadFile(a), "n" + previous.substr(1));
        EXPECT_EQ(ReadFile(a + ".bak"), previous);
    }
}

// A document opened through a link is saved through it: the link stays, the file it points
// at gets the new bytes, and the backup beside the link holds the old ones.
TEST(EditorEx, ABackupOfADocumentOpenedThroughALink) {
    TestApp();
    QTemporaryDir dir;
    const std::string real = dir.filePath("real.bin").toStdString();
    const std::string link = dir.filePath("a.bin").toStdString();
    WriteFile(real, "old!");
    ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
    TOrixHexEditorEx e;
    e.LoadFromFile(link);
    e.IntChangeByte(e.GetDataAt(0), 'n', 0, "");
    e.Save();
    EXPECT_TRUE(QFileInfo(QString::fromStdString(link)).isSymLink());
    EXPECT_EQ(ReadFile(real), "nld!");
    EXPECT_EQ(ReadFile(link + ".bak"), "old!");
}

// A folder the user may not write takes neither the new file nor the backup: the save is
// refused and both files stay. Root may write any folder, so an ordinary user tries it.
TEST(EditorEx, ASaveWithABackupInAReadOnlyFolderLeavesBothFiles) {
    TestApp();
    QTemporaryDir dir;
    const std::string a = dir.filePath("p.bin").toStdString();
    WriteFile(a, "PREVIOUS");
    WriteFile(a + ".bak", "older backup");
    for (const std::string& name : {a, a + ".bak"}) ::chmod(name.c_str(), 0666);
    ::chmod(dir.path().toLocal8Bit().constData(), 0755);
    TOrixHexEditorEx e;
    e.LoadFromFile(a);
    e.IntChangeByte(e.GetDataAt(0), 'n', 0, "");
    const AsNobody outcome = RunAsNobody([&] {
        if (ReadFile(a) != "PREVIOUS") return AsNobody::Skipped;
        const bool refused = !ErrorOf([&] { e.Save(); }).empty();
        return refused && ReadFile(a) == "PREVIOUS" && ReadFile(a + ".bak") == "older backup"
                   ? AsNobody::Held
                   : AsNobody::Failed;
    });
    if (outcome == AsNobody::Skipped) GTEST_SKIP() << "needs root to run a check as nobody";
    EXPECT_EQ(outcome, AsNobody::Held);
    EXPECT_EQ(ReadFile(a), "PREVIOUS");
    EXPECT_EQ(ReadFile(a + ".bak"), "older backup");
}

TEST(EditorEx, PasteData) {
    TestApp();
    const uint8_t three[3] = {0xA, 0xB, 0xC};
    {
        ShownEditor e(8);
        e->SetBytesPerUnit(2);
        PutCaret(*e, 3);
        e->PasteData(three, 3, "Paste");
        std::vector<uint8_t> want = Pattern(8);
        want.insert(want.begin() + 2, three, three + 3);
        std::vector<uint8_t> got(11);
        ASSERT_EQ(e->GetDataSize(), 11);
        e->ReadBuffer(got.data(), 0, 11);
        EXPECT_EQ(got, want);
        EXPECT_EQ(e->SelFirst(), 2);
        EXPECT_EQ(e->SelLast(), 4);
        EXPECT_EQ(e->GetUndoDescription(), "Paste");
    }
    {
        ShownEditor e(8);
        e->SetNoSizeChange(true);
        PutCaret(*e, 6);
        e->PasteData(three, 3, "");
        EXPECT_EQ(e->GetDataSize(), 8);
        EXPECT_EQ(e->GetDataAt(6), 0xA);
        EXPECT_EQ(e->GetDataAt(7), 0xB);
    }
}

TEST(EditorEx, DoubleClick) {
    ShownEditor e(20);
    int clicks = 0;
    e->OnDblClick = [&](TOrixHexEditorEx*) { ++clicks; };
    QTest::mouseDClick(e->viewport(), Qt::LeftButton, {}, CellPoint(*e, 5));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(e->SelFirst(), 5);
    EXPECT_EQ(e->SelLast(), 5);
    // Past the last byte (on the last row): the selection stays, the event still fires.
    e->NewSelection(1, 2);
    const QPoint past = CellPoint(*e, 30);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, past, e->viewport()->mapToGlobal(past),
                    Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(e->viewport(), &dbl);
    QTest::mouseRelease(e->viewport(), Qt::LeftButton, {}, past);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(e->SelFirst(), 1);
    EXPECT_EQ(e->SelLast(), 2);
}

TEST(EditorEx, OffsetPopupMenu) {
    ShownEditor e(64);
    e->SetShowRuler(true);
    QApplication::processEvents();
    auto* offsets = new TPopupMenu();
    offsets->addAction("offsets");
    auto* ordinary = new TPopupMenu();
    ordinary->addAction("ordinary");
    e->SetOffsetPopupMenu(offsets);
    auto rightClick = [&](QPoint at) {
        QContextMenuEvent ev(QContextMenuEvent::Mouse, at, e->viewport()->mapToGlobal(at));
        QApplication::sendEvent(e->viewport(), &ev);
        const bool o = offsets->isVisible(), p = ordinary->isVisible();
        offsets->hide();
        ordinary->hide();
        return std::make_pair(o, p);
    };
    const QPoint data = CellPoint(*e, 20);
    const QPoint gutter(2, data.y());
    const QPoint ruler(data.x(), 2);
    EXPECT_EQ(rightClick(data), std::make_pair(false, false));
    EXPECT_EQ(rightClick(gutter), std::make_pair(true, false));
    e->SetPopupMenu(ordinary);
    EXPECT_EQ(rightClick(ruler), std::make_pair(true, false));
    EXPECT_EQ(rightClick(data), std::make_pair(false, true));
    offsets->AutoPopup = false;
    EXPECT_EQ(rightClick(gutter), std::make_pair(false, true));
    delete offsets;
    EXPECT_EQ(e->GetOffsetPopupMenu(), nullptr);
    delete ordinary;
    EXPECT_EQ(e->GetPopupMenu(), nullptr);
}

TEST(EditorEx, StandardEditActions) {
    ShownEditor e(16);
    TEditDelete del;
    TEditUndo undo;
    TEditSelectAll all;
    TEditCut cut;
    TBasicAction other;
    e->NewSelection(2, 3);
    EXPECT_TRUE(e->ExecuteAction(&del));
    EXPECT_EQ(e->GetDataSize(), 14);
    EXPECT_EQ(e->GetUndoDescription(), "Cut to clipboard");
    ASSERT_TRUE(e->UpdateAction(&undo));
    EXPECT_TRUE(undo.Enabled);
    EXPECT_TRUE(e->ExecuteAction(&undo));
    EXPECT_EQ(e->GetDataSize(), 16);
    ASSERT_TRUE(e->UpdateAction(&undo));
    EXPECT_FALSE(undo.Enabled);
    EXPECT_TRUE(e->ExecuteAction(&all));
    EXPECT_EQ(e->GetSelCount(), 16);
    EXPECT_TRUE(e->UpdateAction(&all));
    EXPECT_TRUE(all.Enabled);
    EXPECT_FALSE(e->ExecuteAction(&other));
    EXPECT_FALSE(e->UpdateAction(&other));
    e->clearFocus();
    QApplication::processEvents();
    EXPECT_FALSE(e->UpdateAction(&all));
    (void)cut;
}

// A read-only view refuses every action that would change it, also when a host runs the action
// without asking whether it is enabled; the history waits for the view to be writable again.
TEST(EditorEx, EditActionsLeaveAReadOnlyViewAlone) {
    ShownEditor e(16);
    e->NewSelection(2, 3);
    e->DeleteSelection("");
    const std::string description = e->GetUndoDescription();
    const std::vector<uint8_t> before = DataOf(*e);
    e->SetReadOnlyView(true);
    e->NewSelection(4, 5);
    TEditDelete del;
    TEditUndo undo;
    TEditCut cut;
    TEditPaste paste;
    for (TBasicAction* action : std::initializer_list<TBasicAction*>{&del, &undo, &cut, &paste}) {
        EXPECT_FALSE(e->ExecuteAction(action));
        EXPECT_EQ(DataOf(*e), before);
    }
    e->SetReadOnlyView(false);
    EXPECT_EQ(e->GetUndoDescription(), description);
    EXPECT_TRUE(e->ExecuteAction(&undo));
    EXPECT_EQ(e->GetDataSize(), 16);
}

// Each edit action is enabled by its own rule: cut and delete need a selection that may be
// removed, copy only a selection.
TEST(EditorEx, EditActionsEnabledByTheirRules) {
    ShownEditor e(16);
    TEditCut cut;
    TEditDelete del;
    TEditCopy copy;
    struct Case {
        bool select, readOnly;
        bool cutAndDelete, copy;
    };
    const Case cases[] = {
        {false, false, false, false}, {true, false, true, true}, {true, true, false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.select << c.readOnly);
        e->ResetSelection(false);
        if (c.select) e->NewSelection(2, 3);
        e->SetReadOnlyView(c.readOnly);
        const std::pair<TEditAction*, bool> wanted[] = {
            {&cut, c.cutAndDelete}, {&del, c.cutAndDelete}, {&copy, c.copy}};
        for (const auto& [action, enabled] : wanted) {
            action->Enabled = !enabled;
            ASSERT_TRUE(e->UpdateAction(action));
            EXPECT_EQ(action->Enabled, enabled);
        }
    }
}
