#pragma once
// Access to an object's published properties by name, in text form, as the class library
// gives it: the Qt properties of a QObject, found without regard to case, read as text and set
// from text with the conversion that the property's type asks for.
//
// Kinds follow the property's type: bool is a Boolean ("True", "False"); int and qlonglong
// are integers; TColorProp is a colour (a number, system colours in the class library's
// numbering); unsigned char is a Byte and char a character (both as the decimal code);
// QString is a string, taken unchanged; a type registered with RegisterEnumType is an
// enumeration and one registered with RegisterSetType a set (identifiers, "," between the
// members of a set); QObject* and QFont hold an object whose own properties are reached by
// name (a QFont through TFontProperties). Anything else is not reachable as text.
#include "colors.h"

#include <QFont>
#include <QMetaProperty>
#include <QObject>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <type_traits>
#include <vector>

enum class TPropKind : uint8_t {
    None,
    Boolean,
    Enumeration,
    Set,
    Integer,
    Color,
    Int64,
    Byte,
    Char,
    String,
    Class,
};

// The identifiers of an enumeration (ordinal = index) or of a set's members (bit = index),
// with the way from a value of the type to its ordinal or bits and back.
using TOrdinalOf = uint64_t (*)(const QVariant& value);
using TValueOf = QVariant (*)(uint64_t ordinal);
void RegisterTypeNames(QMetaType type, TPropKind kind, std::vector<std::string> names,
                       TOrdinalOf ordinalOf, TValueOf valueOf);

template <class T> void RegisterEnumType(std::initializer_list<const char*> names) {
    RegisterTypeNames(
        QMetaType::fromType<T>(), TPropKind::Enumeration, {names.begin(), names.end()},
        [](const QVariant& v) { return static_cast<uint64_t>(v.value<T>()); },
        [](uint64_t n) { return QVariant::fromValue(static_cast<T>(n)); });
}

// T is an enumeration whose value is the set's bits, or holds them in an unsigned member Bits.
template <class T> void RegisterSetType(std::initializer_list<const char*> names) {
    if constexpr (std::is_enum_v<T>)
        RegisterTypeNames(
            QMetaType::fromType<T>(), TPropKind::Set, {names.begin(), names.end()},
            [](const QVariant& v) { return static_cast<uint64_t>(v.value<T>()); },
            [](uint64_t n) { return QVariant::fromValue(static_cast<T>(n)); });
    else
        RegisterTypeNames(
            QMetaType::fromType<T>(), TPropKind::Set, {names.begin(), names.end()},
            [](const QVariant& v) { return static_cast<uint64_t>(v.value<T>().Bits); },
            [](uint64_t n) {
                T value;
                value.Bits = static_cast<decltype(value.Bits)>(n);
                return QVariant::fromValue(value);
            });
}

// The property of that name, without regard to case; a derived class's property first.
// Invalid when there is none.
QMetaProperty FindPropInfo(const QObject& object, const std::string& name);
TPropKind PropKind(const QMetaProperty& property);

// The object that a property of kind Class holds; nullptr for none.
QObject* GetObjectProp(QObject& object, const QMetaProperty& property);

// The value in text form. Only for kinds other than None and Class.
std::string GetPropValue(const QObject& object, const QMetaProperty& property);

// Converts the text as the property's kind asks and sets it through the property's setter.
// A number that does not convert raises EConvertError; a number out of the property's range,
// a text for a number or a character property, a string that is not UTF-8, or a property
// that cannot be written raises EPropertyConvertError "Invalid property value: %s"; an
// identifier that the enumeration or the set does not have raises EPropertyConvertError
// "Invalid property element: %s".
void SetPropValue(QObject& object, const QMetaProperty& property, const std::string& text);

// The class library's font object over a QFont property of its owner: Charset, Color, Name,
// Size (in points, also for a font given in pixels) and Style. Charset and Color have no
// counterpart in QFont and are kept here.
struct TFontStyles {
    uint8_t Bits = 0; // fsBold, fsItalic, fsUnderline, fsStrikeOut
    bool operator==(const TFontStyles&) const = default;
};

class TFontProperties : public QObject {
    Q_OBJECT
    Q_PROPERTY(uchar Charset READ Charset WRITE SetCharset)
    Q_PROPERTY(TColorProp Color READ Color WRITE SetColor)
    Q_PROPERTY(QString Name READ Name WRITE SetName)
    Q_PROPERTY(int Size READ Size WRITE SetSize)
    Q_PROPERTY(TFontStyles Style READ Style WRITE SetStyle)
public:
    // The font object of owner's QFont property, made on first use as a child of the owner.
    static TFontProperties& Of(QObject& owner, const QMetaProperty& fontProperty);

    uchar Charset() const { return charset_; }
    void SetCharset(uchar value) { charset_ = value; }
    TColorProp Color() const { return TColorProp(color_); }
    void SetColor(TColor value) { color_ = value; }
    QString Name() const { return Font().family(); }
    void SetName(const QString& value);
    int Size() const;
    // A size below 1 point has no font: EPropertyConvertError.
    void SetSize(int value);
    TFontStyles Style() const;
    void SetStyle(TFontStyles value);

private:
    TFontProperties(QObject& owner, const QMetaProperty& fontProperty);
    QFont Font() const;
    void SetFont(const QFont& font);

    QObject& owner_;
    QMetaProperty property_;
    uchar charset_ = 1; // DEFAULT_CHARSET
    TColor color_ = clWindowText;
};
Q_DECLARE_METATYPE(TFontStyles)
