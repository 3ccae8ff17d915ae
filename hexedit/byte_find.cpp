#include "byte_find.h"

#include "code_pages.h"

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
    // Horspool: the data byte under the window's last pattern position tells how far the
    // window may move without passing a match. A pattern position that could match that byte
    // (through the table, or as a wildcard) limits the move, so no match is ever skipped and
    // the first one found is the lowest.
    int64_t lastWild = -1;
    if (wild)
        for (int64_t k = 0; k + 1 < n; ++k)
            if (pattern[k] == wildcard) lastWild = k;
    std::array<int64_t, 256> lastAt;
    lastAt.fill(-1);
    for (int64_t k = lastWild + 1; k + 1 < n; ++k) lastAt[pattern[k]] = k;
    std::array<int64_t, 256> skip;
    for (size_t c = 0; c < 256; ++c) {
        const int64_t k = std::max(lastAt[table[c]], lastWild);
        skip[c] = n - 1 - k;
    }
    auto matches = [&](int64_t s) {
        for (int64_t j = 0; j < n; ++j) {
            const uint8_t p = pattern[j];
            if (p != wildcard && table[data[s + j]] != p) return false;
        }
        return true;
    };
    for (int64_t s = from; s + n - 1 <= last; s += skip[data[s + n - 1]])
        if (matches(s)) return s;
    return -1;
}
