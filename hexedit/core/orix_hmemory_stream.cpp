#include "orix_hmemory_stream.h"

#include <cstring>

void TOrixHMemoryStream::CheckRange(int64_t pos, int64_t count) {
    // Negative counts are refused too: no caller means them, and memcpy would read wild.
    if (pos < 0 || count < 0 || pos + count > GetSize())
        throw EOrixHexEditor("Data position/length out of data bounds");
}

uint8_t* TOrixHMemoryStream::GetAddress(int32_t pos, int32_t count) {
    CheckRange(pos, count);
    return Memory() + pos;
}

void TOrixHMemoryStream::ReadBufferAt(void* buffer, int32_t pos, int32_t count) {
    CheckRange(pos, count);
    if (count > 0) std::memcpy(buffer, Memory() + pos, static_cast<size_t>(count));
}

void TOrixHMemoryStream::WriteBufferAt(const void* buffer, int32_t pos, int32_t count) {
    CheckRange(pos, count);
    if (count > 0) std::memcpy(Memory() + pos, buffer, static_cast<size_t>(count));
}

void TOrixHMemoryStream::Move(int32_t fromPos, int32_t toPos, int32_t count) {
    CheckRange(fromPos, count);
    CheckRange(toPos, count);
    if (count > 0) std::memmove(Memory() + toPos, Memory() + fromPos, static_cast<size_t>(count));
}

std::string TOrixHMemoryStream::GetAsHex(int32_t pos, int32_t count, bool swapNibbles) {
    if (count <= 0) return {};
    CheckRange(pos, count);
    std::string text(static_cast<size_t>(count) * 2 + 1, '\0');
    ConvertBinToHex(Memory() + pos, text.data(), count, swapNibbles);
    text.pop_back();
    return text;
}

void TOrixHMemoryStream::TranslateFromAnsi(TOrixHTranslationKind kind, int32_t pos, int32_t count) {
    if (kind == tkAsIs || count <= 0) return; // nothing moves, so no range to check
    CheckRange(pos, count);
    TranslateBufferFromAnsi(kind, Memory() + pos, Memory() + pos, count);
}

void TOrixHMemoryStream::TranslateToAnsi(TOrixHTranslationKind kind, int32_t pos, int32_t count) {
    if (kind == tkAsIs || count <= 0) return; // nothing moves, so no range to check
    CheckRange(pos, count);
    TranslateBufferToAnsi(kind, Memory() + pos, Memory() + pos, count);
}
