#pragma once
// Motorola S-record files read into and written from the image buffer.
#include "image_records.h"

#include <cstdint>
#include <string>

class TStream;
class WindowServices;

// Reads S1, S2 and S3 data records into the buffer up to the first S7, S8 or S9 record and
// returns the highest end address of the data stored (0 when there is none), or 0 when the
// file is refused after the reader's error box; a record whose count leaves no room for its
// address and checksum is refused as a checksum error. Data stored before an error stays in
// the buffer; nothing is stored outside buffer[0, bufferSize). The file cannot be opened:
// EFOpenError.
int32_t ReadSRecordFile(ImageStreamCell& cell, const std::string& fileName, uint8_t* buffer,
                        int32_t bufferSize, WindowServices& services);

// The reader on any stream (the file reader's core, and the way fuzzing reaches it).
int32_t ReadSRecord(TStream& source, uint8_t* buffer, int32_t bufferSize, WindowServices& services);

// Writes the header, the first length bytes as records of 16 bytes of one class chosen by
// the length (S1 up to 0xFFFF, S2 up to 0xFFFFFF, S3 above; all-0xFF records left out) and
// the matching end record; CR LF line ends. False when any write or the replacement of the
// file failed; the old file is then unchanged. The file cannot be created: EFCreateError.
bool WriteSRecordFile(ImageStreamCell& cell, const std::string& fileName, const uint8_t* buffer,
                      int32_t length);
