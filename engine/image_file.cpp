#include "image_file.h"

#include "exceptions.h"
#include "image_output_file.h"
#include "image_records.h"
#include "intel_hex.h"
#include "message_table.h"
#include "srecord.h"
#include "streams.h"
#include "sysutils.h"
#include "window_services.h"

#include <algorithm>
#include <cctype>

namespace {

std::string LowerExtension(const std::string& fileName) {
    std::string extension = ExtractFileExt(fileName);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

// The first byte of an ".eep" file, -1 when it is empty; false when it cannot be read.
bool ReadFirstChar(const std::string& fileName, int& firstChar) {
    try {
        auto file = OpenImageForReading(fileName);
        unsigned char c = 0;
        firstChar = file->Read(&c, 1) == 1 ? c : -1;
        return true;
    } catch (const EFileStreamError&) {
        return false;
    }
}

// Raw and capsule files: the bytes from the offset on go to the start of the buffer.
int32_t LoadBinary(const std::string& fileName, int64_t headerSize, uint8_t* buffer,
                   int32_t bufferSize, WindowServices& services) {
    int64_t size = 0;
    auto file = OpenImageForReading(fileName, &size);
    if (size > std::max<int32_t>(bufferSize, 0)) {
        ShowFileError(services, "File is too big for Buffer");
        return 0;
    }
    if (size <= headerSize) return 0;
    if (headerSize > 0) file->SetPosition(headerSize);
    const int64_t count = size - headerSize;
    file->ReadBuffer(buffer, count);
    return static_cast<int32_t>(count);
}

} // namespace

ImageFormat LoadFormatFor(const std::string& fileName, int firstChar) {
    const std::string extension = LowerExtension(fileName);
    if (extension == ".eep") {
        if (firstChar == ':') return ImageFormat::IntelHex;
        if (firstChar == 'S') return ImageFormat::SRecord;
        return ImageFormat::Raw;
    }
    if (extension == ".hex") return ImageFormat::IntelHex;
    if (extension == ".cap") return ImageFormat::Capsule;
    return ImageFormat::Raw;
}

ImageFormat SaveFormatFor(const std::string& fileName) {
    const std::string extension = LowerExtension(fileName);
    if (extension == ".src") return ImageFormat::SRecord;
    if (extension == ".hex") return ImageFormat::IntelHex;
    return ImageFormat::Raw;
}

int32_t LoadImageFile(const std::string& fileName, uint8_t* buffer, int32_t bufferSize,
                      WindowServices& services) {
    int firstChar = -1;
    if (LowerExtension(fileName) == ".eep" && !ReadFirstChar(fileName, firstChar)) {
        ShowFileError(services, "Can't open File");
        return 0;
    }
    switch (LoadFormatFor(fileName, firstChar)) {
    case ImageFormat::IntelHex: {
        ImageStreamCell intelHexStreamCell;
        return ReadIntelHexFile(intelHexStreamCell, fileName, buffer, bufferSize, services);
    }
    case ImageFormat::SRecord: {
        ImageStreamCell sRecordStreamCell;
        return ReadSRecordFile(sRecordStreamCell, fileName, buffer, bufferSize, services);
    }
    case ImageFormat::Capsule:
        return LoadBinary(fileName, kCapsuleHeaderSize, buffer, bufferSize, services);
    case ImageFormat::Raw:
        break;
    }
    return LoadBinary(fileName, 0, buffer, bufferSize, services);
}

void SaveImageFile(const std::string& fileName, const uint8_t* buffer, int32_t length,
                   WindowServices& services, int32_t language) {
    if (FileExists(fileName) && !services.AskYesNo(Message(MsgOverwrite, language))) return;
    length = std::max<int32_t>(length, 0);
    bool written = false;
    switch (SaveFormatFor(fileName)) {
    case ImageFormat::SRecord: {
        ImageStreamCell sRecordStreamCell;
        written = WriteSRecordFile(sRecordStreamCell, fileName, buffer, length);
        break;
    }
    case ImageFormat::IntelHex: {
        ImageStreamCell intelHexStreamCell;
        written = WriteIntelHexFile(intelHexStreamCell, fileName, buffer, length);
        break;
    }
    default: {
        ImageOutputFile file(fileName);
        file.Write(buffer, static_cast<size_t>(length));
        written = file.Commit();
        break;
    }
    }
    if (!written) services.ShowError(Message(MsgWriteFileError, language));
}
