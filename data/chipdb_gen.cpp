// Builds the chip database Pyrolan.Dat from the text table data/chips.tsv.
//
//   chipdb_gen <table> <database>
//
// Every line is checked before anything is written; a bad line fails the build with
// "<table>:<line>: <what is wrong>", and the database is then left as it was. The file is
// written beside its final name and renamed, so a half-written database never exists.
#include "atomic_file.h"
#include "chip_record.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr size_t kFieldCount = 13;
constexpr size_t kNameBytes = sizeof(ChipRecord{}.Name) - 1; // room for the NUL
constexpr int kMaxRecords = kChipTableSlots - 1;             // and the end record

struct FamilyName {
    const char* name;
    ChipFamily family;
};
constexpr std::array<FamilyName, 5> kFamilies{{{"Flash25", Flash25},
                                               {"Eeprom24", Eeprom24},
                                               {"Eeprom93", Eeprom93},
                                               {"Eeprom25", Eeprom25},
                                               {"Eeprom95", Eeprom95}}};
constexpr std::array<const char*, 3> kVoltages{"3.3V", "1.8V", "5.0V"};

// Voltage values ordered by the supply they stand for: 1.8 V < 3.3 V < 5.0 V.
int SupplyRank(uint8_t voltage) {
    static constexpr std::array<int, 3> kRank{1, 0, 2};
    return kRank[voltage];
}

struct Row {
    int line = 0;
    std::string kind, maker, model;
    ChipRecord record{};
};

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? tab : tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

// Decimal digits only: no sign, no blanks, no base prefix.
std::optional<uint64_t> ParseDecimal(const std::string& text) {
    if (text.empty() || text.size() > 12) return std::nullopt;
    uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<uint64_t> ParseCapacity(const std::string& text) {
    uint64_t unit = 1;
    std::string digits = text;
    if (!digits.empty() && (digits.back() == 'K' || digits.back() == 'M')) {
        unit = digits.back() == 'K' ? 1024u : 1024u * 1024u;
        digits.pop_back();
    }
    const auto value = ParseDecimal(digits);
    if (!value) return std::nullopt;
    return *value * unit;
}

std::optional<uint32_t> ParseHexId(const std::string& text) {
    if (text.size() != 6) return std::nullopt;
    uint32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

bool IsPowerOfTwo(uint64_t v) {
    return v != 0 && (v & (v - 1)) == 0;
}

// A name part must survive the chip lists' split, which breaks at commas, at every
// character up to blank and at quotes.
std::string NamePartProblem(const std::string& part) {
    if (part.empty()) return "is empty";
    for (const char ch : part) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= ' ' || c >= 0x7F) return "holds a blank, control or non-ASCII character";
        if (c == ',' || c == '"') return "holds a comma or a double quote";
    }
    return "";
}

// The Algorithm that the size of an EEPROM of the 24, 25 and 95 series asks for.
int EepromAlgorithmBySize(ChipFamily family, uint64_t capacity) {
    if (family == Eeprom24) return capacity < 4096 ? 0 : 1;
    if (capacity <= 512) return 0;
    return capacity <= 65536 ? 1 : 2;
}

class TableReader {
public:
    explicit TableReader(std::string path) : path_(std::move(path)) {}

    bool Read() {
        std::ifstream in(path_, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "%s: cannot open the chip table: %s\n", path_.c_str(),
                         std::strerror(errno));
            return false;
        }
        std::string line;
        int number = 0;
        while (std::getline(in, line)) {
            ++number;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.empty() || line[0] == '#') continue;
            ReadRow(number, line);
        }
        if (in.bad()) {
            std::fprintf(stderr, "%s: reading the chip table failed\n", path_.c_str());
            return false;
        }
        if (rows_.empty()) Fail(number, "the table holds no chip");
        if (rows_.size() > static_cast<size_t>(kMaxRecords))
            Fail(number, "the table holds " + std::to_string(rows_.size()) +
                             " chips; the program's table takes at most " +
                             std::to_string(kMaxRecords));
        return errors_ == 0;
    }

    const std::vector<Row>& Rows() const { return rows_; }

private:
    void Fail(int line, const std::string& message) {
        std::fprintf(stderr, "%s:%d: error: %s\n", path_.c_str(), line, message.c_str());
        ++errors_;
    }

    void ReadRow(int line, const std::string& text) {
        const std::vector<std::string> f = SplitTabs(text);
        if (f.size() != kFieldCount) {
            Fail(line, "expected " + std::to_string(kFieldCount) + " tab-separated fields, found " +
                           std::to_string(f.size()));
            return;
        }
        const int before = errors_;
        Row row;
        row.line = line;
        row.kind = f[0];
        row.maker = f[1];
        row.model = f[2];
        ChipRecord& r = row.record;

        static constexpr std::array<const char*, 3> partNames{"kind", "maker", "model"};
        for (size_t i = 0; i < 3; ++i) {
            const std::string problem = NamePartProblem(f[i]);
            if (!problem.empty())
                Fail(line, std::string(partNames[i]) + " '" + f[i] + "' " + problem);
        }
        const std::string name = f[0] + "," + f[1] + "," + f[2];
        if (name.size() > kNameBytes)
            Fail(line, "name '" + name + "' has " + std::to_string(name.size()) +
                           " bytes; at most " + std::to_string(kNameBytes) + " fit");

        std::optional<ChipFamily> family;
        for (const FamilyName& fam : kFamilies)
            if (f[6] == fam.name) family = fam.family;
        if (!family) {
            Fail(line, "family '" + f[6] +
                           "' is none of Flash25, Eeprom24, Eeprom93, Eeprom25, "
                           "Eeprom95");
            return;
        }
        r.Family = *family;

        const auto capacity = ParseCapacity(f[4]);
        bool capacityOk = false;
        if (!capacity)
            Fail(line, "capacity '" + f[4] + "' is not a number of bytes (K and M allowed)");
        else if (*capacity < 64 || *capacity > kImageBufferSizeBytes || !IsPowerOfTwo(*capacity))
            Fail(line, "capacity " + f[4] + " is not 64 << i bytes up to 64M");
        else
            capacityOk = true;
        if (capacityOk) r.Capacity = static_cast<uint32_t>(*capacity);

        const auto page = ParseDecimal(f[5]);
        if (!page || *page > 256 || !IsPowerOfTwo(*page))
            Fail(line, "page size '" + f[5] + "' is not 1 << i bytes up to 256");
        else if (capacityOk && *page > *capacity)
            Fail(line, "page size " + f[5] + " exceeds the capacity");
        else
            r.PageSize = static_cast<uint16_t>(*page);

        const auto algorithm = ParseDecimal(f[7]);
        if (!algorithm || *algorithm > 255) {
            Fail(line, "algorithm '" + f[7] + "' is not a number 0..255");
        } else {
            r.Algorithm = static_cast<uint8_t>(*algorithm);
            CheckAlgorithm(line, *family, r.Algorithm, capacityOk ? *capacity : 0, capacityOk);
        }

        const auto delay = ParseDecimal(f[8]);
        if (!delay || *delay > 65535)
            Fail(line, "delay '" + f[8] + "' is not a number 0..65535");
        else if (*family == Flash25 && *delay == 0)
            Fail(line, "a flash chip needs a delay of at least one status poll");
        else
            r.Delay = static_cast<uint16_t>(*delay);

        bool voltageOk = false;
        for (size_t v = 0; v < kVoltages.size(); ++v)
            if (f[9] == kVoltages[v]) {
                r.Voltage = static_cast<uint8_t>(v);
                voltageOk = true;
            }
        if (!voltageOk) Fail(line, "voltage '" + f[9] + "' is none of 3.3V, 1.8V, 5.0V");

        const auto eepromSize = ParseDecimal(f[10]);
        if (!eepromSize || *eepromSize > 32768 || *eepromSize == 1 ||
            (*eepromSize != 0 && !IsPowerOfTwo(*eepromSize)))
            Fail(line, "eeprom_size '" + f[10] + "' is neither 0 nor 1 << i bytes from 2 to 32768");
        else
            r.EepromSize = static_cast<uint16_t>(*eepromSize);

        const auto eepromPage = ParseDecimal(f[11]);
        if (!eepromPage || *eepromPage > 128 || !IsPowerOfTwo(*eepromPage))
            Fail(line, "eeprom_page '" + f[11] + "' is not 1 << i up to 128");
        else
            r.EepromPage = static_cast<uint8_t>(*eepromPage);

        const auto xmlLink = ParseDecimal(f[12]);
        if (!xmlLink || *xmlLink > 65535)
            Fail(line, "xml_link '" + f[12] + "' is not a number 0..65535");
        else
            r.XmlLink = static_cast<uint16_t>(*xmlLink);

        CheckKindAndMaker(line, row.kind, row.maker, row.model, *family);
        if (errors_ != before) return;

        // The identification last: a shared one is compared with fields checked above.
        if (!CheckChipId(line, *family, f[3], r)) return;
        SetChipName(r, name);
        rows_.push_back(row);
    }

    void CheckAlgorithm(int line, ChipFamily family, uint8_t a, uint64_t capacity, bool known) {
        switch (family) {
        case Flash25:
            if (a > 1) Fail(line, "a flash chip's algorithm is 0, or 1 for the SST kind");
            break;
        case Eeprom93:
            if (!((a >= 7 && a <= 11) || (a >= 87 && a <= 91)))
                Fail(line, "a 93-series algorithm is 7..11 (8-bit) or 87..91 (16-bit)");
            break;
        case Eeprom24:
        case Eeprom25:
        case Eeprom95:
            if (known && a != EepromAlgorithmBySize(family, capacity))
                Fail(line, "algorithm " + std::to_string(a) + " does not fit the capacity; it is " +
                               std::to_string(EepromAlgorithmBySize(family, capacity)));
            break;
        }
    }

    // Kinds must come first in family order, so that detection's kind entries 0, 1 and 2
    // are the flash, 24-series and 93-series kinds; the lists merge texts that differ only
    // in letter case, so each kind, maker and model has one spelling.
    void CheckKindAndMaker(int line, const std::string& kind, const std::string& maker,
                           const std::string& model, ChipFamily family) {
        const std::string kindKey = Lower(kind);
        auto k = kinds_.find(kindKey);
        if (k == kinds_.end()) {
            if (family != static_cast<ChipFamily>(kinds_.size())) {
                Fail(line, "kind '" + kind + "' appears as kind entry " +
                               std::to_string(kinds_.size()) + " but holds family " +
                               kFamilies[family].name + ", which must be entry " +
                               std::to_string(static_cast<int>(family)));
                return;
            }
            k = kinds_.emplace(kindKey, KindInfo{kind, family, {}, {}}).first;
        }
        KindInfo& info = k->second;
        if (info.spelling != kind)
            Fail(line, "kind '" + kind + "' is spelt '" + info.spelling + "' elsewhere");
        if (info.family != family)
            Fail(line, "kind '" + kind + "' holds family " + kFamilies[info.family].name +
                           " elsewhere, here " + kFamilies[family].name);
        const std::string makerKey = Lower(maker);
        const auto m = info.makers.emplace(makerKey, maker).first;
        if (m->second != maker)
            Fail(line, "maker '" + maker + "' is spelt '" + m->second + "' elsewhere");
        const auto [model_it, added] = info.models.emplace(makerKey + "," + Lower(model), line);
        if (!added)
            Fail(line, "model '" + model + "' is already listed under " + kind + "," + maker +
                           " on line " + std::to_string(model_it->second));
    }

    bool CheckChipId(int line, ChipFamily family, std::string text, ChipRecord& r) {
        if (family != Flash25) {
            if (text != "0") {
                Fail(line, "an EEPROM has chip_id 0");
                return false;
            }
            return true;
        }
        const bool shared = !text.empty() && text[0] == '=';
        if (shared) text.erase(0, 1);
        const auto id = ParseHexId(text);
        if (!id || *id == 0 || *id == 0xFFFFFF) {
            Fail(line, "chip_id '" + text + "' is not a JEDEC identification of six hex digits");
            return false;
        }
        r.ChipId = *id;
        const auto first = firstWithId_.find(*id);
        if (!shared) {
            if (first != firstWithId_.end()) {
                Fail(line, "chip_id " + text + " is already used on line " +
                               std::to_string(rows_[first->second].line) +
                               "; mark a part that shares it with '='");
                return false;
            }
            firstWithId_.emplace(*id, rows_.size());
            return true;
        }
        if (first == firstWithId_.end()) {
            Fail(line, "chip_id =" + text + " shares an identification that no earlier line has");
            return false;
        }
        // Detection selects the first record of an identification for every part that
        // answers it, so that record must be right for all of them: the same size, page and
        // algorithm, and a supply no higher than any of them takes.
        const Row& f = rows_[first->second];
        const ChipRecord& a = f.record;
        if (a.Capacity != r.Capacity || a.PageSize != r.PageSize || a.Algorithm != r.Algorithm) {
            Fail(line, "shares chip_id " + text + " with line " + std::to_string(f.line) +
                           " but differs in capacity, page size or algorithm");
            return false;
        }
        if (SupplyRank(r.Voltage) < SupplyRank(a.Voltage)) {
            Fail(line,
                 std::string("a ") + kVoltages[r.Voltage] + " part shares chip_id " + text +
                     " with the " + kVoltages[a.Voltage] + " part on line " +
                     std::to_string(f.line) +
                     ", which detection finds and would supply too high a voltage; list the " +
                     kVoltages[r.Voltage] + " part first");
            return false;
        }
        if (a.Delay < r.Delay) {
            Fail(line, "needs a delay of " + std::to_string(r.Delay) + " but line " +
                           std::to_string(f.line) + ", which detection finds, gives only " +
                           std::to_string(a.Delay));
            return false;
        }
        return true;
    }

    static constexpr uint64_t kImageBufferSizeBytes = 64u * 1024u * 1024u;

    struct KindInfo {
        std::string spelling;
        ChipFamily family;
        std::map<std::string, std::string> makers; // lower case -> spelling
        std::map<std::string, int> models;         // "maker,model" lower case -> line
    };

    std::string path_;
    std::vector<Row> rows_;
    std::map<std::string, KindInfo> kinds_;
    std::map<uint32_t, size_t> firstWithId_;
    int errors_ = 0;
};

bool WriteDatabase(const std::string& path, const std::vector<Row>& rows) {
    std::vector<uint8_t> bytes((rows.size() + 1) * kChipRecordSize, 0);
    for (size_t i = 0; i < rows.size(); ++i)
        ChipRecordToBytes(rows[i].record, bytes.data() + i * kChipRecordSize);
    // The last 68 bytes stay zero: the end record.
    TAtomicFile out(path);
    if (!out.IsOpen()) {
        std::fprintf(stderr, "%s: %s: %s\n", path.c_str(), out.Explained("cannot create").c_str(),
                     std::strerror(errno));
        return false;
    }
    if (!out.Write(bytes.data(), bytes.size()) || !out.Commit()) {
        std::fprintf(stderr, "%s: writing the chip database failed: %s\n", path.c_str(),
                     std::strerror(errno));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <chip table> <chip database>\n", argv[0]);
        return 2;
    }
    TableReader reader(argv[1]);
    if (!reader.Read()) {
        std::fprintf(stderr, "%s: the chip database was not built\n", argv[1]);
        return 1;
    }
    if (!WriteDatabase(argv[2], reader.Rows())) return 1;
    return 0;
}
