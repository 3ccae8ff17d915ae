#include "string_list.h"

namespace {
bool IsBlank(unsigned char c) {
    return c >= 1 && c <= ' ';
}
} // namespace

std::vector<std::string> SplitDelimitedText(const std::string& text, char delimiter, char quote) {
    std::vector<std::string> items;
    // The class library works on NUL-terminated text: a NUL ends it.
    const std::string s = text.substr(0, text.find('\0'));
    const size_t n = s.size();
    auto at = [&](size_t i) { return i < n ? static_cast<unsigned char>(s[i]) : 0u; };
    size_t p = 0;
    while (IsBlank(static_cast<unsigned char>(at(p)))) ++p;
    while (p < n) {
        std::string item;
        if (s[p] == quote) {
            ++p;
            while (p < n) {
                if (s[p] == quote) {
                    if (p + 1 < n && s[p + 1] == quote) {
                        item += quote;
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                item += s[p++];
            }
        } else {
            const size_t start = p;
            while (p < n && at(p) > ' ' && s[p] != delimiter) ++p;
            item = s.substr(start, p - start);
        }
        items.push_back(item);
        while (IsBlank(static_cast<unsigned char>(at(p)))) ++p;
        if (p < n && s[p] == delimiter) {
            if (p + 1 >= n) items.emplace_back();
            do {
                ++p;
            } while (IsBlank(static_cast<unsigned char>(at(p))));
        }
    }
    return items;
}
