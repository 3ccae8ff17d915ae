// Nibble insertion and deletion, which shift every later nibble of the data by four bits, and
// the re-encoding of a range. The shift runs in place over the data's one block: no temporary
// file and no second copy of the tail, and nothing that can fail once the data is touched.
// Every step is checked and made possible (bounds, room for the added byte, the undo step)
// before the data changes, so a refusal leaves data, history and modified flag as they were.
#include "nibble_shift.h"
#include "orix_hex_wait_cursor.h"

#include <cstdio>

std::string TCustomOrixHexEditor::GetTempName() {
    return OrixHFreeTempName();
}

std::unique_ptr<TFileStream> TCustomOrixHexEditor::CreateShift4BitStream(int32_t start,
                                                                         std::string& fileName) {
    const int32_t size = GetDataSize();
    if (start >= size) return nullptr;
    FDataStore.CheckRange(start, size - start);
    std::string name;
    std::unique_ptr<TFileStream> file = CreateOrixHTempFile(name);
    try {
        WriteNibbleShifted(FDataStore.Memory() + start, size - start, *file);
        file->SetPosition(0);
    } catch (...) {
        file.reset();
        std::remove(name.c_str());
        throw;
    }
    fileName = name;
    return file;
}

bool TCustomOrixHexEditor::InternalInsertNibble(int32_t pos, bool highNibble) {
    const int32_t n = GetDataSize();
    if (n == 0) return false;
    FDataStore.CheckRange(pos, 1);
    if (static_cast<int64_t>(n) + 1 > INT32_MAX)
        throw EOrixHexEditor("Data position/length out of data bounds");
    TOrixHWaitCursor wait(this);
    const uint8_t b = GetDataAt(pos);
    const uint8_t last = GetDataAt(n - 1);
    FDataStore.SetSize(static_cast<int64_t>(n) + 1); // may fail; the bytes stay as they were
    NibbleShiftRight(FDataStore.Memory() + pos, n - pos);
    SetDataAt(pos, highNibble ? static_cast<uint8_t>(b >> 4) : static_cast<uint8_t>(b & 0xF0));
    SetDataAt(n, static_cast<uint8_t>(last << 4));
    return true;
}

bool TCustomOrixHexEditor::InternalDeleteNibble(int32_t pos, bool highNibble) {
    const int32_t n = GetDataSize();
    if (n == 0) return false;
    FDataStore.CheckRange(pos, 1);
    TOrixHWaitCursor wait(this);
    const uint8_t b = GetDataAt(pos);
    if (pos == n - 1) {
        SetDataAt(pos, highNibble ? static_cast<uint8_t>(b << 4) : static_cast<uint8_t>(b & 0xF0));
        return true;
    }
    NibbleShiftLeft(FDataStore.Memory() + pos, n - pos);
    if (!highNibble) SetDataAt(pos, static_cast<uint8_t>((GetDataAt(pos) & 0x0F) | (b & 0xF0)));
    SetDataAt(n - 1, static_cast<uint8_t>(GetDataAt(n - 1) << 4));
    return true;
}

bool TCustomOrixHexEditor::InsertNibble(int32_t pos, bool highNibble, const std::string& undoDesc) {
    const int32_t n = GetDataSize();
    if (n == 0) {
        ResetSelection(true);
        const uint8_t zero = 0;
        AppendBuffer(&zero, 1, "", true);
        return true;
    }
    if (pos < 0 || pos >= n) return false;
    if (static_cast<int64_t>(n) + 1 > INT32_MAX)
        throw EOrixHexEditor("Data position/length out of data bounds");
    // A refusal first, before the block grows for nothing.
    if (!CanCreateUndo(ufKindNibbleInsert, 0, 0)) throw EOrixHexEditor(ORIXH_CANNOT_UPDATE_UNDO);
    // Room for the added byte before the step is recorded: growing is what can fail, and the
    // block keeps its room when the size goes back, so the insertion itself cannot fail.
    FDataStore.SetSize(static_cast<int64_t>(n) + 1);
    FDataStore.SetSize(n);
    return NibbleStep(ufKindNibbleInsert, pos, highNibble, undoDesc);
}

bool TCustomOrixHexEditor::DeleteNibble(int32_t pos, bool highNibble, const std::string& undoDesc) {
    if (pos < 0 || pos >= GetDataSize()) return false;
    return NibbleStep(ufKindNibbleDelete, pos, highNibble, undoDesc);
}

bool TCustomOrixHexEditor::NibbleStep(TOrixHUndoFlag kind, int32_t pos, bool highNibble,
                                      const std::string& undoDesc) {
    CreateUndo(kind, pos, 0, 0, undoDesc);
    ResetSelection(true);
    const bool done = kind == ufKindNibbleInsert ? InternalInsertNibble(pos, highNibble)
                                                 : InternalDeleteNibble(pos, highNibble);
    if (done) CutChangedMap(pos);
    CalcSizes();
    Changed();
    return done;
}

void TCustomOrixHexEditor::InternalConvertRange(int32_t from, int32_t to,
                                                TOrixHTranslationKind transFrom,
                                                TOrixHTranslationKind transTo) {
    TOrixHWaitCursor wait(this);
    const int32_t count = static_cast<int32_t>(static_cast<int64_t>(to) - from + 1);
    FDataStore.TranslateToAnsi(transFrom, from, count);
    FDataStore.TranslateFromAnsi(transTo, from, count);
}

void TCustomOrixHexEditor::ConvertRange(int32_t from, int32_t to, TOrixHTranslationKind transFrom,
                                        TOrixHTranslationKind transTo,
                                        const std::string& undoDesc) {
    if (to < from || transFrom == transTo || to >= GetDataSize() || from < 0) return;
    CreateUndo(ufKindConvert, from, to - from + 1, 0, undoDesc);
    InternalConvertRange(from, to, transFrom, transTo);
    viewport()->update();
    Changed();
}
