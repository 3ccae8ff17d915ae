#include "orix_hprint_options.h"

#include "exceptions.h"
#include "sysutils.h"

TOrixHPrintOptions::TOrixHPrintOptions(QObject* parent)
    : QObject(parent), FMarginLeft(ORIXH_DEF_PRINT_MARGINS[0]),
      FMarginTop(ORIXH_DEF_PRINT_MARGINS[1]), FMarginRight(ORIXH_DEF_PRINT_MARGINS[2]),
      FMarginBottom(ORIXH_DEF_PRINT_MARGINS[3]) {}

void TOrixHPrintOptions::Assign(const QObject* source) {
    const auto* other = qobject_cast<const TOrixHPrintOptions*>(source);
    if (!other)
        throw EConvertError(Format("Cannot assign a %s to a %s",
                                   source ? source->metaObject()->className() : "nil",
                                   metaObject()->className()));
    if (other == this) return;
    FMarginLeft = other->FMarginLeft;
    FMarginTop = other->FMarginTop;
    FMarginRight = other->FMarginRight;
    FMarginBottom = other->FMarginBottom;
    FHeaders = other->FHeaders;
    FFlags = other->FFlags;
}

int32_t TOrixHPrintOptions::GetMargin(int index) const {
    switch (index) {
    case 1:
        return FMarginLeft;
    case 2:
        return FMarginTop;
    case 3:
        return FMarginRight;
    default:
        return FMarginBottom;
    }
}

void TOrixHPrintOptions::SetMargin(int index, int32_t value) {
    switch (index) {
    case 1:
        FMarginLeft = value;
        break;
    case 2:
        FMarginTop = value;
        break;
    case 3:
        FMarginRight = value;
        break;
    default:
        FMarginBottom = value;
        break;
    }
}

const std::string& TOrixHPrintOptions::GetHeader(int index) const {
    return FHeaders[index == 0 ? 0 : 1];
}

void TOrixHPrintOptions::SetHeader(int index, const std::string& value) {
    FHeaders[index == 0 ? 0 : 1] = value;
}
