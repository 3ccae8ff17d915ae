#pragma once
// The hex editor's print settings: margins in millimetres, the page header and footer
// templates and the print flags. TOrixHPrintOptions is the control's PrintOptions property;
// its Qt properties are the published ones, so stored forms reach them by name.
#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <string>

enum TOrixHPrintFlag : uint8_t {
    pfSelectionOnly = 0,
    pfSelectionBold = 1,
    pfMonochrome = 2,
    pfUseBackgroundColor = 3,
    pfCurrentViewOnly = 4,
    pfIncludeRuler = 5,
};

// A set of print flags, one bit per flag (bit n for the flag of value n).
struct TOrixHPrintFlags {
    uint8_t Bits = 0;

    constexpr TOrixHPrintFlags() = default;
    constexpr TOrixHPrintFlags(std::initializer_list<TOrixHPrintFlag> flags) {
        for (TOrixHPrintFlag f : flags) Bits = static_cast<uint8_t>(Bits | (1u << f));
    }
    constexpr bool Has(TOrixHPrintFlag f) const { return (Bits >> f) & 1u; }
    constexpr void Include(TOrixHPrintFlag f) { Bits = static_cast<uint8_t>(Bits | (1u << f)); }
    constexpr void Exclude(TOrixHPrintFlag f) { Bits = static_cast<uint8_t>(Bits & ~(1u << f)); }
    constexpr bool operator==(const TOrixHPrintFlags&) const = default;
};

// Index 0 the page header template, index 1 the page footer template.
using TOrixHPrintHeaders = std::array<std::string, 2>;

// Left, top, right, bottom, in millimetres.
inline constexpr std::array<int32_t, 4> ORIXH_DEF_PRINT_MARGINS = {20, 15, 25, 25};

// The set as a property value, bit n for the flag of value n: a type of its own, so that
// access by name writes it as the flags' names.
enum TOrixHPrintFlagBits : uint8_t {};

class TOrixHPrintOptions : public QObject {
    Q_OBJECT
    Q_PROPERTY(int MarginLeft READ GetMarginLeft WRITE SetMarginLeft)
    Q_PROPERTY(int MarginTop READ GetMarginTop WRITE SetMarginTop)
    Q_PROPERTY(int MarginRight READ GetMarginRight WRITE SetMarginRight)
    Q_PROPERTY(int MarginBottom READ GetMarginBottom WRITE SetMarginBottom)
    Q_PROPERTY(QString PageHeader READ GetPageHeaderQ WRITE SetPageHeaderQ)
    Q_PROPERTY(QString PageFooter READ GetPageFooterQ WRITE SetPageFooterQ)
    Q_PROPERTY(TOrixHPrintFlagBits Flags READ GetFlagBits WRITE SetFlagBits)
public:
    explicit TOrixHPrintOptions(QObject* parent = nullptr);

    // Copies margins, templates and flags of another TOrixHPrintOptions; any other source,
    // or none, raises EConvertError and copies nothing.
    void Assign(const QObject* source);

    // 1 left, 2 top, 3 right, anything else bottom.
    int32_t GetMargin(int index) const;
    void SetMargin(int index, int32_t value);
    // 0 header, 1 footer.
    const std::string& GetHeader(int index) const;
    void SetHeader(int index, const std::string& value);
    const TOrixHPrintHeaders& Headers() const { return FHeaders; }
    TOrixHPrintFlags Flags() const { return FFlags; }
    void SetFlags(TOrixHPrintFlags flags) { FFlags = flags; }

private:
    int GetMarginLeft() const { return GetMargin(1); }
    void SetMarginLeft(int value) { SetMargin(1, value); }
    int GetMarginTop() const { return GetMargin(2); }
    void SetMarginTop(int value) { SetMargin(2, value); }
    int GetMarginRight() const { return GetMargin(3); }
    void SetMarginRight(int value) { SetMargin(3, value); }
    int GetMarginBottom() const { return GetMargin(4); }
    void SetMarginBottom(int value) { SetMargin(4, value); }
    QString GetPageHeaderQ() const { return QString::fromStdString(GetHeader(0)); }
    void SetPageHeaderQ(const QString& value) { SetHeader(0, value.toStdString()); }
    QString GetPageFooterQ() const { return QString::fromStdString(GetHeader(1)); }
    void SetPageFooterQ(const QString& value) { SetHeader(1, value.toStdString()); }
    TOrixHPrintFlagBits GetFlagBits() const { return TOrixHPrintFlagBits(FFlags.Bits); }
    void SetFlagBits(TOrixHPrintFlagBits value) {
        FFlags.Bits = static_cast<uint8_t>(value & 0x3F);
    }

    // The slot of a margin index: left, top, right, bottom.
    static size_t MarginSlot(int index);

    std::array<int32_t, 4> FMargins; // millimetres, left, top, right, bottom
    TOrixHPrintHeaders FHeaders;
    TOrixHPrintFlags FFlags{pfSelectionBold, pfMonochrome};
};
