// The control's public settings as text: Name=Value lines for the paths of one table, read and
// written through the Qt properties of the control and of the objects it holds (colours,
// fonts, print options), so that no property is named anywhere else.
#include "orix_hex_editor_ex.h"
#include "sysutils.h"
#include "typinfo.h"

#include <unordered_set>

namespace {

// The names of the enumerations and sets that the properties use.
void RegisterTextTypes() {
    static const bool registered = [] {
        RegisterEnumType<TOrixHTranslationKind>(
            {"tkAsIs", "tkDos8", "tkASCII", "tkMac", "tkBCD", "tkCustom"});
        RegisterEnumType<TOrixHCaretKind>({"ckFull", "ckLeft", "ckBottom", "ckAuto"});
        RegisterSetType<TOrixHPrintFlagBits>({"pfSelectionOnly", "pfSelectionBold", "pfMonochrome",
                                              "pfUseBackgroundColor", "pfCurrentViewOnly",
                                              "pfIncludeRuler"});
        return true;
    }();
    (void)registered;
}

// The object that holds the last part of the path, with the path cut to that part; nullptr when
// an object on the way is none. A part that names no object raises "Property %s does not
// exist" when strict, and gives nullptr otherwise.
QObject* ResolvePath(QObject& root, std::string& path, bool strict) {
    QObject* object = &root;
    for (size_t dot = path.find('.'); dot != std::string::npos; dot = path.find('.')) {
        const std::string part = path.substr(0, dot);
        const QMetaProperty property = FindPropInfo(*object, part);
        if (PropKind(property) != TPropKind::Class) {
            if (!strict) return nullptr;
            throw EPropertyError(Format("Property %s does not exist", part.c_str()));
        }
        object = GetObjectProp(*object, property);
        path.erase(0, dot + 1);
        if (!object) return nullptr;
    }
    return object;
}

} // namespace

const std::vector<const char*>& TOrixHexEditorEx::PublicPropertyNames() {
    // The control's published order: its own properties, then the inherited ones. The last
    // entry names no colour: it is never written and fails when read.
    static const std::vector<const char*> names = {
        "CreateBackup",
        "BackupExtension",
        "OleDragDrop",
        "ClipboardAsHexText",
        "FlushClipboardAtShutDown",
        "SupportsOtherClipFormats",
        "PrintOptions.MarginLeft",
        "PrintOptions.MarginTop",
        "PrintOptions.MarginRight",
        "PrintOptions.MarginBottom",
        "PrintOptions.PageHeader",
        "PrintOptions.PageFooter",
        "PrintOptions.Flags",
        "PrintFont.Charset",
        "PrintFont.Color",
        "PrintFont.Name",
        "PrintFont.Size",
        "PrintFont.Style",
        "UseEditorFontForPrinting",
        "ZoomOnWheel",
        "Font.Charset",
        "Font.Color",
        "Font.Name",
        "Font.Size",
        "Font.Style",
        "AutoBytesPerRow",
        "BytesPerRow",
        "BytesPerColumn",
        "Translation",
        "OffsetFormat",
        "CaretKind",
        "Colors.Background",
        "Colors.ChangedBackground",
        "Colors.ChangedText",
        "Colors.CursorFrame",
        "Colors.Offset",
        "Colors.OddColumn",
        "Colors.EvenColumn",
        "Colors.CurrentOffsetBackground",
        "Colors.OffsetBackground",
        "Colors.CurrentOffset",
        "Colors.Grid",
        "Colors.NonFocusCursorFrame",
        "Colors.ActiveFieldBackground",
        "FocusFrame",
        "SwapNibbles",
        "MaskChar",
        "NoSizeChange",
        "AllowInsertMode",
        "DrawGridLines",
        "ReadOnlyView",
        "HideSelection",
        "GraySelectionIfNotFocused",
        "GutterWidth",
        "MaxUndo",
        "InsertMode",
        "HexLowerCase",
        "DrawGutter3D",
        "ShowRuler",
        "BytesPerUnit",
        "RulerBytesPerUnit",
        "ShowPositionIfNotFocused",
        "UnicodeChars",
        "UnicodeBigEndian",
        "BytesPerBlock",
        "SeparateBlocksInCharField",
        "FindProgress",
        "RulerNumberBase",
        "Colors.CrooshairBackground",
    };
    return names;
}

bool TOrixHexEditorEx::IsPropPublic(const std::string& propertyPath) {
    // The table's paths in lower case: a path is public when it equals one without regard
    // to case.
    static const std::unordered_set<std::string> lowered = [] {
        std::unordered_set<std::string> paths;
        for (const char* name : PublicPropertyNames()) paths.insert(LowerCase(name));
        return paths;
    }();
    if (!lowered.count(LowerCase(propertyPath))) return false;
    bool isPublic = true;
    if (OnQueryPublicProperty) OnQueryPublicProperty(this, propertyPath, isPublic);
    return isPublic;
}

std::string TOrixHexEditorEx::GetPropertiesAsString() {
    RegisterTextTypes();
    std::string text;
    for (const char* name : PublicPropertyNames()) {
        if (!IsPropPublic(name)) continue;
        std::string last = name;
        QObject* object = ResolvePath(*this, last, false);
        if (!object) continue;
        const QMetaProperty property = FindPropInfo(*object, last);
        const TPropKind kind = PropKind(property);
        if (kind == TPropKind::None || kind == TPropKind::Class) continue;
        const std::string value = GetPropValue(*object, property);
        // Read back, the rest of the value would be a line of its own.
        if (kind == TPropKind::String && value.find_first_of("\r\n") != std::string::npos)
            throw EOrixHexEditor(
                Format("Property %s holds a line break and cannot be given as text", name));
        text += name;
        text += '=';
        text += value;
        text += "\r\n";
    }
    return text;
}

void TOrixHexEditorEx::SetPropertiesAsString(const std::string& text) {
    RegisterTextTypes();
    BeginUpdate();
    try {
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find_first_of("\r\n", start);
            if (end == std::string::npos) end = text.size();
            const std::string line = text.substr(start, end - start);
            start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
            const size_t equals = line.find('=');
            std::string name = equals == std::string::npos ? std::string() : line.substr(0, equals);
            if (!IsPropPublic(name)) continue;
            QObject* object = ResolvePath(*this, name, true);
            if (!object) continue;
            const QMetaProperty property = FindPropInfo(*object, name);
            if (!property.isValid())
                throw EPropertyError(Format("Property %s does not exist", name.c_str()));
            SetPropValue(*object, property, line.substr(equals + 1));
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}
