#include "orix_hprint_options.h"

#include "exceptions.h"
#include "sysutils.h"

TOrixHPrintOptions::TOrixHPrintOptions(QObject* parent)
    : QObject(parent), FMargins(ORIXH_DEF_PRINT_MARGINS) {}

void TOrixHPrintOptions::Assign(const QObject* source) {
    const auto* other = qobject_cast<const TOrixHPrintOptions*>(source);
    if (!other)
        throw EConvertError(Format("Cannot assign a %s to a %s",
                                   source ? source->metaObject()->className() : "nil",
                                   metaObject()->className()));
    if (other == this) return;
    FMargins = other->FMargins;
    FHeaders = other->FHeaders;
    FFlags = other->FFlags;
}

size_t TOrixHPrintOptions::MarginSlot(int index) {
    return index >= 1 && index <= 3 ? static_cast<size_t>(index - 1) : 3;
}

int32_t TOrixHPrintOptions::GetMargin(int index) const {
    return FMargins[MarginSlot(index)];
}

void TOrixHPrintOptions::SetMargin(int index, int32_t value) {
    FMargins[MarginSlot(index)] = value;
}

const std::string& TOrixHPrintOptions::GetHeader(int index) const {
    return FHeaders[index == 0 ? 0 : 1];
}

void TOrixHPrintOptions::SetHeader(int index, const std::string& value) {
    FHeaders[index == 0 ? 0 : 1] = value;
}
