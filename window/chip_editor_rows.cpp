#include "chip_editor_rows.h"

#include "chip_size_list.h"
#include "encoding.h"
#include "exceptions.h"
#include "message_table.h"
#include "sysutils.h"

#include <cstring>

const std::array<const char*, kEditorColumns> EditorColumnCaptions = {
    "芯片类型", "芯片厂家", "芯片型号", "芯片ID", "FLASH",    "FLASH页", "类型",
    "子类型",   "延时",     "工作电压", "EEPROM", "EEPROM页", "关联XML"};
const std::array<int, kEditorColumns> EditorColumnWidths = {75, 75, 75, 60, 60, 60, 60,
                                                            60, 60, 60, 75, 60, 60};

namespace {

// The editor's own messages, which the message table does not carry.
const char* const kNameTooLong[3] = {"芯片名称超过 47 个字节：%s", "芯片名稱超過 47 個字節：%s",
                                     "The chip name is longer than 47 bytes: %s"};
const char* const kTableFull[3] = {"芯片表最多容纳 999 个芯片。", "芯片表最多容納 999 個芯片。",
                                   "The chip table holds at most 999 chips."};

// "%i" of base << index for an index within the list's count items, else an empty cell.
std::string ShiftedText(int32_t base, int32_t index, int32_t count) {
    if (index < 0 || index >= count) return {};
    return Format("%i", base << index);
}

ChipRecord RecordFromRow(const EditorRow& row, int32_t language) {
    const std::string name = Trim(row[0]) + "," + Trim(row[1]) + "," + Trim(row[2]);
    if (name.size() >= sizeof(ChipRecord::Name))
        throw Exception(Format(kNameTooLong[ValidLanguage(language)], Cp936ToUtf8(name).c_str()));
    ChipRecord record{};
    SetChipName(record, name);
    const auto value = [&row](int column) { return StrToInt(row[static_cast<size_t>(column)]); };
    record.ChipId = static_cast<uint32_t>(value(3));
    record.Capacity = static_cast<uint32_t>(value(4));
    record.PageSize = static_cast<uint16_t>(value(5) & 0xFFFF);
    record.Family = static_cast<uint8_t>(value(6) & 0xFF);
    record.Algorithm = static_cast<uint8_t>(value(7) & 0xFF);
    record.Delay = static_cast<uint16_t>(value(8) & 0xFFFF);
    record.Voltage = static_cast<uint8_t>(value(9) & 0xFF);
    record.EepromSize = static_cast<uint16_t>(value(10) & 0xFFFF);
    record.EepromPage = static_cast<uint8_t>(value(11) & 0xFF);
    record.XmlLink = static_cast<uint16_t>(value(12) & 0xFFFF);
    return record;
}

} // namespace

EditorNameParts SplitEditorName(const std::string& name) {
    EditorNameParts parts;
    const size_t first = name.find(',');
    const std::string rest = first == std::string::npos ? name : name.substr(first + 1);
    if (first != std::string::npos) parts.Kind = name.substr(0, first);
    const size_t second = rest.find(',');
    if (second == std::string::npos) {
        parts.Model = rest;
    } else {
        parts.Maker = rest.substr(0, second);
        parts.Model = rest.substr(second + 1);
    }
    return parts;
}

EditorRow RowFromRecord(const ChipRecord& r) {
    const EditorNameParts name = SplitEditorName(ChipNameText(r));
    return {name.Kind,
            name.Maker,
            name.Model,
            Format("0x%X", r.ChipId),
            Format("%u", r.Capacity),
            Format("%hu", r.PageSize),
            Format("%i", r.Family),
            Format("%i", r.Algorithm),
            Format("%hu", r.Delay),
            Format("%i", r.Voltage),
            Format("%hu", r.EepromSize),
            Format("%i", r.EepromPage),
            Format("%hu", r.XmlLink)};
}

EditorRow RowFromControls(const EditorControls& c) {
    const int32_t sizes = static_cast<int32_t>(kSizeListCount);
    const int32_t pages = static_cast<int32_t>(EditorPageTexts().size());
    const int32_t eepromSizes = static_cast<int32_t>(EditorEepromSizeTexts().size());
    int32_t algorithm = c.Algorithm;
    // The 93 series stores its 8-bit organisations as 7..11 and its 16-bit ones as 87..91.
    if (c.Family == Eeprom93) algorithm += c.Algorithm < 5 ? 7 : 82;
    return {c.Kind,
            c.Maker,
            c.Model,
            c.ChipId,
            ShiftedText(64, c.Size, sizes),
            ShiftedText(1, c.Page, pages),
            Format("%i", c.Family),
            Format("%i", algorithm),
            c.Delay,
            Format("%i", c.Voltage),
            c.EepromSize == 0 ? std::string("0") : ShiftedText(1, c.EepromSize, eepromSizes),
            ShiftedText(1, c.EepromPage, pages),
            c.XmlLink};
}

int32_t HalvingCount(int32_t v) {
    int32_t n = 0;
    while (v > 1) {
        v /= 2;
        ++n;
    }
    return n;
}

int32_t AlgorithmItemFor(int32_t family, int32_t sizeItem, int32_t algorithm, int32_t current) {
    switch (family) {
    case Flash25:
        return algorithm;
    case Eeprom24:
        return sizeItem < 6 ? 0 : 1; // below 4 KB
    case Eeprom93:
        return algorithm < 80 ? algorithm - 7 : algorithm - 82;
    case Eeprom25:
    case Eeprom95:
        return sizeItem < 4 ? 0 : 1; // 512 bytes or less
    default:
        return current;
    }
}

std::vector<ChipRecord> RecordsFromRows(const std::vector<EditorRow>& rows,
                                        const ChipTableArray& current, int32_t language) {
    if (rows.size() > static_cast<size_t>(kEditorMaxRecords))
        throw Exception(EditorTableFullMessage(language));
    std::vector<ChipRecord> records;
    records.reserve(rows.size() + 1);
    for (const EditorRow& row : rows) records.push_back(RecordFromRow(row, language));
    ChipRecord end = current[rows.size()];
    uint8_t bytes[kChipRecordSize];
    ChipRecordToBytes(end, bytes);
    std::memset(bytes, 0, 20);
    records.push_back(ChipRecordFromBytes(bytes));
    return records;
}

std::string EditorTableFullMessage(int32_t language) {
    return kTableFull[ValidLanguage(language)];
}

const std::vector<const char*>& EditorFamilyTexts() {
    static const std::vector<const char*> texts = {
        "25 flash 系列", "24 eeprom 系列", "93 eeprom 系列", "25 eeprom 系列", "95 eeprom 系列"};
    return texts;
}

const std::vector<const char*>& EditorPageTexts() {
    static const std::vector<const char*> texts = {"1",  "2",  "4",   "8",  "16",
                                                   "32", "64", "128", "256"};
    return texts;
}

const std::vector<const char*>& EditorVoltageTexts() {
    static const std::vector<const char*> texts = {"3.3V", "1.8V", "5.0V"};
    return texts;
}

const std::vector<const char*>& EditorEepromSizeTexts() {
    static const std::vector<const char*> texts = {
        "0B",    "2B",    "4B",  "8B",  "16B", "32B",  "64B",  "128B", "256B",
        "512B",  "1KB",   "2KB", "4KB", "8KB", "16KB", "32KB", "64KB", "128KB",
        "256KB", "512KB", "1MB", "2MB", "4MB", "8MB",  "16MB", "32MB", "64MB"};
    return texts;
}

const std::vector<const char*>& EditorAlgorithmTexts(int32_t family) {
    static const std::vector<const char*> none;
    static const std::vector<const char*> flash25 = {"非SST SPI flash", "SST SPI flash"};
    static const std::vector<const char*> eeprom24 = {"小于4KB", "大于等于4KB"};
    static const std::vector<const char*> eeprom93 = {
        "93C46 8 BITS",  "93C57 8 BITS",  "93C66 8 BITS",  "93C76 8 BITS",  "93C86 8 BITS",
        "93C46 16 BITS", "93C57 16 BITS", "93C66 16 BITS", "93C76 16 BITS", "93C86 16 BITS"};
    static const std::vector<const char*> eeprom25 = {"小于512B", "大等于512B", "大于64KB"};
    switch (family) {
    case Flash25:
        return flash25;
    case Eeprom24:
        return eeprom24;
    case Eeprom93:
        return eeprom93;
    case Eeprom25:
    case Eeprom95:
        return eeprom25;
    default:
        return none;
    }
}
