#pragma once
// TOrixHexEditorEx: the hex editor the main window places (as FlashEditor). It adds to the
// core control the undo and select-all shortcuts, zoom with the wheel, a backup copy when a
// file is saved over, a paint lock, undo groups that carry a description, the common end of
// paste and drop (PasteData), a popup menu for the offset column and the ruler, double-click
// selection and the standard edit actions.
// The clipboard commands (CBCopy, CBCut, CBPaste and their Can* queries), drag and drop,
// printing and the bookmarks and properties as text are in blocks of their own at the end.
#include "actions.h"
#include "orix_hex_clipboard_data.h"
#include "orix_hex_clipboard_import.h"
#include "orix_hex_dragdrop.h"
#include "orix_hex_editor.h"
#include "orix_hprint_options.h"

#include <QContextMenuEvent>
#include <QDrag>
#include <QDropEvent>
#include <QPointer>
#include <array>
#include <memory>
#include <string>

class TMetafile;
class TOrixHexEditorEx;
// Asked for every path that the table of public properties holds; IsPublic comes in True.
using TOrixHQueryPublicPropertyEvent =
    std::function<void(TOrixHexEditorEx* sender, const std::string& propertyName, bool& isPublic)>;

class TOrixHexEditorEx : public TCustomOrixHexEditor {
    Q_OBJECT
    Q_PROPERTY(bool CreateBackup READ GetCreateBackup WRITE SetCreateBackup)
    Q_PROPERTY(QString BackupExtension READ GetBackupExtensionQ WRITE SetBackupExtensionQ)
    Q_PROPERTY(bool UseEditorFontForPrinting MEMBER FUseEditorFontForPrinting)
    Q_PROPERTY(bool ClipboardAsHexText MEMBER FClipboardAsHexText)
    Q_PROPERTY(bool FlushClipboardAtShutDown MEMBER FFlushClipboardAtShutDown)
    Q_PROPERTY(bool SupportsOtherClipFormats MEMBER FSupportsOtherClipFormats)
    Q_PROPERTY(bool ZoomOnWheel MEMBER FZoomOnWheel)
    Q_PROPERTY(QFont PrintFont READ GetPrintFont WRITE SetPrintFont)
    Q_PROPERTY(QObject* PrintOptions READ GetPrintOptionsObject WRITE SetPrintOptions)
public:
    explicit TOrixHexEditorEx(QWidget* parent = nullptr);

    bool GetCreateBackup() const { return FCreateBackup; }
    void SetCreateBackup(bool value) { FCreateBackup = value; }
    const std::string& GetBackupExtension() const { return FBackupExtension; }
    void SetBackupExtension(const std::string& value) { FBackupExtension = value; }
    bool GetZoomOnWheel() const { return FZoomOnWheel; }
    const QFont& GetPrintFont() const { return FPrintFont; }
    // The print font takes the value without ending UseEditorFontForPrinting (form reading).
    void SetPrintFontFrom(const QFont& font) { FPrintFont = font; }
    void SetZoomOnWheel(bool value) { FZoomOnWheel = value; }

    // Paint lock: while held, painting is skipped; never below 0. Both return the depth.
    int32_t BeginUpdate() { return ++FPaintLockCount; }
    int32_t EndUpdate();
    int32_t PaintLockCount() const { return FPaintLockCount; }

    void WriteBuffer(const void* buffer, int32_t index, int32_t count) override;

    // Undo: a range step that leaves the modified flag alone, groups with a description.
    void CreateRangeUndo(int32_t position, int32_t count, const std::string& description);
    using TCustomOrixHexEditor::UndoBeginUpdate;
    int32_t UndoBeginUpdate(const std::string& description);
    int32_t UndoEndUpdate() override;
    bool CanCreateUndo(TOrixHUndoFlag kind, int32_t count, int32_t replCount) override;
    bool DumpUndoStorage(const std::string& fileName);
    bool UndoGroupActive() const { return FUndoGroupActive; }

    void BookmarkChanged() override;
    void PrepareOverwriteDiskFile() override;
    void CommitDiskFile(TAtomicFile& file, const std::string& fileName) override;
    void Save();
    // The common end of paste and drop: replaces the selection, or inserts at the caret's
    // unit (overwrites there when the size is fixed); the new bytes end selected.
    void PasteData(const void* buffer, int32_t count, const std::string& undoDesc);

    using TCustomOrixHexEditor::KeyDown;
    void KeyDown(uint16_t& key, TShiftState shift) override;
    // The keys this control handles itself, so that no shortcut of its window takes them.
    bool IsOwnShortcut(uint16_t key, TShiftState shift) const;

    TPopupMenu* GetOffsetPopupMenu() const { return FOffsetPopupMenu; }
    void SetOffsetPopupMenu(TPopupMenu* menu);
    // The ordinary context menu, shown where the offset menu is not.
    TPopupMenu* GetPopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* menu);
    void DoContextPopup(QPoint position, bool& handled);

    bool ExecuteAction(TBasicAction* action);
    bool UpdateAction(TBasicAction* action);

    std::function<void(TOrixHexEditorEx* sender)> OnDblClick;
    std::function<void(TOrixHexEditorEx* sender, QPoint position, bool& handled)> OnContextPopup;

protected:
    void Paint(TCanvas& canvas) override;
    // The font's size in points (Size in the class library), also for a font set in pixels.
    int FontPoints() const;
    bool DoMouseWheelDown(TShiftState shift, QPoint position) override;
    bool DoMouseWheelUp(TShiftState shift, QPoint position) override;
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void DblClick() override;
    bool event(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    QString GetBackupExtensionQ() const { return QString::fromStdString(FBackupExtension); }
    void SetBackupExtensionQ(const QString& value) { FBackupExtension = value.toStdString(); }
    // Watches a menu: when it is freed, the reference goes.
    void WatchMenu(TPopupMenu* menu, TPopupMenu*& field);

    bool FCreateBackup = true;
    std::string FBackupExtension = ".bak";
    QFont FPrintFont;
    bool FUseEditorFontForPrinting = true;
    bool FClipboardAsHexText = false;
    bool FFlushClipboardAtShutDown = false;
    bool FSupportsOtherClipFormats = true;
    TPopupMenu* FOffsetPopupMenu = nullptr;
    TPopupMenu* FPopupMenu = nullptr;
    bool FZoomOnWheel = true;
    int32_t FPaintLockCount = 0;
    bool FDblClickSelection = false;
    bool FSettingBookmarks = false;
    bool FUndoGroupActive = false;
    bool FUndoGroupChanged = false;
    // The open outermost group made a group record (only that one may be taken off again).
    bool FGroupRecordMade = false;
    // Where the last mouse press was, and the position a double click selected there.
    QPoint FLastPress;
    int32_t FDblClickPos = -1;

    // ---- drag and drop: the control as drop target and as drag source (orix_hex_dragdrop.cpp)
    Q_PROPERTY(bool OleDragDrop READ GetOleDragDrop WRITE SetOleDragDrop)
public:
    bool GetOleDragDrop() const { return FOleDragDrop; }
    void SetOleDragDrop(bool value);
    TOrixHDropTarget& DropTarget() { return *FDropTarget; }
    // The action a drag over the control takes: from the keys held and whose drag it is, then
    // limited to what the source allows (a copy when the wanted action is not allowed).
    void ModifyOLEDropEffect(TShiftState keyState, Qt::DropActions allowed, Qt::DropAction& effect);
    // Puts dropped bytes at the drop marker. False when nothing was placed; a move onto data of
    // fixed size, which only overwrites, is reported as a copy, so the source keeps its data.
    bool PlaceDroppedData(const std::string& bytes, Qt::DropAction& effect);
    bool IsDragging() const { return FIsDragging; }
    bool MaybeDrag() const { return FMaybeDrag; }
    // How far the pointer must travel from the press, in either direction, to start a drag.
    static int32_t DragThreshold();
    // The drag loop: QDrag::exec with the allowed actions and the preferred one. It takes the
    // drag over: Qt frees it once the drop is over, on X11 only after the target has fetched
    // the data, which may be after the loop returned. Replaceable, since on a platform without
    // a pointer the real loop returns at once.
    using TDragExec = std::function<Qt::DropAction(QDrag* drag, Qt::DropActions allowed,
                                                   Qt::DropAction preferred)>;
    static TDragExec& DragExec();

protected:
    friend class TOrixHDropTarget;
    void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
    // The drag source's parts of the mouse handlers.
    void ArmDrag(TMouseButton button, int32_t x, int32_t y);
    void StartOLEDrag();
    // A move of the dragged bytes to pos inside the data, as one undo step.
    void MoveDraggedData(const std::string& bytes, int32_t pos);
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

    bool FOleDragDrop = false;
    std::unique_ptr<TOrixHDropTarget> FDropTarget = std::make_unique<TOrixHDropTarget>(this);
    bool FMaybeDrag = false;
    bool FIsDragging = false;
    int32_t FDragStartX = 0;
    int32_t FDragStartY = 0;
    bool FDataMovedInternally = false;
    // The range the running drag carries, as it was when the drag started.
    int32_t FDragFirst = -1;
    int32_t FDragCount = 0;

    // ---- clipboard: copy, cut, paste, the import of offered data
    // (orix_hex_clipboard_commands.cpp)
public:
    bool CanCopy();
    bool CanCut();
    bool CanPaste();
    bool CBCopy();
    bool CBCut();
    bool CBPaste();
    // The clipboard still holds the data object this control put there last.
    bool OwnsClipBoard() const;
    // When owned: with flush the data stays on the clipboard, otherwise it is emptied.
    void ReleaseClipboard(bool flush);
    TClipFormats GetMyOLEFormats() const { return OrixHClipFormats(FSupportsOtherClipFormats); }
    bool SupportsOLEData(const QMimeData* data, Qt::DropAction& effect,
                         TOrixHOLEOperation operation);
    // The import of offered data; the clipboard's is pasted. Effect becomes Qt::IgnoreAction
    // when nothing is imported.
    bool InsertOLEData(const TOrixHMimeSource& source, Qt::DropAction& effect,
                       TOrixHOLEOperation operation);
    // The bytes an import hands over: format choice, conversion, whole units. Empty when the
    // data gives none or the chosen format is gone.
    std::string ImportOLEData(const TOrixHMimeSource& source, Qt::DropAction& effect,
                              TOrixHOLEOperation operation);
    bool GetClipboardAsHexText() const { return FClipboardAsHexText; }
    void SetClipboardAsHexText(bool value) { FClipboardAsHexText = value; }
    bool GetFlushClipboardAtShutDown() const { return FFlushClipboardAtShutDown; }
    void SetFlushClipboardAtShutDown(bool value) { FFlushClipboardAtShutDown = value; }
    bool GetSupportsOtherClipFormats() const { return FSupportsOtherClipFormats; }
    void SetSupportsOtherClipFormats(bool value) { FSupportsOtherClipFormats = value; }
    TClipFormat OLEFormat(TOrixHOLEOperation operation) const { return FOLEFormats[operation]; }

protected:
    // The clipboard owns the object; this only recognises it, and goes null when it is gone.
    QPointer<TOrixHDataObject> FClipboardDataObject;
    std::array<TClipFormat, 2> FOLEFormats{};

    // ---- printing: options, font, pages on any canvas or the printer (orix_hex_print.cpp)
public:
    TOrixHPrintOptions& PrintOptions() { return *FPrintOptions; }
    // Assigns into the owned options: only from a TOrixHPrintOptions.
    void SetPrintOptions(QObject* value);
    // Printing uses this font from now on, not the editor's.
    void SetPrintFont(const QFont& value);
    bool GetUseEditorFontForPrinting() const { return FUseEditorFontForPrinting; }
    void SetUseEditorFontForPrinting(bool value) { FUseEditorFontForPrinting = value; }
    // The margins as a rectangle in the printer's pixels, inside its printable area.
    TRect PrinterMarginRect() const;
    // Draws page (from 1) into the rectangle of the canvas; page 0 only counts. Returns the
    // page count.
    int32_t PrintToCanvas(TCanvas& canvas, int32_t page, const TRect& rect);
    // The page drawn at the printer's resolution; page 0 gives an empty page and counts.
    std::unique_ptr<TMetafile> PrintPreview(int32_t page);
    // Draws the page on the printer's current sheet; the host runs the document.
    void Print(int32_t page);
    int32_t PrintNumPages();

protected:
    QObject* GetPrintOptionsObject() const { return FPrintOptions; }
    // A child of the control, so it goes with it.
    TOrixHPrintOptions* FPrintOptions = new TOrixHPrintOptions(this);
    int32_t FPrintPageCount = 0;

    // ---- bookmarks and properties as text (orix_hex_bookmarks_text.cpp,
    // orix_hex_properties_text.cpp)
public:
    // "$" and the ten 8-byte bookmark records; empty when no bookmark is set.
    std::string GetBookmarksAsString();
    // Takes that form, or the checksummed hexadecimal one; the empty text clears all ten.
    void SetBookMarksAsString(const std::string& text);
    // Name=Value lines, each ended by CR LF, for every published property, in published
    // order, that IsPropPublic accepts.
    virtual std::string GetPropertiesAsString();
    // Applies the lines whose names are public, in order, under the paint lock.
    virtual void SetPropertiesAsString(const std::string& text);
    virtual bool IsPropPublic(const std::string& propertyPath);
    // The paths that may travel as text.
    static const std::vector<const char*>& PublicPropertyNames();
    TOrixHQueryPublicPropertyEvent OnQueryPublicProperty;

private:
    // The backup a save over the document makes now ("" for none); refuses one that would be
    // the document itself.
    std::string BackupName() const;

    // Declared last, so destroyed first: the control's end releases the clipboard.
    struct TClipboardRelease {
        TOrixHexEditorEx* Editor;
        ~TClipboardRelease() { Editor->ReleaseClipboard(Editor->FFlushClipboardAtShutDown); }
    } FClipboardRelease{this};
};
