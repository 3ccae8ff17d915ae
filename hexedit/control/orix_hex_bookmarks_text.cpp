// The ten bookmarks as text: written as "$" and their raw 8-byte records; read in that form or
// in the checksummed hexadecimal one.
#include "orix_hex_editor_ex.h"

#include <exception>

namespace {
constexpr size_t kRecordSize = 8;
constexpr size_t kChecksumDigits = 8;
constexpr size_t kIndexDigits = 2, kPositionDigits = 16, kFlagDigits = 2;

[[noreturn]] void InvalidFormat() {
    throw EOrixHexEditor("Invalid bookmark format");
}

// Up to count characters from at on (fewer when the text ends first).
std::string Field(const std::string& text, size_t& at, size_t count) {
    const std::string field = at < text.size() ? text.substr(at, count) : std::string();
    at += field.size();
    return field;
}
} // namespace

std::string TOrixHexEditorEx::GetBookmarksAsString() {
    std::string text = "$";
    bool anySet = false;
    for (uint8_t i = 0; i < 10; ++i) {
        const TOrixHBookmark mark = GetBookmark(i);
        anySet = anySet || mark.mPosition != -1;
        const auto position = static_cast<uint32_t>(mark.mPosition);
        char record[kRecordSize] = {};
        for (int b = 0; b < 4; ++b) record[b] = static_cast<char>((position >> (8 * b)) & 0xFF);
        record[4] = mark.mInCharField ? 1 : 0;
        text.append(record, kRecordSize);
    }
    return anySet ? text : std::string();
}

void TOrixHexEditorEx::SetBookMarksAsString(const std::string& text) {
    BeginUpdate();
    FSettingBookmarks = true;
    std::exception_ptr failure;
    try {
        const bool field = GetInCharField();
        for (TOrixHBookmark& mark : FBookmarks) mark = TOrixHBookmark{-1, field};
        if (text.empty()) {
        } else if (text[0] == '$') {
            for (uint8_t i = 0; i < 10; ++i) {
                const size_t at = 1 + kRecordSize * i;
                if (text.size() < at + kRecordSize) InvalidFormat();
                uint32_t position = 0;
                for (int b = 0; b < 4; ++b)
                    position |= static_cast<uint32_t>(static_cast<uint8_t>(text[at + b]))
                                << (8 * b);
                SetBookmarkVals(i, static_cast<int32_t>(position), text[at + 4] != 0);
            }
        } else {
            size_t at = 0;
            uint32_t checksum = 0;
            try {
                checksum = static_cast<uint32_t>(RadixToInt(Field(text, at, kChecksumDigits), 16));
            } catch (const EOrixHexEditor&) {
                InvalidFormat();
            }
            uint32_t sum = 0;
            for (size_t i = at; i < text.size(); ++i) sum += static_cast<uint8_t>(text[i]);
            if (sum != checksum) InvalidFormat();
            while (at < text.size()) {
                int32_t index = 0, position = 0;
                bool inChar = false;
                try {
                    index = RadixToInt(Field(text, at, kIndexDigits), 16);
                    // Only the low 32 bits of the position count.
                    position = static_cast<int32_t>(static_cast<uint32_t>(
                        static_cast<uint64_t>(RadixToInt64(Field(text, at, kPositionDigits), 16))));
                    inChar = (RadixToInt(Field(text, at, kFlagDigits), 16) & 0xFF) != 0;
                } catch (const EOrixHexEditor&) {
                    InvalidFormat();
                }
                if (index < 0 || index > 9) InvalidFormat();
                const TOrixHBookmark& mark = FBookmarks[static_cast<size_t>(index)];
                // Setting the values a bookmark has would unset it.
                if (mark.mPosition != position || mark.mInCharField != inChar)
                    SetBookmarkVals(index, position, inChar);
            }
        }
    } catch (...) {
        failure = std::current_exception();
    }
    EndUpdate();
    FSettingBookmarks = false;
    BookmarkChanged();
    if (failure) std::rethrow_exception(failure);
}
