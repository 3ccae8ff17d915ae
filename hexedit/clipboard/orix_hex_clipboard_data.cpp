#include "orix_hex_clipboard_data.h"

#include "radix.h"
#include "streams.h"

#include <QClipboard>
#include <QGuiApplication>
#include <memory>

TOrixHDataObject::TOrixHDataObject(bool hexText, bool swapNibbles)
    : FHexText(hexText), FSwapNibbles(swapNibbles) {}

void TOrixHDataObject::SetName(const std::string& fileName) {
    FDumpName = MakeDumpName(fileName);
}

TOrixHDataObject* TOrixHDataObject::CreateFromBuffer(const void* data, int32_t size,
                                                     const std::string& fileName, bool hexText,
                                                     bool swapNibbles) {
    auto object = std::unique_ptr<TOrixHDataObject>(new TOrixHDataObject(hexText, swapNibbles));
    if (data && size > 0) {
        object->SetName(fileName);
        object->FData.assign(static_cast<const char*>(data), static_cast<size_t>(size));
    }
    return object.release();
}

TOrixHDataObject* TOrixHDataObject::CreateFromStream(TStream* stream, int32_t position,
                                                     int32_t size, const std::string& fileName,
                                                     bool hexText, bool swapNibbles) {
    auto object = std::unique_ptr<TOrixHDataObject>(new TOrixHDataObject(hexText, swapNibbles));
    if (stream && size > 0) {
        object->SetName(fileName);
        object->FData.resize(static_cast<size_t>(size));
        stream->SetPosition(position);
        stream->ReadBuffer(object->FData.data(), size);
    }
    return object.release();
}

QStringList TOrixHDataObject::formats() const {
    return {kMimeHexEditor, kMimeText, kMimeSuggestedFileName, kMimeFileContents,
            kMimeRegEditHexData};
}

bool TOrixHDataObject::hasFormat(const QString& mimeType) const {
    return formats().contains(mimeType);
}

QByteArray TOrixHDataObject::Render(const QString& mimeType) const {
    const auto* bytes = reinterpret_cast<const uint8_t*>(FData.data());
    const int32_t size = Size();
    std::string out;
    if (mimeType == kMimeHexEditor) {
        out = MakeHexEditorBlock(bytes, size);
    } else if (mimeType == kMimeRegEditHexData) {
        out = MakeRegEditBlock(bytes, size);
    } else if (mimeType == kMimeText) {
        if (FHexText) {
            out.resize(2 * static_cast<size_t>(size) + 1);
            ConvertBinToHex(bytes, out.data(), size, FSwapNibbles);
            out.pop_back(); // the terminating NUL: Linux text carries none
        } else {
            out = FData.substr(0, FData.find('\0'));
        }
    } else if (mimeType == kMimeSuggestedFileName) {
        out = FDumpName;
    } else if (mimeType == kMimeFileContents) {
        out = FData;
    } else {
        return {};
    }
    return QByteArray(out.data(), static_cast<qsizetype>(out.size()));
}

QVariant TOrixHDataObject::retrieveData(const QString& mimeType, QMetaType) const {
    // Called by the platform's clipboard, often from its event handling: a block too large
    // for memory is answered with no data rather than an exception.
    try {
        if (!hasFormat(mimeType)) return {};
        return Render(mimeType);
    } catch (const std::exception&) {
        return {};
    }
}

void OrixHSetHexClipboardData(const void* data, int32_t size, const std::string& fileName,
                              bool hexText, bool swapNibbles) {
    QGuiApplication::clipboard()->setMimeData(
        TOrixHDataObject::CreateFromBuffer(data, size, fileName, hexText, swapNibbles));
}
