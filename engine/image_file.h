#pragma once
// Moving a memory image between a file and a buffer; the format follows from the file
// name's extension (letter case ignored), ".eep" files from their first character.
#include <cstdint>
#include <string>

class WindowServices;

enum class ImageFormat { Raw, Capsule, IntelHex, SRecord };

// Format a file loads as: ".eep" by its first character (':' Intel HEX, 'S' S-records,
// anything else raw), ".hex" Intel HEX, ".cap" capsule, anything else raw (also ".src").
// firstChar is the file's first byte, or -1 when it is empty.
ImageFormat LoadFormatFor(const std::string& fileName, int firstChar);

// Format a buffer saves as: ".src" S-records, ".hex" Intel HEX, anything else raw.
ImageFormat SaveFormatFor(const std::string& fileName);

// Size of the capsule header in front of the image.
inline constexpr int64_t kCapsuleHeaderSize = 2048;

// Reads the file into the buffer and returns the length loaded (for record files the
// highest end address of their data), 0 on every failure after its error box. Only the
// bytes the file supplies are written; nothing outside buffer[0, bufferSize). A file that
// cannot be opened (or is no regular file) raises EFOpenError, except for ".eep", which
// shows "Can't open File".
int32_t LoadImageFile(const std::string& fileName, uint8_t* buffer, int32_t bufferSize,
                      WindowServices& services);

// Writes the first length bytes of the buffer to the file in the format of its name. An
// existing file is replaced only after Yes to MsgOverwrite (in the language given) and
// only as a whole: any failure shows MsgWriteFileError and leaves the old file unchanged.
// A file that cannot be created raises EFCreateError.
void SaveImageFile(const std::string& fileName, const uint8_t* buffer, int32_t length,
                   WindowServices& services, int32_t language);
