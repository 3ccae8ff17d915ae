#pragma once
// The main window's hex view (FlashEditor) as its form description sets it up.
#include "orix_hex_editor_ex.h"

// Gives the editor the values of the main window's form description for its hex view
// (font, ruler, offsets, colours, backup extension).
void ApplyFlashEditorForm(TOrixHexEditorEx& editor);
