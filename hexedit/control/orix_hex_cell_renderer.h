#pragma once
// The rules that the screen and the printer share for the data cells of the hex editor: the
// text of a cell, whether it counts as changed or on the caret's row, its colours, and the
// shrinking of a unicode character that is wider than its cell.
#include "canvas.h"
#include "colors.h"

#include <QChar>
#include <QFont>
#include <cstdint>

class TCustomOrixHexEditor;

struct TOrixHCellColors {
    TColor Text;
    TColor Back;
};

class TOrixHCellRenderer {
public:
    explicit TOrixHCellRenderer(TCustomOrixHexEditor& editor);

    // The control's font colour: the text of the character field and of plain cells.
    static constexpr TColor FontColor = clWindowText;

    // Digit index (0 the one shown first) of a byte, in the control's case and nibble order.
    QChar HexDigit(uint8_t byte, int index) const;
    // The character cell at a data position: the byte through the translation (masked bytes
    // as MaskChar), or in unicode mode the 16-bit unit there, whose missing second byte at
    // the end of odd data counts as 0.
    QChar CharAt(int32_t position) const;
    // In unicode mode a character cell is changed when either of its bytes is.
    bool Changed(int32_t position, bool inCharField) const;
    bool OnCaretRow(int64_t rowStart) const;
    // Colours of a data cell; byteInRow picks the alternating colour of its hex column.
    TOrixHCellColors DataColors(bool changed, bool inCharField, bool activeField,
                                int32_t byteInRow) const;

    // Makes the canvas font as small as one-point steps down would, not below 1 point, while
    // the text measured on the canvas's device is wider than width.
    static void ShrinkToWidth(TCanvas& canvas, const QString& text, int32_t width);

private:
    TCustomOrixHexEditor& editor_;
};

// The font's size in whole points, a size in pixels converted at dpi; at least 1.
int32_t OrixHFontPoints(const QFont& font, int32_t dpi);
