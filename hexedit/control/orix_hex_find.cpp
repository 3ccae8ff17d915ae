// Find: the pattern prepared in the data's encoding, and the search of a range for its lowest
// match, with progress reports and cancel, or the host's own search through OnFind and
// OnWildcardFind.
#include "code_pages.h"
#include "orix_hex_wait_cursor.h"

#include <algorithm>

namespace {
// pos x 100 / size, rounded to the nearest integer with halves to even; size > 0, 0 <= pos <= size.
uint8_t FindPercent(int64_t pos, int64_t size) {
    const int64_t scaled = pos * 100;
    int64_t q = scaled / size;
    const int64_t twice = (scaled % size) * 2;
    if (twice > size || (twice == size && (q & 1) != 0)) ++q;
    return static_cast<uint8_t>(std::clamp<int64_t>(q, 0, 100));
}
} // namespace

std::string TCustomOrixHexEditor::PrepareFindReplaceData(std::string text, bool ignoreCase,
                                                         bool isText) {
    if (text.empty()) return {};
    if (ignoreCase) text = AnsiLowerCase(text);
    const auto length = static_cast<int32_t>(std::min<size_t>(text.size(), INT32_MAX));
    if (isText && Translation != tkAsIs)
        TranslateBufferFromAnsi(Translation, text.data(), text.data(), length);
    if (isText && UnicodeChars) {
        std::string wide;
        wide.reserve(text.size() * 2);
        for (char c : text) {
            const char16_t unit = Cp1252ToUnicode[static_cast<uint8_t>(c)];
            const auto low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
            wide += UnicodeBigEndian ? high : low;
            wide += UnicodeBigEndian ? low : high;
        }
        text = std::move(wide);
    }
    FFindTablePlain = FindTableIdentity();
    FFindTableFolded = FindTableFolded(Translation);
    return text;
}

int32_t TCustomOrixHexEditor::Find(const void* pattern, int32_t count, int32_t from, int32_t until,
                                   bool ignoreCase) {
    if (OnFind) {
        int32_t found = -1;
        OnFind(this, pattern, count, from, until, ignoreCase, '\0', found);
        return found;
    }
    return SearchData(static_cast<const uint8_t*>(pattern), count, from, until, ignoreCase,
                      kNoWildcard);
}

int32_t TCustomOrixHexEditor::FindWithWildcard(const void* pattern, int32_t count, int32_t from,
                                               int32_t until, bool ignoreCase, char wildcard) {
    if (OnWildcardFind) {
        int32_t found = -1;
        OnWildcardFind(this, pattern, count, from, until, ignoreCase, wildcard, found);
        return found;
    }
    return SearchData(static_cast<const uint8_t*>(pattern), count, from, until, ignoreCase,
                      static_cast<uint8_t>(wildcard));
}

int32_t TCustomOrixHexEditor::SearchData(const uint8_t* pattern, int32_t count, int32_t from,
                                         int32_t until, bool ignoreCase, int wildcard) {
    const int64_t size = GetDataSize();
    int64_t last = until >= size ? size - 1 : until;
    if (count < 1 || !pattern || static_cast<int64_t>(from) + count > last + 1) return -1;
    // A leading wildcard reads no data byte: a negative start must be refused before it.
    if (from < 0) throw EOrixHexEditor("Data position/length out of data bounds");
    const TOrixHFindTable& table = ignoreCase ? FFindTableFolded : FFindTablePlain;
    TOrixHWaitCursor wait(this);
    auto scan = [&](int64_t first, int64_t end) {
        return FindBytes(FDataStore.Memory(), first, end, pattern, count, table, wildcard);
    };
    if (!FindProgress || !OnProgress) return static_cast<int32_t>(scan(from, last));
    // A report every step positions of the scan (every position on data below 500 bytes),
    // about 500 over the whole data; each one comes before the position it announces is
    // compared. The search between two reports runs at full speed.
    const int64_t step = std::max<int64_t>(1, size / 500);
    int64_t start = from;
    for (int64_t report = from + step - 1;; report += step) {
        const int64_t end = std::min(last, report - 1);
        const int64_t found = scan(start, end);
        if (found >= 0) return static_cast<int32_t>(found);
        if (report > last + 1) return -1;
        start = std::max(start, end - count + 2);
        // Asked anew before each report: the handler may have turned the reports off or
        // dropped itself, and the rest of the scan then runs without them.
        if (!FindProgress || !OnProgress) return static_cast<int32_t>(scan(start, last));
        // A copy runs: the handler may replace itself while it runs.
        const TOrixHProgressEvent progress = OnProgress;
        bool cancel = false;
        progress(this, pkFind, FDocumentName, FindPercent(report, size), cancel);
        if (cancel) throw EOrixHexEditor("Operation cancelled");
        // The handler was told to leave the data alone; should it not, nothing past the
        // data's end is read.
        last = std::min<int64_t>(last, GetDataSize() - 1);
    }
}
