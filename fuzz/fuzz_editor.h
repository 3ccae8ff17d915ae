#pragma once
// One hex editor control for the whole run of a target, on the offscreen application.
#include "fuzz_qt.h"
#include "orix_hex_editor_ex.h"

inline TOrixHexEditorEx& FuzzEditor() {
    static TOrixHexEditorEx* editor = [] {
        FuzzApp();
        auto* e = new TOrixHexEditorEx;
        e->resize(600, 300);
        return e;
    }();
    return *editor;
}
