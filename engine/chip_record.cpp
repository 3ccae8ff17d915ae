#include "chip_record.h"

#include <algorithm>
#include <cstring>

namespace {

uint16_t Get16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t Get32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
void Put16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

} // namespace

ChipRecord ChipRecordFromBytes(const uint8_t* b) {
    ChipRecord r{};
    std::memcpy(r.Name, b, sizeof r.Name);
    r.ChipId = Get32(b + 48);
    r.Capacity = Get32(b + 52);
    r.PageSize = Get16(b + 56);
    r.Family = b[58];
    r.Algorithm = b[59];
    r.Delay = Get16(b + 60);
    r.XmlLink = Get16(b + 62);
    r.EepromSize = Get16(b + 64);
    r.EepromPage = b[66];
    r.Voltage = b[67];
    return r;
}

void ChipRecordToBytes(const ChipRecord& r, uint8_t* b) {
    std::memcpy(b, r.Name, sizeof r.Name);
    Put32(b + 48, r.ChipId);
    Put32(b + 52, r.Capacity);
    Put16(b + 56, r.PageSize);
    b[58] = r.Family;
    b[59] = r.Algorithm;
    Put16(b + 60, r.Delay);
    Put16(b + 62, r.XmlLink);
    Put16(b + 64, r.EepromSize);
    b[66] = r.EepromPage;
    b[67] = r.Voltage;
}

std::string ChipNameText(const ChipRecord& record) {
    const void* nul = std::memchr(record.Name, '\0', sizeof record.Name);
    const size_t n =
        nul ? static_cast<size_t>(static_cast<const char*>(nul) - record.Name) : sizeof record.Name;
    return std::string(record.Name, n);
}

void SetChipName(ChipRecord& record, const std::string& text) {
    std::memset(record.Name, 0, sizeof record.Name);
    std::memcpy(record.Name, text.data(), std::min(text.size(), sizeof record.Name - 1));
}
