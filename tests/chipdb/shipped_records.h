#pragma once
// The records of the chip database the build generated beside the program, read straight from
// the file up to the end record, in table order.
#include "chip_record.h"

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline std::vector<ChipRecord> ShippedRecords() {
    std::ifstream in(PYROLAN_CHIPDB_FILE, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
    std::vector<ChipRecord> records;
    for (size_t at = 0; at + kChipRecordSize <= bytes.size(); at += kChipRecordSize) {
        const ChipRecord r =
            ChipRecordFromBytes(reinterpret_cast<const uint8_t*>(bytes.data()) + at);
        if (IsEndRecord(r)) break;
        records.push_back(r);
    }
    return records;
}

// The model: the third part of "kind,maker,model".
inline std::string ModelOf(const ChipRecord& r) {
    const std::string name = ChipNameText(r);
    const size_t second = name.find(',', name.find(',') + 1);
    return second == std::string::npos ? std::string() : name.substr(second + 1);
}
