#pragma once
// TOrixHDataObject: what the hex editor puts on the clipboard. It keeps its own copy of the
// bytes, taken when it is made, so later edits in the control do not reach the clipboard, and
// renders the copy on request in five forms:
//   the own block (own MIME type), text ("text/plain": the bytes before the first NUL, or hex
//   digits), the virtual file's name and contents (a suggested file name and plain bytes) and
//   the "RegEdit_HexData" block (own MIME type).
// The clipboard owns the object once it is set; the control watches it through a QPointer.
#include "orix_hex_clipboard_formats.h"

#include <QMimeData>
#include <cstdint>
#include <string>

class TStream;

class TOrixHDataObject : public QMimeData {
    Q_OBJECT
public:
    // Data nil or size <= 0 leave the object empty.
    static TOrixHDataObject* CreateFromBuffer(const void* data, int32_t size,
                                              const std::string& fileName, bool hexText,
                                              bool swapNibbles);
    // Reads size bytes at position; a stream that holds fewer raises the stream's read error
    // and no object results.
    static TOrixHDataObject* CreateFromStream(TStream* stream, int32_t position, int32_t size,
                                              const std::string& fileName, bool hexText,
                                              bool swapNibbles);

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

    int32_t Size() const { return static_cast<int32_t>(FData.size()); }
    const std::string& Data() const { return FData; }
    const std::string& DumpName() const { return FDumpName; }
    bool HexText() const { return FHexText; }
    bool SwapNibbles() const { return FSwapNibbles; }

    // One format's bytes as the clipboard hands them out.
    QByteArray Render(const QString& mimeType) const;

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    TOrixHDataObject(bool hexText, bool swapNibbles);
    void SetName(const std::string& fileName);

    std::string FData;
    std::string FDumpName;
    bool FHexText;
    bool FSwapNibbles;
};

// Puts a new data object for the bytes on the clipboard; the clipboard is its only owner.
void OrixHSetHexClipboardData(const void* data, int32_t size, const std::string& fileName,
                              bool hexText, bool swapNibbles);
