// The shipped chip database, as the build generated it beside the program: it loads the way
// the program loads it, every record is one the program and the editor can handle, every
// chip can be picked in the lists, and detection finds the right record.
#include "chip_lists.h"

#include "chip_editor_rows.h"
#include "chip_record.h"
#include "programmer_state.h"
#include "string_list.h"
#include "sysutils.h"
#include "window_services.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

// Records what the loader asks of the window.
class RecordingServices : public SilentWindowServices {
public:
    std::vector<std::string> messages;
    std::vector<std::array<int32_t, 3>> selections;

    std::string NextLogPrefix() override { return "001:"; }
    void ShowError(const std::string& text) override { messages.push_back(text); }
    void ShowInformation(const std::string& text) override { messages.push_back(text); }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void SelectChip(int32_t kind, int32_t maker, int32_t model) override {
        selections.push_back({kind, maker, model});
    }
};

const std::string kDatabase = PYROLAN_CHIPDB_FILE;
constexpr uint32_t kMiB = 1024 * 1024;

bool IsPowerOfTwo(uint64_t v) {
    return v != 0 && (v & (v - 1)) == 0;
}

// The capacity a JEDEC capacity code stands for, 0 where the maker's code is its own.
uint64_t CapacityFromJedec(uint32_t id) {
    const uint32_t maker = id >> 16, type = (id >> 8) & 0xFF, code = id & 0xFF;
    if (maker == 0x1F) {
        // Atmel and Adesto: family in bits 7-5 and density in bits 4-0 of the type byte,
        // density 4 = 4 Mbit; the low byte is a revision. Their newer parts use the common
        // code (type 0x42, 0x43).
        const uint32_t family = type >> 5, density = type & 0x1F;
        if ((family == 0 || family == 2 || family == 4) && code < 0x10 && density >= 1)
            return uint64_t{1} << (density + 15);
    }
    if (maker == 0x89) return 0; // Intel counts its S33 parts from 11h for 16 Mbit
    if (maker == 0x01 && type == 0x02 && code >= 0x10 && code <= 0x16)
        return uint64_t{1} << (code + 1); // Spansion FL-A and FL-P count from 0x12 = 4 Mbit
    if (code >= 0x10 && code <= 0x19) return uint64_t{1} << code;
    if (code == 0x1A || code == 0x20) return 64 * kMiB; // 512 Mbit in both spellings
    if (code >= 0x31 && code <= 0x3A) return uint64_t{1} << (code - 0x20); // Macronix 1.8 V
    return 0;
}

class ChipDatabaseTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::filesystem::path db(kDatabase);
        SetApplicationExeName((db.parent_path() / "Pyrolan").string());
        state_ = std::make_unique<ProgrammerState>();
        services_ = std::make_unique<RecordingServices>();
        loaded_ = LoadChipDatabase(*state_, *services_);
        count_ = 0;
        while (count_ < kChipTableSlots && !IsEndRecord(Table()[static_cast<size_t>(count_)]))
            ++count_;
    }
    static void TearDownTestSuite() {
        state_.reset();
        services_.reset();
    }

    static const ChipTableArray& Table() { return state_->ChipTable; }
    static const ChipRecord& At(int i) { return Table()[static_cast<size_t>(i)]; }
    static int FindByName(const std::string& name) {
        for (int i = 0; i < count_; ++i)
            if (ChipNameText(At(i)) == name) return i;
        return -1;
    }

    static inline std::unique_ptr<ProgrammerState> state_;
    static inline std::unique_ptr<RecordingServices> services_;
    static inline bool loaded_ = false;
    static inline int count_ = 0;
};

TEST_F(ChipDatabaseTest, LoadsWholeWithItsEndRecord) {
    ASSERT_TRUE(loaded_);
    EXPECT_TRUE(services_->messages.empty()) << services_->messages.front();
    ASSERT_EQ(services_->selections.size(), 1u);
    EXPECT_EQ(services_->selections[0], (std::array<int32_t, 3>{0, 0, 0}));

    std::ifstream in(kDatabase, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
    EXPECT_GE(count_, 400);
    EXPECT_LT(count_, kChipTableSlots);
    ASSERT_EQ(bytes.size(), static_cast<size_t>(count_ + 1) * kChipRecordSize);
    for (size_t i = bytes.size() - kChipRecordSize; i < bytes.size() - kChipRecordSize + 20; ++i)
        EXPECT_EQ(bytes[i], 0) << "end record byte " << i % kChipRecordSize;
}

TEST_F(ChipDatabaseTest, EveryRecordHoldsValuesTheProgramAndEditorAccept) {
    for (int i = 0; i < count_; ++i) {
        const ChipRecord& r = At(i);
        const std::string name = ChipNameText(r);
        SCOPED_TRACE("record " + std::to_string(i) + " " + name);
        ASSERT_LE(r.Family, Eeprom95);
        EXPECT_LE(name.size(), 47u);

        // The lists (commas and blanks) and the editor (commas only) must see the same
        // three parts, so the name holds no blank, quote or fourth field.
        const std::vector<std::string> items = SplitDelimitedText(name);
        ASSERT_EQ(items.size(), 3u);
        EXPECT_EQ(items[0] + "," + items[1] + "," + items[2], name);
        for (const std::string& item : items) EXPECT_FALSE(item.empty());

        EXPECT_TRUE(IsPowerOfTwo(r.Capacity) && r.Capacity >= 64 && r.Capacity <= 64 * kMiB);
        EXPECT_TRUE(IsPowerOfTwo(r.PageSize) && r.PageSize <= 256 && r.PageSize <= r.Capacity);
        EXPECT_LE(r.Voltage, 2);
        // What the editor's lists write back for these fields.
        EXPECT_EQ(uint64_t{64} << (HalvingCount(static_cast<int32_t>(r.Capacity)) - 6), r.Capacity);
        EXPECT_TRUE(r.EepromSize == 0 || (IsPowerOfTwo(r.EepromSize) && r.EepromSize >= 2));
        EXPECT_TRUE(IsPowerOfTwo(r.EepromPage) && r.EepromPage <= 128);

        switch (r.Family) {
        case Flash25:
            EXPECT_LE(r.Algorithm, 1);
            EXPECT_NE(r.ChipId, 0u);
            EXPECT_LE(r.ChipId, 0xFFFFFFu);
            EXPECT_GE(r.Delay, 1);
            if (const uint64_t fromId = CapacityFromJedec(r.ChipId)) {
                EXPECT_EQ(r.Capacity, fromId) << std::hex << "id " << r.ChipId;
            }
            break;
        case Eeprom24:
            EXPECT_EQ(r.ChipId, 0u);
            EXPECT_EQ(r.Algorithm, r.Capacity < 4096 ? 0 : 1);
            break;
        case Eeprom93:
            EXPECT_EQ(r.ChipId, 0u);
            EXPECT_TRUE((r.Algorithm >= 7 && r.Algorithm <= 11) ||
                        (r.Algorithm >= 87 && r.Algorithm <= 91));
            EXPECT_EQ(r.PageSize, r.Algorithm >= 87 ? 2 : 1); // the word of the organisation
            break;
        case Eeprom25:
        case Eeprom95:
            EXPECT_EQ(r.ChipId, 0u);
            EXPECT_EQ(r.Algorithm, r.Capacity <= 512 ? 0 : r.Capacity <= 65536 ? 1 : 2);
            break;
        }
    }
}

TEST_F(ChipDatabaseTest, KindEntriesFollowTheFamilies) {
    // Detection selects kind entries 0, 1 and 2 for flash, 24-series and 93-series answers.
    ChipLists lists(Table());
    lists.Select(0, 0, 0);
    ASSERT_EQ(lists.kinds.size(), 5u);
    for (int i = 0; i < count_; ++i) {
        const ChipNameFields f = SplitChipName(At(i));
        EXPECT_EQ(ChipLists::IndexOf(lists.kinds, f.Kind), At(i).Family) << ChipNameText(At(i));
    }
}

TEST_F(ChipDatabaseTest, EveryChipCanBePickedInTheLists) {
    ChipLists lists(Table());
    lists.Select(0, 0, 0);
    for (int i = 0; i < count_; ++i) {
        const ChipNameFields f = SplitChipName(At(i));
        SCOPED_TRACE(ChipNameText(At(i)));
        const int32_t k = ChipLists::IndexOf(lists.kinds, f.Kind);
        lists.Select(k, 0, 0);
        const int32_t m = ChipLists::IndexOf(lists.makers, f.Maker);
        ASSERT_GE(m, 0);
        lists.Select(k, m, 0);
        const int32_t n = ChipLists::IndexOf(lists.models, f.Model);
        ASSERT_GE(n, 0);
        lists.chipIndex = -1;
        lists.Select(k, m, n);
        EXPECT_EQ(lists.chipIndex, i);
    }
}

TEST_F(ChipDatabaseTest, PartsSharingAnIdentificationAgreeWithTheOneDetectionFinds) {
    std::map<uint32_t, int> first;
    int shared = 0;
    for (int i = 0; i < count_; ++i) {
        const ChipRecord& r = At(i);
        if (r.Family != Flash25) continue;
        const auto [it, added] = first.emplace(r.ChipId, i);
        if (added) continue;
        ++shared;
        const ChipRecord& f = At(it->second);
        SCOPED_TRACE(ChipNameText(r) + " shares the identification of " + ChipNameText(f));
        EXPECT_EQ(r.Capacity, f.Capacity);
        EXPECT_EQ(r.PageSize, f.PageSize);
        EXPECT_EQ(r.Algorithm, f.Algorithm);
        // 1.8 V (1) before 3.3 V (0): the record detection finds never takes the higher supply.
        if (r.Voltage != f.Voltage) {
            EXPECT_TRUE(f.Voltage == 1 && r.Voltage == 0);
        }
        EXPECT_GE(f.Delay, r.Delay);
    }
    EXPECT_GT(shared, 0);
}

TEST_F(ChipDatabaseTest, DetectionSelectsTheFirstRecordOfEachIdentification) {
    // As detection runs: look the found record's three names up list by list, one
    // selection after each, starting from the loader's selection.
    ChipLists lists(Table());
    lists.Select(0, 0, 0);
    std::set<uint32_t> seen;
    for (int i = 0; i < count_; ++i) {
        if (At(i).Family != Flash25 || !seen.insert(At(i).ChipId).second) continue;
        const ChipNameFields f = SplitChipName(At(i));
        SCOPED_TRACE(ChipNameText(At(i)));
        const int32_t k = ChipLists::IndexOf(lists.kinds, f.Kind);
        lists.Select(k, 0, 0);
        const int32_t m = ChipLists::IndexOf(lists.makers, f.Maker);
        lists.Select(k, m, 0);
        const int32_t n = ChipLists::IndexOf(lists.models, f.Model);
        lists.Select(k, m, n);
        EXPECT_EQ(lists.chipIndex, i);
    }
}

struct DatasheetFact {
    const char* name;
    uint32_t chipId;
    uint32_t capacity;
    uint16_t pageSize;
    uint8_t algorithm;
    uint8_t voltage;
};

TEST_F(ChipDatabaseTest, AgreesWithDatasheets) {
    const DatasheetFact facts[] = {
        {"25_SPI_FLASH,WINBOND,W25Q64JV", 0xEF4017, 8 * kMiB, 256, 0, 0},
        {"25_SPI_FLASH,WINBOND,W25Q128FW", 0xEF6018, 16 * kMiB, 256, 0, 1},
        {"25_SPI_FLASH,MACRONIX,MX25L25635F", 0xC22019, 32 * kMiB, 256, 0, 0},
        {"25_SPI_FLASH,GIGADEVICE,GD25Q16C", 0xC84015, 2 * kMiB, 256, 0, 0},
        {"25_SPI_FLASH,MICRON,M25P80", 0x202014, 1 * kMiB, 256, 0, 0},
        {"25_SPI_FLASH,SPANSION,S25FL064A", 0x010216, 8 * kMiB, 256, 0, 0},
        {"25_SPI_FLASH,SST,SST25VF016B", 0xBF2541, 2 * kMiB, 256, 1, 0},
        {"24_EEPROM,ATMEL,AT24C02", 0, 256, 8, 0, 0},
        {"24_EEPROM,MICROCHIP,24LC256", 0, 32768, 64, 1, 0},
        {"93_EEPROM,MICROCHIP,93LC46B", 0, 128, 2, 87, 0},
        {"93_EEPROM,ATMEL,AT93C66(x8)", 0, 512, 1, 9, 0},
        {"25_EEPROM,ATMEL,AT25040A", 0, 512, 8, 0, 0},
        {"95_EEPROM,ST,M95M01-R", 0, 131072, 256, 2, 0},
        {"25_SPI_FLASH,SPANSION,S25FS128S", 0x012018, 16 * kMiB, 256, 0, 1},
        {"25_SPI_FLASH,ZBIT,ZB25VQ16", 0x0E4015, 2 * kMiB, 256, 0, 0},
        {"25_SPI_FLASH,MACRONIX,MX25L5121E", 0xC22210, 64 * 1024, 32, 0, 0},
        {"24_EEPROM,ONSEMI,CAT24C01", 0, 128, 16, 0, 0},
        {"24_EEPROM,ONSEMI,CAT24C02", 0, 256, 16, 0, 0},
        {"24_EEPROM,FMD,FT24C02A", 0, 256, 16, 0, 0},
        {"25_EEPROM,ONSEMI,CAT25640", 0, 8192, 64, 1, 0},
        {"93_EEPROM,MICROCHIP,93C86(x16)", 0, 2048, 2, 91, 2},
    };
    for (const DatasheetFact& fact : facts) {
        SCOPED_TRACE(fact.name);
        const int i = FindByName(fact.name);
        ASSERT_GE(i, 0);
        EXPECT_EQ(At(i).ChipId, fact.chipId);
        EXPECT_EQ(At(i).Capacity, fact.capacity);
        EXPECT_EQ(At(i).PageSize, fact.pageSize);
        EXPECT_EQ(At(i).Algorithm, fact.algorithm);
        EXPECT_EQ(At(i).Voltage, fact.voltage);
    }
    // The part most boards carry is the one detection names.
    const std::pair<uint32_t, const char*> detected[] = {
        {0xEF4017, "25_SPI_FLASH,WINBOND,W25Q64JV"},
        {0xC22017, "25_SPI_FLASH,MACRONIX,MX25L6406E"},
        {0x20BA18, "25_SPI_FLASH,MICRON,N25Q128A13"},
        {0x012018, "25_SPI_FLASH,SPANSION,S25FS128S"}, // 1.8 V: never offered 3.3 V
        {0xC22536, "25_SPI_FLASH,MACRONIX,MX25U3235F"},
    };
    for (const auto& [id, name] : detected) {
        int found = -1;
        for (int i = 0; i < count_ && found < 0; ++i)
            if (At(i).ChipId == id) found = i;
        ASSERT_GE(found, 0) << name;
        EXPECT_EQ(ChipNameText(At(found)), name);
    }
}

} // namespace
