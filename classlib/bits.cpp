#include "bits.h"

#include "exceptions.h"

namespace {
[[noreturn]] void IndexError() {
    throw EListError("Bits index out of range");
}
} // namespace

void TBits::SetSize(int32_t size) {
    if (size < 0) IndexError();
    bits_.resize(static_cast<size_t>(size), false);
}

bool TBits::Get(int32_t index) const {
    if (index < 0) IndexError();
    return static_cast<size_t>(index) < bits_.size() && bits_[static_cast<size_t>(index)];
}

void TBits::Set(int32_t index, bool value) {
    if (index < 0) IndexError();
    if (static_cast<size_t>(index) >= bits_.size()) bits_.resize(static_cast<size_t>(index) + 1);
    bits_[static_cast<size_t>(index)] = value;
}
