// Construction, content (load, save, byte access, changed marks) and behaviour properties.
#include "orix_hex_editor.h"

#include "atomic_file.h"
#include "plain_file.h"
#include "sysutils.h"

#include <QApplication>
#include <QShowEvent>
#include <cmath>
#include <exception>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

const char* const TCustomOrixHexEditor::kVersion = "Pyrolan hex editor 3.0";

namespace {
constexpr int32_t kCopyChunk = 61440;
} // namespace

TOrixHMessageEvent::TOrixHMessageEvent(int message, int wParam)
    : QEvent(EventType()), Message(message), WParam(wParam) {}

QEvent::Type TOrixHMessageEvent::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

TCustomOrixHexEditor::TCustomOrixHexEditor(QWidget* parent) : TCustomGrid(parent) {
    // Hex digits are filled by the setter.
    HexLowerCase = true;
    SetHexLowerCase(false);
    FEffectiveRulerUnit = 1;
    GenerateOffsetFormat("-!10:0x|");
    SetOptions(goThumbTracking);
    DefaultDrawing = false;
    SaveCellExtents = false;
    FColors = new TOrixHColors(this);
    SetColor(FColors->Background());
    QFont font("Courier New");
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(11);
    setFont(font);
    setFrameShape(QFrame::Box);
    SetCursor(crIBeam);
    MaskedChars = ORIXH_DEFAULT_MASKED_CHARS;
    SetSelection(-1, -1, -1);
    ResetUndo();
    SetDefaultColWidth(0);
    SetDefaultRowHeight(0);
    SetColCount(CalcColCount());
    SetRowCount(kFirstDataRow + 1);
    SetRowHeight(kRulerRow, 0);
    SetRowHeight(kSecondFixedRow, 0);
    SetBookmarkBitmap(QImage());
    SetRulerString();
    constructed_ = true;
}

TCustomOrixHexEditor::~TCustomOrixHexEditor() {
    FDestroying = true;
    FCursorStack.clear();
    FreeStorage(false);
    FreeStorage(true);
    FDataStore.Clear();
}

const std::vector<TOrixHPublishedProperty>& TCustomOrixHexEditor::PublishedProperties() {
    static const std::vector<TOrixHPublishedProperty> table = {
        {"BytesPerRow", {}},
        {"BytesPerColumn", 2},
        {"AutoBytesPerRow", false},
        {"Translation", {}},
        {"OffsetFormat", {}},
        {"CaretKind", static_cast<int>(ckAuto)},
        {"Colors", {}},
        {"FocusFrame", {}},
        {"SwapNibbles", false},
        {"MaskChar", {}}, // never stored itself: see ReadMaskChar / WriteMaskChar_I
        {"NoSizeChange", false},
        {"AllowInsertMode", true},
        {"DrawGridLines", {}},
        {"WantTabs", true},
        {"ReadOnlyView", false},
        {"HideSelection", false},
        {"GraySelectionIfNotFocused", false},
        {"GutterWidth", -1},
        {"BookmarkBitmap", {}}, // stored only when HasCustomBookmarkBitmap
        {"Version", {}},
        {"MaxUndo", 1048576},
        {"InsertMode", false},
        {"HexLowerCase", false},
        {"DrawGutter3D", true},
        {"ShowRuler", false},
        {"BytesPerUnit", 1},
        {"RulerBytesPerUnit", -1},
        {"ShowPositionIfNotFocused", false},
        {"UnicodeChars", false},
        {"UnicodeBigEndian", false},
        {"BytesPerBlock", -1},
        {"SeparateBlocksInCharField", true},
        {"FindProgress", false},
        {"RulerNumberBase", 16},
    };
    return table;
}

// ---------------------------------------------------------------- content

int32_t TCustomOrixHexEditor::GetDataSize() const {
    return static_cast<int32_t>(const_cast<TOrixHMemoryStream&>(FDataStore).GetSize());
}

bool TCustomOrixHexEditor::GetModified() const {
    return FModifiedFlag && (GetDataSize() > 0 || FileExists(FDocumentName));
}

void TCustomOrixHexEditor::SetModified(bool value) {
    FModifiedFlag = value;
    if (!value) {
        ResetUndo();
        FChangedByteMap.Clear();
        viewport()->update();
    }
}

void TCustomOrixHexEditor::ResetUndo() {
    FUndoStore->Reset(true);
}

void TCustomOrixHexEditor::FreeStorage(bool undo) {
    if (undo) {
        FUndoStore->SetSize(0);
        return;
    }
    // The memory block stays for the next load: reloading the same amount then touches no
    // new pages.
    FDataStore.SetSize(0);
}

void TCustomOrixHexEditor::Stream2Stream(TStream& source, TStream& dest,
                                         TOrixHProgressKind operation, int32_t count) {
    if (count == -1)
        count = static_cast<int32_t>(static_cast<uint32_t>(source.GetSize()) -
                                     static_cast<uint32_t>(source.GetPosition()));
    if (count <= 0) return;
    int32_t remaining = count;
    uint8_t lastPercent = 255;
    bool cancel = false;
    const std::string& name = FProgressName.empty() ? FDocumentName : FProgressName;
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min(count, kCopyChunk)));
    while (remaining > 0) {
        // Rounded to the nearest integer, halves to even (the default rounding mode).
        const auto percent = static_cast<uint8_t>(
            std::nearbyint(static_cast<double>(count - remaining) / count * 100.0));
        if (percent != lastPercent || remaining <= kCopyChunk) {
            lastPercent = remaining <= kCopyChunk ? 100 : percent;
            if (OnProgress) {
                OnProgress(this, operation, name, lastPercent, cancel);
                if (cancel) throw EOrixHexEditor("Operation cancelled");
            }
        }
        const int32_t n = std::min(remaining, kCopyChunk);
        source.ReadBuffer(buffer.data(), n);
        dest.WriteBuffer(buffer.data(), n);
        remaining -= n;
    }
}

void TCustomOrixHexEditor::LoadFromStream(TStream& stream) {
    // The data is a signed 32-bit count: refuse larger streams before anything is lost.
    const int64_t size = stream.GetSize();
    if (size < 0 || size > INT32_MAX)
        throw EOrixHexEditor("Data position/length out of data bounds");
    FreeStorage(false);
    CalcSizes();
    WaitCursor();
    std::exception_ptr failure;
    try {
        stream.SetPosition(0);
        FDataStore.SetSize(size);
        FDataStore.SetPosition(0);
        Stream2Stream(stream, FDataStore, pkLoad, -1);
        FDataStore.SetPosition(0);
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure) {
        // Nothing half-loaded stays visible.
        FreeStorage(false);
        FreeStorage(true);
    }
    try {
        if (FUndoStore->UpdateLevel() < 1) ResetUndo();
        FChangedByteMap.Clear();
        CalcSizes();
        FModifiedFlag = false;
        FSelecting = false;
        MoveColRow(kFirstHexCol, kFirstDataRow, true, true);
        Changed();
    } catch (...) {
        if (!failure) failure = std::current_exception();
    }
    OldCursor();
    if (failure) {
        FreeStorage(false);
        FreeStorage(true);
        FHasDiskFile = false;
        std::rethrow_exception(failure);
    }
}

void TCustomOrixHexEditor::LoadFromFile(const std::string& fileName) {
    FReadOnlyFile = true;
    // A FIFO or device would block or never end: only a regular file is read.
    TPlainFile file(fileName, std::numeric_limits<int64_t>::max());
    if (!file.IsOpen())
        throw EFOpenError(Format("Cannot open %s.\r\n(%s.)", fileName.c_str(),
                                 file.GetStatus() == TPlainFile::Status::NotRegular
                                     ? "Not a regular file"
                                     : file.Reason().c_str()));
    const int rw = ::open(fileName.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (rw >= 0) {
        ::close(rw);
        FReadOnlyFile = false;
    }
    FProgressName = fileName;
    try {
        LoadFromStream(file);
    } catch (...) {
        FHasDiskFile = false;
        FProgressName.clear();
        throw;
    }
    FDocumentName = fileName;
    FHasDiskFile = true;
    FProgressName.clear();
}

void TCustomOrixHexEditor::SaveToStream(TStream& stream) {
    SaveRangeToStream(stream, 0, -1);
}

void TCustomOrixHexEditor::SaveRangeToStream(TStream& stream, int32_t position, int32_t count) {
    if (position < 0 || position > GetDataSize())
        throw EOrixHexEditor("Data position/length out of data bounds");
    WaitCursor();
    try {
        FDataStore.SetPosition(position);
        Stream2Stream(FDataStore, stream, pkSave, count);
    } catch (...) {
        viewport()->update();
        OldCursor();
        throw;
    }
    viewport()->update();
    OldCursor();
}

void TCustomOrixHexEditor::SaveToFile(const std::string& fileName, bool unmodify) {
    if (fileName == FDocumentName) PrepareOverwriteDiskFile();
    // Replaced atomically: a failed or cancelled save leaves the old file as it was.
    FProgressName = fileName;
    try {
        TAtomicFileStream file(fileName);
        file.File().CheckOpen();
        SaveToStream(file);
        if (!file.File().Close()) throw EWriteError("Stream write error");
        CommitDiskFile(file.File(), fileName);
    } catch (...) {
        FProgressName.clear();
        throw;
    }
    FHasDiskFile = true;
    if (unmodify) {
        FChangedByteMap.Clear();
        FModifiedFlag = false;
        FReadOnlyFile = false;
        FDocumentName = fileName;
        FDataStore.SetPosition(0);
        ResetUndo();
    }
    FProgressName.clear();
}

void TCustomOrixHexEditor::CommitDiskFile(TAtomicFile& file, const std::string& fileName) {
    if (!file.Commit()) throw EFCreateError(Format("Cannot create file %s", fileName.c_str()));
}

void TCustomOrixHexEditor::CreateEmptyFile(const std::string& name) {
    FreeStorage(false);
    FDocumentName = name.empty() ? "Untitled" : name;
    ResetUndo();
    ResetSelection(true);
    FChangedByteMap.Clear();
    CalcSizes();
    FModifiedFlag = false;
    FReadOnlyFile = true;
    FHasDiskFile = false;
    MoveColRow(kFirstHexCol, kFirstDataRow, true, true);
    Changed();
}

void TCustomOrixHexEditor::PrepareOverwriteDiskFile() {
    if (FReadOnlyFile)
        throw EFOpenError(Format("Cannot save readonly file %s.", FDocumentName.c_str()));
}

void TCustomOrixHexEditor::Changed() {
    if (OnChange) OnChange(this);
    SelectionChanged();
}

void TCustomOrixHexEditor::ReadBuffer(void* buffer, int32_t index, int32_t count) {
    FDataStore.ReadBufferAt(buffer, index, count);
}

void TCustomOrixHexEditor::WriteBuffer(const void* buffer, int32_t index, int32_t count) {
    FDataStore.WriteBufferAt(buffer, index, count);
    Changed();
}

uint8_t TCustomOrixHexEditor::GetDataAt(int32_t index) {
    return *FDataStore.GetAddress(index, 1);
}

void TCustomOrixHexEditor::SetDataAt(int32_t index, uint8_t value) {
    *FDataStore.GetAddress(index, 1) = value;
    Changed();
}

uint8_t* TCustomOrixHexEditor::GetFastPointer(int32_t index, int32_t count) {
    return FDataStore.GetAddress(index, count);
}

void TCustomOrixHexEditor::SeekToEOF() {
    int32_t p = GetDataSize() - (GetInsertMode() ? 0 : 1);
    if (p < 0) p = 0;
    const TGridCoord cell = GetCursorAtPos(p, GetInCharField());
    MoveColRow(cell.X, cell.Y, true, true);
}

bool TCustomOrixHexEditor::HasChanged(int32_t index) const {
    if (GetInsertMode() || index < 0 || index >= FChangedByteMap.Size()) return false;
    return FChangedByteMap.Get(index);
}

void TCustomOrixHexEditor::SetChanged(int32_t index, bool value) {
    if (GetInsertMode()) FChangedByteMap.Clear();
    // Marks outside the data would only grow the map without meaning.
    if (index < 0 || index >= GetDataSize()) return;
    if (value || index < FChangedByteMap.Size()) FChangedByteMap.Set(index, value);
}

void TCustomOrixHexEditor::SetInsertMode(bool value) {
    if (value == FInsertSwitch || !IsInsertModePossible()) return;
    const int32_t size = GetDataSize();
    const int32_t caret = size > 0 ? GetPosAtCursor(Col(), Row()) : 0;
    const bool field = FCaretInCharField;
    FInsertSwitch = value;
    if (CaretKind == ckAuto && hasFocus()) CreateCaretGlyph();
    if (size == 0) return;
    // The append position needs its own row when the data fills the last one.
    if (size % BytesPerRow == 0) CalcSizes();
    if (!value && caret >= size) {
        SetSelStart(size - 1);
    } else if (Row() >= RowCount()) {
        const TGridCoord cell = GetCursorAtPos(std::min(caret, size - 1), field);
        MoveColRow(cell.X, cell.Y, true, true);
    }
    FChangedByteMap.Clear();
    viewport()->update();
}

void TCustomOrixHexEditor::SetAllowInsertMode(bool value) {
    if (!value && FInsertSwitch) SetInsertMode(false);
    AllowInsertMode = value;
}

void TCustomOrixHexEditor::SetTranslation(TOrixHTranslationKind value) {
    if (value == Translation) return;
    CheckTranslationAllowed(value, UnicodeChars);
    Translation = value;
    viewport()->update();
}

uint8_t TCustomOrixHexEditor::TranslateFromAnsiChar(uint8_t c) const {
    return TranslateCharFromAnsi(Translation, MaskedChars, c);
}

uint8_t TCustomOrixHexEditor::TranslateToAnsiChar(uint8_t b) const {
    return TranslateCharToAnsi(Translation, MaskedChars, static_cast<uint8_t>(MaskChar), b);
}

void TCustomOrixHexEditor::SetMaskedChars(const TOrixHCharSet& value) {
    if (value == MaskedChars) return;
    MaskedChars = value;
    viewport()->update();
}

// ---------------------------------------------------------------- behaviour properties

uint32_t TCustomOrixHexEditor::GetDlgCode() const {
    uint32_t code = TCustomGrid::GetDlgCode() | DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTALLKEYS;
    if (WantTabs)
        code |= DLGC_WANTTAB;
    else
        code &= ~DLGC_WANTTAB;
    return code;
}

void TCustomOrixHexEditor::SetReadOnlyView(bool value) {
    ReadOnlyView = value;
    if (CaretKind == ckAuto && hasFocus()) CreateCaretGlyph();
}

void TCustomOrixHexEditor::SetHideSelection(bool value) {
    if (value == HideSelection) return;
    HideSelection = value;
    if (!hasFocus() && GetSelCount() > 0) viewport()->update();
}

void TCustomOrixHexEditor::SetGraySelectionIfNotFocused(bool value) {
    if (value == GraySelectionIfNotFocused) return;
    GraySelectionIfNotFocused = value;
    if (!hasFocus() && GetSelCount() > 0 && !HideSelection) viewport()->update();
}

void TCustomOrixHexEditor::ReadMaskChar(const QVariant& value) {
    const QByteArray text = value.toString().toLatin1();
    MaskChar = text.size() == 1 ? text[0] : '.';
    viewport()->update();
}

void TCustomOrixHexEditor::ReadMaskChar_I(const QVariant& value) {
    bool ok = false;
    const int code = value.typeId() == QMetaType::QString ? 0 : value.toInt(&ok);
    MaskChar = ok ? static_cast<char>(code & 0xFF) : '.';
    viewport()->update();
}

bool TCustomOrixHexEditor::WriteMaskChar_I(QVariant& value) const {
    if (MaskChar == '.') return false;
    value = static_cast<int>(static_cast<uint8_t>(MaskChar));
    return true;
}

void TCustomOrixHexEditor::CMFontChanged() {
    AdjustMetrics();
    if (hasFocus()) CreateCaretGlyph();
}

void TCustomOrixHexEditor::changeEvent(QEvent* event) {
    TCustomGrid::changeEvent(event);
    if (event->type() == QEvent::FontChange && constructed_) Guarded([this] { CMFontChanged(); });
}

void TCustomOrixHexEditor::showEvent(QShowEvent* event) {
    TCustomGrid::showEvent(event);
    // The window exists now: a control that got no data by then starts empty.
    if (!emptyStartDone_) {
        emptyStartDone_ = true;
        if (FDocumentName == "---") Guarded([this] { CreateEmptyFile("Untitled"); });
    }
}

void TCustomOrixHexEditor::Loaded() {
    CreateEmptyFile("Untitled");
}

void TCustomOrixHexEditor::PostMessage(int message) {
    QCoreApplication::postEvent(
        this, new TOrixHMessageEvent(message, message == CM_INTUPDATECARET ? 7 : 0));
}

void TCustomOrixHexEditor::customEvent(QEvent* event) {
    if (event->type() != TOrixHMessageEvent::EventType()) return TCustomGrid::customEvent(event);
    const auto* message = static_cast<TOrixHMessageEvent*>(event);
    Guarded([&] {
        if (message->Message == CM_INTUPDATECARET && message->WParam == 7) CheckSetCaret();
        if (message->Message == CM_SELECTIONCHANGED) CMSelectionChanged();
    });
}
