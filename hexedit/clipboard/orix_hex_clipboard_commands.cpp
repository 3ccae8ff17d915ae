// Copy, cut and paste of TOrixHexEditorEx, and the import of offered data into bytes.
#include "orix_hex_editor_ex.h"
#include "orix_hex_error.h"
#include "orix_hex_wait_cursor.h"
#include "sysutils.h"

#include <QClipboard>
#include <QGuiApplication>
#include <limits>

namespace {

const QMimeData* ClipboardData() {
    return qGuiApp ? QGuiApplication::clipboard()->mimeData() : nullptr;
}

// How many bytes the data can take from an import: a fixed size is only overwritten, what does
// not fit being cut; otherwise the data grows by what comes less what it replaces. A paste
// replaces the selection, a drop does when it lands on it.
int64_t ImportRoom(TOrixHexEditorEx& editor, TOrixHOLEOperation operation) {
    if (editor.IsFileSizeFixed()) return std::numeric_limits<int32_t>::max();
    const int32_t pos = editor.DropPosition();
    const bool replaces = operation == oleClipboard || (pos >= 0 && editor.IsSelected(pos));
    return int64_t{std::numeric_limits<int32_t>::max()} - editor.GetDataSize() +
           (replaces ? editor.GetSelCount() : 0);
}

} // namespace

bool TOrixHexEditorEx::CanCopy() {
    return GetDataSize() > 0 && GetSelCount() > 0;
}

bool TOrixHexEditorEx::CanCut() {
    return CanCopy() && !ReadOnlyView && !NoSizeChange;
}

bool TOrixHexEditorEx::CanPaste() {
    if (ReadOnlyView) return false;
    const QMimeData* data = ClipboardData();
    if (!data) return false;
    Qt::DropAction effect = Qt::CopyAction;
    if (!SupportsOLEData(data, effect, oleClipboard)) return false;
    return !NoSizeChange || GetDataSize() > 0;
}

bool TOrixHexEditorEx::CBCopy() {
    if (!CanCopy()) return false;
    TOrixHWaitCursor wait(this);
    // The name without its folder is cut first: a dot beyond the cut is then no extension.
    TOrixHDataObject* object = TOrixHDataObject::CreateFromStream(
        &FDataStore, FSelFirst, GetSelCount(), CutUtf8(ExtractFileName(FDocumentName), 255),
        FClipboardAsHexText, GetSwapNibbles());
    // The clipboard takes the object over and deletes it when it is replaced or emptied.
    QGuiApplication::clipboard()->setMimeData(object);
    FClipboardDataObject = object;
    return true;
}

bool TOrixHexEditorEx::CBCut() {
    if (!CanCut() || !CBCopy()) return false;
    TOrixHWaitCursor wait(this);
    DeleteSelection("Cut to clipboard");
    return true;
}

bool TOrixHexEditorEx::CBPaste() {
    if (!CanPaste()) return false;
    Qt::DropAction effect = Qt::CopyAction;
    return InsertOLEData(ClipboardData, effect, oleClipboard);
}

bool TOrixHexEditorEx::OwnsClipBoard() const {
    return FClipboardDataObject && ClipboardData() == FClipboardDataObject.data();
}

void TOrixHexEditorEx::ReleaseClipboard(bool flush) {
    if (!OwnsClipBoard()) return;
    // The data object is the clipboard's and holds its own bytes: left there, it outlives the
    // control, and at the program's end the platform hands it to a clipboard manager.
    if (!flush) QGuiApplication::clipboard()->clear();
}

bool TOrixHexEditorEx::SupportsOLEData(const QMimeData* data, Qt::DropAction& effect,
                                       TOrixHOLEOperation operation) {
    TClipFormat format = 0;
    const bool supported = !ReadOnlyView && OLEHasSupportedFormat(data, GetMyOLEFormats(), format);
    if (supported) FOLEFormats[operation] = format;
    // Also when refused: a file list is never moved, whatever the format recorded last.
    if (FOLEFormats[operation] == CF_HDROP && effect == Qt::MoveAction) effect = Qt::LinkAction;
    return supported;
}

std::string TOrixHexEditorEx::ImportOLEData(const TOrixHMimeSource& source, Qt::DropAction& effect,
                                            TOrixHOLEOperation operation) {
    TOrixHWaitCursor wait(this);
    TClipFormat format = FOLEFormats[operation];
    if (format != CF_HEXEDITOR && format != CF_HDROP) {
        bool hexText = FClipboardAsHexText;
        QPointer<TOrixHexEditorEx> self(this);
        const bool chosen = OLESelectFormat(GetMyOLEFormats(), source(), format, hexText);
        // The chooser ran an event loop: the control itself may be gone.
        if (!self || !chosen) return {};
        FOLEFormats[operation] = format;
        FClipboardAsHexText = hexText;
    }
    // Fetched again: what was offered before the chooser may have been replaced meanwhile.
    const QMimeData* data = source();
    std::string bytes;
    if (format == CF_HDROP) {
        bytes = FileListToBytes(LocalFilesOf(data), effect == Qt::LinkAction,
                                ImportRoom(*this, operation));
    } else {
        bytes = MimeFormatToBytes(data, format);
        if (!bytes.empty() && IsTextClipFormat(format) && operation == oleClipboard &&
            FClipboardAsHexText)
            bytes = HexTextToBytes(bytes, GetSwapNibbles());
    }
    if (bytes.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        throw EOrixHexEditor("The data is too large to paste (" + std::to_string(bytes.size()) +
                             " bytes; at most 2147483647)");
    auto length = static_cast<int32_t>(bytes.size());
    CheckUnit(length);
    bytes.resize(static_cast<size_t>(length));
    return bytes;
}

bool TOrixHexEditorEx::InsertOLEData(const TOrixHMimeSource& source, Qt::DropAction& effect,
                                     TOrixHOLEOperation operation) {
    bool done = false;
    const std::string bytes = ImportOLEData(source, effect, operation);
    if (!bytes.empty() && operation == oleClipboard) {
        TOrixHWaitCursor wait(this);
        PasteData(bytes.data(), static_cast<int32_t>(bytes.size()), "Paste from clipboard");
        done = true;
    } else if (!bytes.empty()) {
        TOrixHWaitCursor wait(this);
        done = PlaceDroppedData(bytes, effect);
    }
    if (!done) effect = Qt::IgnoreAction;
    return done;
}
