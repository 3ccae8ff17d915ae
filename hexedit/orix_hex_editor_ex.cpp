#include "orix_hex_editor_ex.h"

TOrixHexEditorEx::TOrixHexEditorEx(QWidget* parent) : TCustomOrixHexEditor(parent) {
    FPrintFont = font();
    // This editor is always built from its window's description, whose reading ends with
    // Loaded: it starts as an empty "Untitled" document, so data loaded before the window is
    // shown stays.
    Loaded();
}

void TOrixHexEditorEx::EndUpdate() {
    if (FPaintLockCount == 0) return;
    if (--FPaintLockCount == 0) viewport()->update();
}

void TOrixHexEditorEx::WriteBuffer(const void* buffer, int32_t index, int32_t count) {
    TCustomOrixHexEditor::WriteBuffer(buffer, index, count);
    FModifiedFlag = true;
}

void TOrixHexEditorEx::Paint(TCanvas& canvas) {
    if (FPaintLockCount == 0) TCustomOrixHexEditor::Paint(canvas);
}
