#include "flash_editor_form.h"

#include <utility>
#include <vector>

void ApplyFlashEditorForm(TOrixHexEditorEx& editor) {
    QFont font("Courier New");
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(15); // the description's Height -15: characters 15 pixels high
    editor.setFont(font);
    editor.SetPrintFontFrom(font);
    editor.SetCursor(crIBeam);
    const std::vector<std::pair<const char*, QVariant>> properties = {
        {"BackupExtension", QString(".bak")},
        {"BytesPerRow", 16},
        {"Translation", static_cast<int>(tkAsIs)},
        {"OffsetFormat", QString("-!10:0x|")},
        {"FocusFrame", true},
        {"DrawGridLines", false},
        {"ShowRuler", true},
    };
    for (const auto& [name, value] : properties) editor.setProperty(name, value);
    const std::vector<std::pair<const char*, TColor>> colors = {
        {"Background", clWindow},
        {"ChangedBackground", 11075583}, // A8FFFF, a light yellow
        {"ChangedText", clMaroon},
        {"CursorFrame", clNavy},
        {"Offset", clBlack},
        {"OddColumn", clBlue},
        {"EvenColumn", clNavy},
        {"CurrentOffsetBackground", clBtnShadow},
        {"OffsetBackground", clBtnFace},
        {"CurrentOffset", clBtnHighlight},
        {"Grid", clBtnFace},
        {"NonFocusCursorFrame", clAqua},
        {"ActiveFieldBackground", clWindow},
    };
    for (const auto& [name, value] : colors)
        editor.Colors().setProperty(name, static_cast<int>(value));
}
