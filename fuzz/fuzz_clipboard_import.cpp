// Arbitrary bytes as offered clipboard data: through the readers of the own and the
// "RegEdit_HexData" blocks, hex text and file lists, the conversion of every offered format,
// and a paste into the control (the format chooser answered as the input says), which undo
// and redo must take back and bring again exactly.
//
// Input: byte 0 the MIME types that carry the payload (one bit each, table below), byte 1 the
// options (bit 0 hex text, 1 swapped nibbles, 2 insert mode, 3 a selection at the caret, 4
// the chooser cancelled, 5-7 the chooser's row), byte 2 the caret position, then the payload.
// A file list is offered for the paste only when it names files of the target's own folder,
// which holds plain files only.
#include "format_sel_dialog.h"
#include "fuzz_editor.h"
#include "orix_hex_clipboard_import.h"
#include "orix_hex_editor_ex.h"
#include "orix_hex_error.h"

#include <QCheckBox>
#include <QClipboard>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char* const kMimeTypes[8] = {kMimeText,    kMimeHexEditor,           kMimeRegEditHexData,
                                   kMimeUriList, "application/x-qt-image", "text/html",
                                   "image/tiff", kMimeFileContents};

void Check(bool condition) {
    if (!condition) std::abort();
}

const std::string& Folder() {
    static const std::string folder = [] {
        std::string f = FuzzFolder("fuzz_clipboard_import");
        const uint8_t bytes[5] = {0x10, 0x20, 0x30, 0x40, 0x50};
        FuzzWriteFile(f + "/a.bin", bytes, sizeof bytes);
        FuzzWriteFile(f + "/empty.bin", bytes, 0);
        return f;
    }();
    return folder;
}

bool InFolder(const std::string& path) {
    const std::string prefix = Folder() + "/";
    return path.compare(0, prefix.size(), prefix) == 0 && path.find("/.") == std::string::npos;
}

std::vector<uint8_t> DataOf(TCustomOrixHexEditor& editor) {
    std::vector<uint8_t> data(static_cast<size_t>(editor.GetDataSize()));
    if (!data.empty()) editor.ReadBuffer(data.data(), 0, editor.GetDataSize());
    return data;
}

size_t HexDigits(const std::string& text) {
    size_t n = 0;
    for (const char c : text)
        if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')) ++n;
    return n;
}

void CheckReaders(const std::string& payload) {
    if (const auto own = ReadHexEditorBlock(payload)) {
        Check(static_cast<int64_t>(own->size()) <= static_cast<int64_t>(payload.size()) - 12);
        const std::string again = MakeHexEditorBlock(reinterpret_cast<const uint8_t*>(own->data()),
                                                     static_cast<int32_t>(own->size()));
        Check(ReadHexEditorBlock(again) == own);
    }
    if (const auto reg = ReadRegEditBlock(payload)) {
        Check(static_cast<int64_t>(reg->size()) <= static_cast<int64_t>(payload.size()) - 4);
        const std::string again = MakeRegEditBlock(reinterpret_cast<const uint8_t*>(reg->data()),
                                                   static_cast<int32_t>(reg->size()));
        Check(ReadRegEditBlock(again) == reg);
    }
    for (const bool swap : {false, true})
        Check(HexTextToBytes(payload, swap).size() == HexDigits(payload) / 2);
    QMimeData list;
    list.setData(kMimeUriList, QByteArray::fromStdString(payload));
    size_t expected = 0;
    bool nul = false;
    const std::vector<std::string> files = LocalFilesOf(&list);
    for (const std::string& name : files) {
        expected += name.size() + 1;
        nul = nul || name.find('\0') != std::string::npos;
    }
    // A name holding a NUL would read as two names: refused.
    bool refused = false;
    try {
        Check(FileListToBytes(files, true).size() == expected);
    } catch (const EFOpenError&) {
        refused = true;
    }
    Check(refused == nul);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    TOrixHexEditorEx* editor = &FuzzEditor();
    const FuzzSettle settle;
    const uint8_t types = data[0], options = data[1];
    const std::string payload(reinterpret_cast<const char*>(data) + 3, size - 3);
    CheckReaders(payload);

    auto* offered = new QMimeData;
    for (int i = 0; i < 8; ++i)
        if (types & (1 << i)) offered->setData(kMimeTypes[i], QByteArray::fromStdString(payload));
    if (types & 0x80) offered->setData(kMimeSuggestedFileName, "dump.bin");
    if (types & 0x08) {
        bool own = true;
        for (const std::string& name : LocalFilesOf(offered)) own = own && InFolder(name);
        if (!own)
            offered->setData(kMimeUriList,
                             QByteArray::fromStdString("file://" + Folder() + "/a.bin\r\n"));
    }
    const TFormatEnum formats(offered);
    for (const TClipFormat format : formats.Formats())
        if (format != CF_HDROP) MimeFormatToBytes(offered, format);

    std::vector<uint8_t> start(16);
    for (size_t i = 0; i < start.size(); ++i) start[i] = static_cast<uint8_t>(i * 7 + 3);
    TMemoryStream stream;
    stream.WriteBuffer(start.data(), static_cast<int64_t>(start.size()));
    editor->LoadFromStream(stream);
    editor->SetClipboardAsHexText(options & 1);
    editor->SetSwapNibbles(options & 2);
    editor->SetInsertMode(options & 4);
    const int32_t caret = data[2] % 16;
    if (options & 8)
        editor->SetSelection(caret, caret, std::min(caret + 1, 15));
    else
        editor->SetSelStart(caret);
    QGuiApplication::clipboard()->setMimeData(offered);

    // Answers the chooser once it is open; nothing happens when the paste does not ask.
    QTimer answer;
    answer.setSingleShot(true);
    QObject::connect(&answer, &QTimer::timeout, [options] {
        auto* dialog = qobject_cast<TFormatSelDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        if (dialog->FormatList->count() > 0)
            dialog->FormatList->setCurrentRow((options >> 5) % dialog->FormatList->count());
        dialog->HexTextBox->setChecked(options & 1);
        (options & 16 ? dialog->CancelButton : dialog->OKButton)->click();
    });
    answer.start(0);

    const std::vector<uint8_t> before = DataOf(*editor);
    bool pasted = false;
    try {
        pasted = editor->CBPaste();
    } catch (const Exception&) {
        // Refused data (a whole unit missing, a file that cannot be read): nothing pasted.
        Check(DataOf(*editor) == before);
    }
    answer.stop();
    if (pasted) {
        const std::vector<uint8_t> after = DataOf(*editor);
        Check(editor->Undo());
        Check(DataOf(*editor) == before);
        Check(editor->Redo());
        Check(DataOf(*editor) == after);
        Check(editor->Undo());
        Check(DataOf(*editor) == before);
    }
    QGuiApplication::clipboard()->clear();
    return 0;
}
