#include "image_records.h"

#include "exceptions.h"
#include "streams.h"
#include "window_services.h"

#include <algorithm>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
constexpr int64_t kChunkSize = 1 << 20;
}

RecordLineReader::RecordLineReader(TStream& source, WindowServices& services, size_t lineSize)
    : source_(source), services_(services), lineSize_(std::max<size_t>(lineSize, 1)),
      // A small stream needs no large chunk (the fuzzer reads many tiny ones).
      chunkSize_(std::max<size_t>(
          lineSize_, static_cast<size_t>(std::clamp<int64_t>(source.GetSize(), 0, kChunkSize)))),
      chunk_(new char[chunkSize_]) {}

// Keeps at least one line size of bytes ahead of the reader, unless the stream has ended.
bool RecordLineReader::Fill() {
    if (end_ - begin_ >= lineSize_ || exhausted_) return end_ > begin_;
    std::memmove(chunk_.get(), chunk_.get() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
    while (end_ < chunkSize_) {
        const int64_t n =
            source_.Read(chunk_.get() + end_, static_cast<int64_t>(chunkSize_ - end_));
        if (n <= 0) {
            exhausted_ = true;
            break;
        }
        end_ += static_cast<size_t>(n);
    }
    return end_ > begin_;
}

bool RecordLineReader::ReadRecordLine(std::string_view& line) {
    if (!Fill()) {
        ShowFileError(services_, "File Read Operation Failed");
        return false;
    }
    const size_t available = std::min(end_ - begin_, lineSize_);
    const char* start = chunk_.get() + begin_;
    const void* feed = std::memchr(start, '\n', available);
    if (feed != nullptr) {
        const size_t length = static_cast<size_t>(static_cast<const char*>(feed) - start);
        line = std::string_view(start, length);
        begin_ += length + 1;
    } else {
        line = std::string_view(start, available);
        begin_ += available;
    }
    return true;
}

void ShowFileError(WindowServices& services, const std::string& text) {
    services.ShowError(text);
}

bool ParseHexDigits(std::string_view line, size_t column, int digits, uint32_t& value,
                    WindowServices& services) {
    if (column > line.size() || line.size() - column < static_cast<size_t>(digits)) {
        ShowFileError(services, "Illegal Char in File");
        return false;
    }
    uint32_t result = 0;
    for (int i = 0; i < digits; ++i) {
        const int digit = HexDigitValue(line[column + static_cast<size_t>(i)]);
        if (digit < 0) {
            ShowFileError(services, "Illegal Char in File");
            return false;
        }
        result = result << 4 | static_cast<uint32_t>(digit);
    }
    value = result;
    return true;
}

namespace {

// Two hex digits per byte value, upper case.
constexpr struct HexPairTable {
    char pair[256][2];
    constexpr HexPairTable() : pair() {
        constexpr char kDigits[] = "0123456789ABCDEF";
        for (int b = 0; b < 256; ++b) {
            pair[b][0] = kDigits[b >> 4];
            pair[b][1] = kDigits[b & 0xF];
        }
    }
} kHexPair;

#if defined(__SSE2__)
// The values of 16 hex digits, or false when one of them is no hex digit.
inline bool DigitValues16(const char* text, __m128i& values) {
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
    const __m128i digit = _mm_sub_epi8(c, _mm_set1_epi8('0'));
    const __m128i isDigit = _mm_cmpeq_epi8(_mm_min_epu8(digit, _mm_set1_epi8(9)), digit);
    // Setting bit 5 folds 'A'-'F' onto 'a'-'f' and maps no other character there.
    const __m128i letter = _mm_sub_epi8(_mm_or_si128(c, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
    const __m128i isLetter = _mm_cmpeq_epi8(_mm_min_epu8(letter, _mm_set1_epi8(5)), letter);
    if (_mm_movemask_epi8(_mm_or_si128(isDigit, isLetter)) != 0xFFFF) return false;
    values = _mm_or_si128(_mm_and_si128(isDigit, digit),
                          _mm_andnot_si128(isDigit, _mm_add_epi8(letter, _mm_set1_epi8(10))));
    return true;
}

// Joins each pair of digit values (high digit first) into one byte, in 16-bit lanes.
inline __m128i JoinDigitPairs(__m128i values) {
    return _mm_or_si128(_mm_slli_epi16(_mm_and_si128(values, _mm_set1_epi16(0x00FF)), 4),
                        _mm_srli_epi16(values, 8));
}

// Decodes 32 hex digits to 16 bytes; false, storing nothing, when one is no hex digit.
inline bool DecodeHex32(const char* text, uint8_t* target, uint32_t& sum) {
    __m128i first, second;
    if (!DigitValues16(text, first) || !DigitValues16(text + 16, second)) return false;
    const __m128i bytes = _mm_packus_epi16(JoinDigitPairs(first), JoinDigitPairs(second));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(target), bytes);
    const __m128i sums = _mm_sad_epu8(bytes, _mm_setzero_si128());
    sum += static_cast<uint32_t>(_mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4));
    return true;
}

// Writes 16 bytes as 32 hex digits; true when all of them are 0xFF.
inline bool EncodeHex16(const uint8_t* bytes, char* out, uint32_t& sum) {
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    const __m128i nibble = _mm_set1_epi8(0x0F);
    const __m128i high = _mm_and_si128(_mm_srli_epi16(b, 4), nibble);
    const __m128i low = _mm_and_si128(b, nibble);
    const auto ascii = [](__m128i v) {
        const __m128i letters =
            _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(9)), _mm_set1_epi8(7));
        return _mm_add_epi8(_mm_add_epi8(v, _mm_set1_epi8('0')), letters);
    };
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), ascii(_mm_unpacklo_epi8(high, low)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), ascii(_mm_unpackhi_epi8(high, low)));
    const __m128i sums = _mm_sad_epu8(b, _mm_setzero_si128());
    sum += static_cast<uint32_t>(_mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4));
    return _mm_movemask_epi8(_mm_cmpeq_epi8(b, _mm_set1_epi8(-1))) == 0xFFFF;
}
#endif

// Decodes and stores bytes up to the first pair that holds a character other than a hex
// digit; returns how many were stored.
size_t DecodeHexBytes(const char* text, size_t count, uint8_t* target, uint32_t& sum) {
    size_t i = 0;
#if defined(__SSE2__)
    while (count - i >= 16 && DecodeHex32(text + 2 * i, target + i, sum)) i += 16;
#endif
    for (; i < count; ++i) {
        const int high = HexDigitValue(text[2 * i]);
        const int low = HexDigitValue(text[2 * i + 1]);
        if ((high | low) < 0) break;
        const auto value = static_cast<uint8_t>(high << 4 | low);
        target[i] = value;
        sum += value;
    }
    return i;
}

} // namespace

bool StoreHexBytes(std::string_view line, size_t column, uint32_t count, uint8_t* target,
                   uint32_t& sum, WindowServices& services) {
    // The whole pairs the line holds; a field cut short by the line's end fails like a bad
    // digit, after the bytes before it.
    const size_t whole = column > line.size() ? 0 : (line.size() - column) / 2;
    const size_t stored = DecodeHexBytes(line.data() + std::min(column, line.size()),
                                         std::min<size_t>(whole, count), target, sum);
    if (stored == count) return true;
    uint32_t value = 0;
    return ParseHexDigits(line, column + 2 * stored, 2, value, services);
}

bool FormatHexBytes(const uint8_t* bytes, size_t count, char* out, uint32_t& sum) {
    bool erased = true;
    size_t i = 0;
#if defined(__SSE2__)
    for (; count - i >= 16; i += 16) erased &= EncodeHex16(bytes + i, out + 2 * i, sum);
#endif
    for (; i < count; ++i) {
        std::memcpy(out + 2 * i, kHexPair.pair[bytes[i]], 2);
        sum += bytes[i];
        erased &= bytes[i] == 0xFF;
    }
    return erased;
}

std::unique_ptr<TPlainFile> OpenImageForReading(const std::string& fileName, int64_t* size) {
    auto file = std::make_unique<TPlainFile>(fileName, std::numeric_limits<int64_t>::max());
    if (file->GetStatus() == TPlainFile::Status::NotRegular)
        throw EFOpenError("Cannot open file \"" + fileName + "\". Not a regular file");
    file->CheckOpen();
    if (size != nullptr) *size = file->GetSize();
    return file;
}
