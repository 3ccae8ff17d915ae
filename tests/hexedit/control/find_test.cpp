// Find: prepared patterns (case fold, translation, UTF-16 in both byte orders), the lowest
// match wholly inside the range with and without wildcard, against a plain scan on random
// data, the progress reports and cancel, and the host's own search.
#include "hex_test_env.h"

#include <gtest/gtest.h>
#include <random>

namespace {
using Bytes = std::vector<uint8_t>;

Bytes B(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// The lowest s >= from whose n bytes match and end at or before the last byte of the range.
int64_t PlainScan(const Bytes& d, const Bytes& p, int64_t from, int64_t until,
                  const TOrixHFindTable& table, int wildcard) {
    const auto size = static_cast<int64_t>(d.size());
    const int64_t last = until >= size ? size - 1 : until;
    const auto n = static_cast<int64_t>(p.size());
    for (int64_t s = from; n > 0 && s + n - 1 <= last; ++s) {
        bool all = true;
        for (int64_t j = 0; j < n && all; ++j)
            all = p[static_cast<size_t>(j)] == wildcard ||
                  table[d[static_cast<size_t>(s + j)]] == p[static_cast<size_t>(j)];
        if (all) return s;
    }
    return -1;
}

struct Reports {
    std::vector<int> percents;
    std::vector<TCursor> cursors;
    int cancelAt = -1;
    void Attach(TCustomOrixHexEditor& e) {
        e.SetFindProgress(true);
        e.OnProgress = [this](TCustomOrixHexEditor* sender, TOrixHProgressKind kind,
                              const std::string&, uint8_t percent, bool& cancel) {
            EXPECT_EQ(kind, pkFind);
            percents.push_back(percent);
            cursors.push_back(sender->Cursor());
            if (static_cast<int>(percents.size()) == cancelAt) cancel = true;
        };
    }
};

int HalfEven(int64_t pos, int64_t size) {
    const int64_t q = pos * 100 / size, twice = pos * 100 % size * 2;
    return static_cast<int>(twice > size || (twice == size && q % 2 != 0) ? q + 1 : q);
}
} // namespace

TEST(Find, RangesPatternsAndWildcards) {
    struct Case {
        const char* name;
        std::string data, pattern;
        int32_t from, until;
        int wildcard; // -1: Find, else FindWithWildcard
        int32_t want;
    };
    const Case cases[] = {
        {"match at the end of the range", "ABCABD", "ABD", 0, 5, -1, 3},
        {"match would end past until", "ABCABD", "ABD", 0, 4, -1, -1},
        {"later match too long for the range", "ABCABD", "AB", 1, 3, -1, -1},
        {"first of two", "ABCABD", "AB", 0, 5, -1, 0},
        {"from past the first", "ABCABD", "AB", 1, 5, -1, 3},
        {"restart inside a partial match", "AAAB", "AAB", 0, 3, -1, 1},
        {"until past the end", "ABCABD", "ABD", 0, 100, -1, 3},
        {"count 0", "ABCABD", "", 0, 5, -1, -1},
        {"longer than the data", "ABC", "ABCD", 0, 3, -1, -1},
        {"from past the range", "ABCABD", "D", 6, 5, -1, -1},
        {"wildcard inside", "ABCABD", "A?D", 0, 5, '?', 3},
        {"only wildcards", "ABCABD", "??", 0, 5, '?', 0},
        {"only wildcards from 4", "ABCABD", "??", 4, 5, '?', 4},
        {"only wildcards too long", "ABCABD", "??", 5, 5, '?', -1},
        {"leading wildcard", "ABCAB", "?AB", 0, 4, '?', 2},
        {"wildcard as a byte in Find", "AB?D", "B?", 0, 3, -1, 1},
        {"no wildcard byte in the pattern", "ABCABD", "CA", 0, 5, '?', 2},
    };
    ShownEditor e(0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoadBytes(*e, B(c.data));
        const TCursor cursor = e->Cursor();
        const int32_t got =
            c.wildcard < 0
                ? e->Find(c.pattern.data(), static_cast<int32_t>(c.pattern.size()), c.from, c.until,
                          false)
                : e->FindWithWildcard(c.pattern.data(), static_cast<int32_t>(c.pattern.size()),
                                      c.from, c.until, false, static_cast<char>(c.wildcard));
        EXPECT_EQ(got, c.want);
        EXPECT_EQ(e->Cursor(), cursor);
    }
}

TEST(Find, RawBytesWithoutPreparing) {
    ShownEditor e(0);
    LoadBytes(*e, {0x00, 0xFF, 0x10, 0x20, 0x41, 0xC9});
    const uint8_t raw[] = {0xFF, 0x10};
    EXPECT_EQ(e->Find(raw, 2, 0, 5, false), 1);
    // The fold of the ANSI code page is there from the start too: a, é.
    const uint8_t lower[] = {0x61, 0xE9};
    EXPECT_EQ(e->Find(lower, 2, 0, 5, true), 4);
    EXPECT_EQ(e->Find(lower, 2, 0, 5, false), -1);
}

TEST(Find, NegativeStartIsRefused) {
    ShownEditor e(0);
    LoadBytes(*e, B("ABCABD"));
    EXPECT_EQ(ErrorOf([&] { e->FindWithWildcard("?A", 2, -1, 5, false, '?'); }),
              "Data position/length out of data bounds");
    EXPECT_EQ(ErrorOf([&] { e->Find("AB", 2, -1, 5, false); }),
              "Data position/length out of data bounds");
    EXPECT_EQ(e->Find("", 0, -1, 5, false), -1);
}

TEST(Find, PreparedPatterns) {
    struct Case {
        const char* name;
        TOrixHTranslationKind translation;
        bool unicode, bigEndian;
        std::string text;
        bool ignoreCase, isText;
        Bytes want;
    };
    const Case cases[] = {
        {"as is", tkAsIs, false, false, "AbC", false, true, B("AbC")},
        {"lowered", tkAsIs, false, false, "AbC\xC9", true, true, B("abc\xE9")},
        {"to EBCDIC", tkBCD, false, false, "AB", false, true, {0xC1, 0xC2}},
        {"lowered, then to EBCDIC", tkBCD, false, false, "AB", true, true, {0x81, 0x82}},
        {"raw bytes keep their encoding", tkBCD, false, false, "AB", true, false, B("ab")},
        {"unicode little endian", tkAsIs, true, false, "AB", false, true, {0x41, 0, 0x42, 0}},
        {"unicode big endian", tkAsIs, true, true, "AB", false, true, {0, 0x41, 0, 0x42}},
        {"unicode of an ANSI-only character",
         tkAsIs,
         true,
         true,
         "\x80",
         false,
         true,
         {0x20, 0xAC}},
        {"unicode not for raw bytes", tkAsIs, true, false, "AB", false, false, B("AB")},
        {"empty", tkAsIs, false, false, "", true, true, {}},
    };
    ShownEditor e(0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        e->SetUnicodeCharacters(false);
        e->SetTranslation(c.translation);
        e->SetUnicodeCharacters(c.unicode);
        e->SetUnicodeBigEndian(c.bigEndian);
        EXPECT_EQ(B(e->PrepareFindReplaceData(c.text, c.ignoreCase, c.isText)), c.want);
    }
}

TEST(Find, IgnoreCase) {
    ShownEditor e(0);
    LoadBytes(*e, B("xxABDx"));
    std::string p = e->PrepareFindReplaceData("abd", true, true);
    EXPECT_EQ(e->Find(p.data(), 3, 0, 5, true), 2);
    EXPECT_EQ(e->Find(p.data(), 3, 0, 5, false), -1);
    // Under EBCDIC: the data holds "xxABDx" in that encoding.
    LoadBytes(*e, {0xA7, 0xA7, 0xC1, 0xC2, 0xC4, 0xA7});
    e->SetTranslation(tkBCD);
    p = e->PrepareFindReplaceData("aBd", true, true);
    EXPECT_EQ(e->Find(p.data(), 3, 0, 5, true), 2);
    EXPECT_EQ(e->FindWithWildcard(p.data(), 3, 0, 5, true, static_cast<char>(0x82)), 2);
    // Unicode, big endian: "AB" in UTF-16.
    e->SetTranslation(tkAsIs);
    e->SetUnicodeCharacters(true);
    e->SetUnicodeBigEndian(true);
    LoadBytes(*e, {0x00, 0x78, 0x00, 0x41, 0x00, 0x42});
    p = e->PrepareFindReplaceData("ab", true, true);
    EXPECT_EQ(e->Find(p.data(), 4, 0, 5, true), 2);
}

TEST(Find, AgreesWithAPlainScan) {
    std::mt19937 random(31);
    const std::string alphabet = "aAbB?\xC9\xE9";
    const TOrixHTranslationKind kinds[] = {tkAsIs, tkDos8, tkMac, tkBCD};
    ShownEditor e(0);
    for (int round = 0; round < 600; ++round) {
        Bytes data(random() % 3000);
        for (uint8_t& b : data) b = static_cast<uint8_t>(alphabet[random() % alphabet.size()]);
        Bytes pattern(random() % 6 + 1);
        for (uint8_t& b : pattern) b = static_cast<uint8_t>(alphabet[random() % alphabet.size()]);
        const TOrixHTranslationKind kind = kinds[random() % 4];
        const bool ignoreCase = random() % 2 == 0, progress = random() % 2 == 0;
        const int wildcard = random() % 2 == 0 ? '?' : -1;
        const auto size = static_cast<int32_t>(data.size());
        const auto from = static_cast<int32_t>(random() % (size + 2));
        const auto until = static_cast<int32_t>(random() % (size + 10)) - 2;
        SCOPED_TRACE(testing::Message() << "round " << round);
        LoadBytes(*e, data);
        e->SetTranslation(kind);
        e->PrepareFindReplaceData("x", false, true);
        e->SetFindProgress(progress);
        e->OnProgress = [](TCustomOrixHexEditor*, TOrixHProgressKind, const std::string&, uint8_t,
                           bool&) {};
        const TOrixHFindTable table = ignoreCase ? FindTableFolded(kind) : FindTableIdentity();
        const auto n = static_cast<int32_t>(pattern.size());
        const int32_t got =
            wildcard < 0 ? e->Find(pattern.data(), n, from, until, ignoreCase)
                         : e->FindWithWildcard(pattern.data(), n, from, until, ignoreCase, '?');
        ASSERT_EQ(got, PlainScan(data, pattern, from, until, table, wildcard));
    }
}

TEST(Find, ProgressEveryStepAndCancel) {
    ShownEditor e(0);
    LoadBytes(*e, Bytes(100000, 0));
    const TCursor cursor = e->Cursor();
    const uint8_t absent[] = {1, 2};
    Reports all;
    all.Attach(*e);
    EXPECT_EQ(e->Find(absent, 2, 0, 99999, false), -1);
    // One report each 200 positions, before position 199, 399, ... 99999 is compared.
    ASSERT_EQ(all.percents.size(), 500u);
    for (size_t k = 0; k < all.percents.size(); ++k)
        ASSERT_EQ(all.percents[k], HalfEven(static_cast<int64_t>(k) * 200 + 199, 100000)) << k;
    for (TCursor c : all.cursors) EXPECT_EQ(c, crHourGlass);
    EXPECT_EQ(e->Cursor(), cursor);

    // A match ends the reports at its last byte.
    e->WriteBuffer(absent, 50000, 2);
    Reports some;
    some.Attach(*e);
    EXPECT_EQ(e->Find(absent, 2, 0, 99999, false), 50000);
    EXPECT_EQ(some.percents.size(), 250u);

    Reports cancelled;
    cancelled.cancelAt = 3;
    cancelled.Attach(*e);
    EXPECT_EQ(ErrorOf([&] { e->FindWithWildcard(absent, 2, 0, 99999, false, '?'); }),
              "Operation cancelled");
    EXPECT_EQ(cancelled.percents.size(), 3u);
    EXPECT_EQ(e->Cursor(), cursor);
}

TEST(Find, HandlerEndsTheReports) {
    // The handler may turn the reports off or drop itself on its second report: the search
    // goes on without them and still finds the match.
    struct Case {
        const char* name;
        std::function<void(TCustomOrixHexEditor&)> stop;
    };
    const Case cases[] = {
        {"FindProgress off", [](TCustomOrixHexEditor& e) { e.SetFindProgress(false); }},
        {"handler dropped", [](TCustomOrixHexEditor& e) { e.OnProgress = nullptr; }},
    };
    ShownEditor e(0);
    Bytes data(100000, 0);
    data[70000] = 1;
    data[70001] = 2;
    LoadBytes(*e, data);
    const TCursor cursor = e->Cursor();
    const uint8_t wanted[] = {1, 2};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int reports = 0;
        e->SetFindProgress(true);
        e->OnProgress = [&reports, stop = c.stop](TCustomOrixHexEditor* sender, TOrixHProgressKind,
                                                  const std::string&, uint8_t, bool&) {
            if (++reports == 2) stop(*sender);
            EXPECT_LE(reports, 2); // after the drop: still the running handler's own state
        };
        EXPECT_EQ(e->Find(wanted, 2, 0, 99999, false), 70000);
        EXPECT_EQ(reports, 2);
        EXPECT_EQ(e->Cursor(), cursor);
    }
}

TEST(Find, ProgressOnSmallAndEmptyData) {
    ShownEditor e(0);
    LoadBytes(*e, Bytes(10, 0));
    Reports small;
    small.Attach(*e);
    // Below 500 bytes every position reports, and one more past the last.
    EXPECT_EQ(e->Find("\x01", 1, 0, 9, false), -1);
    EXPECT_EQ(small.percents.size(), 11u);
    EXPECT_EQ(small.percents.back(), 100);
    LoadBytes(*e, {});
    Reports none;
    none.Attach(*e);
    EXPECT_EQ(e->Find("\x01", 1, 0, 9, false), -1);
    EXPECT_EQ(e->FindWithWildcard("?", 1, 0, 0, false, '?'), -1);
    EXPECT_TRUE(none.percents.empty());
}

TEST(Find, ProgressOnBigData) {
    ShownEditor e(0);
    Bytes data(32 << 20);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 131 + (i >> 9));
    LoadBytes(*e, data);
    Reports big;
    big.Attach(*e);
    const uint8_t absent[] = {0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x01, 0x02};
    EXPECT_EQ(e->Find(absent, 8, 0, INT32_MAX, false),
              PlainScan(data, Bytes(absent, absent + 8), 0, INT32_MAX, FindTableIdentity(), -1));
    ASSERT_GE(big.percents.size(), 499u);
    ASSERT_LE(big.percents.size(), 501u);
    for (size_t k = 1; k < big.percents.size(); ++k)
        ASSERT_LE(big.percents[k - 1], big.percents[k]);
    EXPECT_LE(big.percents.front(), 1);
    EXPECT_EQ(big.percents.back(), 100);
}

TEST(Find, HostSearchReplacesTheOwn) {
    ShownEditor e(0);
    LoadBytes(*e, B("ABCABD"));
    Reports reports;
    reports.Attach(*e);
    const TCursor cursor = e->Cursor();
    struct Call {
        const void* pattern;
        int32_t length, from, until;
        bool ignoreCase;
        char wildcard;
        TCursor cursor;
    } call{};
    int32_t answer = 42;
    bool setIt = true;
    auto handler = [&](TCustomOrixHexEditor* sender, const void* pattern, int32_t length,
                       int32_t from, int32_t until, bool ignoreCase, char wildcard,
                       int32_t& found) {
        EXPECT_EQ(found, -1);
        call = {pattern, length, from, until, ignoreCase, wildcard, sender->Cursor()};
        if (setIt) found = answer;
    };
    e->OnFind = handler;
    e->OnWildcardFind = handler;
    const char* text = "ABD";
    EXPECT_EQ(e->Find(text, 3, 1, 4, true), 42);
    EXPECT_EQ(call.pattern, text);
    EXPECT_EQ(call.length, 3);
    EXPECT_EQ(call.from, 1);
    EXPECT_EQ(call.until, 4);
    EXPECT_TRUE(call.ignoreCase);
    EXPECT_EQ(call.wildcard, '\0');
    EXPECT_EQ(call.cursor, cursor);
    EXPECT_EQ(e->FindWithWildcard(text, 3, 0, 5, false, '*'), 42);
    EXPECT_EQ(call.wildcard, '*');
    setIt = false;
    EXPECT_EQ(e->Find(text, 3, 0, 5, false), -1);
    EXPECT_TRUE(reports.percents.empty());
}
