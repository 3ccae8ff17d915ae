// The ten bookmarks: set and toggled at the caret, reached, and shifted with the data.
#include "orix_hex_editor.h"

#include <algorithm>
#include <cstdint>

namespace {
void CheckBookmarkIndex(int index) {
    if (index < 0 || index > 9) throw EOrixHexEditor("Invalid bookmark index");
}

// Moves the set bookmarks at or after from by offset; one that lands past sizeAfter (the data
// size once the change is complete) or before 0 is unset. True when one was moved.
bool ShiftBookmarks(TOrixHBookmarks& marks, int32_t from, int32_t offset, int64_t sizeAfter) {
    if (from < 0) return false;
    // No data grows past the largest position, whatever size a shift claims.
    const int64_t last = std::min<int64_t>(sizeAfter, INT32_MAX);
    bool shifted = false;
    for (TOrixHBookmark& mark : marks) {
        if (mark.mPosition < from) continue;
        const int64_t moved = static_cast<int64_t>(mark.mPosition) + offset;
        mark.mPosition = moved < 0 || moved > last ? -1 : static_cast<int32_t>(moved);
        shifted = true;
    }
    return shifted;
}
} // namespace

TOrixHBookmark TCustomOrixHexEditor::GetBookmark(int index) const {
    CheckBookmarkIndex(index);
    return FBookmarks[static_cast<size_t>(index)];
}

void TCustomOrixHexEditor::SetBookmark(int index, const TOrixHBookmark& bookmark) {
    SetBookmarkVals(index, bookmark.mPosition, bookmark.mInCharField);
}

void TCustomOrixHexEditor::SetBookmarkVals(int index, int32_t position, bool inCharField) {
    CheckBookmarkIndex(index);
    TOrixHBookmark& mark = FBookmarks[static_cast<size_t>(index)];
    // Setting a bookmark to the values it has is the toggle: it goes.
    if (mark.mPosition == position && mark.mInCharField == inCharField)
        mark.mPosition = -1;
    else
        mark.mPosition = position;
    mark.mInCharField = inCharField;
    viewport()->update();
    BookmarkChanged();
}

bool TCustomOrixHexEditor::GotoBookmark(int32_t index) {
    if (index < 0 || index > 9) return false;
    const TOrixHBookmark mark = FBookmarks[static_cast<size_t>(index)];
    if (mark.mPosition < 0) return false;
    ResetSelection(true);
    const int32_t size = GetDataSize();
    if (mark.mPosition < size || (mark.mPosition == size && GetInsertMode())) {
        const TGridCoord cell = GetCursorAtPos(mark.mPosition, mark.mInCharField);
        MoveColRow(cell.X, cell.Y, true, true);
        return true;
    }
    SetBookmarkVals(index, -1, false);
    return false;
}

void TCustomOrixHexEditor::AdjustBookmarks(int32_t from, int32_t offset) {
    if (ShiftBookmarks(FBookmarks, from, offset, static_cast<int64_t>(GetDataSize()) + offset))
        BookmarkChanged();
}

void TCustomOrixHexEditor::AdjustBookmarksAfterChange(int32_t from, int32_t offset) {
    if (ShiftBookmarks(FBookmarks, from, offset, GetDataSize())) BookmarkChanged();
}

void TCustomOrixHexEditor::BookmarkChanged() {
    if (OnBookmarkChanged) OnBookmarkChanged(this);
}
