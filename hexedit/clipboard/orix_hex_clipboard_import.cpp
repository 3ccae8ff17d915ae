#include "orix_hex_clipboard_import.h"

#include "exceptions.h"
#include "format_sel_dialog.h"
#include "orix_hex_error.h"
#include "plain_file.h"
#include "radix.h"
#include "streams.h"

#include <algorithm>
#include <limits>

TClipFormats OrixHClipFormats(bool supportsOther) {
    if (!supportsOther) return {CF_HEXEDITOR, CF_HDROP};
    return {CF_HEXEDITOR,   CF_HDROP,       CF_TEXT,    CF_RTF,
            CF_UNICODETEXT, CF_BITMAP,      CF_PALETTE, CF_METAFILEPICT,
            CF_TIFF,        CF_OEMTEXT,     CF_DIB,     CF_RIFF,
            CF_WAVE,        CF_ENHMETAFILE, CF_LOCALE,  CF_REGEDIT_HEXDATA,
            CF_HTML};
}

bool OLEHasSupportedFormat(const QMimeData* data, const TClipFormats& formats,
                           TClipFormat& format) {
    const TFormatEnum offered(data);
    for (const TClipFormat f : formats) {
        if (offered.HasFormat(f)) {
            format = f;
            return true;
        }
    }
    return false;
}

bool OLESelectFormat(const TClipFormats& formats, const QMimeData* data, TClipFormat& format,
                     bool& hexText) {
    const TFormatEnum offered(data);
    TClipFormats kept;
    for (const TClipFormat f : formats)
        if (offered.HasFormat(f)) kept.push_back(f);
    if (kept.empty()) return false;
    if (kept.size() == 1) {
        format = kept.front();
        return true;
    }
    return ShowFormatSelDialog(kept, format, hexText);
}

std::string HexTextToBytes(const std::string& text, bool swapNibbles) {
    if (text.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        throw EOrixHexEditor("Hex text is too long to paste");
    std::string bytes(text.size() / 2, '\0');
    int32_t count = 0;
    ConvertHexToBin(text.data(), reinterpret_cast<uint8_t*>(bytes.data()),
                    static_cast<int32_t>(text.size()), swapNibbles, count);
    bytes.resize(static_cast<size_t>(count));
    return bytes;
}

std::string FileListToBytes(const std::vector<std::string>& files, bool asNames, int64_t room) {
    std::string data;
    if (asNames) {
        for (const std::string& name : files) {
            // Inserted, a NUL inside would end the name there and start another: refused with
            // the open error a paste of that file gives.
            if (name.find('\0') != std::string::npos) TPlainFile(name, 0).CheckOpen();
            data += name;
            data.push_back('\0');
        }
        return data;
    }
    if (files.empty()) return data;
    const std::string& name = files.front();
    // Only a plain file has contents to paste: a directory opens for reading on Linux, and
    // opening a named pipe waits for a writer, which would hang the program. A file the data
    // cannot take is refused from its size, before its bytes cost time and memory.
    const int64_t most = std::clamp<int64_t>(room, 0, std::numeric_limits<int32_t>::max());
    TPlainFile file(name, most);
    const int64_t size = file.GetSize();
    if (file.GetStatus() == TPlainFile::Status::TooLarge)
        throw EOrixHexEditor("File " + name + " is too large for the data (" +
                             std::to_string(size) + " bytes; at most " + std::to_string(most) +
                             ")");
    file.CheckOpen();
    data.resize(static_cast<size_t>(size));
    try {
        file.ReadBuffer(data.data(), size);
    } catch (const EReadError&) {
        // Fewer bytes than its size: the file shrank while it was read.
        throw EReadError("Stream read error in file \"" + name + "\"");
    }
    return data;
}
