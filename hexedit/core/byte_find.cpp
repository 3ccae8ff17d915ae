#include "byte_find.h"

#include "byte_lane.h"
#include "code_pages.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <vector>

TOrixHFindTable FindTableIdentity() {
    TOrixHFindTable table;
    std::iota(table.begin(), table.end(), uint8_t{0});
    return table;
}

TOrixHFindTable FindTableFolded(TOrixHTranslationKind kind) {
    TOrixHFindTable table = FindTableIdentity();
    if (kind != tkAsIs) TranslateBufferToAnsi(kind, table.data(), table.data(), 256);
    CharLowerBuffA(reinterpret_cast<char*>(table.data()), 256);
    if (kind != tkAsIs) TranslateBufferFromAnsi(kind, table.data(), table.data(), 256);
    return table;
}

namespace {
bool IsIdentity(const TOrixHFindTable& table) {
    for (int b = 0; b < 256; ++b)
        if (table[static_cast<size_t>(b)] != b) return false;
    return true;
}

// 16 data bytes are compared at once against up to this many byte values.
constexpr size_t kLaneValues = 4;

bool HasWildcard(const uint8_t* pattern, int64_t n, int wildcard) {
    return wildcard != kNoWildcard &&
           std::memchr(pattern, wildcard, static_cast<size_t>(n)) != nullptr;
}
} // namespace

int64_t FindBytes(const uint8_t* data, int64_t from, int64_t last, const uint8_t* pattern,
                  int64_t n, const TOrixHFindTable& table, int wildcard) {
    if (n < 1 || from < 0 || from + n - 1 > last) return -1;
    const bool wild = HasWildcard(pattern, n, wildcard);
    if (!wild && IsIdentity(table)) {
        const void* hit = ::memmem(data + from, static_cast<size_t>(last - from + 1), pattern,
                                   static_cast<size_t>(n));
        return hit ? static_cast<const uint8_t*>(hit) - data : -1;
    }
    // Otherwise the scan looks for one pattern position, the anchor: the one that the fewest
    // data byte values can match, each candidate then checked whole from its start. The
    // candidates come in data order, so the first whole match is the lowest.
    std::array<int, 256> preimage{}; // per pattern value: the data bytes that match it
    for (size_t c = 0; c < 256; ++c) ++preimage[table[c]];
    int64_t anchor = -1;
    for (int64_t j = 0; j < n; ++j)
        if (pattern[j] != wildcard &&
            (anchor < 0 || preimage[pattern[j]] < preimage[pattern[anchor]]))
            anchor = j;
    if (anchor < 0) return from; // wildcards only: every window matches
    const uint8_t want = pattern[anchor];
    if (preimage[want] == 0) return -1; // no data byte maps to it (an upper-case letter folded)
    std::array<bool, 256> isAnchor{};
    std::vector<uint8_t> anchorBytes;
    for (size_t c = 0; c < 256; ++c)
        if (table[c] == want) {
            isAnchor[c] = true;
            anchorBytes.push_back(static_cast<uint8_t>(c));
        }
    auto matchesAt = [&](int64_t start) {
        for (int64_t j = 0; j < n; ++j) {
            const uint8_t p = pattern[j];
            if (p != wildcard && table[data[start + j]] != p) return false;
        }
        return true;
    };
    int64_t t = from + anchor;
    const int64_t tLast = last - (n - 1) + anchor;
    if (anchorBytes.size() <= kLaneValues) {
        // Few anchor bytes (a letter and its capital): 16 data bytes compared at once.
        std::array<TByteLane, kLaneValues> values;
        for (size_t i = 0; i < kLaneValues; ++i)
            values[i] = TByteLane{} + anchorBytes[std::min(i, anchorBytes.size() - 1)];
        for (; t + kByteLane - 1 <= tLast; t += kByteLane) {
            const TByteLane lane = LoadByteLane(data + t);
            const auto hit = (lane == values[0]) | (lane == values[1]) | (lane == values[2]) |
                             (lane == values[3]);
            uint64_t halves[2];
            std::memcpy(halves, &hit, sizeof halves);
            if ((halves[0] | halves[1]) == 0) continue;
            for (int64_t i = 0; i < kByteLane; ++i)
                if (isAnchor[data[t + i]] && matchesAt(t + i - anchor)) return t + i - anchor;
        }
    }
    for (; t <= tLast; ++t)
        if (isAnchor[data[t]] && matchesAt(t - anchor)) return t - anchor;
    return -1;
}
