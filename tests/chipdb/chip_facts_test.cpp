// Every SPI flash record of the shipped database against the public facts of the chips that
// answer its identification (tests/chipdb/spi_flash_facts.tsv): the identification is known,
// size, page and supply agree, the chip can be erased as a whole, the chip above 16 MiB enters
// 4-byte addresses by B7h, and an auto-address-increment record is a chip that programs so.
// Where a record knowingly departs from the facts, the exception below says why.
#include "shipped_records.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstdint>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Fact {
    std::string name;
    uint64_t size = 0;
    uint32_t page = 0;
    uint32_t vmin = 0, vmax = 0; // mV; 0 where the facts give no range
    std::string write;
    std::set<std::string> chipErase, features;
};

std::vector<std::string> Split(const std::string& text, char at) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, at);) parts.push_back(part);
    return parts;
}

uint32_t Number(const std::string& text, int base = 10) {
    uint32_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value, base);
    return value;
}

// The facts by identification. Identifications that are not three plain bytes (continuation
// codes, the electronic signatures of old parts) cannot be what the programmer reads back.
std::multimap<uint32_t, Fact> LoadFacts() {
    std::multimap<uint32_t, Fact> facts;
    std::ifstream in(PYROLAN_SPI_FLASH_FACTS);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#' || line.rfind("vendor\t", 0) == 0) continue;
        const std::vector<std::string> f = Split(line, '\t');
        if (f.size() != 11 || f[2].size() != 6 || f[2].find('/') != std::string::npos) continue;
        Fact fact;
        fact.name = f[1];
        fact.size = std::stoull(f[3]);
        fact.page = Number(f[4]);
        fact.vmin = Number(f[5]);
        fact.vmax = Number(f[6]);
        fact.write = f[8];
        for (const std::string& op : Split(f[9], ',')) fact.chipErase.insert(op);
        for (const std::string& feature : Split(f[10], ',')) fact.features.insert(feature);
        facts.emplace(Number(f[2], 16), fact);
    }
    return facts;
}

enum class Check { KnownId, Supply, ChipErase, Write };

struct Exception {
    const char* model;
    Check check;
    const char* reason;
};

// Reviewed departures from the facts. Unknown identifications are accepted only inside a
// series (maker and type byte) that the facts know, with the capacity code the sizes follow.
const Exception kExceptions[] = {
    {"W25Q20CL", Check::KnownId, "Winbond 40h series (W25Q40, W25Q80 in the facts), code 12h"},
    {"W25Q10EW", Check::KnownId, "Winbond 60h 1.8 V series (W25Q40EW, W25Q80EW), code 11h"},
    {"W25Q20EW", Check::KnownId, "Winbond 60h 1.8 V series (W25Q40EW, W25Q80EW), code 12h"},
    {"MX25U2033E", Check::KnownId, "Macronix 25h 1.8 V series (MX25U8032E, MX25U1635E)"},
    {"MX25U4035", Check::KnownId, "Macronix 25h 1.8 V series (MX25U8032E, MX25U1635E)"},
    {"GD25VQ32C", Check::KnownId, "GigaDevice 42h series (GD25VQ16C, GD25VQ80C)"},
    {"GD25VQ64C", Check::KnownId, "GigaDevice 42h series (GD25VQ16C, GD25VQ80C)"},
    {"GD25WQ16E", Check::KnownId, "GigaDevice 65h wide-supply series (GD25WQ80E)"},
    {"GD25WQ32E", Check::KnownId, "GigaDevice 65h wide-supply series (GD25WQ80E)"},
    {"GD25WQ64E", Check::KnownId, "GigaDevice 65h wide-supply series (GD25WQ80E)"},
    {"GD25WQ128E", Check::KnownId, "GigaDevice 65h wide-supply series (GD25WQ80E)"},
    {"GD25LQ20C", Check::KnownId, "GigaDevice 60h 1.8 V series (GD25LQ40, GD25LQ80)"},
    {"IS25LQ040B", Check::KnownId, "ISSI 40h series (IS25LQ032)"},
    {"IS25LQ080B", Check::KnownId, "ISSI 40h series (IS25LQ032)"},
    {"IS25LQ016B", Check::KnownId, "ISSI 40h series (IS25LQ032)"},
    {"IS25LP080D", Check::KnownId, "ISSI 60h series (IS25LP016, IS25LP032)"},
    {"S25FL064L", Check::KnownId, "Spansion FL-L 60h series (S25FL128L, S25FL256L)"},
    {"AT25SL321", Check::KnownId, "Adesto 42h series with the common code (AT25SL128A)"},
    {"BY25Q32BS", Check::KnownId, "Boya 40h series (BY25D40 to BY25Q128AS)"},
    {"P25Q10H", Check::KnownId, "Puya 60h series (P25D80H, P25Q32SH)"},
    {"P25Q20H", Check::KnownId, "Puya 60h series (P25D80H, P25Q32SH)"},
    {"P25Q40H", Check::KnownId, "Puya 60h series (P25D80H, P25Q32SH)"},
    {"P25Q16H", Check::KnownId, "Puya 60h series (P25D80H, P25Q32SH)"},
    {"P25Q64H", Check::KnownId, "Puya 60h series (P25D80H, P25Q32SH)"},
    {"P25Q128H", Check::KnownId, "Puya 60h series (P25D80H, P25Q32SH)"},
    {"XT25F08B", Check::KnownId, "XTX 40h series (XT25F02E, XT25F64B)"},
    {"XT25F16B", Check::KnownId, "XTX 40h series (XT25F02E, XT25F64B)"},
    {"XT25F32B", Check::KnownId, "XTX 40h series (XT25F02E, XT25F64B)"},
    {"S25FS128S", Check::Supply,
     "answers 01 20 18 like the 3 V FL-S parts (the facts file it under its extended "
     "identification); it is 1.7-2.0 V and comes first, so detection never offers 3.3 V"},
    {"W25X05CL", Check::ChipErase,
     "the facts list the W25X05's block erasers only; the W25X05CL erases as a whole (C7h/60h)"},
    {"XM25QH80B", Check::ChipErase,
     "the ST M45PE80 answers 20 40 14 and has page erase only: an erase of one ends at once, "
     "and the verify of Auto shows it; the XMC part is the one users meet"},
    {"XM25QH16C", Check::ChipErase, "the ST M45PE16 answers 20 40 15; as XM25QH80B"},
    {"XM25QH16D", Check::ChipErase, "the ST M45PE16 answers 20 40 15; as XM25QH80B"},
    {"F25L008A", Check::Write,
     "the facts program it a byte at a time; the ESMT part programs by auto address "
     "increment like the SST parts"},
};

uint32_t SupplyMillivolts(uint8_t voltage) {
    return voltage == 1 ? 1800 : voltage == 2 ? 5000 : 3300;
}

bool Takes(const Fact& f, uint32_t millivolts) {
    return f.vmin <= millivolts && millivolts <= f.vmax;
}

bool EntersFourByteModeByB7(const Fact& f) {
    for (const char* entry : {"4BA", "4BA_ENTER", "4BA_WREN", "4BA_ENTER_WREN"})
        if (f.features.count(entry)) return true;
    return false;
}

TEST(ChipFactsTest, EveryFlashRecordAgreesWithTheFactsOfItsIdentification) {
    const std::multimap<uint32_t, Fact> facts = LoadFacts();
    ASSERT_GT(facts.size(), 300u);
    std::set<uint32_t> knownSeries;
    for (const auto& [id, fact] : facts) knownSeries.insert(id >> 8);

    std::set<std::string> used;
    const auto excepted = [&](const std::string& model, Check check) {
        for (const Exception& e : kExceptions)
            if (model == e.model && check == e.check) {
                used.insert(std::string(e.model) + "/" + std::to_string(static_cast<int>(check)));
                return true;
            }
        return false;
    };

    std::set<uint32_t> seen;
    int checked = 0;
    for (const ChipRecord& r : ShippedRecords()) {
        if (r.Family != Flash25) continue;
        ++checked;
        const std::string model = ModelOf(r);
        SCOPED_TRACE(ChipNameText(r));
        const bool first = seen.insert(r.ChipId).second;
        const auto [from, to] = facts.equal_range(r.ChipId);
        if (from == to) {
            EXPECT_TRUE(excepted(model, Check::KnownId)) << "identification unknown";
            EXPECT_TRUE(knownSeries.count(r.ChipId >> 8)) << "not even its series is known";
            continue;
        }
        const uint32_t supply = SupplyMillivolts(r.Voltage);
        bool pageMatch = false, supplyMatch = false, ranged = false, aai = false;
        for (auto it = from; it != to; ++it) {
            const Fact& f = it->second;
            SCOPED_TRACE("fact " + f.name);
            EXPECT_EQ(r.Capacity, f.size);
            // A smaller page than the chip's programs correctly; a larger one wraps.
            EXPECT_LE(r.PageSize, f.page);
            pageMatch |= r.PageSize == f.page;
            if (f.vmax != 0) {
                ranged = true;
                supplyMatch |= Takes(f, supply);
                // Detection offers the first record to every chip of the identification.
                if (first && supply > f.vmax && !excepted(model, Check::Supply)) {
                    ADD_FAILURE() << "supply too high for this chip";
                }
            }
            if (!f.chipErase.count("C7") && !f.chipErase.count("60") &&
                !excepted(model, Check::ChipErase)) {
                ADD_FAILURE() << "no chip erase";
            }
            if (r.Capacity > 0x1000000) {
                EXPECT_TRUE(EntersFourByteModeByB7(f)) << "no B7h entry";
            }
            aai |= f.write == "WRITE_AAI";
        }
        EXPECT_TRUE(pageMatch);
        // A fact without a supply range takes that of its series.
        for (auto it = facts.begin(); !ranged && it != facts.end(); ++it)
            if (it->first >> 8 == r.ChipId >> 8 && it->second.vmax != 0)
                supplyMatch |= Takes(it->second, supply);
        if (!supplyMatch && !excepted(model, Check::Supply)) ADD_FAILURE() << "supply disagrees";
        if ((r.Algorithm == 1) != aai && !excepted(model, Check::Write))
            ADD_FAILURE() << "write method";
    }
    EXPECT_GT(checked, 400);
    // An exception that no record needs any more is stale.
    for (const Exception& e : kExceptions)
        EXPECT_TRUE(
            used.count(std::string(e.model) + "/" + std::to_string(static_cast<int>(e.check))))
            << "unused exception " << e.model;
}

} // namespace
