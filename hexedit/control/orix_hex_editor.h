#pragma once
// TCustomOrixHexEditor: the hex editor control. A grid whose rows show an offset gutter, the
// hex digits of the row's bytes (one grid column per nibble) and their characters. It keeps its
// own copy of the data (TOrixHMemoryStream) and draws every pixel itself.
//
// Grid geometry, with B bytes per row: column 0 the offset gutter, column 1 a spacer, columns
// 2 .. 2B+1 the nibbles, column 2B+2 the separator, then one column per character (per UTF-16
// unit in unicode mode). Row 0 is the ruler, row 1 has no height, data row r is grid row r+2.
// The code names these columns and rows (kFirstHexCol, SeparatorCol, FirstCharCol, ...).
#include "bits.h"
#include "byte_find.h"
#include "grid.h"
#include "hex_editor_base.h"
#include "orix_hcolors.h"
#include "orix_hmemory_stream.h"
#include "orix_undo_storage.h"

#include <QEvent>
#include <QImage>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TAtomicFile;
class TCustomOrixHexEditor;

enum TOrixHProgressKind : uint8_t { pkLoad = 0, pkSave = 1, pkFind = 2 };
enum TOrixHCaretKind : uint8_t { ckFull = 0, ckLeft = 1, ckBottom = 2, ckAuto = 3 };

enum TOrixHOffsetFormatFlag : uint8_t {
    offCalcWidth = 1 << 0,
    offCalcRow = 1 << 1,
    offCalcColumn = 1 << 2,
    offBytesPerUnit = 1 << 3,
};

struct TOrixHOffsetFormat {
    std::string OffsetFormatText;
    std::string OffsetPrefix;
    std::string OffsetSuffix;
    int32_t OffsetMinWidth = 1;
    uint8_t OffsetFlags = 0;
    uint8_t OffsetRadix = 16;
    // Parsed units are 1, 2, 4 or 8; a unit that follows BytesPerRow or BytesPerColumn may reach
    // 256, which must not wrap to 0.
    int32_t OffsetUnit = 1;
};

using TNotifyEvent = std::function<void(TCustomOrixHexEditor* sender)>;
using TOrixHProgressEvent =
    std::function<void(TCustomOrixHexEditor* sender, TOrixHProgressKind kind,
                       const std::string& name, uint8_t percent, bool& cancel)>;
using TOrixHGetOffsetTextEvent =
    std::function<void(TCustomOrixHexEditor* sender, int64_t number, std::string& offsetText)>;
using TOrixHDrawCellEvent =
    std::function<void(TCustomOrixHexEditor* sender, TCanvas& canvas, int32_t col, int32_t row,
                       QString& wideText, const TRect& rect, bool& defaultDraw)>;

// A search that replaces the control's own (OnFind, OnWildcardFind): FoundPos comes in as -1
// and goes out as the position found, -1 for none; Wildcard is #0 for Find.
using TOrixHFindEvent = std::function<void(
    TCustomOrixHexEditor* sender, const void* pattern, int32_t patLength, int32_t searchFrom,
    int32_t searchUntil, bool ignoreCase, char wildcard, int32_t& foundPos)>;

// A published property's name and the value below which it is not written to a stored form;
// an invalid QVariant means the property is always written.
struct TOrixHPublishedProperty {
    const char* Name;
    QVariant Default;
};

class TCustomOrixHexEditor : public TCustomGrid, public TOrixHUndoHost {
    Q_OBJECT
    Q_PROPERTY(int BytesPerRow READ GetBytesPerRow WRITE SetBytesPerRow)
    Q_PROPERTY(int BytesPerColumn READ GetBytesPerColumn WRITE SetBytesPerColumn)
    Q_PROPERTY(bool AutoBytesPerRow READ GetAutoBytesPerRow WRITE SetAutoBytesPerRow)
    Q_PROPERTY(TOrixHTranslationKind Translation READ GetTranslation WRITE SetTranslation)
    Q_PROPERTY(QString OffsetFormat READ GetOffsetFormatQ WRITE SetOffsetFormatQ)
    Q_PROPERTY(TOrixHCaretKind CaretKind READ GetCaretKind WRITE SetCaretKind)
    Q_PROPERTY(QObject* Colors READ GetColorsObject)
    Q_PROPERTY(bool FocusFrame READ GetFocusFrame WRITE SetFocusFrame)
    Q_PROPERTY(bool SwapNibbles READ GetSwapNibbles WRITE SetSwapNibbles)
    Q_PROPERTY(char MaskChar READ GetMaskChar WRITE SetMaskChar STORED false)
    Q_PROPERTY(bool NoSizeChange READ GetNoSizeChange WRITE SetNoSizeChange)
    Q_PROPERTY(bool AllowInsertMode READ GetAllowInsertMode WRITE SetAllowInsertMode)
    Q_PROPERTY(bool DrawGridLines READ GetDrawGridLines WRITE SetDrawGridLines)
    Q_PROPERTY(bool WantTabs READ GetWantTabs WRITE SetWantTabs)
    Q_PROPERTY(bool ReadOnlyView READ GetReadOnlyView WRITE SetReadOnlyView)
    Q_PROPERTY(bool HideSelection READ GetHideSelection WRITE SetHideSelection)
    Q_PROPERTY(bool GraySelectionIfNotFocused READ GetGraySelectionIfNotFocused WRITE
                   SetGraySelectionIfNotFocused)
    Q_PROPERTY(int GutterWidth READ GetGutterWidth WRITE SetGutterWidth)
    // Stored only when HasCustomBookmarkBitmap (see PublishedProperties).
    Q_PROPERTY(QImage BookmarkBitmap READ GetBookmarkBitmap WRITE SetBookmarkBitmap)
    Q_PROPERTY(QString Version READ GetVersionQ WRITE SetVersionQ)
    Q_PROPERTY(int MaxUndo READ GetMaxUndo WRITE SetMaxUndo)
    Q_PROPERTY(bool InsertMode READ GetInsertMode WRITE SetInsertMode)
    Q_PROPERTY(bool HexLowerCase READ GetHexLowerCase WRITE SetHexLowerCase)
    Q_PROPERTY(bool DrawGutter3D READ GetDrawGutter3D WRITE SetDrawGutter3D)
    Q_PROPERTY(bool ShowRuler READ GetShowRuler WRITE SetShowRuler)
    Q_PROPERTY(int BytesPerUnit READ GetBytesPerUnit WRITE SetBytesPerUnit)
    Q_PROPERTY(int RulerBytesPerUnit READ GetRulerBytesPerUnit WRITE SetRulerBytesPerUnit)
    Q_PROPERTY(bool ShowPositionIfNotFocused READ GetShowPositionIfNotFocused WRITE
                   SetShowPositionIfNotFocused)
    Q_PROPERTY(bool UnicodeChars READ GetUnicodeChars WRITE SetUnicodeCharacters)
    Q_PROPERTY(bool UnicodeBigEndian READ GetUnicodeBigEndian WRITE SetUnicodeBigEndian)
    Q_PROPERTY(int BytesPerBlock READ GetBytesPerBlock WRITE SetBlockSize)
    Q_PROPERTY(
        bool SeparateBlocksInCharField READ GetSeparateBlocksInCharField WRITE SetSepCharBlocks)
    Q_PROPERTY(bool FindProgress READ GetFindProgress WRITE SetFindProgress)
    Q_PROPERTY(int RulerNumberBase READ GetRulerNumberBase WRITE SetRulerNumberBaseInt)

public:
    explicit TCustomOrixHexEditor(QWidget* parent = nullptr);
    ~TCustomOrixHexEditor() override;

    // The published properties in their order, with their streaming defaults.
    static const std::vector<TOrixHPublishedProperty>& PublishedProperties();
    static const char* const kVersion;

    // ---- grid geometry ----
    // The fixed columns and rows, and where the two fields start. Every cell formula of the
    // control counts from these; the hex field has FHexColumnCount nibble columns, two per byte.
    static constexpr int32_t kGutterCol = 0;      // the offsets (fixed)
    static constexpr int32_t kSpacerCol = 1;      // a narrow gap after the gutter (fixed)
    static constexpr int32_t kFirstHexCol = 2;    // the first nibble of a row
    static constexpr int32_t kRulerRow = 0;       // the ruler (fixed)
    static constexpr int32_t kSecondFixedRow = 1; // fixed, without height
    static constexpr int32_t kFirstDataRow = 2;   // data row r is grid row kFirstDataRow + r
    static constexpr int32_t kFixedCols = kFirstHexCol;
    static constexpr int32_t kFixedRows = kFirstDataRow;
    // The column between the two fields, which never takes the caret; the character field
    // starts right after it.
    int32_t SeparatorCol() const { return kFirstHexCol + FHexColumnCount; }
    int32_t FirstCharCol() const { return SeparatorCol() + 1; }
    int32_t FirstColOfField(bool inCharField) const {
        return inCharField ? FirstCharCol() : kFirstHexCol;
    }

    // ---- content ----
    void LoadFromStream(TStream& stream);
    void LoadFromFile(const std::string& fileName);
    void SaveToStream(TStream& stream);
    void SaveRangeToStream(TStream& stream, int32_t position, int32_t count);
    void SaveToFile(const std::string& fileName, bool unmodify);
    void CreateEmptyFile(const std::string& name);
    void Stream2Stream(TStream& source, TStream& dest, TOrixHProgressKind operation,
                       int32_t count = -1);
    void FreeStorage(bool undo);
    virtual void PrepareOverwriteDiskFile();
    // Puts the written and synced file in place under fileName; a descendant keeps the old
    // one as a backup here, so that nothing is moved before the new file is complete.
    virtual void CommitDiskFile(TAtomicFile& file, const std::string& fileName);
    virtual void Changed();
    int32_t GetDataSize() const;
    bool GetModified() const;
    void SetModified(bool value);
    void ReadBuffer(void* buffer, int32_t index, int32_t count);
    virtual void WriteBuffer(const void* buffer, int32_t index, int32_t count);
    uint8_t GetDataAt(int32_t index);
    void SetDataAt(int32_t index, uint8_t value);
    uint8_t GetMemory(int32_t index) { return GetDataAt(index); }
    void SetMemory(int32_t index, uint8_t value) { SetDataAt(index, value); }
    uint8_t* GetFastPointer(int32_t index, int32_t count);
    void SeekToEOF();
    bool HasChanged(int32_t index) const;
    void SetChanged(int32_t index, bool value);
    bool IsFileSizeFixed() const { return NoSizeChange && !FSizeChangeOverride; }
    bool IsInsertModePossible() const {
        return !IsFileSizeFixed() && AllowInsertMode && !ReadOnlyView;
    }
    bool GetInsertMode() const { return FInsertSwitch && IsInsertModePossible(); }
    void SetInsertMode(bool value);
    const std::string& DocumentName() const { return FDocumentName; }
    bool ReadOnlyFile() const { return FReadOnlyFile; }
    bool HasDiskFile() const { return FHasDiskFile; }
    int32_t ChangedByteMapSize() const { return FChangedByteMap.Size(); }
    TOrixHMemoryStream& DataStore() { return FDataStore; }

    // ---- layout ----
    void AdjustMetrics();
    void CalcSizes();
    int32_t CalcColCount() const;
    int32_t GetLastCharCol() const { return ColCount() - 1; }
    void DoSetCellWidth(int32_t column, int32_t width);
    int32_t GetPropColCount() const { return ColCount(); }
    int32_t GetPropRowCount() const { return RowCount(); }
    int32_t GetTopLeftPosition(bool& inCharField);
    void SetTopLeftPosition(int32_t position, bool inCharField);
    void RecalcBytesPerRow();
    int32_t RowPixelWidth(int32_t bytesPerRow) const;
    // Width of character column c of a row, without the rule for the row's last one.
    int32_t CharColumnWidth(int32_t c) const;
    int32_t GetBytesPerRow() const { return BytesPerRow; }
    void SetBytesPerRow(int32_t value);
    int32_t GetBytesPerColumn() const { return FNibblesPerColumn / 2; }
    void SetBytesPerColumn(int32_t value);
    bool GetAutoBytesPerRow() const { return AutoBytesPerRow; }
    void SetAutoBytesPerRow(bool value);
    int32_t GetBytesPerBlock() const { return BytesPerBlock; }
    void SetBlockSize(int32_t value);
    bool GetSeparateBlocksInCharField() const { return SeparateBlocksInCharField; }
    void SetSepCharBlocks(bool value);
    bool GetUnicodeChars() const { return UnicodeChars; }
    void SetUnicodeCharacters(bool value);
    bool GetUnicodeBigEndian() const { return UnicodeBigEndian; }
    void SetUnicodeBigEndian(bool value);
    int32_t CharPixelWidth() const { return FCharPixelWidth; }
    int32_t CharPixelHeight() const { return FCharPixelHeight; }

    // ---- cells and positions ----
    // The position a cell shows. GetPosAtCursor also records the cell's field as the caret's
    // (FCaretInCharField), which the operations that call it read next; PositionAt and
    // GetPositionAtCursor only ask.
    int32_t GetPosAtCursor(int32_t column, int32_t row);
    int32_t PositionAt(int32_t column, int32_t row) const;
    int32_t GetPositionAtCursor(int32_t column, int32_t row) const {
        return PositionAt(column, row);
    }
    int32_t GetRow(int32_t position) const {
        const int64_t row = position / BytesPerRow + int64_t{kFirstDataRow};
        return static_cast<int32_t>(row > INT32_MAX ? INT32_MAX : row);
    }
    TGridCoord GetCursorAtPos(int32_t position, bool inCharField) const;
    int32_t GetOtherFieldCol(int32_t column);
    int32_t GetOtherFieldColCheck(int32_t column) const;
    bool GetIsCharFieldCol(int32_t column) const { return column > SeparatorCol(); }
    bool GetInCharField();
    void SetInCharField(bool value);
    int32_t GetCursorPos();
    int32_t GetCurrentValue();
    void TruncMaxPosition(int32_t& position) const;
    int32_t Seek(int32_t offset, int32_t origin);
    void CenterCursorPosition();
    bool CheckSelectCell(int32_t column, int32_t row);
    void IntSetCaretPos(int32_t x, int32_t y, int32_t column);
    void CheckSetCaret();
    void CreateCaretGlyph();
    bool CanFocus() const;
    virtual void Loaded();
    bool CaretInCharField() const { return FCaretInCharField; }
    bool ActiveFieldIsChar() const { return FActiveFieldIsChar; }

    // ---- selection, mouse, scrolling ----
    void SetSelection(int32_t anchor, int32_t first, int32_t last);
    void NewSelection(int32_t a, int32_t b);
    void CheckSelectUnit(int32_t& a, int32_t& b) const;
    void CheckUnit(int32_t& position) const;
    bool IsSelected(int32_t position) const {
        return FSelAnchor != -1 && FSelFirst <= position && position <= FSelLast;
    }
    void ResetSelection(bool repaint);
    void Select(int32_t fromCol, int32_t fromRow, int32_t toCol, int32_t toRow);
    void SelectAll();
    int32_t GetSelStart() const;
    void SetSelStart(int32_t position);
    int32_t GetSelEnd() const;
    void SetSelEnd(int32_t position);
    int32_t GetSelCount() const { return FSelAnchor == -1 ? 0 : FSelLast - FSelFirst + 1; }
    void SetSelCount(int32_t count);
    virtual void SelectionChanged();
    int32_t SelFirst() const { return FSelFirst; }
    int32_t SelLast() const { return FSelLast; }
    int32_t SelAnchor() const { return FSelAnchor; }
    bool IsSelectingNow() const { return FSelecting; }
    TGridCoord CheckMouseCoord(int32_t& x, int32_t& y);
    bool MouseOverFixed(int32_t x, int32_t y) const;
    bool CursorOverSelection(int32_t x, int32_t y);
    bool GetMouseOverSelection();
    int32_t ShowDragCell(int32_t x, int32_t y);
    void HideDragCell();
    int32_t DropPosition();
    void WaitCursor();
    void OldCursor();
    void SyncView(TCustomOrixHexEditor& source, int32_t offset);

    // ---- offsets and ruler ----
    std::string GetOffsetFormat() const { return FParsedOffsetFormat.OffsetFormatText; }
    void SetOffsetFormat(const std::string& text);
    void GenerateOffsetFormat(const std::string& text);
    const TOrixHOffsetFormat& ParsedOffsetFormat() const { return FParsedOffsetFormat; }
    virtual std::string GetOffsetString(uint32_t position);
    virtual std::string GetAnyOffsetString(int32_t position);
    void SetOffsetDisplayWidth();
    void UpdateGetOffsetText();
    bool GetHexLowerCase() const { return HexLowerCase; }
    void SetHexLowerCase(bool value);
    bool GetShowRuler() const { return ShowRuler; }
    void SetShowRuler(bool value);
    int32_t GetBytesPerUnit() const { return BytesPerUnit; }
    void SetBytesPerUnit(int32_t value);
    int32_t GetRulerBytesPerUnit() const { return RulerBytesPerUnit; }
    void SetRulerBytesPerUnit(int32_t value);
    int32_t GetRulerNumberBase() const { return RulerNumberBase; }
    void SetRulerNumberBase(uint8_t value);
    void SetRulerString();
    const std::string& HexRulerText() const { return FHexRulerText; }
    const std::string& CharRulerText() const { return FCharRulerText; }
    int32_t OffsetTextWidth() const { return FOffsetTextWidth; }
    int32_t DisplayStart() const;
    int32_t DisplayEnd() const;

    // ---- painting and drawing properties ----
    static TColor InvertColor(TColor color);
    static TColor FadeToGray(TColor color);
    TOrixHColors& Colors() { return *FColors; }
    void SetColors(const TOrixHColors& colors) { FColors->Assign(&colors); }
    bool GetSwapNibbles() const { return SwapNibbles != 0; }
    void SetSwapNibbles(bool value);
    TOrixHCaretKind GetCaretKind() const { return CaretKind; }
    void SetCaretKind(TOrixHCaretKind value);
    bool GetFocusFrame() const { return FocusFrame; }
    void SetFocusFrame(bool value);
    char GetMaskChar() const { return MaskChar; }
    void SetMaskChar(char value);
    bool GetDrawGridLines() const { return DrawGridLines; }
    void SetDrawGridLines(bool value);
    bool GetDrawGutter3D() const { return DrawGutter3D; }
    void SetDrawGutter3D(bool value);
    int32_t GetGutterWidth() const { return GutterWidth; }
    void SetGutterWidth(int32_t value);
    bool GetShowPositionIfNotFocused() const { return ShowPositionIfNotFocused; }
    void SetShowPositionIfNotFocused(bool value);
    QImage GetBookmarkBitmap() const { return BookmarkBitmap; }
    // A null image restores the built-in strip; any other must be 200 x 10 pixels.
    void SetBookmarkBitmap(const QImage& bitmap);
    bool HasCustomBookmarkBitmap() const { return FCustomBookmarkBitmap; }
    static QImage BuiltInBookmarkBitmap();
    const std::vector<QImage>& BookmarkGlyphs() const { return FBookmarkGlyphs; }
    std::string GetVersion() const { return kVersion; }
    void SetVersion(const std::string&) {}
    const TOrixHBookmarks& Bookmarks() const { return FBookmarks; }
    void SetBookmarkRaw(int index, int32_t position, bool inCharField);

    // ---- behaviour properties ----
    bool GetWantTabs() const { return WantTabs; }
    void SetWantTabs(bool value) { WantTabs = value; }
    bool GetReadOnlyView() const { return ReadOnlyView; }
    void SetReadOnlyView(bool value);
    bool GetHideSelection() const { return HideSelection; }
    void SetHideSelection(bool value);
    bool GetGraySelectionIfNotFocused() const { return GraySelectionIfNotFocused; }
    void SetGraySelectionIfNotFocused(bool value);
    bool GetNoSizeChange() const { return NoSizeChange; }
    void SetNoSizeChange(bool value) { SetFixedFileSize(value); }
    bool GetAllowInsertMode() const { return AllowInsertMode; }
    void SetAllowInsertMode(bool value);
    int32_t GetMaxUndo() const { return MaxUndo; }
    void SetMaxUndo(int32_t value) { MaxUndo = value; }
    bool GetFindProgress() const { return FindProgress; }
    void SetFindProgress(bool value) { FindProgress = value; }
    TOrixHTranslationKind GetTranslation() const { return Translation; }
    void SetTranslation(TOrixHTranslationKind value);
    uint8_t TranslateFromAnsiChar(uint8_t c) const;
    uint8_t TranslateToAnsiChar(uint8_t b) const;
    const TOrixHCharSet& GetMaskedChars() const { return MaskedChars; }
    void SetMaskedChars(const TOrixHCharSet& value);
    uint32_t GetDlgCode() const override;

    // Stored-form streaming of MaskChar: "MaskChar" (text, read only) and
    // "MaskChar_AsInteger" (written only when MaskChar is not ".").
    void ReadMaskChar(const QVariant& value);
    void ReadMaskChar_I(const QVariant& value);
    bool WriteMaskChar_I(QVariant& value) const;

    // The events.
    TNotifyEvent OnChange, OnSelectionChanged, OnTopLeftChanged, OnInvalidKey, OnBookmarkChanged;
    TOrixHProgressEvent OnProgress;
    TOrixHGetOffsetTextEvent OnGetOffsetText;
    TOrixHDrawCellEvent OnDrawCell;

    // ---- editing operations, undo, bookmarks, keyboard ----
    void DeleteSelection(const std::string& undoDesc);
    void InsertBuffer(const void* buffer, int32_t size, int32_t position,
                      const std::string& undoDesc, bool moveCursor);
    void AppendBuffer(const void* buffer, int32_t size, const std::string& undoDesc,
                      bool moveCursor);
    void ReplaceSelection(const void* buffer, int32_t size, const std::string& undoDesc,
                          bool moveCursor);
    int32_t Replace(const void* buffer, int32_t position, int32_t oldCount, int32_t newCount,
                    const std::string& undoDesc, bool moveCursor);
    void InternalErase(bool back, const std::string& undoDesc);
    void SetDataSize(int32_t newSize);
    void SetFixedFileSize(bool value);
    void SetReadOnlyFile(bool value);
    // A copy of count bytes from position (count is cut to the data); empty for none.
    std::vector<uint8_t> BufferFromFile(int32_t position, int32_t& count);
    void SetAsText(const std::string& text);
    std::string GetAsText();
    void SetAsHex(const std::string& hexText);
    std::string GetAsHex();
    void SetSelectionAsText(const std::string& text);
    std::string GetSelectionAsText();
    void SetSelectionAsHex(const std::string& hexText);
    std::string GetSelectionAsHex();
    uint8_t GetGrowFillByte() const { return FGrowFillByte; }
    void SetGrowFillByte(uint8_t value) { FGrowFillByte = value; }

    void CreateUndo(TOrixHUndoFlag kind, int32_t pos, int32_t count, int32_t replCount,
                    const std::string& description);
    virtual bool CanCreateUndo(TOrixHUndoFlag kind, int32_t count, int32_t replCount);
    void CombineUndo(int32_t count, const std::string& description);
    bool GetCanUndo();
    bool GetCanRedo();
    std::string GetUndoDescription();
    virtual int32_t UndoBeginUpdate();
    virtual int32_t UndoEndUpdate();
    bool Undo();
    bool Redo();
    TOrixHUndoStorage& UndoStorage() { return *FUndoStore; }

    TOrixHBookmark GetBookmark(int index) const;
    void SetBookmark(int index, const TOrixHBookmark& bookmark);
    void SetBookmarkVals(int index, int32_t position, bool inCharField);
    bool GotoBookmark(int32_t index);
    // Shifts the bookmarks at or after from by offset, judged against the data size the
    // change leaves (the current size plus offset: the change has not happened yet).
    void AdjustBookmarks(int32_t from, int32_t offset);
    // The same once the change is done: judged against the current size.
    void AdjustBookmarksAfterChange(int32_t from, int32_t offset);
    virtual void BookmarkChanged();

    // Keys as virtual-key codes (Backspace 8 ... T 84), key in and out.
    virtual void KeyDown(uint16_t& key, TShiftState shift);
    void WMChar(uint16_t charCode);
    void WMImeChar(uint16_t charCode) { WMChar(charCode); }
    void IntChangeByte(uint8_t oldByte, uint8_t newByte, int32_t position,
                       const std::string& undoDesc);
    void IntChangeWideChar(uint16_t oldUnit, uint16_t newUnit, int32_t position,
                           const std::string& undoDesc);
    void WrongKey();
    // The Windows virtual-key code of a key event: the physical digit key also when Shift
    // or the layout gives it another symbol.
    static uint16_t VirtualKeyOf(const QKeyEvent& event);
    std::function<void(TCustomOrixHexEditor* sender, uint16_t& key, TShiftState shift)> OnKeyDown;
    std::function<void(TCustomOrixHexEditor* sender, char& key)> OnKeyPress;

    static constexpr int CM_INTUPDATECARET = 0xB100;
    static constexpr int CM_SELECTIONCHANGED = 0xB101;

protected:
    void Paint(TCanvas& canvas) override;
    void DrawCell(int32_t column, int32_t row, const TRect& rect) override;
    bool SelectCell(int32_t column, int32_t row) override;
    void TopLeftChanged() override;
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void WMTimer() override;
    bool DoMouseWheelDown(TShiftState shift, QPoint position) override;
    bool DoMouseWheelUp(TShiftState shift, QPoint position) override;
    void WMVScroll() override { CheckSetCaret(); }
    void WMHScroll() override { CheckSetCaret(); }
    void WMSetFocus() override;
    void WMKillFocus() override;
    void Resize() override;
    void customEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void CMFontChanged();
    void CMSelectionChanged();
    void BookmarkBitmapChanged();
    void ResetUndo();
    void PostMessage(int message);

    // ---- editing operations, undo, bookmarks, keyboard ----
    void InternalGetCurSel(int32_t& startPos, int32_t& endPos, int32_t& aCol, int32_t& aRow);
    void InternalDelete(int32_t startPos, int32_t endPos, int32_t aCol, int32_t aRow);
    void InternalInsertBuffer(const void* buffer, int32_t size, int32_t position);
    void InternalAppendBuffer(const void* buffer, int32_t size);
    void MoveFileMem(int32_t fromPos, int32_t toPos, int32_t count);
    // Drops the changed marks from position on.
    void CutChangedMap(int32_t position);
    void MoveCaretTo(int32_t position, bool inCharField);
    void StepBack(int32_t c, int32_t r);
    void StepForward(int32_t c, int32_t r);
    void SwitchField(int32_t c, int32_t r);
    // A caret move to a data cell; the target is kept inside the grid.
    void GoToCell(int32_t c, int32_t r);
    // One typed UTF-16 unit from the keyboard or the input method.
    void TypeUnit(char16_t unit);
    void KeyDown(int key, TShiftState shift) override;
    void KeyPress(const QString& text) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    std::unique_ptr<TOrixHUndoStorage> FUndoStore = std::make_unique<TOrixHUndoStorage>(this);
    uint16_t FEventKey = 0;  // the key event being handled, as a virtual key
    bool FEventTypes = true; // and whether its text is typed
    bool FDestroying = false;
    // A change was allowed while recording was off (update level above 0).
    bool FUnrecordedChange = false;

    // Property adaptors for the Qt property system.
    QString GetOffsetFormatQ() const { return QString::fromStdString(GetOffsetFormat()); }
    void SetOffsetFormatQ(const QString& text) { SetOffsetFormat(text.toStdString()); }
    QObject* GetColorsObject() const { return FColors; }
    QString GetVersionQ() const { return kVersion; }
    void SetVersionQ(const QString&) {}
    // A byte: a value that does not fit is refused, not cut to its low 8 bits.
    void SetRulerNumberBaseInt(int value) {
        if (value < 0 || value > 255)
            throw EPropertyConvertError("Invalid property value: " + std::to_string(value));
        SetRulerNumberBase(static_cast<uint8_t>(value));
    }

    // Fields, in the control's declaration order.
    bool FSyncingView = false;
    int32_t FLastHexColumn = kFirstHexCol + 2 * 16 - 1; // the last nibble at 16 bytes per row
    // Valid from the start, so that raw bytes can be searched without preparing a pattern.
    TOrixHFindTable FFindTablePlain = FindTableIdentity();
    TOrixHFindTable FFindTableFolded = FindTableFolded(tkAsIs);
    bool FindProgress = false;
    int32_t BytesPerBlock = -1;
    bool SeparateBlocksInCharField = true;
    bool NoSizeChange = false;
    int32_t FCharPixelWidth = -1;
    int32_t FCharPixelHeight = 0;
    std::vector<QImage> FBookmarkGlyphs;
    bool FInsertSwitch = false;
    QImage FCaretGlyph;
    TOrixHColors* FColors;
    int32_t BytesPerRow = 16;
    int32_t FOffsetTextWidth = -1;
    int32_t FHexColumnCount = 32;
    TOrixHMemoryStream FDataStore;
    int32_t SwapNibbles = 0;
    bool FocusFrame = true;
    bool FReadOnlyFile = true;
    int32_t FNibblesPerColumn = 4;
    bool FCaretInCharField = false;
    bool FActiveFieldIsChar = true;
    std::string FDocumentName = "---";
    TBits FChangedByteMap;
    TOrixHBookmarks FBookmarks;
    int32_t FSelFirst = -1, FSelAnchor = -1, FSelLast = -1, FSelectBeginPos = -1;
    TOrixHTranslationKind Translation = TOrixHTranslationKind::tkAsIs;
    TOrixHCaretKind CaretKind = ckAuto;
    char MaskChar = '.';
    bool AllowInsertMode = true;
    bool WantTabs = true;
    bool ReadOnlyView = false;
    bool HideSelection = false;
    bool GraySelectionIfNotFocused = false;
    TGridCoord FMouseDownCell{0, 0};
    bool FDropMarkShown = false;
    TGridCoord FDropCell{0, 0};
    bool AutoBytesPerRow = false;
    bool FAutoFitRunning = false;
    bool DrawGridLines = false;
    bool DrawGutter3D = true;
    int32_t GutterWidth = -1;
    TOrixHOffsetFormat FParsedOffsetFormat;
    bool FCellCheckEnabled = true;
    QImage BookmarkBitmap;
    std::vector<TCursor> FCursorStack;
    bool FCustomBookmarkBitmap = false;
    std::string FProgressName;
    bool FHasDiskFile = false;
    int32_t MaxUndo = 1048576;
    char FHexDigits[17] = "0123456789ABCDEF";
    bool HexLowerCase = false;
    bool ShowRuler = false;
    int32_t BytesPerUnit = 1;
    int32_t RulerBytesPerUnit = -1;
    int32_t FPendingSelChanges = 0;
    bool ShowPositionIfNotFocused = false;
    bool FInOffsetEvent = false;
    int32_t FEffectiveRulerUnit = 1;
    bool FSelecting = false;
    bool FResetSelOnMouseUp = false;
    bool UnicodeChars = false;
    bool UnicodeBigEndian = false;
    std::bitset<256> MaskedChars;
    uint8_t FGrowFillByte = 0;
    uint8_t RulerNumberBase = 16;
    std::string FHexRulerText;
    std::string FCharRulerText;
    bool FSizeChangeOverride = false;
    bool FModifiedFlag = false;

private:
    bool constructed_ = false;
    bool emptyStartDone_ = false;

    // ---- nibble shifting and range conversion ----
public:
    // A temporary file name that no file has now (the form: 8 hex digits and ".OrixHT").
    std::string GetTempName();
    // The data from start on, shifted right by one nibble, in a new temporary file positioned
    // at 0; its name goes to fileName and the caller frees the stream and deletes the file.
    // None when start is not below the data size.
    std::unique_ptr<TFileStream> CreateShift4BitStream(int32_t start, std::string& fileName);
    // A zero nibble at the high or low nibble of pos; the data grows by one byte.
    bool InsertNibble(int32_t pos, bool highNibble, const std::string& undoDesc);
    // The high or low nibble of pos goes; a zero nibble enters at the end, the size stays.
    bool DeleteNibble(int32_t pos, bool highNibble, const std::string& undoDesc);
    // Re-encodes the bytes from .. to in place.
    void ConvertRange(int32_t from, int32_t to, TOrixHTranslationKind transFrom,
                      TOrixHTranslationKind transTo, const std::string& undoDesc);

protected:
    bool InternalInsertNibble(int32_t pos, bool highNibble);
    bool InternalDeleteNibble(int32_t pos, bool highNibble);
    void InternalConvertRange(int32_t from, int32_t to, TOrixHTranslationKind transFrom,
                              TOrixHTranslationKind transTo);

private:
    // The undo step, then the shift, the marks cut at pos, the layout and Changed.
    bool NibbleStep(TOrixHUndoFlag kind, int32_t pos, bool highNibble, const std::string& undoDesc);

    // ---- find ----
public:
    // The bytes to look for in the data's encoding; refills both find tables.
    std::string PrepareFindReplaceData(std::string text, bool ignoreCase, bool isText);
    // The lowest position whose match lies wholly inside from .. until, or -1.
    int32_t Find(const void* pattern, int32_t count, int32_t from, int32_t until, bool ignoreCase);
    // The same; a pattern byte equal to wildcard matches any data byte.
    int32_t FindWithWildcard(const void* pattern, int32_t count, int32_t from, int32_t until,
                             bool ignoreCase, char wildcard);
    TOrixHFindEvent OnFind, OnWildcardFind;

private:
    int32_t SearchData(const uint8_t* pattern, int32_t count, int32_t from, int32_t until,
                       bool ignoreCase, int wildcard);

    // ---- what the undo storage asks of its editor (orix_hex_undo.cpp) ----
private:
    // Why the row and column widths keep unicode mode off now; nullptr when they allow it.
    const char* UnicodeLayoutRefusal() const;
    // Unicode mode on or off with no check of the data size: a restored state had that
    // size in that mode.
    void SwitchUnicodeCharacters(bool value);
    int32_t UndoLimit() const override { return MaxUndo; }
    int32_t DataSize() const override { return GetDataSize(); }
    void CheckDataRange(int32_t position, int32_t count) override {
        FDataStore.CheckRange(position, count);
    }
    void ReadBytes(void* buffer, int32_t position, int32_t count) override {
        ReadBuffer(buffer, position, count);
    }
    void WriteBytes(const void* buffer, int32_t position, int32_t count) override {
        WriteBuffer(buffer, position, count);
    }
    void PutByte(int32_t position, uint8_t value) override { SetDataAt(position, value); }
    void InsertBytes(const void* buffer, int32_t count, int32_t position) override {
        InternalInsertBuffer(buffer, count, position);
    }
    void AppendBytes(const void* buffer, int32_t count) override {
        InternalAppendBuffer(buffer, count);
    }
    void DeleteBytes(int32_t from, int32_t to) override { InternalDelete(from, to, -1, -1); }
    void InsertNibbleAt(int32_t position) override { InternalInsertNibble(position, false); }
    void DeleteNibbleAt(int32_t position) override { InternalDeleteNibble(position, false); }
    void ResizeData(int32_t size) override;
    void ReplaceAllData(const void* buffer, int32_t count) override;
    bool IsMarkedChanged(int32_t position) const override { return HasChanged(position); }
    void MarkChanged(int32_t position, bool changed) override { SetChanged(position, changed); }
    void CutChangedMarks(int32_t position) override { CutChangedMap(position); }
    void MoveBookmarksForChange(int32_t from, int32_t offset) override {
        AdjustBookmarks(from, offset);
    }
    void MoveBookmarksAfterChange(int32_t from, int32_t offset) override {
        AdjustBookmarksAfterChange(from, offset);
    }
    TOrixHBookmarks BookmarksNow() const override { return FBookmarks; }
    void RestoreBookmarks(const TOrixHBookmarks& bookmarks) override { FBookmarks = bookmarks; }
    TOrixHUndoState StateNow() override;
    TOrixHSelectionTriple SelectionNow() const override {
        return {FSelFirst, FSelLast, FSelAnchor};
    }
    void RestoreInsertMode(bool on) override { SetInsertMode(on); }
    void RestoreCaret(const TOrixHUndoState& state) override;
    void RestoreModified(bool modified) override { FModifiedFlag = modified; }
    void RestoreCaretAt(int32_t position) override { Seek(position, 0); }
    void RestoreSelection(const TOrixHSelectionTriple& selection) override {
        SetSelection(selection.Anchor, selection.First, selection.Last);
    }
    void RestoreModes(const TOrixHUndoState& state) override;
    void RestoreCharField(bool inCharField) override { SetInCharField(inCharField); }
    void CaretToFirstDataColumn() override;
    void Repaint() override;
    void NotifyChanged() override { Changed(); }
    void NotifyBookmarksChanged() override { BookmarkChanged(); }
};

class TOrixHexEditor : public TCustomOrixHexEditor {
    Q_OBJECT
public:
    using TCustomOrixHexEditor::TCustomOrixHexEditor;
};

// Posted private messages of the control: CM_INTUPDATECARET and CM_SELECTIONCHANGED.
class TOrixHMessageEvent : public QEvent {
public:
    TOrixHMessageEvent(int message, int wParam);
    static QEvent::Type EventType();
    int Message;
    int WParam;
};
