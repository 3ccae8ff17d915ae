// Which record detection finds for every identification that several listed parts answer:
// the first of each row below, the others being chosen by hand in the lists. The table is
// the reviewed order; a change to the chip list that reorders, adds or removes a shared
// identification must change it too.
#include "shipped_records.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

struct SharedId {
    uint32_t id;
    std::vector<std::string> models; // in table order; detection takes the first
};

// Each first part is the one most boards carry, except where a part of the identification takes
// a lower supply: S25FS128S (012018) and MX25U3235F (C22536) are 1.8 V parts that answer like
// 3 V ones, so they come first and detection never offers 3.3 V to a 1.8 V chip.
const SharedId kDetectionOrder[] = {
    {0xEF4013, {"W25Q40BV", "W25Q40CL"}},
    {0xEF4014, {"W25Q80DV", "W25Q80BV", "W25Q80RV"}},
    {0xEF4015, {"W25Q16JV", "W25Q16DV", "W25Q16CV", "W25Q16BV"}},
    {0xEF4016, {"W25Q32JV", "W25Q32FV", "W25Q32BV", "W25Q32DV", "W25Q32CV"}},
    {0xEF4017, {"W25Q64JV", "W25Q64FV", "W25Q64CV", "W25Q64BV"}},
    {0xEF4018, {"W25Q128JV", "W25Q128FV", "W25Q128BV"}},
    {0xEF4019, {"W25Q256JV", "W25Q256FV"}},
    {0xEF6015, {"W25Q16FW", "W25Q16JW"}},
    {0xEF6016, {"W25Q32FW", "W25Q32JW", "W25Q32DW", "W25Q32CW", "W25Q32BW"}},
    {0xEF6017, {"W25Q64FW", "W25Q64JW"}},
    {0xEF6018, {"W25Q128FW", "W25Q128JW"}},
    {0xEF6019, {"W25Q256JW", "W25R256JW"}},
    {0xEF6020, {"W25R512NW", "W74M51NW"}},
    {0xEF8A17, {"W77Q64JW", "W77Q64NW"}},
    {0xEF8A18, {"W77Q128JW", "W77Q12NW"}},
    {0xC22010, {"MX25L512E", "MX25L512", "MX25V512", "MX25V512C"}},
    {0xC22011, {"MX25L1006E", "MX25L1005", "MX25L1005C"}},
    {0xC22012, {"MX25L2006E", "MX25L2005", "MX25L2005C"}},
    {0xC22013, {"MX25L4006E", "MX25L4005A", "MX25L4005", "MX25L4005C"}},
    {0xC22014, {"MX25L8006E", "MX25L8005", "MX25L8008E", "MX25V8005"}},
    {0xC22015,
     {"MX25L1606E", "MX25L1605D", "MX25L1605A", "MX25L1605", "MX25L1608E", "MX25L1608D",
      "MX25L1673E", "MX25V16066"}},
    {0xC22415, {"MX25L1635D", "MX25L1633E"}},
    {0xC22515, {"MX25L1635E", "MX25L1636E"}},
    {0xC22016,
     {"MX25L3206E", "MX25L3205D", "MX25L3233F", "MX25L3208E", "MX25L3208D", "MX25L3205A",
      "MX25L3205", "MX25L3273E", "MX25L3273F"}},
    {0xC22017,
     {"MX25L6406E", "MX25L6405D", "MX25L6433F", "MX25L6445E", "MX25L6408E", "MX25L6436E",
      "MX25L6465E", "MX25L6473E", "MX25L6473F", "MX25L6405"}},
    {0xC22018,
     {"MX25L12835F", "MX25L12805D", "MX25L12833F", "MX25L12845E", "MX25L12873F", "MX25L12865E",
      "MX25L12850F"}},
    {0xC22019, {"MX25L25635F", "MX25L25635E", "MX25L25645G"}},
    {0xC2201A, {"MX66L51235F", "MX25L51245G"}},
    {0xC22534, {"MX25U8035", "MX25U8032E"}},
    {0xC22536, {"MX25U3235F", "MX25U3235E", "MX25L3239E"}},
    {0xC22537, {"MX25U6435F", "MX25U6435E"}},
    {0xC22538, {"MX25U12835F", "MX25U12873F"}},
    {0xC22539, {"MX25U25635F", "MX25U25645G", "MX25U25643G"}},
    {0xC84012, {"GD25Q20C", "GD25Q20B", "GD25Q20"}},
    {0xC84013, {"GD25Q40C", "GD25Q40B", "GD25Q40"}},
    {0xC84014, {"GD25Q80C", "GD25Q80B", "GD25Q80"}},
    {0xC84015, {"GD25Q16C", "GD25Q16B", "GD25Q16E"}},
    {0xC84016, {"GD25Q32C", "GD25Q32B", "GD25Q32E"}},
    {0xC84017, {"GD25Q64C", "GD25Q64B", "GD25Q64E"}},
    {0xC84018,
     {"GD25Q128C", "GD25Q128E", "GD25Q127C", "GD25Q128B", "GD25B128B", "GD25B128E", "GD25R128E"}},
    {0xC84019, {"GD25Q256D", "GD25Q256E", "GD25B256E", "GD25R256E"}},
    {0xC8401A, {"GD25B512MF", "GD25R512MF"}},
    {0xC84213, {"GD25VQ40C", "GD25VQ41B"}},
    {0xC86016, {"GD25LQ32C", "GD25LQ32E"}},
    {0xC86017, {"GD25LQ64C", "GD25LQ64E", "GD25LQ64B"}},
    {0xC86018, {"GD25LQ128D", "GD25LQ128C", "GD25LQ128E", "GD25LB128E", "GD25LR128E"}},
    {0xC86019, {"GD25LQ256D", "GD25LQ255E", "GD25LB256F", "GD25LR256F"}},
    {0xC8601A, {"GD25LB512MF", "GD25LR512MF"}},
    {0xC86719, {"GD25LB256E", "GD25LR256E"}},
    {0xC8671A, {"GD25LB512ME", "GD25LR512ME"}},
    {0x1C3014, {"EN25Q80", "EN25Q80A"}},
    {0x1C3016, {"EN25Q32", "EN25Q32A", "EN25Q32B"}},
    {0x1C7016, {"EN25QH32", "EN25QH32B"}},
    {0x1C7017, {"EN25QH64", "EN25QH64A"}},
    {0x1C2010, {"EN25P05", "EN25B05", "EN25B05T"}},
    {0x1C2011, {"EN25P10", "EN25B10", "EN25B10T"}},
    {0x1C2012, {"EN25P20", "EN25B20", "EN25B20T"}},
    {0x1C2013, {"EN25P40", "EN25B40", "EN25B40T"}},
    {0x1C2014, {"EN25P80", "EN25B80", "EN25B80T"}},
    {0x1C2015, {"EN25P16", "EN25B16", "EN25B16T"}},
    {0x1C2016, {"EN25P32", "EN25B32", "EN25B32T"}},
    {0x1C2017, {"EN25P64", "EN25B64", "EN25B64T"}},
    {0x010215, {"S25FL032P", "S25FL032A"}},
    {0x010216, {"S25FL064P", "S25FL064A"}},
    {0x012018, {"S25FS128S", "S25FL128S", "S25FL128P", "S25FL129P", "S25FL127S"}},
    {0x014015, {"S25FL116K", "S25FL216K"}},
    {0x20BA18, {"N25Q128A13", "MT25QL128"}},
    {0x20BA19, {"MT25QL256", "N25Q256A13"}},
    {0x20BB18, {"N25Q128A11", "MT25QU128"}},
    {0x20BB19, {"MT25QU256", "N25Q256A11"}},
    {0x204015, {"XM25QH16C", "XM25QH16D"}},
    {0x204016, {"XM25QH32C", "XM25QH32D"}},
    {0x204017, {"XM25QH64C", "XM25QH64D"}},
    {0x204018, {"XM25QH128C", "XM25QH128D"}},
    {0x204019, {"XM25QH256C", "XM25QH256D"}},
    {0x204020, {"XM25QH512C", "XM25QH512D"}},
    {0x204117, {"XM25QU64C", "XM25LU64C"}},
    {0x204118, {"XM25QU128C", "XM25QU128D"}},
    {0x204119, {"XM25QU256C", "XM25QU256D"}},
    {0x204120, {"XM25QU512C", "XM25QU512D"}},
    {0x1F4501, {"AT25DF081A", "AT26DF081A"}},
    {0x1F4700, {"AT25DF321", "AT26DF321"}},
    {0x1F4800, {"AT25DF641", "AT25DF641A"}},
    {0x1F4502, {"AT25DL081", "AT25DF081"}},
    {0xA13112, {"FM25F02", "FM25F02A"}},
    {0xA13113, {"FM25F04", "FM25F04A"}},
    {0x684014, {"BY25D80", "BY25D80A"}},
    {0x684015, {"BY25Q16BS", "BY25D16A"}},
    {0x856014, {"P25Q80H", "P25D80H"}},
    {0x856016, {"P25Q32H", "P25Q32SH", "P25D32SH"}},
    {0x620613, {"LE25FU406C", "LE25U40CMC"}},
};

TEST(DetectionOrderTest, EverySharedIdentificationInTheReviewedOrder) {
    std::map<uint32_t, std::vector<std::string>> shipped;
    std::vector<uint32_t> order;
    for (const ChipRecord& r : ShippedRecords()) {
        if (r.Family != Flash25) continue;
        auto [it, added] = shipped.try_emplace(r.ChipId);
        if (added) order.push_back(r.ChipId);
        it->second.push_back(ModelOf(r));
    }
    std::vector<uint32_t> shared;
    for (const uint32_t id : order)
        if (shipped[id].size() > 1) shared.push_back(id);

    std::vector<uint32_t> reviewed;
    for (const SharedId& s : kDetectionOrder) {
        reviewed.push_back(s.id);
        SCOPED_TRACE(::testing::Message() << std::hex << s.id);
        EXPECT_EQ(shipped[s.id], s.models);
    }
    EXPECT_EQ(shared, reviewed);
}

} // namespace
