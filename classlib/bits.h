#pragma once
// TBits: a list of bits. Growing adds clear bits, shrinking drops the bits past the new size,
// setting a bit past the end grows the list to that index + 1.
#include <cstdint>
#include <vector>

class TBits {
public:
    int32_t Size() const { return static_cast<int32_t>(bits_.size()); }
    // Negative sizes raise EBitsError, as the class library's list index error.
    void SetSize(int32_t size);
    bool Get(int32_t index) const;
    void Set(int32_t index, bool value);
    void Clear() { bits_.clear(); }

private:
    std::vector<bool> bits_;
};
