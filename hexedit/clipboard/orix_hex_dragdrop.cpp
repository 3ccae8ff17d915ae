// Drag and drop of TOrixHexEditorEx: the drop target on the viewport's drag events, the effect
// rule, the placement of dropped bytes and the drag source in the mouse handlers.
#include "orix_hex_dragdrop.h"

#include "orix_hex_editor_ex.h"
#include "sysutils.h"

#include <QApplication>
#include <QPointer>
#include <QScopedValueRollback>
#include <cstdlib>

namespace {

const char* const kDataDropped = "Data dropped";
const char* const kDataMoved = "Data moved";

TShiftState KeysOf(const QDropEvent& event) {
    TShiftState keys = 0;
    if (event.modifiers() & Qt::ShiftModifier) keys |= ssShift;
    if (event.modifiers() & Qt::ControlModifier) keys |= ssCtrl;
    if (event.modifiers() & Qt::AltModifier) keys |= ssAlt;
    if (event.buttons() & Qt::LeftButton) keys |= ssLeft;
    return keys;
}

// Tells Qt the outcome of a drag event.
void Answer(QDropEvent& event, bool accepted, Qt::DropAction effect) {
    if (accepted && effect != Qt::IgnoreAction) {
        event.setDropAction(effect);
        event.accept();
    } else {
        event.setDropAction(Qt::IgnoreAction);
        event.ignore();
    }
}

// Onto data of fixed size a drop only overwrites: nothing has moved, so the source keeps its
// bytes, in this program and in another alike.
void OverwriteKeepsTheSource(const TOrixHexEditorEx& editor, Qt::DropAction& effect) {
    if (editor.IsFileSizeFixed() && effect == Qt::MoveAction) effect = Qt::CopyAction;
}

} // namespace

// ---------------------------------------------------------------- drop target

TOrixHDropTarget::TOrixHDropTarget(TOrixHexEditorEx* editor) : FEditor(editor) {
    FScrollTimer.setInterval(TCustomGrid::kSelectionTimerMs);
    QObject::connect(&FScrollTimer, &QTimer::timeout, editor,
                     [this] { FEditor->Guarded([this] { ScrollStep(); }); });
}

TOrixHDropTarget::~TOrixHDropTarget() {
    FScrollTimer.stop();
    if (FActive) FEditor->viewport()->setAcceptDrops(false);
}

void TOrixHDropTarget::SetActive(bool value) {
    if (value == FActive) return;
    FActive = value;
    // Qt keeps the registration with the widget and carries it to whatever window the widget
    // is shown in, also when that window is made again.
    FEditor->viewport()->setAcceptDrops(value);
    if (!value) StopMarker();
}

void TOrixHDropTarget::ShowMarker(QPoint point) {
    FPoint = point;
    FEditor->ShowDragCell(point.x(), point.y());
    if (!FScrollTimer.isActive()) FScrollTimer.start();
}

void TOrixHDropTarget::StopMarker() {
    FScrollTimer.stop();
    FEditor->HideDragCell();
}

bool TOrixHDropTarget::DragEnter(const QMimeData* data, TShiftState keys, Qt::DropActions allowed,
                                 QPoint point, Qt::DropAction& effect) {
    if (!FActive || !data || !FEditor->SupportsOLEData(data, effect, oleDrop)) {
        effect = Qt::IgnoreAction;
        return false;
    }
    // Taken also where this position refuses the drop (the end of a fixed-size data, an action
    // the source does not allow): Qt sends no further moves over a widget that refused the
    // enter, so the pointer could not go on to a place that takes the drop.
    DragOver(keys, allowed, point, effect);
    return true;
}

void TOrixHDropTarget::DragOver(TShiftState keys, Qt::DropActions allowed, QPoint point,
                                Qt::DropAction& effect) {
    if (!FActive) {
        effect = Qt::IgnoreAction;
        return;
    }
    FEditor->ModifyOLEDropEffect(keys, allowed, effect);
    ShowMarker(point);
    Promise(effect);
}

void TOrixHDropTarget::Promise(Qt::DropAction& effect) const {
    // A source in another program takes this answer as the outcome of its drag (X11 tells it
    // nothing else in time): no move is promised that the drop may carry out only in part or
    // not at all. Data other than the control's own block may go through the format chooser,
    // which the user may cancel.
    if (effect == Qt::IgnoreAction) return;
    if (FEditor->IsDragging() && effect == Qt::MoveAction) return; // moves inside, keeps the size
    if (effect == Qt::MoveAction && FEditor->OLEFormat(oleDrop) != CF_HEXEDITOR)
        effect = Qt::CopyAction;
    if (FEditor->IsFileSizeFixed() && FEditor->DropPosition() >= FEditor->GetDataSize())
        effect = Qt::IgnoreAction;
    OverwriteKeepsTheSource(*FEditor, effect);
}

void TOrixHDropTarget::DragLeave() {
    StopMarker();
}

bool TOrixHDropTarget::Drop(const QMimeData* data, TShiftState keys, Qt::DropActions allowed,
                            QPoint point, Qt::DropAction& effect) {
    (void)point; // the bytes go where the marker is
    FScrollTimer.stop();
    const QPointer<TOrixHexEditorEx> editor(FEditor);
    struct HideMarker {
        const QPointer<TOrixHexEditorEx>& editor;
        ~HideMarker() {
            if (editor) editor->HideDragCell();
        }
    } hide{editor};
    if (!FActive || !data || !FEditor->SupportsOLEData(data, effect, oleDrop)) {
        effect = Qt::IgnoreAction;
        return false;
    }
    FEditor->ModifyOLEDropEffect(keys, allowed, effect);
    if (effect == Qt::IgnoreAction) return false;
    try {
        // The drop's data lives until its event has been handled.
        return FEditor->InsertOLEData([data] { return data; }, effect, oleDrop);
    } catch (const std::exception& e) {
        TCustomGrid::ReportException()(e);
        effect = Qt::IgnoreAction;
        return false;
    }
}

void TOrixHDropTarget::ScrollStep() {
    if (!FActive || !FEditor->FDropMarkShown) {
        FScrollTimer.stop();
        return;
    }
    FEditor->ShowDragCell(FPoint.x(), FPoint.y());
}

// ---------------------------------------------------------------- the control's side

void TOrixHexEditorEx::SetOleDragDrop(bool value) {
    if (value == FOleDragDrop) return;
    FOleDragDrop = value;
    FDropTarget->SetActive(value);
}

void TOrixHexEditorEx::ModifyOLEDropEffect(TShiftState keyState, Qt::DropActions allowed,
                                           Qt::DropAction& effect) {
    Qt::DropAction wanted = Qt::CopyAction;
    if (FIsDragging) {
        if (!ReadOnlyView && !(keyState & ssCtrl)) wanted = Qt::MoveAction;
    } else if ((keyState & ssShift) && !ReadOnlyView) {
        // A file list is never moved: the file manager would delete the files. Its link
        // inserts the names.
        wanted = FOLEFormats[oleDrop] == CF_HDROP ? Qt::LinkAction : Qt::MoveAction;
    }
    if (allowed & wanted)
        effect = wanted;
    else if (allowed & Qt::CopyAction)
        effect = Qt::CopyAction;
    else
        effect = Qt::IgnoreAction;
}

bool TOrixHexEditorEx::PlaceDroppedData(const std::string& bytes, Qt::DropAction& effect) {
    const int32_t pos = DropPosition();
    if (pos < 0 || bytes.empty()) return false;
    const auto count = static_cast<int32_t>(bytes.size());
    if (FIsDragging && effect == Qt::MoveAction) {
        // Only the very range the drag took can move; anything else arrives as a copy.
        if (count == FDragCount && FSelAnchor != -1 && FSelFirst == FDragFirst &&
            GetSelCount() == FDragCount) {
            MoveDraggedData(bytes, pos);
            return true;
        }
        effect = Qt::CopyAction;
    }
    const int32_t size = GetDataSize();
    int32_t placed = count;
    if (pos >= size) {
        // No room behind the end of a fixed-size data.
        if (IsFileSizeFixed()) return false;
        AppendBuffer(bytes.data(), count, kDataDropped, true);
    } else if (!IsFileSizeFixed()) {
        if (IsSelected(pos))
            ReplaceSelection(bytes.data(), count, kDataDropped, true);
        else
            InsertBuffer(bytes.data(), count, pos, kDataDropped, true);
    } else if (GetSelCount() > 0 && IsSelected(pos)) {
        ReplaceSelection(bytes.data(), count, kDataDropped, true);
    } else {
        placed = Replace(bytes.data(), pos, count, count, kDataDropped, false);
    }
    OverwriteKeepsTheSource(*this, effect);
    return placed > 0;
}

void TOrixHexEditorEx::MoveDraggedData(const std::string& bytes, int32_t pos) {
    const auto count = static_cast<int32_t>(bytes.size());
    const int32_t first = FDragFirst;
    FDataMovedInternally = true;
    // Anywhere from the range's start to just behind it, the bytes stay where they are.
    if (pos >= first && pos <= first + count) return;
    const QScopedValueRollback<bool> override(FSizeChangeOverride, true);
    const int32_t records = FUndoStore->RecordCount();
    try {
        // The copy first: whatever fails after it, no byte is lost.
        InsertBuffer(bytes.data(), count, pos, kDataDropped, true);
        const int32_t from = pos < first ? first + count : first;
        SetSelection(from, from, from + count - 1);
        DeleteSelection("");
    } catch (...) {
        // Back to the data as it was before the drop.
        try {
            for (int32_t n = FUndoStore->RecordCount() - records; n > 0; --n)
                if (!FUndoStore->Undo()) break;
            FUndoStore->ResetRedo();
        } catch (...) {
        }
        throw;
    }
    CombineUndo(2, kDataMoved);
    const int32_t at = pos > first ? pos - count : pos;
    MoveCaretTo(at + count - 1, GetInCharField());
    SetSelection(at, at, at + count - 1);
    viewport()->update();
    SelectionChanged();
}

// ---------------------------------------------------------------- drag source

int32_t TOrixHexEditorEx::DragThreshold() {
    return QApplication::startDragDistance();
}

TOrixHexEditorEx::TDragExec& TOrixHexEditorEx::DragExec() {
    static TDragExec exec = [](QDrag* drag, Qt::DropActions allowed, Qt::DropAction preferred) {
        return drag->exec(allowed, preferred);
    };
    return exec;
}

void TOrixHexEditorEx::ArmDrag(TMouseButton button, int32_t x, int32_t y) {
    if (!FOleDragDrop || button != TMouseButton::mbLeft) return;
    if (!CursorOverSelection(x, y) || Selecting()) return;
    FMaybeDrag = true;
    FIsDragging = false;
    FDragStartX = x;
    FDragStartY = y;
}

void TOrixHexEditorEx::MouseMove(TShiftState shift, int32_t x, int32_t y) {
    TCustomOrixHexEditor::MouseMove(shift, x, y);
    if (!FOleDragDrop || !(shift & ssLeft) || FIsDragging || !FMaybeDrag) return;
    if (!CursorOverSelection(x, y) || Selecting()) return;
    const int32_t threshold = DragThreshold();
    if (std::abs(x - FDragStartX) >= threshold || std::abs(y - FDragStartY) >= threshold)
        StartOLEDrag();
}

void TOrixHexEditorEx::StartOLEDrag() {
    FMaybeDrag = false;
    FIsDragging = true;
    FDataMovedInternally = false;
    FDragFirst = FSelFirst;
    FDragCount = GetSelCount();
    const QPointer<TOrixHexEditorEx> self(this);
    struct Reset {
        const QPointer<TOrixHexEditorEx>& editor;
        ~Reset() {
            if (!editor) return;
            editor->FIsDragging = false;
            editor->FDataMovedInternally = false;
            editor->FResetSelOnMouseUp = false;
            editor->FDragFirst = -1;
            editor->FDragCount = 0;
            editor->FDropTarget->StopMarker();
            // The loop took the button's release.
            editor->ButtonReleasedElsewhere();
        }
    } reset{self};
    const int32_t first = FDragFirst, count = FDragCount;
    // The drag owns the data object. It is no child of the control, which the loop may see
    // destroyed while the platform still serves the data.
    TOrixHDataObject* object = TOrixHDataObject::CreateFromStream(
        &FDataStore, first, count, CutUtf8(ExtractFileName(FDocumentName), 255),
        FClipboardAsHexText, GetSwapNibbles());
    auto* drag = new QDrag(QCoreApplication::instance());
    drag->setMimeData(object);
    const Qt::DropActions allowed =
        ReadOnlyView ? Qt::DropActions(Qt::CopyAction) : (Qt::CopyAction | Qt::MoveAction);
    const Qt::DropAction result =
        DragExec()(drag, allowed, ReadOnlyView ? Qt::CopyAction : Qt::MoveAction);
    if (!self || result != Qt::MoveAction || FDataMovedInternally) return;
    // Moved to another program: the bytes go here, when they are still the dragged ones.
    if (ReadOnlyView || IsFileSizeFixed()) return;
    if (FSelAnchor == -1 || FSelFirst != first || GetSelCount() != count) return;
    DeleteSelection("");
}

// ---------------------------------------------------------------- Qt's drag events

void TOrixHexEditorEx::dragEnterEvent(QDragEnterEvent* event) {
    Qt::DropAction effect = event->proposedAction();
    bool accepted = false;
    Guarded([&] {
        accepted =
            FDropTarget->DragEnter(event->mimeData(), KeysOf(*event), event->possibleActions(),
                                   event->position().toPoint(), effect);
    });
    // Accepted data keeps the moves coming, even where the drop itself is refused.
    event->setDropAction(accepted ? effect : Qt::IgnoreAction);
    event->setAccepted(accepted);
}

void TOrixHexEditorEx::dragMoveEvent(QDragMoveEvent* event) {
    Qt::DropAction effect = event->proposedAction();
    Guarded([&] {
        FDropTarget->DragOver(KeysOf(*event), event->possibleActions(), event->position().toPoint(),
                              effect);
    });
    Answer(*event, true, effect);
}

void TOrixHexEditorEx::dragLeaveEvent(QDragLeaveEvent* event) {
    Guarded([&] { FDropTarget->DragLeave(); });
    event->accept();
}

void TOrixHexEditorEx::dropEvent(QDropEvent* event) {
    Qt::DropAction effect = event->proposedAction();
    bool placed = false;
    Guarded([&] {
        placed = FDropTarget->Drop(event->mimeData(), KeysOf(*event), event->possibleActions(),
                                   event->position().toPoint(), effect);
    });
    Answer(*event, placed, effect);
}
