#pragma once
// TFormatSelDialog: asks which of several offered clipboard formats to paste, and for text
// whether it is hex digits. Built at run time; its size follows the screen's.
#include "orix_hex_clipboard_formats.h"

#include <QDialog>
#include <cstdint>

class QCheckBox;
class QListWidget;
class QPushButton;

// The format last confirmed in the chooser, for the rest of the run (-1: none yet).
extern int32_t LastSelectedClipFormat;

class TFormatSelDialog : public QDialog {
    Q_OBJECT
public:
    TFormatSelDialog(const TClipFormats& formats, bool hexText, QWidget* owner);

    // The selected item's format, or -1.
    int32_t SelectedFormat() const;
    bool HexTextChecked() const;

    QPushButton* OKButton;
    QPushButton* CancelButton;
    QCheckBox* HexTextBox;
    QListWidget* FormatList;

private:
    void ListClick();
    void ListDblClick();
};

// Shows the chooser modally. Confirmed with a selected item: Format := its id, and for a text
// format HexText := the box's state; True. Any other close leaves both alone: False.
bool ShowFormatSelDialog(const TClipFormats& formats, TClipFormat& format, bool& hexText);
