#pragma once
// TOrixHexEditorEx: the hex editor the main window places (as FlashEditor). It adds to the
// core control the backup copy when a file is saved over and the paint lock; clipboard, drag
// and drop, printing and the text forms come with it later.
#include "orix_hex_editor.h"

class TOrixHexEditorEx : public TCustomOrixHexEditor {
    Q_OBJECT
    Q_PROPERTY(bool CreateBackup READ GetCreateBackup WRITE SetCreateBackup)
    Q_PROPERTY(QString BackupExtension READ GetBackupExtensionQ WRITE SetBackupExtensionQ)
    Q_PROPERTY(bool UseEditorFontForPrinting MEMBER FUseEditorFontForPrinting)
    Q_PROPERTY(bool ClipboardAsHexText MEMBER FClipboardAsHexText)
    Q_PROPERTY(bool FlushClipboardAtShutDown MEMBER FFlushClipboardAtShutDown)
    Q_PROPERTY(bool SupportsOtherClipFormats MEMBER FSupportsOtherClipFormats)
    Q_PROPERTY(bool ZoomOnWheel MEMBER FZoomOnWheel)
    Q_PROPERTY(QFont PrintFont MEMBER FPrintFont)
public:
    explicit TOrixHexEditorEx(QWidget* parent = nullptr);

    bool GetCreateBackup() const { return FCreateBackup; }
    void SetCreateBackup(bool value) { FCreateBackup = value; }
    const std::string& GetBackupExtension() const { return FBackupExtension; }
    void SetBackupExtension(const std::string& value) { FBackupExtension = value; }

    // Paint lock: while held, painting is skipped; never below 0.
    void BeginUpdate() { ++FPaintLockCount; }
    void EndUpdate();
    int32_t PaintLockCount() const { return FPaintLockCount; }

    void WriteBuffer(const void* buffer, int32_t index, int32_t count) override;

protected:
    void Paint(TCanvas& canvas) override;
    QString GetBackupExtensionQ() const { return QString::fromStdString(FBackupExtension); }
    void SetBackupExtensionQ(const QString& value) { FBackupExtension = value.toStdString(); }

    bool FCreateBackup = true;
    std::string FBackupExtension = ".bak";
    QFont FPrintFont;
    bool FUseEditorFontForPrinting = true;
    bool FClipboardAsHexText = false;
    bool FFlushClipboardAtShutDown = false;
    bool FSupportsOtherClipFormats = true;
    bool FZoomOnWheel = true;
    int32_t FPaintLockCount = 0;
};
