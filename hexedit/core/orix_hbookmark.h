#pragma once
// The hex editor's ten bookmarks: a data position (-1: not set) and the field in which each
// was set. The undo storage copies them raw into its redo block (8 bytes a bookmark).
#include <array>
#include <cstdint>

struct TOrixHBookmark {
    int32_t mPosition = -1;
    bool mInCharField = false;
};
using TOrixHBookmarks = std::array<TOrixHBookmark, 10>;
