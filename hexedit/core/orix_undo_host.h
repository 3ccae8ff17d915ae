#pragma once
// TOrixHUndoHost: what the undo storage needs of the editor whose steps it records and
// applies. The storage reaches the editor through this alone: caret cells, the grid and the
// widget stay behind these calls.
#include "orix_hbookmark.h"
#include "translations.h"

#include <cstdint>

// The editor's state that a record keeps and that undo and redo put back.
struct TOrixHUndoState {
    int32_t CaretPosition = 0; // data position of the caret cell
    bool CaretInCharField = false;
    // In the hex field: the caret is not on the first column of its position.
    bool CaretOnSecondDigit = false;
    bool InsertMode = false; // the switch, not whether insert mode is possible now
    bool Modified = false;
    bool UnicodeChars = false;
    bool UnicodeBigEndian = false;
    TOrixHTranslationKind Translation = tkAsIs;
    int32_t BytesPerUnit = 1;
};

// A selection as records keep it. A Last of -1 beside a set First: the caret only.
struct TOrixHSelectionTriple {
    int32_t First = -1;
    int32_t Last = -1;
    int32_t Anchor = -1;
};

class TOrixHUndoHost {
public:
    // ---- the data ----
    // The limit in bytes of the undo stream; 0 or less: no limit.
    virtual int32_t UndoLimit() const = 0;
    virtual int32_t DataSize() const = 0;
    // Raises the data's bounds error unless count bytes from position are in the data.
    virtual void CheckDataRange(int32_t position, int32_t count) = 0;
    virtual void ReadBytes(void* buffer, int32_t position, int32_t count) = 0;
    // The editor's own write, which a derived editor may extend.
    virtual void WriteBytes(const void* buffer, int32_t position, int32_t count) = 0;
    virtual void PutByte(int32_t position, uint8_t value) = 0;
    // Size changes that record nothing themselves.
    virtual void InsertBytes(const void* buffer, int32_t count, int32_t position) = 0;
    virtual void AppendBytes(const void* buffer, int32_t count) = 0;
    // The bytes from .. to - 1 go; no caret cell is kept.
    virtual void DeleteBytes(int32_t from, int32_t to) = 0;
    // The low nibble of position: a zero nibble enters there (the data grows by one byte), or
    // that nibble goes (the size stays, a zero nibble enters at the end).
    virtual void InsertNibbleAt(int32_t position) = 0;
    virtual void DeleteNibbleAt(int32_t position) = 0;
    // The data's size set directly, or the whole data replaced; the layout follows.
    virtual void ResizeData(int32_t size) = 0;
    virtual void ReplaceAllData(const void* buffer, int32_t count) = 0;

    // ---- changed marks ----
    virtual bool IsMarkedChanged(int32_t position) const = 0;
    virtual void MarkChanged(int32_t position, bool changed) = 0;
    // The marks from position on go.
    virtual void CutChangedMarks(int32_t position) = 0;

    // ---- bookmarks ----
    // The bookmarks at or after from move by offset: for a change about to happen (judged
    // against the size it will leave), or after one (judged against the size now).
    virtual void MoveBookmarksForChange(int32_t from, int32_t offset) = 0;
    virtual void MoveBookmarksAfterChange(int32_t from, int32_t offset) = 0;
    virtual TOrixHBookmarks BookmarksNow() const = 0;
    // Without an event: the caller announces the change.
    virtual void RestoreBookmarks(const TOrixHBookmarks& bookmarks) = 0;

    // ---- caret, selection and modes ----
    virtual TOrixHUndoState StateNow() = 0;
    virtual TOrixHSelectionTriple SelectionNow() const = 0;
    virtual void RestoreInsertMode(bool on) = 0;
    // The caret cell of the state's position, field and digit, with the anchor.
    virtual void RestoreCaret(const TOrixHUndoState& state) = 0;
    // A plain assignment of the modified flag, no event.
    virtual void RestoreModified(bool modified) = 0;
    // The caret to position with no selection.
    virtual void RestoreCaretAt(int32_t position) = 0;
    virtual void RestoreSelection(const TOrixHSelectionTriple& selection) = 0;
    // Unicode mode, byte order, translation and unit size of the state.
    virtual void RestoreModes(const TOrixHUndoState& state) = 0;
    virtual void RestoreCharField(bool inCharField) = 0;
    // Before appended bytes go: the caret leaves the columns that may go with them.
    virtual void CaretToFirstDataColumn() = 0;

    // ---- notifications ----
    virtual void Repaint() = 0;
    virtual void NotifyChanged() = 0;
    virtual void NotifyBookmarksChanged() = 0;

protected:
    ~TOrixHUndoHost() = default;
};
