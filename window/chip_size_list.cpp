#include "chip_size_list.h"

int SizeListIndex(uint32_t capacity) {
    for (int k = 0; k < kSizeListCount; ++k)
        if (capacity & (uint32_t{1} << (k + 6))) return k;
    return -1;
}

const char* SizeListText(int index) {
    static const char* const texts[kSizeListCount] = {
        "64B",   "128B",  "256B",  "512B", "1KB", "2KB", "4KB", "8KB",  "16KB", "32KB", "64KB",
        "128KB", "256KB", "512KB", "1MB",  "2MB", "4MB", "8MB", "16MB", "32MB", "64MB"};
    return index >= 0 && index < kSizeListCount ? texts[index] : "";
}
