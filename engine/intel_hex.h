#pragma once
// Intel HEX files (record types 00 to 05) read into and written from the image buffer.
#include "image_records.h"

#include <cstdint>
#include <string>

class TStream;
class WindowServices;

// Reads the file into the buffer and returns the highest end address of the data stored
// (one past the last byte; 0 when there is none), or 0 when the file is refused after the
// reader's error box. Data stored before an error stays in the buffer; nothing is stored
// outside buffer[0, bufferSize). The file cannot be opened: EFOpenError.
int32_t ReadIntelHexFile(ImageStreamCell& cell, const std::string& fileName, uint8_t* buffer,
                         int32_t bufferSize, WindowServices& services);

// The reader on any stream (the file reader's core, and the way fuzzing reaches it).
int32_t ReadIntelHex(TStream& source, uint8_t* buffer, int32_t bufferSize,
                     WindowServices& services);

// Writes the first length bytes as records of 32 bytes (all-0xFF records left out), an
// extended linear address record at every 64 KiB block after the first, and the end
// record; CR LF line ends. False when any write or the replacement of the file failed;
// the old file is then unchanged. The file cannot be created: EFCreateError.
bool WriteIntelHexFile(ImageStreamCell& cell, const std::string& fileName, const uint8_t* buffer,
                       int32_t length);
