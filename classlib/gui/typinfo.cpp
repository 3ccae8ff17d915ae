#include "typinfo.h"

#include "exceptions.h"
#include "sysutils.h"

#include <QStringDecoder>
#include <QWidget>
#include <map>
#include <unordered_map>

namespace {

struct TypeNames {
    TPropKind Kind;
    std::vector<std::string> Names;
    TOrdinalOf Get; // ordinal or member bits
    TValueOf Make;
};

std::map<int, TypeNames>& Registry() {
    static std::map<int, TypeNames> registry;
    return registry;
}

const TypeNames* NamesOf(const QMetaProperty& property) {
    static const bool fontStyles = [] {
        RegisterSetType<TFontStyles>({"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"});
        return true;
    }();
    (void)fontStyles;
    const auto found = Registry().find(property.metaType().id());
    return found == Registry().end() ? nullptr : &found->second;
}

[[noreturn]] void InvalidValue(const std::string& text) {
    throw EPropertyConvertError(Format("Invalid property value: %s", text.c_str()));
}

[[noreturn]] void InvalidElement(const std::string& text) {
    throw EPropertyConvertError(Format("Invalid property element: %s", text.c_str()));
}

// The number the text gives (EConvertError when it gives none), kept within low..high.
int64_t Number(const std::string& text, int64_t low, int64_t high) {
    const int64_t value = StrToInt64(text);
    if (value < low || value > high) InvalidValue(text);
    return value;
}

int64_t IndexOf(const std::vector<std::string>& names, const std::string& name) {
    for (size_t i = 0; i < names.size(); ++i)
        if (SameText(names[i], name)) return static_cast<int64_t>(i);
    return -1;
}

// An ordinal: the identifier, or its number.
uint64_t Ordinal(const std::vector<std::string>& names, const std::string& text) {
    int64_t number = 0;
    if (TryStrToInt64(text, number)) {
        if (number < 0 || number >= static_cast<int64_t>(names.size())) InvalidValue(text);
        return static_cast<uint64_t>(number);
    }
    const int64_t index = IndexOf(names, text);
    if (index < 0) InvalidElement(text);
    return static_cast<uint64_t>(index);
}

// A set: member identifiers separated by "," or blanks, with or without brackets, or the
// number of its bits.
uint64_t SetBits(const std::vector<std::string>& names, const std::string& text) {
    const uint64_t all = (uint64_t{1} << names.size()) - 1;
    int64_t number = 0;
    if (TryStrToInt64(text, number)) {
        if (number < 0 || (static_cast<uint64_t>(number) & ~all) != 0) InvalidValue(text);
        return static_cast<uint64_t>(number);
    }
    std::string body = Trim(text);
    if (body.size() >= 2 && body.front() == '[' && body.back() == ']')
        body = body.substr(1, body.size() - 2);
    uint64_t bits = 0;
    std::string word;
    const auto take = [&] {
        if (word.empty()) return;
        const int64_t index = IndexOf(names, word);
        if (index < 0) InvalidElement(word);
        bits |= uint64_t{1} << index;
        word.clear();
    };
    for (const char c : body) {
        if (c == ',' || static_cast<unsigned char>(c) <= ' ')
            take();
        else
            word += c;
    }
    take();
    return bits;
}

} // namespace

void RegisterTypeNames(QMetaType type, TPropKind kind, std::vector<std::string> names,
                       TOrdinalOf ordinalOf, TValueOf valueOf) {
    Registry()[type.id()] = TypeNames{kind, std::move(names), ordinalOf, valueOf};
}

QMetaProperty FindPropInfo(const QObject& object, const std::string& name) {
    // Per class, each property's name in lower case with its index; a derived class's
    // property hides a base's of the same name.
    static std::unordered_map<const QMetaObject*, std::unordered_map<std::string, int>> classes;
    const QMetaObject* meta = object.metaObject();
    auto found = classes.find(meta);
    if (found == classes.end()) {
        std::unordered_map<std::string, int> names;
        for (int i = 0; i < meta->propertyCount(); ++i)
            names[LowerCase(meta->property(i).name())] = i;
        found = classes.emplace(meta, std::move(names)).first;
    }
    const auto index = found->second.find(LowerCase(name));
    return index == found->second.end() ? QMetaProperty() : meta->property(index->second);
}

TPropKind PropKind(const QMetaProperty& property) {
    if (!property.isValid()) return TPropKind::None;
    const QMetaType type = property.metaType();
    switch (type.id()) {
    case QMetaType::Bool:
        return TPropKind::Boolean;
    case QMetaType::Int:
        return TPropKind::Integer;
    case QMetaType::LongLong:
        return TPropKind::Int64;
    case QMetaType::UChar:
        return TPropKind::Byte;
    case QMetaType::Char:
        return TPropKind::Char;
    case QMetaType::QString:
        return TPropKind::String;
    case QMetaType::QFont:
        return TPropKind::Class;
    default:
        break;
    }
    if (type == QMetaType::fromType<TColorProp>()) return TPropKind::Color;
    if (type.flags() & QMetaType::PointerToQObject) return TPropKind::Class;
    if (const TypeNames* names = NamesOf(property)) return names->Kind;
    return TPropKind::None;
}

QObject* GetObjectProp(QObject& object, const QMetaProperty& property) {
    if (property.metaType().id() == QMetaType::QFont) return &TFontProperties::Of(object, property);
    return property.read(&object).value<QObject*>();
}

std::string GetPropValue(const QObject& object, const QMetaProperty& property) {
    const QVariant value = property.read(&object);
    switch (PropKind(property)) {
    case TPropKind::Boolean:
        return value.toBool() ? "True" : "False";
    case TPropKind::Integer:
        return IntToStr(value.toInt());
    case TPropKind::Color: {
        const auto color = static_cast<uint32_t>(value.value<TColorProp>());
        // System colour n: 0x80000000 + n here, 0xFF000000 + n in the class library.
        const uint32_t text = (color & 0xFF000000u) == 0x80000000u ? color | 0xFF000000u : color;
        return IntToStr(static_cast<int32_t>(text));
    }
    case TPropKind::Int64:
        return IntToStr(value.toLongLong());
    case TPropKind::Byte:
        return IntToStr(value.value<uchar>());
    case TPropKind::Char:
        return IntToStr(static_cast<uint8_t>(value.value<char>()));
    case TPropKind::String:
        return value.toString().toStdString();
    case TPropKind::Enumeration: {
        const TypeNames& names = *NamesOf(property);
        const uint64_t n = names.Get(value);
        return n < names.Names.size() ? names.Names[n] : IntToStr(static_cast<int64_t>(n));
    }
    case TPropKind::Set: {
        const TypeNames& names = *NamesOf(property);
        const uint64_t bits = names.Get(value);
        std::string text;
        for (size_t i = 0; i < names.Names.size(); ++i) {
            if (!((bits >> i) & 1u)) continue;
            if (!text.empty()) text += ',';
            text += names.Names[i];
        }
        return text;
    }
    case TPropKind::None:
    case TPropKind::Class:
        break;
    }
    return {};
}

void SetPropValue(QObject& object, const QMetaProperty& property, const std::string& text) {
    QVariant value;
    switch (PropKind(property)) {
    case TPropKind::Boolean:
        value = Ordinal({"False", "True"}, text) != 0;
        break;
    case TPropKind::Integer:
        value = static_cast<int>(Number(text, INT32_MIN, INT32_MAX));
        break;
    case TPropKind::Color: {
        auto color =
            static_cast<uint32_t>(static_cast<int32_t>(Number(text, INT32_MIN, INT32_MAX)));
        if ((color & 0xFF000000u) == 0xFF000000u) color = (color & 0x00FFFFFFu) | 0x80000000u;
        value = QVariant::fromValue(static_cast<TColorProp>(static_cast<int32_t>(color)));
        break;
    }
    case TPropKind::Int64:
        value = static_cast<qlonglong>(StrToInt64(text));
        break;
    case TPropKind::Byte:
        value = QVariant::fromValue(static_cast<uchar>(Number(text, 0, 255)));
        break;
    case TPropKind::Char: {
        int64_t code = 0;
        // A character property takes the character's code, never a text.
        if (!TryStrToInt64(text, code) || code < 0 || code > 255) InvalidValue(text);
        value = QVariant::fromValue(static_cast<char>(static_cast<uint8_t>(code)));
        break;
    }
    case TPropKind::String: {
        // Bytes that are no UTF-8 would be stored as replacement characters: refused.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString decoded =
            utf8(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
        if (utf8.hasError()) InvalidValue(text);
        value = decoded;
        break;
    }
    case TPropKind::Enumeration: {
        const TypeNames& names = *NamesOf(property);
        value = names.Make(Ordinal(names.Names, text));
        break;
    }
    case TPropKind::Set: {
        const TypeNames& names = *NamesOf(property);
        value = names.Make(SetBits(names.Names, text));
        break;
    }
    case TPropKind::None:
    case TPropKind::Class:
        InvalidValue(text);
    }
    if (!property.isWritable() || !property.write(&object, value)) InvalidValue(text);
}

// ---------------------------------------------------------------- fonts

TFontProperties::TFontProperties(QObject& owner, const QMetaProperty& fontProperty)
    : QObject(&owner), owner_(owner), property_(fontProperty) {
    setObjectName(QLatin1String(fontProperty.name()));
}

TFontProperties& TFontProperties::Of(QObject& owner, const QMetaProperty& fontProperty) {
    const QString name = QLatin1String(fontProperty.name());
    for (QObject* child : owner.children()) {
        auto* font = qobject_cast<TFontProperties*>(child);
        if (font && font->objectName() == name) return *font;
    }
    return *new TFontProperties(owner, fontProperty);
}

QFont TFontProperties::Font() const {
    return property_.read(&owner_).value<QFont>();
}

void TFontProperties::SetFont(const QFont& font) {
    // An unchanged font costs its owner no new layout.
    if (!(font == Font())) property_.write(&owner_, font);
}

void TFontProperties::SetName(const QString& value) {
    QFont font = Font();
    font.setFamily(value);
    SetFont(font);
}

int TFontProperties::Size() const {
    const QFont font = Font();
    if (font.pointSize() > 0) return font.pointSize();
    const auto* widget = qobject_cast<const QWidget*>(&owner_);
    const int dpi = widget ? std::max(1, widget->logicalDpiY()) : 96;
    return std::max(1, qRound(font.pixelSize() * 72.0 / dpi));
}

void TFontProperties::SetSize(int value) {
    if (value < 1) InvalidValue(IntToStr(value));
    QFont font = Font();
    font.setPointSize(value);
    SetFont(font);
}

TFontStyles TFontProperties::Style() const {
    const QFont font = Font();
    return TFontStyles{static_cast<uint8_t>((font.bold() ? 1 : 0) | (font.italic() ? 2 : 0) |
                                            (font.underline() ? 4 : 0) |
                                            (font.strikeOut() ? 8 : 0))};
}

void TFontProperties::SetStyle(TFontStyles value) {
    QFont font = Font();
    font.setBold(value.Bits & 1);
    font.setItalic(value.Bits & 2);
    font.setUnderline(value.Bits & 4);
    font.setStrikeOut(value.Bits & 8);
    SetFont(font);
}
