#pragma once
// The main window's three cascading chip lists, reduced to what decides which record a
// list position selects: kinds accumulate, makers and models are rebuilt on every selection,
// "already listed" ignores letter case, "is the selected entry" compares byte for byte, and
// the first record of a model name wins. The database tests use it to show that every
// record can be picked and that detection lands on the record it found.
#include "chip_name.h"
#include "chip_record.h"
#include "sysutils.h"

#include <cstdint>
#include <string>
#include <vector>

inline ChipNameFields SplitChipName(const ChipRecord& record) {
    return SplitChipName(ChipNameText(record));
}

class ChipLists {
public:
    explicit ChipLists(const ChipTableArray& table) : table_(table) {}

    std::vector<std::string> kinds, makers, models;
    int32_t chipIndex = 0;

    // The window's SelectChip without its display controls.
    void Select(int32_t k, int32_t m, int32_t n) {
        makers.clear();
        models.clear();
        int32_t counter = 0;
        for (int j = 0; j < kChipTableSlots && !IsEndRecord(table_[static_cast<size_t>(j)]); ++j) {
            const ChipNameFields f = SplitChipName(table_[static_cast<size_t>(j)]);
            if (IndexOf(kinds, f.Kind) < 0) kinds.push_back(f.Kind);
            if (f.Kind != Item(kinds, k)) continue;
            if (!f.Maker.empty() && IndexOf(makers, f.Maker) < 0) makers.push_back(f.Maker);
            if (f.Maker != Item(makers, m)) continue;
            if (!f.Model.empty() && IndexOf(models, f.Model) < 0) {
                models.push_back(f.Model);
                if (counter == n) chipIndex = j;
                ++counter;
            }
        }
    }

    static int32_t IndexOf(const std::vector<std::string>& list, const std::string& text) {
        for (size_t i = 0; i < list.size(); ++i)
            if (SameText(list[i], text)) return static_cast<int32_t>(i);
        return -1;
    }

private:
    static std::string Item(const std::vector<std::string>& list, int32_t index) {
        return index >= 0 && static_cast<size_t>(index) < list.size()
                   ? list[static_cast<size_t>(index)]
                   : std::string();
    }

    const ChipTableArray& table_;
};
