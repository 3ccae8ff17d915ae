// Drag and drop of the hex editor on the offscreen platform: the drop target, the effect rule,
// the placement of dropped bytes and the drag source, whose loop the tests replace.
#include "clipboard_test_env.h"
#include "orix_hex_dragdrop.h"

#include <QDragEnterEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <fstream>
#include <stdexcept>

namespace {

// Opens the mouse handlers and the drag state to the tests.
class DndEditor : public TOrixHexEditorEx {
public:
    using TOrixHexEditorEx::FDataMovedInternally;
    using TOrixHexEditorEx::FIsDragging;
    using TOrixHexEditorEx::MouseDown;
    using TOrixHexEditorEx::MouseMove;
    using TOrixHexEditorEx::MouseUp;
};

struct DndFixture {
    std::unique_ptr<DndEditor> editor;
    std::vector<std::string> reported;
    explicit DndFixture(size_t bytes, int height = 360) {
        TestApp();
        TCustomGrid::ReportException() = [this](const std::exception& e) {
            reported.push_back(e.what());
        };
        editor = std::make_unique<DndEditor>();
        editor->resize(700, height);
        LoadBytes(*editor, Pattern(bytes));
        editor->SetOleDragDrop(true);
        editor->show();
        QApplication::processEvents();
    }
    ~DndFixture() {
        TOrixHexEditorEx::DragExec() = [](QDrag* drag, Qt::DropActions allowed,
                                          Qt::DropAction preferred) {
            return drag->exec(allowed, preferred);
        };
        TCustomGrid::ReportException() = [](const std::exception& e) {
            ADD_FAILURE() << "exception in event handler: " << e.what();
        };
    }
    DndEditor& operator*() { return *editor; }
    DndEditor* operator->() { return editor.get(); }
};

// Puts a test's stand-in in place of the drag loop; it frees the drag as Qt would.
void SetDragLoop(std::function<Qt::DropAction(QDrag& drag, Qt::DropActions allowed)> loop) {
    TOrixHexEditorEx::DragExec() = [loop = std::move(loop)](QDrag* drag, Qt::DropActions allowed,
                                                            Qt::DropAction) {
        const std::unique_ptr<QDrag> owned(drag);
        return loop(*owned, allowed);
    };
}

QPoint CellPoint(TCustomOrixHexEditor& e, int pos) {
    const TGridCoord c = e.GetCursorAtPos(pos, false);
    const TRect r = e.CellRect(c.X, c.Y);
    return QPoint(r.Left + 2, (r.Top + r.Bottom) / 2);
}

// A point below the last data row.
QPoint BelowLastRow(TCustomOrixHexEditor& e) {
    return QPoint(CellPoint(e, 0).x(), e.viewport()->height() - 4);
}

// The pattern bytes at the given indexes, then the extra bytes.
std::vector<uint8_t> PatternAt(std::initializer_list<int> indexes) {
    const std::vector<uint8_t> p = Pattern(64);
    std::vector<uint8_t> out;
    for (int i : indexes)
        out.push_back(i >= 0 ? p[static_cast<size_t>(i)] : static_cast<uint8_t>(-i));
    return out;
}

std::unique_ptr<QMimeData> OwnBlock(const std::string& bytes) {
    return std::unique_ptr<QMimeData>(TOrixHDataObject::CreateFromBuffer(
        bytes.data(), static_cast<int32_t>(bytes.size()), "", false, false));
}

// Enter at a point, then drop there: what a drag from elsewhere does. The drop is tried also
// when the enter was refused: it must refuse on its own. Promised is what the enter answered.
bool DragAndDrop(TOrixHexEditorEx& e, const QMimeData& data, QPoint at, TShiftState keys,
                 Qt::DropActions allowed, Qt::DropAction& effect,
                 Qt::DropAction* promised = nullptr) {
    effect = Qt::CopyAction;
    TOrixHDropTarget& target = e.DropTarget();
    const bool entered = target.DragEnter(&data, keys, allowed, at, effect);
    // Qt sends no leave after a refused enter: the marker must be gone already.
    if (!entered) {
        EXPECT_EQ(effect, Qt::IgnoreAction);
        EXPECT_EQ(e.DropPosition(), -1);
        e.ShowDragCell(at.x(), at.y()); // a marker to drop at
    }
    if (promised) *promised = effect;
    effect = Qt::CopyAction;
    return target.Drop(&data, keys, allowed, at, effect);
}

// Presses on the selection and moves the pointer far enough to start the drag.
void StartDragAt(DndEditor& e, int pos) {
    const QPoint p = CellPoint(e, pos);
    e.MouseDown(TMouseButton::mbLeft, ssLeft, p.x(), p.y());
    e.MouseMove(ssLeft, p.x() + TOrixHexEditorEx::DragThreshold(), p.y());
}

const Qt::DropActions kCopyMove = Qt::CopyAction | Qt::MoveAction;
const Qt::DropActions kAll = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;

} // namespace

TEST(DropTarget, AcceptsOnlyWhileSwitchedOnAndOnlyKnownFormats) {
    TestApp();
    {
        TOrixHexEditorEx fresh;
        EXPECT_FALSE(fresh.GetOleDragDrop());
        EXPECT_FALSE(fresh.viewport()->acceptDrops());
    }
    DndFixture f(16);
    auto own = OwnBlock("\x01\x02");
    Qt::DropAction effect = Qt::CopyAction;
    const QPoint at = CellPoint(*f, 4);
    EXPECT_TRUE(f->viewport()->acceptDrops());
    EXPECT_TRUE(f->DropTarget().DragEnter(own.get(), 0, kCopyMove, at, effect));
    EXPECT_EQ(effect, Qt::CopyAction);
    f->DropTarget().DragLeave();

    QMimeData unknown;
    unknown.setData("application/x-unknown", "zz");
    effect = Qt::CopyAction;
    EXPECT_FALSE(f->DropTarget().DragEnter(&unknown, 0, kCopyMove, at, effect));
    EXPECT_EQ(effect, Qt::IgnoreAction);
    EXPECT_FALSE(f->DropTarget().Drop(&unknown, 0, kCopyMove, at, effect));
    EXPECT_EQ(f->GetDataSize(), 16);
    // A read-only view takes no drop.
    f->SetReadOnlyView(true);
    EXPECT_FALSE(DragAndDrop(*f, *own, at, 0, kCopyMove, effect));
    EXPECT_EQ(effect, Qt::IgnoreAction);
    f->SetReadOnlyView(false);

    // Switched off as the stored forms do it, through the property.
    ASSERT_TRUE(f->setProperty("OleDragDrop", false));
    EXPECT_FALSE(f->GetOleDragDrop());
    EXPECT_FALSE(f->viewport()->acceptDrops());
    effect = Qt::CopyAction;
    EXPECT_FALSE(DragAndDrop(*f, *own, at, 0, kCopyMove, effect));
    EXPECT_EQ(effect, Qt::IgnoreAction);
    EXPECT_EQ(DataOf(*f), Pattern(16));
    // And no drag starts.
    int loops = 0;
    SetDragLoop([&](QDrag&, Qt::DropActions) {
        ++loops;
        return Qt::IgnoreAction;
    });
    f->NewSelection(2, 9);
    StartDragAt(*f, 4);
    EXPECT_EQ(loops, 0);
}

TEST(DropTarget, PromisesAMoveOnlyOfItsOwnBlock) {
    // A source in another program deletes its data on the move the answer promised, and text
    // offered in several formats still has to pass the format chooser at the drop.
    DndFixture f(16);
    auto own = OwnBlock("\x01\x02");
    QMimeData text;
    text.setText(QStringLiteral("AB"));
    text.setHtml(QStringLiteral("<b>AB</b>"));
    const struct {
        const QMimeData* data;
        bool fixedSize;
        Qt::DropAction promised;
    } cases[] = {
        {own.get(), false, Qt::MoveAction},
        {&text, false, Qt::CopyAction},
        {&text, true, Qt::CopyAction},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "own " << (c.data == own.get()) << " fixed " << c.fixedSize);
        f->SetNoSizeChange(c.fixedSize);
        Qt::DropAction effect = Qt::CopyAction;
        ASSERT_TRUE(
            f->DropTarget().DragEnter(c.data, ssShift, kCopyMove, CellPoint(*f, 4), effect));
        EXPECT_EQ(effect, c.promised);
        effect = Qt::CopyAction;
        f->DropTarget().DragOver(ssShift, kCopyMove, CellPoint(*f, 6), effect);
        EXPECT_EQ(effect, c.promised);
        f->DropTarget().DragLeave();
    }
    EXPECT_EQ(DataOf(*f), Pattern(16));
}

TEST(DropTarget, QtDragEventsOfTheViewportReachIt) {
    DndFixture f(16);
    auto own = OwnBlock("\x01\x02");
    QWidget* view = f->viewport();
    QDragEnterEvent enter(CellPoint(*f, 4), kCopyMove, own.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
    QDragMoveEvent move(CellPoint(*f, 6), kCopyMove, own.get(), Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(view, &move);
    EXPECT_TRUE(move.isAccepted());
    EXPECT_EQ(move.dropAction(), Qt::MoveAction);
    EXPECT_EQ(f->DropPosition(), 6);
    QDropEvent drop(QPointF(CellPoint(*f, 6)), kCopyMove, own.get(), Qt::LeftButton,
                    Qt::ShiftModifier);
    QApplication::sendEvent(view, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::MoveAction);
    EXPECT_EQ(DataOf(*f),
              PatternAt({0, 1, 2, 3, 4, 5, -1, -2, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(f->DropPosition(), -1);

    // Under a fixed size the end takes no drop. An enter there still takes the data: Qt sends
    // no moves after a refused enter, and the pointer goes on to bytes that take the drop.
    f->SetNoSizeChange(true);
    QDragEnterEvent again(BelowLastRow(*f), kCopyMove, own.get(), Qt::LeftButton,
                          Qt::ShiftModifier);
    QApplication::sendEvent(view, &again);
    EXPECT_TRUE(again.isAccepted());
    EXPECT_EQ(again.dropAction(), Qt::IgnoreAction);
    QDragMoveEvent onBytes(CellPoint(*f, 2), kCopyMove, own.get(), Qt::LeftButton,
                           Qt::ShiftModifier);
    QApplication::sendEvent(view, &onBytes);
    EXPECT_TRUE(onBytes.isAccepted());
    EXPECT_EQ(onBytes.dropAction(), Qt::CopyAction);
    EXPECT_EQ(f->DropPosition(), 2);
    // Back at the end: a refused move and a refused drop, so a source keeps its data.
    QDragMoveEvent atEnd(BelowLastRow(*f), kCopyMove, own.get(), Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(view, &atEnd);
    EXPECT_FALSE(atEnd.isAccepted());
    QDropEvent refused(QPointF(BelowLastRow(*f)), kCopyMove, own.get(), Qt::LeftButton,
                       Qt::ShiftModifier);
    QApplication::sendEvent(view, &refused);
    EXPECT_FALSE(refused.isAccepted());
    EXPECT_EQ(DataOf(*f),
              PatternAt({0, 1, 2, 3, 4, 5, -1, -2, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(f->DropPosition(), -1);

    // Data in no format the control reads is refused at the enter, with no marker.
    QMimeData unknown;
    unknown.setData("application/x-unknown", "zz");
    QDragEnterEvent other(CellPoint(*f, 4), kCopyMove, &unknown, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &other);
    EXPECT_FALSE(other.isAccepted());
    EXPECT_EQ(f->DropPosition(), -1);
}

TEST(DropEffect, FollowsKeysOwnerAndWhatTheSourceAllows) {
    struct Case {
        bool own;
        bool readOnly;
        TShiftState keys;
        bool fileList;
        Qt::DropActions allowed;
        Qt::DropAction expected;
    };
    const Case cases[] = {
        {true, false, 0, false, kCopyMove, Qt::MoveAction},
        {true, false, ssCtrl, false, kCopyMove, Qt::CopyAction},
        {true, false, ssShift, false, kCopyMove, Qt::MoveAction},
        {true, true, 0, false, kCopyMove, Qt::CopyAction},
        {true, false, 0, false, Qt::CopyAction, Qt::CopyAction},
        {true, false, ssCtrl, false, Qt::MoveAction, Qt::IgnoreAction},
        {false, false, 0, false, kCopyMove, Qt::CopyAction},
        {false, false, ssCtrl, false, kCopyMove, Qt::CopyAction},
        {false, false, ssShift, false, kCopyMove, Qt::MoveAction},
        {false, false, ssShift, false, Qt::CopyAction, Qt::CopyAction},
        {false, true, ssShift, false, kCopyMove, Qt::CopyAction},
        {false, false, 0, false, Qt::MoveAction | Qt::LinkAction, Qt::IgnoreAction},
        // File lists: linked with Shift, never moved.
        {false, false, ssShift, true, kAll, Qt::LinkAction},
        {false, false, ssShift, true, kCopyMove, Qt::CopyAction},
        {false, false, ssShift, true, Qt::MoveAction, Qt::IgnoreAction},
        {false, false, 0, true, kAll, Qt::CopyAction},
    };
    DndFixture f(16);
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/tmp/a.bin")});
    auto own = OwnBlock("\x01");
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "own " << c.own << " ro " << c.readOnly << " keys " << c.keys << " files "
                     << c.fileList << " allowed " << int(c.allowed));
        f->SetReadOnlyView(false);
        Qt::DropAction effect = Qt::MoveAction;
        ASSERT_TRUE(f->SupportsOLEData(c.fileList ? &files : own.get(), effect, oleDrop));
        f->SetReadOnlyView(c.readOnly);
        f->FIsDragging = c.own;
        effect = Qt::MoveAction;
        f->ModifyOLEDropEffect(c.keys, c.allowed, effect);
        EXPECT_EQ(effect, c.expected);
    }
    f->FIsDragging = false;
    f->SetReadOnlyView(false);
}

TEST(DragSource, MoveInsideTheControl) {
    const int past = -1; // below the last row
    struct Case {
        int first, last, dropAt;
        TShiftState keys;
        bool fixedSize;
        std::vector<uint8_t> expected;
        const char* undo; // nullptr: no undo step
    };
    const Case cases[] = {
        {2, 5, 10, 0, false, PatternAt({0, 1, 6, 7, 8, 9, 2, 3, 4, 5, 10, 11, 12, 13, 14, 15}),
         "Data moved"},
        {10, 13, 2, 0, false, PatternAt({0, 1, 10, 11, 12, 13, 2, 3, 4, 5, 6, 7, 8, 9, 14, 15}),
         "Data moved"},
        {2, 5, past, 0, false, PatternAt({0, 1, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 2, 3, 4, 5}),
         "Data moved"},
        {2, 5, 10, 0, true, PatternAt({0, 1, 6, 7, 8, 9, 2, 3, 4, 5, 10, 11, 12, 13, 14, 15}),
         "Data moved"},
        {2, 5, 10, ssCtrl, false,
         PatternAt({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 2, 3, 4, 5, 10, 11, 12, 13, 14, 15}),
         "Data dropped"},
        // Onto the selection itself and just behind it: nothing moves.
        {2, 5, 3, 0, false, Pattern(16), nullptr},
        {2, 5, 6, 0, false, Pattern(16), nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.first << ".." << c.last << " to " << c.dropAt
                                        << " keys " << c.keys << " fixed " << c.fixedSize);
        DndFixture f(16);
        f->SetNoSizeChange(c.fixedSize);
        f->NewSelection(c.first, c.last);
        Qt::DropAction result = Qt::IgnoreAction;
        SetDragLoop([&](QDrag& drag, Qt::DropActions allowed) {
            EXPECT_TRUE(f->IsDragging());
            EXPECT_EQ(allowed, kCopyMove);
            const QPoint at = c.dropAt == past ? BelowLastRow(*f) : CellPoint(*f, c.dropAt);
            Qt::DropAction effect = Qt::CopyAction;
            EXPECT_TRUE(f->DropTarget().DragEnter(drag.mimeData(), c.keys, allowed, at, effect));
            EXPECT_TRUE(f->DropTarget().Drop(drag.mimeData(), c.keys, allowed, at, effect));
            result = effect;
            return effect;
        });
        StartDragAt(*f, c.first + 1);
        EXPECT_EQ(result, c.keys & ssCtrl ? Qt::CopyAction : Qt::MoveAction);
        EXPECT_EQ(DataOf(*f), c.expected);
        EXPECT_FALSE(f->IsDragging());
        EXPECT_FALSE(f->FDataMovedInternally);
        EXPECT_EQ(f->DropPosition(), -1);
        if (!c.undo) {
            EXPECT_FALSE(f->GetCanUndo());
            continue;
        }
        EXPECT_EQ(f->GetUndoDescription(), c.undo);
        ASSERT_TRUE(f->Undo());
        EXPECT_EQ(DataOf(*f), Pattern(16));
        EXPECT_FALSE(f->GetCanUndo()); // one step
    }
}

TEST(DragSource, MovedBytesEndSelectedAtTheirNewPlace) {
    DndFixture f(16);
    f->NewSelection(2, 5);
    SetDragLoop([&](QDrag& drag, Qt::DropActions allowed) {
        Qt::DropAction effect = Qt::MoveAction;
        f->DropTarget().DragEnter(drag.mimeData(), 0, allowed, CellPoint(*f, 10), effect);
        f->DropTarget().Drop(drag.mimeData(), 0, allowed, CellPoint(*f, 10), effect);
        return effect;
    });
    StartDragAt(*f, 3);
    EXPECT_EQ(f->SelFirst(), 6);
    EXPECT_EQ(f->SelLast(), 9);
}

TEST(DragSource, ChangeHandlerThatRaisesOnceLosesNoByte) {
    DndFixture f(16);
    f->NewSelection(2, 5);
    int calls = 0;
    f->OnChange = [&](TCustomOrixHexEditor*) {
        if (++calls == 1) throw std::runtime_error("handler failed");
    };
    Qt::DropAction result = Qt::MoveAction;
    SetDragLoop([&](QDrag& drag, Qt::DropActions allowed) {
        Qt::DropAction effect = Qt::MoveAction;
        f->DropTarget().DragEnter(drag.mimeData(), 0, allowed, CellPoint(*f, 10), effect);
        EXPECT_FALSE(f->DropTarget().Drop(drag.mimeData(), 0, allowed, CellPoint(*f, 10), effect));
        result = effect;
        return effect;
    });
    StartDragAt(*f, 3);
    EXPECT_EQ(result, Qt::IgnoreAction);
    ASSERT_EQ(f.reported.size(), 1u);
    EXPECT_EQ(f.reported[0], "handler failed");
    EXPECT_EQ(DataOf(*f), Pattern(16));
    EXPECT_FALSE(f->IsDragging());
}

TEST(DragSource, OutcomeOfTheDragLoop) {
    struct Case {
        Qt::DropAction result;
        bool raise;
        bool reselect; // the selection changes during the loop
        bool readOnly;
        int sizeAfter;
    };
    const Case cases[] = {
        {Qt::MoveAction, false, false, false, 12},   {Qt::CopyAction, false, false, false, 16},
        {Qt::IgnoreAction, false, false, false, 16}, {Qt::MoveAction, true, false, false, 16},
        {Qt::MoveAction, false, true, false, 16},    {Qt::MoveAction, false, false, true, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "result " << int(c.result) << " raise " << c.raise
                                        << " reselect " << c.reselect);
        DndFixture f(16);
        f->SetReadOnlyView(c.readOnly);
        f->SetClipboardAsHexText(true);
        f->NewSelection(2, 5);
        QByteArray own, text;
        Qt::DropActions offered;
        SetDragLoop([&](QDrag& drag, Qt::DropActions allowed) {
            offered = allowed;
            own = drag.mimeData()->data(kMimeHexEditor);
            text = drag.mimeData()->data(kMimeText);
            if (c.reselect) f->NewSelection(8, 11);
            if (c.raise) throw std::runtime_error("drag failed");
            return c.result;
        });
        if (c.raise)
            EXPECT_THROW(StartDragAt(*f, 3), std::runtime_error);
        else
            StartDragAt(*f, 3);
        EXPECT_EQ(offered, c.readOnly ? Qt::DropActions(Qt::CopyAction) : kCopyMove);
        const std::vector<uint8_t> dragged = PatternAt({2, 3, 4, 5});
        EXPECT_EQ(own.mid(12), QByteArray(reinterpret_cast<const char*>(dragged.data()), 4));
        EXPECT_EQ(text, QByteArray::fromRawData(reinterpret_cast<const char*>(dragged.data()), 4)
                            .toHex()
                            .toUpper());
        EXPECT_EQ(f->GetDataSize(), c.sizeAfter);
        if (c.sizeAfter == 12) {
            EXPECT_EQ(DataOf(*f), PatternAt({0, 1, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
        }
        EXPECT_FALSE(f->IsDragging());
        EXPECT_FALSE(f->MaybeDrag());
    }
}

TEST(DragSource, ControlDestroyedDuringTheLoop) {
    DndFixture f(16);
    f->NewSelection(2, 5);
    SetDragLoop([&](QDrag&, Qt::DropActions) {
        f.editor.reset();
        return Qt::MoveAction;
    });
    DndEditor* editor = f.editor.get();
    StartDragAt(*editor, 3); // must not touch the freed control
    EXPECT_FALSE(f.editor);
}

TEST(DropPlacement, DataFromElsewhere) {
    const int past = -1; // below the last row
    struct Case {
        bool fixedSize;
        int first, last; // selection, -1: none
        int dropAt;
        TShiftState keys;
        std::vector<uint8_t> expected;
        bool placed;
        Qt::DropAction effect;
        // What the answer to the drag promised a source in another program.
        Qt::DropAction promised;
    };
    const int A = -0xA1, B = -0xA2, C = -0xA3;
    const Case cases[] = {
        {false, -1, -1, 4, 0,
         PatternAt({0, 1, 2, 3, A, B, C, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}), true,
         Qt::CopyAction, Qt::CopyAction},
        {false, 4, 7, 5, ssShift, PatternAt({0, 1, 2, 3, A, B, C, 8, 9, 10, 11, 12, 13, 14, 15}),
         true, Qt::MoveAction, Qt::MoveAction},
        {false, 4, 7, 10, 0,
         PatternAt({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, A, B, C, 10, 11, 12, 13, 14, 15}), true,
         Qt::CopyAction, Qt::CopyAction},
        {false, -1, -1, past, 0,
         PatternAt({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, A, B, C}), true,
         Qt::CopyAction, Qt::CopyAction},
        // Onto a fixed size a drop only overwrites: a copy, as promised.
        {true, 10, 12, 4, ssShift,
         PatternAt({0, 1, 2, 3, A, B, C, 7, 8, 9, 10, 11, 12, 13, 14, 15}), true, Qt::CopyAction,
         Qt::CopyAction},
        // Fewer bytes placed than dropped: a copy, so the source keeps them.
        {true, -1, -1, 14, ssShift, PatternAt({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, A, B}),
         true, Qt::CopyAction, Qt::CopyAction},
        {true, 4, 5, 4, ssShift, PatternAt({0, 1, 2, 3, A, B, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}),
         true, Qt::CopyAction, Qt::CopyAction},
        {true, 4, 9, 4, 0, PatternAt({0, 1, 2, 3, A, B, C, 7, 8, 9, 10, 11, 12, 13, 14, 15}), true,
         Qt::CopyAction, Qt::CopyAction},
        {true, -1, -1, past, ssShift, Pattern(16), false, Qt::IgnoreAction, Qt::IgnoreAction},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "fixed " << c.fixedSize << " sel " << c.first << ".."
                                        << c.last << " at " << c.dropAt << " keys " << c.keys);
        DndFixture f(16);
        f->SetNoSizeChange(c.fixedSize);
        if (c.first >= 0) f->NewSelection(c.first, c.last);
        auto data = OwnBlock("\xA1\xA2\xA3");
        const QPoint at = c.dropAt == past ? BelowLastRow(*f) : CellPoint(*f, c.dropAt);
        Qt::DropAction effect = Qt::CopyAction, promised = Qt::CopyAction;
        EXPECT_EQ(DragAndDrop(*f, *data, at, c.keys, kCopyMove, effect, &promised), c.placed);
        EXPECT_EQ(effect, c.effect);
        EXPECT_EQ(promised, c.promised);
        EXPECT_EQ(DataOf(*f), c.expected);
        if (c.placed) {
            EXPECT_EQ(f->GetUndoDescription(), "Data dropped");
        }
        EXPECT_EQ(f->DropPosition(), -1);
    }
}

TEST(DropPlacement, FileLists) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString a = dir.filePath("a.bin"), b = dir.filePath("b.bin");
    std::ofstream(a.toStdString(), std::ios::binary) << "AB";
    std::ofstream(b.toStdString(), std::ios::binary) << "CD";
    const std::string names = a.toStdString() + '\0' + b.toStdString() + '\0';
    const QByteArray uriA = QUrl::fromLocalFile(a).toEncoded();
    struct Case {
        QByteArray first; // the list's first entry; the second is b.bin
        TShiftState keys;
        Qt::DropActions allowed;
        std::string inserted; // empty: nothing, and the error is shown
        Qt::DropAction effect;
    };
    const Case cases[] = {
        {uriA, 0, kAll, "AB", Qt::CopyAction},
        {uriA, ssShift, kAll, names, Qt::LinkAction},
        {uriA, ssShift, kCopyMove, "AB", Qt::CopyAction},
        {QUrl::fromLocalFile(dir.filePath("gone.bin")).toEncoded(), 0, kAll, "", Qt::IgnoreAction},
        // Inserted, the name would read as two.
        {uriA + "%00" + uriA.mid(7), ssShift, kAll, "", Qt::IgnoreAction},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.first.toStdString() << " keys " << c.keys);
        DndFixture f(16);
        QMimeData data;
        data.setData(kMimeUriList, c.first + "\r\n" + QUrl::fromLocalFile(b).toEncoded());
        Qt::DropAction effect = Qt::CopyAction;
        EXPECT_EQ(DragAndDrop(*f, data, CellPoint(*f, 4), c.keys, c.allowed, effect),
                  !c.inserted.empty());
        EXPECT_EQ(effect, c.effect);
        std::vector<uint8_t> expected = Pattern(16);
        expected.insert(expected.begin() + 4, c.inserted.begin(), c.inserted.end());
        EXPECT_EQ(DataOf(*f), expected);
        EXPECT_EQ(f.reported.size(), c.inserted.empty() ? 1u : 0u);
    }
}

TEST(DropPlacement, FileTheDataCannotTakeIsRefusedFromItsSize) {
    QTemporaryDir dir;
    const std::string big = dir.filePath("big.bin").toStdString();
    MakeSparseFile(big, 2147483643);
    // Dropped on the selection (4..7) it replaces it; elsewhere it is inserted.
    const struct {
        int dropAt;
        int64_t most;
    } cases[] = {{5, 2147483635}, {10, 2147483631}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dropAt);
        DndFixture f(16);
        f->NewSelection(4, 7);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(big))});
        Qt::DropAction effect = Qt::CopyAction;
        EXPECT_FALSE(DragAndDrop(*f, data, CellPoint(*f, c.dropAt), 0, kAll, effect));
        EXPECT_EQ(effect, Qt::IgnoreAction);
        ASSERT_EQ(f.reported.size(), 1u);
        EXPECT_EQ(f.reported[0], TooLargeForTheData(big, 2147483643, c.most));
        EXPECT_EQ(DataOf(*f), Pattern(16));
    }
}

TEST(DragBetweenControls, AShiftDropOnlyOverwritingAFixedSizeLeavesTheSourceItsBytes) {
    // Qt's drag inside one program: the source's loop returns what the target's drop event
    // answered; another program's source goes by the answer to the moves.
    const std::vector<uint8_t> p = Pattern(32);
    const std::vector<uint8_t> dragged(p.begin() + 10, p.begin() + 14);
    for (const bool fixedSize : {true, false}) {
        SCOPED_TRACE(fixedSize);
        DndFixture source(32), target(32);
        target->SetNoSizeChange(fixedSize);
        source->NewSelection(10, 13);
        Qt::DropAction promised = Qt::IgnoreAction, dropped = Qt::IgnoreAction;
        SetDragLoop([&](QDrag& drag, Qt::DropActions allowed) {
            QWidget* view = target->viewport();
            const QPoint at = CellPoint(*target, 4);
            QDragEnterEvent enter(at, allowed, drag.mimeData(), Qt::LeftButton, Qt::ShiftModifier);
            QApplication::sendEvent(view, &enter);
            QDragMoveEvent move(at, allowed, drag.mimeData(), Qt::LeftButton, Qt::ShiftModifier);
            QApplication::sendEvent(view, &move);
            promised = move.isAccepted() ? move.dropAction() : Qt::IgnoreAction;
            QDropEvent drop(QPointF(at), allowed, drag.mimeData(), Qt::LeftButton,
                            Qt::ShiftModifier);
            QApplication::sendEvent(view, &drop);
            dropped = drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
            return dropped;
        });
        StartDragAt(*source, 11);
        std::vector<uint8_t> sourceAfter = p, targetAfter = p;
        if (fixedSize) {
            EXPECT_EQ(dropped, Qt::CopyAction);
            std::copy(dragged.begin(), dragged.end(), targetAfter.begin() + 4);
        } else {
            EXPECT_EQ(dropped, Qt::MoveAction);
            sourceAfter.erase(sourceAfter.begin() + 10, sourceAfter.begin() + 14);
            targetAfter.insert(targetAfter.begin() + 4, dragged.begin(), dragged.end());
        }
        EXPECT_EQ(promised, dropped);
        EXPECT_EQ(DataOf(*source), sourceAfter);
        EXPECT_EQ(DataOf(*target), targetAfter);
        EXPECT_EQ(target->GetUndoDescription(), "Data dropped");
    }
}

TEST(DragSource, StartsAtTheThreshold) {
    DndFixture f(64);
    f->NewSelection(0, 63);
    int loops = 0;
    SetDragLoop([&](QDrag&, Qt::DropActions) {
        ++loops;
        return Qt::IgnoreAction;
    });
    const int t = TOrixHexEditorEx::DragThreshold();
    ASSERT_GT(t, 1);
    const QPoint p = CellPoint(*f, 16 + 4);
    QWidget* view = f->viewport();
    for (const QPoint step : {QPoint(1, 0), QPoint(0, 1)}) {
        QTest::mousePress(view, Qt::LeftButton, {}, p);
        EXPECT_TRUE(f->MaybeDrag());
        QTest::mouseMove(view, p + step * (t - 1));
        EXPECT_EQ(loops, 0);
        QTest::mouseMove(view, p + step * t);
        EXPECT_EQ(loops, 1);
        EXPECT_FALSE(f->MaybeDrag());
        EXPECT_EQ(f->GetSelCount(), 64);
        loops = 0;
        // The loop took the release; the next press starts afresh.
        QTest::mouseRelease(view, Qt::LeftButton, {}, p + step * t);
    }
    // A press off the selection arms nothing.
    f->NewSelection(0, 3);
    QTest::mousePress(view, Qt::LeftButton, {}, CellPoint(*f, 40));
    EXPECT_FALSE(f->MaybeDrag());
    QTest::mouseRelease(view, Qt::LeftButton, {}, CellPoint(*f, 40));

    // A press on the selection that ends without a drag leaves nothing armed: a later press on
    // the offset column that moves over a selection starts no drag.
    f->NewSelection(0, 63);
    f->MouseDown(TMouseButton::mbLeft, ssLeft, p.x(), p.y());
    f->MouseUp(TMouseButton::mbLeft, 0, p.x(), p.y());
    EXPECT_FALSE(f->MaybeDrag());
    f->NewSelection(0, 63);
    f->MouseDown(TMouseButton::mbLeft, ssLeft, 2, p.y());
    f->MouseMove(ssLeft, p.x() + t, p.y());
    f->MouseUp(TMouseButton::mbLeft, 0, p.x() + t, p.y());
    EXPECT_EQ(loops, 0);
}

TEST(DropMarker, FollowsThePointerAndLeaveHidesIt) {
    DndFixture f(20);
    auto data = OwnBlock("\x01");
    TOrixHDropTarget& target = f->DropTarget();
    Qt::DropAction effect = Qt::CopyAction;
    ASSERT_TRUE(target.DragEnter(data.get(), 0, kCopyMove, CellPoint(*f, 5), effect));
    EXPECT_EQ(f->DropPosition(), 5);
    // The marker is painted at the cell's left edge, also behind the last byte.
    auto edgePixel = [&](int pos) {
        const TGridCoord c = f->GetCursorAtPos(pos, false);
        const TRect r = f->CellRect(c.X, c.Y);
        return f->viewport()->grab().toImage().copy(r.Left, r.Top, 3, r.Bottom - r.Top);
    };
    const QImage plain9 = edgePixel(9), plain20 = edgePixel(20);
    target.DragOver(0, kCopyMove, CellPoint(*f, 9), effect);
    EXPECT_EQ(f->DropPosition(), 9);
    EXPECT_NE(edgePixel(9), plain9);
    target.DragOver(0, kCopyMove, BelowLastRow(*f), effect);
    EXPECT_EQ(f->DropPosition(), 20);
    EXPECT_NE(edgePixel(20), plain20);
    EXPECT_EQ(edgePixel(9), plain9);
    EXPECT_TRUE(target.ScrollTimerRunning());
    target.DragLeave();
    EXPECT_EQ(f->DropPosition(), -1);
    EXPECT_FALSE(target.ScrollTimerRunning());
    EXPECT_EQ(edgePixel(20), plain20);
}

TEST(DropMarker, ScrollsOneRowPerTimerStepAtTheEdge) {
    DndFixture f(16 * 200, 300);
    auto data = OwnBlock("\x01");
    TOrixHDropTarget& target = f->DropTarget();
    const int lastVisible = f->TopRow() + f->VisibleRowCount() - 1;
    const QPoint edge(CellPoint(*f, 0).x(),
                      (f->CellRect(2, lastVisible).Top + f->CellRect(2, lastVisible).Bottom) / 2);
    Qt::DropAction effect = Qt::CopyAction;
    const int top = f->TopRow();
    ASSERT_TRUE(target.DragEnter(data.get(), 0, kCopyMove, edge, effect));
    EXPECT_EQ(f->TopRow(), top + 1);
    target.ScrollStep();
    EXPECT_EQ(f->TopRow(), top + 2);
    target.ScrollStep();
    EXPECT_EQ(f->TopRow(), top + 3);
    // The timer keeps going while the pointer rests there.
    EXPECT_TRUE(QTest::qWaitFor([&] { return f->TopRow() >= top + 5; }, 2000));
    target.DragLeave();
    const int stopped = f->TopRow();
    QTest::qWait(200);
    EXPECT_EQ(f->TopRow(), stopped);
}
