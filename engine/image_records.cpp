#include "image_records.h"

#include "exceptions.h"
#include "streams.h"
#include "window_services.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>

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

bool StoreHexBytes(std::string_view line, size_t column, uint32_t count, uint8_t* target,
                   uint32_t& sum, WindowServices& services) {
    if (column > line.size() || (line.size() - column) / 2 < count) {
        // Store what the line holds, then let the parser report the first field it lacks.
        const size_t whole = column > line.size() ? 0 : (line.size() - column) / 2;
        for (size_t i = 0; i <= whole && i < count; ++i) {
            uint32_t value = 0;
            if (!ParseHexDigits(line, column + 2 * i, 2, value, services)) return false;
            target[i] = static_cast<uint8_t>(value);
            sum += value;
        }
        return false;
    }
    const char* text = line.data() + column;
    for (uint32_t i = 0; i < count; ++i) {
        const int high = HexDigitValue(text[2 * i]);
        const int low = HexDigitValue(text[2 * i + 1]);
        if ((high | low) < 0) {
            uint32_t value = 0;
            return ParseHexDigits(line, column + 2 * i, 2, value, services);
        }
        const auto value = static_cast<uint8_t>(high << 4 | low);
        target[i] = value;
        sum += value;
    }
    return true;
}

std::unique_ptr<TFileStream> OpenImageForReading(const std::string& fileName) {
    // Checked before opening: opening a pipe for reading would wait for a writer.
    struct stat st {};
    if (::stat(fileName.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        throw EFOpenError("Cannot open file \"" + fileName + "\". Not a regular file");
    auto file = std::make_unique<TFileStream>(fileName, fmOpenRead | fmShareDenyWrite);
    if (::fstat(file->Handle(), &st) != 0 || !S_ISREG(st.st_mode))
        throw EFOpenError("Cannot open file \"" + fileName + "\". Not a regular file");
    return file;
}
