// The control's public settings as text: Name=Value lines for the paths of one table, read and
// written through the Qt properties of the control and of the objects it holds (colours,
// fonts, print options).
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

// The published properties of the control that text can hold, as paths in their published
// order (its own, the standard control's font, then those of the core control), and whether
// each is in the table of public paths. The last entry is in that table but names no colour:
// no property is found for it, so it is never written, and it fails when read.
struct TextPath {
    const char* Path;
    bool Public;
};
const TextPath kTextPaths[] = {
    {"CreateBackup", true},
    {"BackupExtension", true},
    {"OleDragDrop", true},
    {"ClipboardAsHexText", true},
    {"FlushClipboardAtShutDown", true},
    {"SupportsOtherClipFormats", true},
    {"PrintOptions.MarginLeft", true},
    {"PrintOptions.MarginTop", true},
    {"PrintOptions.MarginRight", true},
    {"PrintOptions.MarginBottom", true},
    {"PrintOptions.PageHeader", true},
    {"PrintOptions.PageFooter", true},
    {"PrintOptions.Flags", true},
    {"PrintFont.Charset", true},
    {"PrintFont.Color", true},
    {"PrintFont.Name", true},
    {"PrintFont.Size", true},
    {"PrintFont.Style", true},
    {"UseEditorFontForPrinting", true},
    {"ZoomOnWheel", true},
    {"Font.Charset", true},
    {"Font.Color", true},
    {"Font.Name", true},
    {"Font.Size", true},
    {"Font.Style", true},
    {"AutoBytesPerRow", true},
    {"BytesPerRow", true},
    {"BytesPerColumn", true},
    {"Translation", true},
    {"OffsetFormat", true},
    {"CaretKind", true},
    {"Colors.Background", true},
    {"Colors.ChangedBackground", true},
    {"Colors.ChangedText", true},
    {"Colors.CursorFrame", true},
    {"Colors.Offset", true},
    {"Colors.OddColumn", true},
    {"Colors.EvenColumn", true},
    {"Colors.CurrentOffsetBackground", true},
    {"Colors.OffsetBackground", true},
    {"Colors.CurrentOffset", true},
    {"Colors.Grid", true},
    {"Colors.NonFocusCursorFrame", true},
    {"Colors.ActiveFieldBackground", true},
    {"FocusFrame", true},
    {"SwapNibbles", true},
    {"MaskChar", true},
    {"NoSizeChange", true},
    {"AllowInsertMode", true},
    {"DrawGridLines", true},
    {"WantTabs", false},
    {"ReadOnlyView", true},
    {"HideSelection", true},
    {"GraySelectionIfNotFocused", true},
    {"GutterWidth", true},
    {"Version", false},
    {"MaxUndo", true},
    {"InsertMode", true},
    {"HexLowerCase", true},
    {"DrawGutter3D", true},
    {"ShowRuler", true},
    {"BytesPerUnit", true},
    {"RulerBytesPerUnit", true},
    {"ShowPositionIfNotFocused", true},
    {"UnicodeChars", true},
    {"UnicodeBigEndian", true},
    {"BytesPerBlock", true},
    {"SeparateBlocksInCharField", true},
    {"FindProgress", true},
    {"RulerNumberBase", true},
    {"Colors.CrooshairBackground", true},
};

} // namespace

const std::vector<const char*>& TOrixHexEditorEx::PublicPropertyNames() {
    static const std::vector<const char*> names = [] {
        std::vector<const char*> paths;
        for (const TextPath& path : kTextPaths)
            if (path.Public) paths.push_back(path.Path);
        return paths;
    }();
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
    // Each published property is asked about, also those outside the table, which a
    // descendant's IsPropPublic may accept.
    for (const TextPath& path : kTextPaths) {
        const char* name = path.Path;
        std::string last = name;
        QObject* object = ResolvePath(*this, last, false);
        if (!object) continue;
        const QMetaProperty property = FindPropInfo(*object, last);
        const TPropKind kind = PropKind(property);
        if (kind == TPropKind::None || kind == TPropKind::Class || !IsPropPublic(name)) continue;
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
