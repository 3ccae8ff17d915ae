#pragma once
// TOrixHMemoryStream: the hex editor's own copy of its data, one contiguous block. Every access
// by position goes through one range rule: Pos >= 0 and Pos + Count <= Size, computed in 64
// bits; a range of 0 bytes at Pos = Size is valid. A bad range raises EOrixHexEditor
// "Data position/length out of data bounds" before anything moves.
#include "hex_editor_base.h"
#include "streams.h"

#include <cstdint>
#include <string>

class TOrixHMemoryStream : public TMemoryStream {
public:
    void CheckRange(int64_t pos, int64_t count);
    uint8_t* GetAddress(int32_t pos, int32_t count);
    uint8_t* PointerAt(int32_t pos, int32_t count) { return GetAddress(pos, count); }
    void ReadBufferAt(void* buffer, int32_t pos, int32_t count);
    void WriteBufferAt(const void* buffer, int32_t pos, int32_t count);
    // Moves count bytes inside the store; overlapping ranges are moved correctly.
    void Move(int32_t fromPos, int32_t toPos, int32_t count);
    // 2 x count upper-case hex digits; empty for count <= 0 without a range check.
    std::string GetAsHex(int32_t pos, int32_t count, bool swapNibbles);
    // Translate the range in place.
    void TranslateFromAnsi(TOrixHTranslationKind kind, int32_t pos, int32_t count);
    void TranslateToAnsi(TOrixHTranslationKind kind, int32_t pos, int32_t count);
};
