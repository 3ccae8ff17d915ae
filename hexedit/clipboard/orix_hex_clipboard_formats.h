#pragma once
// The clipboard formats of the hex editor and the blocks it writes and reads.
//
// Formats keep the numeric ids of the standard clipboard formats (CF_TEXT 1, CF_BITMAP 2, ...)
// and fixed ids from 0xC000 for the formats the control registers by name, so that the
// priority list and the "last chosen format" stay plain numbers. On the Qt clipboard every
// format travels as MIME data: the control's own formats under MIME types of their own, the
// standard ones under the MIME types Linux programs use. A format with no Linux counterpart
// has no MIME type and is simply never offered.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QMimeData;

using TClipFormat = uint16_t;
using TClipFormats = std::vector<TClipFormat>;

enum : TClipFormat {
    CF_TEXT = 1,
    CF_BITMAP = 2,
    CF_METAFILEPICT = 3,
    CF_TIFF = 6,
    CF_OEMTEXT = 7,
    CF_DIB = 8,
    CF_PALETTE = 9,
    CF_RIFF = 11,
    CF_WAVE = 12,
    CF_UNICODETEXT = 13,
    CF_ENHMETAFILE = 14,
    CF_HDROP = 15,
    CF_LOCALE = 16,
    // Registered by name.
    CF_HEXEDITOR = 0xC000,
    CF_REGEDIT_HEXDATA = 0xC001,
    CF_RTF = 0xC002,
    CF_HTML = 0xC003,
    CF_FILECONTENTS = 0xC004,
    CF_FILEGROUPDESCRIPTOR = 0xC005,
};

// MIME types of the control's own formats.
inline constexpr const char* kMimeHexEditor = "application/x-orixhexeditorex-clipboard";
inline constexpr const char* kMimeRegEditHexData = "application/x-regedit-hexdata";
// The virtual file: its name as KDE programs take a suggested file name, its contents as
// plain bytes.
inline constexpr const char* kMimeSuggestedFileName = "application/x-kde-suggestedfilename";
inline constexpr const char* kMimeFileContents = "application/octet-stream";
inline constexpr const char* kMimeText = "text/plain";
inline constexpr const char* kMimeUriList = "text/uri-list";

// The 8-bit text formats, the ones that may carry hex digits.
inline bool IsTextClipFormat(int32_t format) {
    return format == CF_TEXT || format == CF_OEMTEXT;
}

// The registered name of a format registered by name; empty for any other id.
std::string GetClipboardFormatName(TClipFormat format);
// The name the format chooser shows: the standard formats' own names, the registered name
// trimmed of spaces and control characters, or "(id)".
std::string ClipFormatDisplayName(TClipFormat format);

// The own clipboard block: magic 'ORXT', version 0x00010001, u32 length, the bytes.
inline constexpr uint32_t kHexEditorMagic = 0x5458524F;
inline constexpr uint32_t kHexEditorVersion = 0x00010001;
inline constexpr int64_t kHexEditorHeaderSize = 12;
std::string MakeHexEditorBlock(const uint8_t* data, int32_t size);
// The bytes of a block; nothing when the header does not match or the length field claims
// more bytes than the block holds.
std::optional<std::string> ReadHexEditorBlock(const std::string& block);

// The "RegEdit_HexData" block: u32 length, the bytes.
std::string MakeRegEditBlock(const uint8_t* data, int32_t size);
std::optional<std::string> ReadRegEditBlock(const std::string& block);

// "Dump of <name>.bin" from the file name without folder and last extension, at most 255
// bytes and never cut inside a UTF-8 character.
std::string MakeDumpName(const std::string& fileName);
// Cuts UTF-8 text to at most maxBytes bytes at a character boundary.
std::string CutUtf8(const std::string& text, size_t maxBytes);

// Snapshot of the formats some MIME data offers, taken once and consulted by id.
class TFormatEnum {
public:
    explicit TFormatEnum(const QMimeData* data);
    bool HasFormat(TClipFormat format) const;
    // The MIME type under which the data offers the format (empty when it does not).
    QString MimeTypeOf(TClipFormat format) const;
    const TClipFormats& Formats() const { return FFormats; }

private:
    TClipFormats FFormats;
    QStringList FMimeTypes;
};

// The local files of a text/uri-list (file URIs with no host or "localhost"), whole path names
// as the raw bytes the URIs encode, in list order; other entries are skipped.
std::vector<std::string> LocalFilesOf(const QMimeData* data);

// One format of the data as the bytes a paste of it inserts; empty when the data does not
// offer it or it yields none. File lists are read by the control, not here.
std::string MimeFormatToBytes(const QMimeData* data, TClipFormat format);
