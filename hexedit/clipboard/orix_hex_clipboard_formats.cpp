#include "orix_hex_clipboard_formats.h"

#include <QBuffer>
#include <QImage>
#include <QMimeData>
#include <algorithm>

namespace {

struct FormatInfo {
    TClipFormat Id;
    const char* Name; // shown by the chooser, or registered name
    QStringList Mime;
};

// Every format the control knows. A format without MIME types has no Linux counterpart.
const std::vector<FormatInfo>& KnownFormats() {
    static const std::vector<FormatInfo> formats = {
        {CF_TEXT, "Text", {kMimeText, "text/plain;charset=utf-8"}},
        {CF_BITMAP, "Bitmap Picture", {"application/x-qt-image"}},
        {CF_METAFILEPICT, "Metafile Picture", {}},
        {4, "Microsoft Symbolic Link (SYLK) data", {}},
        {5, "Software Arts' Data Interchange Format", {}},
        {CF_TIFF, "Tagged Image File Format (TIFF) Picture", {"image/tiff"}},
        {CF_OEMTEXT, "OEM Text", {}},
        {CF_DIB, "Device Independent Bitmap Picture", {}},
        {CF_PALETTE, "Color Palete", {}},
        {10, "Pen Data", {}},
        {CF_RIFF, "RIFF Audio Data", {}},
        {CF_WAVE, "Wave Audio", {"audio/wav", "audio/x-wav"}},
        {CF_UNICODETEXT, "Unicode Text", {}},
        {CF_ENHMETAFILE, "Enhanced Metafile Picture", {}},
        {CF_HDROP, "File List", {kMimeUriList}},
        {CF_LOCALE, "Text Locale", {}},
        {CF_HEXEDITOR, "TOrixHexeditorEx Clipboard Format", {kMimeHexEditor}},
        {CF_REGEDIT_HEXDATA, "RegEdit_HexData", {kMimeRegEditHexData}},
        {CF_RTF, "Rich Text Format", {"text/rtf", "application/rtf"}},
        {CF_HTML, "HTML Format", {"text/html"}},
        {CF_FILECONTENTS, "FileContents", {kMimeFileContents}},
        {CF_FILEGROUPDESCRIPTOR, "FileGroupDescriptor", {kMimeSuggestedFileName}},
    };
    return formats;
}

const FormatInfo* Find(TClipFormat id) {
    for (const FormatInfo& f : KnownFormats())
        if (f.Id == id) return &f;
    return nullptr;
}

void PutU32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

uint32_t GetU32(const std::string& in, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(in[at + i]);
    return value;
}

// The path of a file URI with no host or "localhost", decoded to its raw bytes; nothing for
// any other URI. A query or fragment is no part of the name: a name's '?' and '#' come encoded.
std::optional<std::string> LocalPathOfFileUri(const QByteArray& uri) {
    static const QByteArray kScheme = "file:";
    if (uri.left(kScheme.size()).toLower() != kScheme) return std::nullopt;
    QByteArray rest = uri.mid(kScheme.size());
    for (const char mark : {'?', '#'}) {
        const qsizetype at = rest.indexOf(mark);
        if (at >= 0) rest.truncate(at);
    }
    if (rest.startsWith("//")) {
        const qsizetype slash = rest.indexOf('/', 2);
        if (slash < 0) return std::nullopt;
        const QByteArray host = rest.mid(2, slash - 2).toLower();
        if (!host.isEmpty() && host != "localhost") return std::nullopt;
        rest = rest.mid(slash);
    }
    if (!rest.startsWith('/')) return std::nullopt;
    return QByteArray::fromPercentEncoding(rest).toStdString();
}

std::string BeforeNul(const QByteArray& bytes) {
    const qsizetype nul = bytes.indexOf('\0');
    return std::string(bytes.constData(), static_cast<size_t>(nul < 0 ? bytes.size() : nul));
}

} // namespace

std::string GetClipboardFormatName(TClipFormat format) {
    const FormatInfo* f = format >= 0xC000 ? Find(format) : nullptr;
    return f ? f->Name : std::string();
}

std::string ClipFormatDisplayName(TClipFormat format) {
    if (format >= 1 && format <= 16) return Find(format)->Name;
    std::string name = GetClipboardFormatName(format);
    size_t b = 0, e = name.size();
    while (b < e && static_cast<uint8_t>(name[b]) <= ' ') ++b;
    while (e > b && static_cast<uint8_t>(name[e - 1]) <= ' ') --e;
    name = name.substr(b, e - b);
    return name.empty() ? "(" + std::to_string(format) + ")" : name;
}

std::string MakeHexEditorBlock(const uint8_t* data, int32_t size) {
    const auto n = static_cast<uint32_t>(data && size > 0 ? size : 0);
    std::string block;
    block.reserve(kHexEditorHeaderSize + n);
    PutU32(block, kHexEditorMagic);
    PutU32(block, kHexEditorVersion);
    PutU32(block, n);
    if (n > 0) block.append(reinterpret_cast<const char*>(data), n);
    return block;
}

std::optional<std::string> ReadHexEditorBlock(const std::string& block) {
    if (block.size() < kHexEditorHeaderSize) return std::nullopt;
    if (GetU32(block, 0) != kHexEditorMagic || GetU32(block, 4) != kHexEditorVersion)
        return std::nullopt;
    // A length beyond the block means the block is damaged: refused, not cut short.
    const uint64_t n = GetU32(block, 8);
    if (n > block.size() - kHexEditorHeaderSize) return std::nullopt;
    return block.substr(kHexEditorHeaderSize, n);
}

std::string MakeRegEditBlock(const uint8_t* data, int32_t size) {
    const auto n = static_cast<uint32_t>(data && size > 0 ? size : 0);
    std::string block;
    block.reserve(4 + n);
    PutU32(block, n);
    if (n > 0) block.append(reinterpret_cast<const char*>(data), n);
    return block;
}

std::optional<std::string> ReadRegEditBlock(const std::string& block) {
    if (block.size() < 4) return std::nullopt;
    const uint64_t n = GetU32(block, 0);
    if (n > block.size() - 4) return std::nullopt;
    return block.substr(4, n);
}

std::string CutUtf8(const std::string& text, size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    size_t end = maxBytes;
    // Step back over continuation bytes to the start of the character that would be split.
    while (end > 0 && (static_cast<uint8_t>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

std::string MakeDumpName(const std::string& fileName) {
    std::string name = fileName;
    const size_t slash = name.find_last_of('/');
    if (slash != std::string::npos) name.erase(0, slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos) name.erase(dot);
    return CutUtf8("Dump of " + name + ".bin", 255);
}

std::vector<std::string> LocalFilesOf(const QMimeData* data) {
    std::vector<std::string> files;
    if (!data || !data->hasFormat(kMimeUriList)) return files;
    // The list's own bytes: Qt's URLs turn the bytes of a name that is not UTF-8 into U+FFFD,
    // and read another host's file as a local path.
    QByteArray list = data->data(kMimeUriList);
    while (list.endsWith('\0')) list.chop(1); // some senders end the list with a NUL
    for (const QByteArray& line : list.split('\n')) {
        const QByteArray uri = line.trimmed();
        if (uri.isEmpty() || uri.startsWith('#')) continue;
        if (std::optional<std::string> path = LocalPathOfFileUri(uri))
            files.push_back(std::move(*path));
    }
    return files;
}

TFormatEnum::TFormatEnum(const QMimeData* data) {
    if (!data) return;
    for (const QString& mime : data->formats()) {
        for (const FormatInfo& f : KnownFormats()) {
            if (!f.Mime.contains(mime) || HasFormat(f.Id)) continue;
            if (f.Id == CF_HDROP && LocalFilesOf(data).empty()) continue;
            FFormats.push_back(f.Id);
            FMimeTypes.push_back(mime);
        }
    }
}

bool TFormatEnum::HasFormat(TClipFormat format) const {
    return std::find(FFormats.begin(), FFormats.end(), format) != FFormats.end();
}

QString TFormatEnum::MimeTypeOf(TClipFormat format) const {
    const auto it = std::find(FFormats.begin(), FFormats.end(), format);
    return it == FFormats.end() ? QString() : FMimeTypes[it - FFormats.begin()];
}

std::string MimeFormatToBytes(const QMimeData* data, TClipFormat format) {
    const TFormatEnum offered(data);
    const QString mime = offered.MimeTypeOf(format);
    if (mime.isEmpty() || format == CF_HDROP) return {};
    if (format == CF_BITMAP) {
        // The picture as a BMP file, as a bitmap handle written to a stream gives it.
        const QImage image = qvariant_cast<QImage>(data->imageData());
        if (image.isNull()) return {};
        QByteArray bmp;
        QBuffer buffer(&bmp);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "BMP")) return {};
        return bmp.toStdString();
    }
    const QByteArray bytes = data->data(mime);
    switch (format) {
    case CF_HEXEDITOR:
        return ReadHexEditorBlock(bytes.toStdString()).value_or(std::string());
    case CF_REGEDIT_HEXDATA:
        return ReadRegEditBlock(bytes.toStdString()).value_or(std::string());
    case CF_TEXT:
    case CF_RTF:
    case CF_HTML:
        return BeforeNul(bytes);
    default:
        return bytes.toStdString();
    }
}
