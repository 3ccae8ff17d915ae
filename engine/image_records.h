#pragma once
// What the Intel HEX and S-record readers and writers share: the stream cell that carries
// the file of a running read or write, the line reader, the hex field parser and formatter
// and the error box of the image-file messages (English in every language).
#include "hex_digits.h"
#include "image_output_file.h"
#include "plain_file.h"
#include "streams.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class WindowServices;

// Carries the file of one record read or write; the reader or writer opens the file into
// the cell and frees it before it returns.
struct ImageStreamCell {
    std::unique_ptr<TPlainFile> Input;
    std::unique_ptr<ImageOutputFile> Output;
};

// Room for the longest legal record of either format (an Intel HEX record with 255 data
// bytes is 521 characters, an S-record with count FF 514) with its line end and a margin.
inline constexpr size_t kRecordLineSize = 1024;

// Hands out one line at a time: the bytes before the next line feed, at most the line size
// of them; a longer line is handed out in pieces of that size. Reads the stream in large
// chunks, so memory stays bounded whatever the file holds.
class RecordLineReader {
public:
    RecordLineReader(TStream& source, WindowServices& services, size_t lineSize = kRecordLineSize);

    // False at the end of the stream (or on a read error), after "File Read Operation Failed".
    bool ReadRecordLine(std::string_view& line);

private:
    bool Fill();

    TStream& source_;
    WindowServices& services_;
    size_t lineSize_;
    size_t chunkSize_;
    std::unique_ptr<char[]> chunk_;
    size_t begin_ = 0;
    size_t end_ = 0;
    bool exhausted_ = false;
};

// Shows the text in the error box.
void ShowFileError(WindowServices& services, const std::string& text);

// Reads digits (2, 4, 6 or 8) hex digits at the column, most significant first. A digit
// that is no hex digit, or a field reaching past the end of the line, shows
// "Illegal Char in File" and gives false with the value untouched.
bool ParseHexDigits(std::string_view line, size_t column, int digits, uint32_t& value,
                    WindowServices& services);

// Parses count bytes of two hex digits each from the column, stores each at target[i] as
// soon as it is read and adds it to sum. False after "Illegal Char in File" at the first
// bad digit or at a field past the end of the line; the bytes before it stay stored.
bool StoreHexBytes(std::string_view line, size_t column, uint32_t count, uint8_t* target,
                   uint32_t& sum, WindowServices& services);

// Raises a reader's highest end to the end of a data record of count bytes at address. Only
// stored bytes make the image longer: an empty record leaves it as it was.
inline void RaiseHighestEnd(int64_t& highestEnd, int64_t address, int64_t count) {
    if (count > 0) highestEnd = std::max(highestEnd, address + count);
}

// Writes the low digits hex digits of the value, upper case, most significant first.
inline void FormatHexDigits(uint32_t value, char* out, int digits) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (int i = digits - 1; i >= 0; --i) {
        out[i] = kDigits[value & 0xF];
        value >>= 4;
    }
}

// Writes the count bytes as two upper-case hex digits each at out and adds them to sum.
// True when every byte is 0xFF: the writers leave such records out, as an erased chip reads.
bool FormatHexBytes(const uint8_t* bytes, size_t count, char* out, uint32_t& sum);

// Opens a file of the user's for reading and gives its size when asked. Only regular files
// are read: a folder, a device or a pipe raises the class library's EFOpenError like a
// file that cannot be opened.
std::unique_ptr<TPlainFile> OpenImageForReading(const std::string& fileName,
                                                int64_t* size = nullptr);

// Opens the file into the cell, runs the reader on its stream and frees the stream again.
template <typename Reader>
int32_t ReadRecordFile(ImageStreamCell& cell, const std::string& fileName, Reader read) {
    cell.Input = OpenImageForReading(fileName);
    const int32_t result = read(*cell.Input);
    cell.Input.reset();
    return result;
}

// Opens the output file into the cell, runs the writer on it, commits it and frees it again.
// True only when the whole file is in place; a file not committed is removed.
template <typename Writer>
bool WriteRecordFile(ImageStreamCell& cell, const std::string& fileName, Writer write) {
    cell.Output = std::make_unique<ImageOutputFile>(fileName);
    write(*cell.Output);
    const bool written = cell.Output->Commit();
    cell.Output.reset();
    return written;
}

// Ends a record built in place from record: the two checksum digits at tail and the line
// end, and keeps the whole line in the output.
inline void EndRecordLine(ImageOutputFile& out, const char* record, char* tail, uint32_t checksum) {
    FormatHexDigits(checksum, tail, 2);
    tail[2] = '\r';
    tail[3] = '\n';
    out.Wrote(static_cast<size_t>(tail + 4 - record));
}
