#pragma once
// The chip database editor's rules, below its widgets: how a record becomes the 13 texts of a
// grid row, how the edit controls' list positions become a row, and how the rows become the
// records that Save writes. Texts are the stored bytes (names in code page 936).
#include "chip_record.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr int kEditorColumns = 13;
using EditorRow = std::array<std::string, kEditorColumns>;
// The table keeps its last slot for the end record.
inline constexpr int kEditorMaxRecords = kChipTableSlots - 1;

// The grid's column captions (UTF-8) and widths.
extern const std::array<const char*, kEditorColumns> EditorColumnCaptions;
extern const std::array<int, kEditorColumns> EditorColumnWidths;

struct EditorNameParts {
    std::string Kind;
    std::string Maker;
    std::string Model;
};

// The editor's own split of a name: at the first two commas only, nothing trimmed. Without a
// comma the whole name is the model; with one, the kind and the model.
EditorNameParts SplitEditorName(const std::string& name);

// The texts of a record's grid row.
EditorRow RowFromRecord(const ChipRecord& record);

// The edit controls as a row needs them: texts as typed and the lists' item indices (-1 for
// a list without a selected item).
struct EditorControls {
    std::string Kind, Maker, Model, ChipId, Delay, XmlLink;
    int32_t Size = -1, Page = -1, Family = -1, Algorithm = -1, Voltage = -1, EepromSize = -1,
            EepromPage = -1;
};

// The row that Add and Edit write. A size, page or EEPROM list without a selected item
// leaves its cell empty, so Save then reports that cell.
EditorRow RowFromControls(const EditorControls& controls);

// The number of times v can be halved before it is 1 or less (0 for v <= 1): the list item
// of a power of two.
int32_t HalvingCount(int32_t v);
// The algorithm list's item for a stored Algorithm, by the family and size lists' items;
// current when no family is chosen. Families 1, 3 and 4 choose by the size alone.
int32_t AlgorithmItemFor(int32_t family, int32_t sizeItem, int32_t algorithm, int32_t current);

// The records that Save writes: one per row, then the end record, which is slot N of
// current with its first 20 bytes cleared. Raises EConvertError for a cell that does not
// convert, and Exception (in the language given) for a joined name longer than 47 bytes or
// more rows than the table holds; nothing is returned then.
std::vector<ChipRecord> RecordsFromRows(const std::vector<EditorRow>& rows,
                                        const ChipTableArray& current, int32_t language);

// The message that refuses a row beyond the table's 999 records.
std::string EditorTableFullMessage(int32_t language);

// The texts of the editor's lists (UTF-8), item i as the list shows it.
const std::vector<const char*>& EditorFamilyTexts();
const std::vector<const char*>& EditorPageTexts(); // 1 << i bytes
const std::vector<const char*>& EditorVoltageTexts();
const std::vector<const char*>& EditorEepromSizeTexts(); // 0, then 1 << i bytes
// The algorithms of a family; empty for a value that names none.
const std::vector<const char*>& EditorAlgorithmTexts(int32_t family);
