#include "orix_hex_editor_ex.h"

#include "atomic_file.h"
#include "sysutils.h"
#include "virtual_keys.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The standard edit commands, in the order their actions are tested: the action class, the
// key that runs the command with Ctrl (0 for none), when the command is enabled, and what it
// runs (with its result).
struct TEditActionRule {
    bool (*Matches)(const TBasicAction* action);
    uint16_t CtrlKey;
    bool (*Enabled)(TOrixHexEditorEx& editor);
    bool (*Execute)(TOrixHexEditorEx& editor);
};

template <class TAction> bool IsAction(const TBasicAction* action) {
    return dynamic_cast<const TAction*>(action) != nullptr;
}

using E = TOrixHexEditorEx;
const TEditActionRule kEditActions[] = {
    {IsAction<TEditCut>, 'X', [](E& e) { return e.CanCut(); }, [](E& e) { return e.CBCut(); }},
    {IsAction<TEditCopy>, 'C', [](E& e) { return e.CanCopy(); }, [](E& e) { return e.CBCopy(); }},
    {IsAction<TEditPaste>, 'V', [](E& e) { return e.CanPaste(); },
     [](E& e) { return e.CBPaste(); }},
    // A host may run an action without asking whether it is enabled: delete and undo refuse
    // a read-only view themselves, as cut and paste do.
    {IsAction<TEditDelete>, 0, [](E& e) { return e.CanCut(); },
     [](E& e) {
         if (e.GetReadOnlyView()) return false;
         e.DeleteSelection("Cut to clipboard");
         return true;
     }},
    {IsAction<TEditUndo>, 'Z', [](E& e) { return e.GetCanUndo(); },
     [](E& e) { return !e.GetReadOnlyView() && e.Undo(); }},
    {IsAction<TEditSelectAll>, 'A', [](E& e) { return e.GetDataSize() > 0; },
     [](E& e) {
         e.SelectAll();
         return true;
     }},
};

const TEditActionRule* EditActionRule(const TBasicAction* action) {
    for (const TEditActionRule& rule : kEditActions)
        if (rule.Matches(action)) return &rule;
    return nullptr;
}
} // namespace

TOrixHexEditorEx::TOrixHexEditorEx(QWidget* parent) : TCustomOrixHexEditor(parent) {
    FPrintFont = font();
    // Characters of an input method arrive as committed text (inputMethodEvent).
    setAttribute(Qt::WA_InputMethodEnabled);
    // This editor is always built from its window's description, whose reading ends with
    // Loaded: it starts as an empty "Untitled" document, so data loaded before the window is
    // shown stays.
    Loaded();
}

int32_t TOrixHexEditorEx::EndUpdate() {
    if (FPaintLockCount > 0) --FPaintLockCount;
    if (FPaintLockCount == 0) viewport()->update();
    return FPaintLockCount;
}

void TOrixHexEditorEx::WriteBuffer(const void* buffer, int32_t index, int32_t count) {
    TCustomOrixHexEditor::WriteBuffer(buffer, index, count);
    FModifiedFlag = true;
    if (FUndoStore->UpdateLevel() > 0) FUndoGroupChanged = true;
}

void TOrixHexEditorEx::Paint(TCanvas& canvas) {
    if (FPaintLockCount == 0) TCustomOrixHexEditor::Paint(canvas);
}

// ---------------------------------------------------------------- undo

void TOrixHexEditorEx::CreateRangeUndo(int32_t position, int32_t count,
                                       const std::string& description) {
    const bool modified = FModifiedFlag;
    try {
        if (count >= 1)
            CreateUndo(ufKindReplace, position, count, count, description);
        else
            CreateUndo(ufKindAllData, 0, 0, 0, description);
    } catch (...) {
        FModifiedFlag = modified;
        throw;
    }
    FModifiedFlag = modified;
}

int32_t TOrixHexEditorEx::UndoBeginUpdate(const std::string& description) {
    if (FUndoStore->UpdateLevel() < 1) {
        FGroupRecordMade = false;
        if (FUndoGroupActive || !description.empty()) {
            FUndoGroupActive = true;
            // A copy of all data as it is before the group: the group's one undo step.
            CreateRangeUndo(0, 0, description);
            FUndoGroupChanged = false;
            FGroupRecordMade = true;
        }
    }
    return TCustomOrixHexEditor::UndoBeginUpdate();
}

int32_t TOrixHexEditorEx::UndoEndUpdate() {
    const bool closing = FUndoStore->UpdateLevel() == 1;
    // The group record covers every change of its group.
    if (closing && FGroupRecordMade) FUnrecordedChange = false;
    const int32_t level = TCustomOrixHexEditor::UndoEndUpdate();
    if (closing && level < 1 && FGroupRecordMade) {
        FGroupRecordMade = false;
        if (FUndoGroupChanged)
            FUndoGroupChanged = false;
        else
            FUndoStore->RemoveLastUndo();
    }
    return level;
}

bool TOrixHexEditorEx::CanCreateUndo(TOrixHUndoFlag kind, int32_t count, int32_t replCount) {
    const bool granted = TCustomOrixHexEditor::CanCreateUndo(kind, count, replCount);
    if (granted && FUndoStore->UpdateLevel() > 0) FUndoGroupChanged = true;
    return granted;
}

bool TOrixHexEditorEx::DumpUndoStorage(const std::string& fileName) {
    if (!FUndoStore) return false;
    try {
        // Replaced atomically: no half-written dump.
        TAtomicFile file(fileName);
        const auto size = static_cast<size_t>(FUndoStore->GetSize());
        return file.IsOpen() && (size == 0 || file.Write(FUndoStore->Memory(), size)) &&
               file.Commit();
    } catch (...) {
        return false;
    }
}

// ---------------------------------------------------------------- bookmarks, files, paste

void TOrixHexEditorEx::BookmarkChanged() {
    if (!FSettingBookmarks) TCustomOrixHexEditor::BookmarkChanged();
}

std::string TOrixHexEditorEx::BackupName() const {
    if (!FCreateBackup || !GetModified() || !FileExists(FDocumentName)) return {};
    const std::string backup = FDocumentName + FBackupExtension;
    // A backup under the document's own name (an empty extension, or a name that leads to the
    // document) would take the document away with the old backup.
    struct stat document {};
    struct stat old {};
    if (::stat(backup.c_str(), &old) == 0 && ::stat(FDocumentName.c_str(), &document) == 0 &&
        old.st_dev == document.st_dev && old.st_ino == document.st_ino)
        throw EOrixHexEditor(Format("Cannot create backup %s. (%s)", backup.c_str(),
                                    "The backup would be the document itself"));
    return backup;
}

void TOrixHexEditorEx::PrepareOverwriteDiskFile() {
    TCustomOrixHexEditor::PrepareOverwriteDiskFile();
    // Refused before anything is written: a backup that would be the document itself.
    BackupName();
}

void TOrixHexEditorEx::CommitDiskFile(TAtomicFile& file, const std::string& fileName) {
    const std::string backup = fileName == FDocumentName ? BackupName() : std::string();
    if (backup.empty()) {
        TCustomOrixHexEditor::CommitDiskFile(file, fileName);
        return;
    }
    // The new file is complete on disk: only now does the old one make room for it, so that a
    // failed or cancelled save leaves it under its own name.
    if (FileExists(backup) && ::unlink(backup.c_str()) != 0)
        throw EOrixHexEditor(
            Format("Cannot delete previous backup %s. (%s)", backup.c_str(), std::strerror(errno)));
    const std::string& old = file.Target();
    if (::rename(old.c_str(), backup.c_str()) != 0)
        throw EOrixHexEditor(
            Format("Cannot create backup %s. (%s)", backup.c_str(), std::strerror(errno)));
    if (!file.Commit()) {
        // The old file back under its own name.
        ::rename(backup.c_str(), old.c_str());
        throw EFCreateError(Format("Cannot create file %s", fileName.c_str()));
    }
}

void TOrixHexEditorEx::Save() {
    if (!FHasDiskFile) throw EOrixHexEditor("No filename specified");
    SaveToFile(FDocumentName, true);
}

void TOrixHexEditorEx::PasteData(const void* buffer, int32_t count, const std::string& undoDesc) {
    if (!buffer || count <= 0) return;
    if (GetSelCount() == 0) {
        int32_t p = GetPosAtCursor(Col(), Row());
        const bool field = FCaretInCharField;
        if (p % BytesPerUnit != 0) {
            p = p / BytesPerUnit * BytesPerUnit;
            MoveCaretTo(p, field);
        }
        if (NoSizeChange && p < GetDataSize()) {
            const int64_t last =
                std::min<int64_t>(static_cast<int64_t>(p) + count - 1, GetDataSize() - 1);
            SetSelection(p, p, static_cast<int32_t>(last));
        }
    }
    ReplaceSelection(buffer, count, undoDesc, true);
}

// ---------------------------------------------------------------- keyboard

bool TOrixHexEditorEx::IsOwnShortcut(uint16_t key, TShiftState shift) const {
    const bool ctrl = shift == ssCtrl;
    const bool ctrlShift = shift == (ssCtrl | ssShift);
    if (ctrl && (key == 'A' || key == 'C' || key == 'X' || key == 'V' || key == 'Z' || key == 'T'))
        return true;
    if (ctrlShift && key == 'Z') return true;
    if ((ctrl || ctrlShift) && key >= '0' && key <= '9') return true;
    // The editing and moving keys, also with Ctrl or Shift.
    if ((shift & ~(ssCtrl | ssShift)) == 0) switch (key) {
        case VK_BACK:
        case VK_TAB:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_END:
        case VK_HOME:
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
        case VK_INSERT:
        case VK_DELETE:
            return true;
        default:
            break;
        }
    return false;
}

bool TOrixHexEditorEx::event(QEvent* e) {
    if (e->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(e);
        TShiftState shift = 0;
        if (key->modifiers() & Qt::ShiftModifier) shift |= ssShift;
        if (key->modifiers() & Qt::ControlModifier) shift |= ssCtrl;
        if (key->modifiers() & Qt::AltModifier) shift |= ssAlt;
        if (IsOwnShortcut(VirtualKeyOf(*key), shift)) {
            // Taken here: the key reaches KeyDown instead of a shortcut of the window.
            e->accept();
            return true;
        }
    }
    return TCustomOrixHexEditor::event(e);
}

void TOrixHexEditorEx::KeyDown(uint16_t& key, TShiftState shift) {
    TCustomOrixHexEditor::KeyDown(key, shift);
    if (shift == ssCtrl) {
        // Key 0 (a handler of OnKeyDown took the key) runs nothing.
        for (const TEditActionRule& rule : kEditActions) {
            if (rule.CtrlKey == 0 || rule.CtrlKey != key) continue;
            if (rule.Enabled(*this)) rule.Execute(*this);
            break;
        }
    } else if (shift == (ssShift | ssCtrl) && key == 'Z') {
        if (GetCanRedo()) Redo();
    }
}

// ---------------------------------------------------------------- mouse

int TOrixHexEditorEx::FontPoints() const {
    const QFont& f = font();
    if (f.pointSize() > 0) return f.pointSize();
    // A font given in pixels (as the form gives it): its size in points on this screen.
    return std::max(1, qRound(f.pixelSize() * 72.0 / std::max(1, logicalDpiY())));
}

bool TOrixHexEditorEx::DoMouseWheelDown(TShiftState shift, QPoint position) {
    if (FZoomOnWheel) {
        if (shift == ssCtrl && BytesPerRow > 1) {
            SetBytesPerRow(BytesPerRow - 1);
            viewport()->update();
            return true;
        }
        if (shift == (ssShift | ssCtrl) && FontPoints() > 2) {
            QFont f = font();
            f.setPointSize(FontPoints() - 1);
            setFont(f);
            return true;
        }
    }
    return TCustomOrixHexEditor::DoMouseWheelDown(shift, position);
}

bool TOrixHexEditorEx::DoMouseWheelUp(TShiftState shift, QPoint position) {
    if (FZoomOnWheel) {
        if (shift == ssCtrl && BytesPerRow < 256) {
            SetBytesPerRow(BytesPerRow + 1);
            viewport()->update();
            return true;
        }
        if (shift == (ssShift | ssCtrl)) {
            QFont f = font();
            f.setPointSize(FontPoints() + 1);
            setFont(f);
            return true;
        }
    }
    return TCustomOrixHexEditor::DoMouseWheelUp(shift, position);
}

void TOrixHexEditorEx::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    FLastPress = QPoint(x, y);
    const int32_t anchor = FSelAnchor, first = FSelFirst, last = FSelLast;
    TCustomOrixHexEditor::MouseDown(button, shift, x, y);
    ArmDrag(button, x, y);
    if (!(shift & ssDouble)) return;
    // The press handling drops the selection: the double click's own comes back, or, when it
    // selected nothing, the one there was.
    if (FDblClickSelection && FDblClickPos >= 0 && FDblClickPos < GetDataSize()) {
        NewSelection(FDblClickPos, FDblClickPos);
        FResetSelOnMouseUp = false;
    } else if (anchor != -1) {
        SetSelection(anchor, first, last);
        viewport()->update();
    }
}

void TOrixHexEditorEx::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    if (FDblClickSelection) {
        FDblClickSelection = false;
        FResetSelOnMouseUp = false;
    }
    TCustomOrixHexEditor::MouseUp(button, shift, x, y);
    // A press on the selection that did not become a drag arms no later one.
    FIsDragging = false;
    FMaybeDrag = false;
}

void TOrixHexEditorEx::DblClick() {
    int32_t x = FLastPress.x(), y = FLastPress.y();
    const TGridCoord cell = CheckMouseCoord(x, y);
    FDblClickPos = -1;
    if (cell.X >= kFirstHexCol && cell.Y >= kFirstDataRow) {
        const int32_t p = GetPositionAtCursor(cell.X, cell.Y);
        if (p >= 0 && p < GetDataSize()) {
            FDblClickPos = p;
            NewSelection(p, p);
            FDblClickSelection = true;
            FResetSelOnMouseUp = false;
        }
    }
    if (OnDblClick) OnDblClick(this);
}

// ---------------------------------------------------------------- menus

void TOrixHexEditorEx::WatchMenu(TPopupMenu* menu, TPopupMenu*& field) {
    field = menu;
    if (!menu) return;
    menu->setLayoutDirection(layoutDirection());
    connect(menu, &QObject::destroyed, this, [this, menu] {
        if (FOffsetPopupMenu == menu) FOffsetPopupMenu = nullptr;
        if (FPopupMenu == menu) FPopupMenu = nullptr;
    });
}

void TOrixHexEditorEx::SetOffsetPopupMenu(TPopupMenu* menu) {
    WatchMenu(menu, FOffsetPopupMenu);
}

void TOrixHexEditorEx::SetPopupMenu(TPopupMenu* menu) {
    WatchMenu(menu, FPopupMenu);
}

void TOrixHexEditorEx::DoContextPopup(QPoint position, bool& handled) {
    if (OnContextPopup) OnContextPopup(this, position, handled);
    if (handled || !FOffsetPopupMenu) return;
    const int32_t x = position.x(), y = position.y();
    const bool onOffsets = x >= 0 && x < int64_t{ColWidth(kGutterCol)} + ColWidth(kSpacerCol);
    const bool onRuler = y >= 0 && y < RowHeight(kRulerRow) + RowHeight(kSecondFixedRow);
    if (!(onOffsets || onRuler) || !FOffsetPopupMenu->AutoPopup) return;
    handled = true;
    StopSelecting();
    FOffsetPopupMenu->popup(viewport()->mapToGlobal(position));
}

void TOrixHexEditorEx::contextMenuEvent(QContextMenuEvent* event) {
    // A menu asked for from the keyboard has no point and never shows the offset menu.
    const QPoint position =
        event->reason() == QContextMenuEvent::Keyboard ? QPoint(-1, -1) : event->pos();
    bool handled = false;
    Guarded([&] { DoContextPopup(position, handled); });
    if (!handled && FPopupMenu && FPopupMenu->AutoPopup) {
        const QPoint at = position.x() < 0 ? viewport()->mapToGlobal(QPoint(0, 0))
                                           : viewport()->mapToGlobal(position);
        FPopupMenu->popup(at);
        handled = true;
    }
    if (handled)
        event->accept();
    else
        event->ignore();
}

// ---------------------------------------------------------------- standard edit actions

bool TOrixHexEditorEx::ExecuteAction(TBasicAction* action) {
    const TEditActionRule* rule = EditActionRule(action);
    return rule && rule->Execute(*this);
}

bool TOrixHexEditorEx::UpdateAction(TBasicAction* action) {
    if (!hasFocus()) return false;
    auto* edit = dynamic_cast<TEditAction*>(action);
    const TEditActionRule* rule = EditActionRule(action);
    if (!edit || !rule) return false;
    edit->Enabled = rule->Enabled(*this);
    return true;
}
