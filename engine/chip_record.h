#pragma once
// One chip of the chip database: 68 bytes, little-endian, the same in memory and in the file.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

enum ChipFamily : uint8_t {
    Flash25 = 0,
    Eeprom24 = 1,
    Eeprom93 = 2,
    Eeprom25 = 3,
    Eeprom95 = 4,
};

struct ChipRecord {
    char Name[48];       // "kind,manufacturer,model", NUL-terminated, code page 936
    uint32_t ChipId;     // Flash25: manufacturer << 16 | memory type << 8 | capacity code
    uint32_t Capacity;   // bytes
    uint16_t PageSize;   // bytes
    uint8_t Family;      // a ChipFamily
    uint8_t Algorithm;   // programming algorithm within the family
    uint16_t Delay;      // Flash25: most status polls while erasing; Eeprom93: erase argument
    uint16_t XmlLink;    // association number; no operation reads it
    uint16_t EepromSize; // kept for the editor
    uint8_t EepromPage;  // kept for the editor
    uint8_t Voltage;     // 0 3.3 V, 1 1.8 V, 2 5.0 V
};

inline constexpr size_t kChipRecordSize = 68;
static_assert(sizeof(ChipRecord) == kChipRecordSize, "a chip record is 68 bytes");
static_assert(offsetof(ChipRecord, ChipId) == 48 && offsetof(ChipRecord, Capacity) == 52 &&
                  offsetof(ChipRecord, PageSize) == 56 && offsetof(ChipRecord, Family) == 58 &&
                  offsetof(ChipRecord, Algorithm) == 59 && offsetof(ChipRecord, Delay) == 60 &&
                  offsetof(ChipRecord, XmlLink) == 62 && offsetof(ChipRecord, EepromSize) == 64 &&
                  offsetof(ChipRecord, EepromPage) == 66 && offsetof(ChipRecord, Voltage) == 67,
              "chip record field offsets");

inline constexpr int kChipTableSlots = 1000;
using ChipTableArray = std::array<ChipRecord, kChipTableSlots>;

// Field-by-field little-endian conversion between a record and its 68 file bytes.
ChipRecord ChipRecordFromBytes(const uint8_t* bytes);
void ChipRecordToBytes(const ChipRecord& record, uint8_t* bytes);

// The name as text: the bytes before the first NUL, never more than the field's 48 bytes.
std::string ChipNameText(const ChipRecord& record);
// Stores text as the name; longer text is cut to 47 bytes so the NUL always fits.
void SetChipName(ChipRecord& record, const std::string& text);
// A record whose name begins with NUL ends the list.
inline bool IsEndRecord(const ChipRecord& record) {
    return record.Name[0] == '\0';
}
