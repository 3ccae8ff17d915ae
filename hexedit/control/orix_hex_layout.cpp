// Grid geometry: which column and row shows what, their sizes and counts.
#include "orix_hex_editor.h"

#include <QFontMetrics>

namespace {
// The nibbles of a block: any size the setter takes, so twice it needs 64 bits.
int64_t BlockNibbles(int32_t bytesPerBlock) {
    return 2 * int64_t{bytesPerBlock};
}
} // namespace

int32_t TCustomOrixHexEditor::CalcColCount() const {
    return FirstCharCol() + (UnicodeChars ? BytesPerRow / 2 : BytesPerRow);
}

void TCustomOrixHexEditor::DoSetCellWidth(int32_t column, int32_t width) {
    SetColWidth(column, width);
    CheckSetCaret();
}

int32_t TCustomOrixHexEditor::CharColumnWidth(int32_t c) const {
    const int32_t cw = FCharPixelWidth;
    const int32_t u = FEffectiveRulerUnit;
    const int32_t k = BytesPerBlock;
    // The last character of a ruler unit is half a character wider.
    int32_t w = (u > 1 && !UnicodeChars && c % u == u - 1) ? (3 * cw) / 2 + 1 : cw + 1;
    if (SeparateBlocksInCharField && k > 1) {
        const bool lastOfBlock =
            UnicodeChars ? (k / 2 > 0 && c % (k / 2) == k / 2 - 1) : c % k == k - 1;
        if (lastOfBlock) w += cw;
    }
    return w;
}

void TCustomOrixHexEditor::AdjustMetrics() {
    const QFontMetrics metrics(font());
    const int32_t cw = metrics.horizontalAdvance(QStringLiteral("w"));
    FCharPixelWidth = cw;
    SetOffsetDisplayWidth();
    DoSetCellWidth(kSpacerCol, 6);
    const int32_t b = BytesPerRow;
    const int32_t g = FNibblesPerColumn;
    const int32_t k = BytesPerBlock;
    const int64_t blockNibbles = BlockNibbles(BytesPerBlock);
    for (int32_t j = 0; j <= 2 * b; ++j) {
        int32_t w;
        if (j == 2 * b - 1) {
            w = 2 * cw;
        } else {
            w = cw;
            if ((j + 1) % g == 0) w += cw;
            if (k > 1 && (j + 1) % blockNibbles == 0) w += cw;
        }
        if (j == 2 * b) w = cw; // the separator
        if (kFirstHexCol + j < ColCount()) DoSetCellWidth(kFirstHexCol + j, w);
    }
    const int32_t n = UnicodeChars ? b / 2 : b;
    for (int32_t c = 0; c < n; ++c)
        if (FirstCharCol() + c < ColCount()) DoSetCellWidth(FirstCharCol() + c, CharColumnWidth(c));
    DoSetCellWidth(ColCount() - 1, 2 * cw + 1);
    const int32_t h = metrics.height();
    FCharPixelHeight = h + 2;
    SetDefaultRowHeight(h + 2);
    SetRowHeight(kSecondFixedRow, 0);
    SetRowHeight(kRulerRow, ShowRuler ? DefaultRowHeight() + 3 : 0);
    CheckSetCaret();
}

void TCustomOrixHexEditor::CalcSizes() {
    const int32_t size = GetDataSize();
    if (FChangedByteMap.Size() > size) FChangedByteMap.SetSize(size);
    int64_t rows = kFirstDataRow + 1; // one empty data row
    if (size > 0) {
        rows = kFirstDataRow + (static_cast<int64_t>(size) + BytesPerRow - 1) / BytesPerRow;
        if (size % BytesPerRow == 0 && GetInsertMode()) ++rows;
    }
    // Near 2 GiB at one byte per row the rows no longer fit the grid's count.
    SetRowCount(static_cast<int32_t>(std::min<int64_t>(rows, INT32_MAX)));
    SetColCount(CalcColCount());
    SetFixedCols(kFixedCols);
    SetFixedRows(kFixedRows);
    AdjustMetrics();
}

int32_t TCustomOrixHexEditor::GetTopLeftPosition(bool& inCharField) {
    const int32_t p = GetPositionAtCursor(std::max(LeftCol(), kFirstHexCol), TopRow());
    inCharField = GetInCharField();
    return p;
}

void TCustomOrixHexEditor::SetTopLeftPosition(int32_t position, bool inCharField) {
    const TGridCoord cell = GetCursorAtPos(position, inCharField);
    SetTopRow(std::min(cell.Y, RowCount() - 1));
    SetLeftCol(std::min(cell.X, ColCount() - 1));
}

void TCustomOrixHexEditor::SetBytesPerRow(int32_t value) {
    if (AutoBytesPerRow && !FAutoFitRunning) return;
    if (value < 1 || value > 256 || (UnicodeChars && value % 2 != 0))
        throw EOrixHexEditor("Invalid bytes per line argument");
    if (value == BytesPerRow) return;
    if (FParsedOffsetFormat.OffsetFlags & offCalcRow) {
        // Kept whole: 256 bytes per row cut to 8 bits would make a unit of 0.
        FParsedOffsetFormat.OffsetUnit = value;
    }
    const int32_t selFirst = FSelFirst, selAnchor = FSelAnchor, selLast = FSelLast;
    int32_t p = GetPosAtCursor(Col(), Row());
    const bool field = FCaretInCharField;
    const bool secondNibble = GetCursorAtPos(p, field).X != Col();
    BytesPerRow = value;
    FHexColumnCount = 2 * value;
    FLastHexColumn = kFirstHexCol + FHexColumnCount - 1;
    SetRulerString();
    CalcSizes();
    if (p >= GetDataSize()) p = GetDataSize() - 1;
    if (p < 0) p = 0;
    TGridCoord cell = GetCursorAtPos(p, field);
    if (secondNibble && !field) cell.X += 1;
    cell.X = std::min(cell.X, ColCount() - 1);
    cell.Y = std::min(cell.Y, RowCount() - 1);
    MoveColRow(cell.X, cell.Y, true, true);
    SetSelection(selAnchor, selFirst, selLast);
}

void TCustomOrixHexEditor::SetBytesPerColumn(int32_t value) {
    if (value < 1 || value > 256 || (UnicodeChars && value % 2 != 0))
        throw EOrixHexEditor("Invalid bytes per column argument");
    if (2 * value == FNibblesPerColumn) return;
    if (FParsedOffsetFormat.OffsetFlags & offCalcColumn) {
        FParsedOffsetFormat.OffsetUnit = value;
    }
    FNibblesPerColumn = 2 * value;
    AdjustMetrics();
    SetRulerString();
    viewport()->update();
}

int32_t TCustomOrixHexEditor::RowPixelWidth(int32_t m) const {
    const int32_t cw = FCharPixelWidth;
    const int32_t g = FNibblesPerColumn;
    const int32_t k = BytesPerBlock;
    const int64_t blockNibbles = BlockNibbles(BytesPerBlock);
    int32_t sum = 0;
    for (int32_t i = 0; i <= 2 * m; ++i) {
        if (i == 2 * m - 1) {
            sum += 2 * cw;
        } else {
            sum += cw;
            if (i % g == 1) sum += cw;
            if (k > 1 && i % blockNibbles == 1) sum += cw;
        }
    }
    const int32_t n = UnicodeChars ? m / 2 : m;
    for (int32_t c = 0; c < n; ++c) sum += CharColumnWidth(c);
    return sum;
}

void TCustomOrixHexEditor::RecalcBytesPerRow() {
    FAutoFitRunning = true;
    try {
        // In 64 bits: a gutter may be as wide as the type allows.
        const int64_t available =
            int64_t{ClientWidth()} - ColWidth(kGutterCol) - ColWidth(kSpacerCol) - 8;
        int32_t chosen = 256;
        for (int32_t m = 2; m <= 254; m += 2) {
            if (available < RowPixelWidth(m + 2)) {
                chosen = m;
                break;
            }
        }
        SetBytesPerRow(chosen);
    } catch (...) {
    }
    FAutoFitRunning = false;
}

void TCustomOrixHexEditor::SetAutoBytesPerRow(bool value) {
    if (value == AutoBytesPerRow) return;
    AutoBytesPerRow = value;
    if (value) RecalcBytesPerRow();
}

void TCustomOrixHexEditor::Resize() {
    if (AutoBytesPerRow) RecalcBytesPerRow();
    PostMessage(CM_INTUPDATECARET);
}

const char* TCustomOrixHexEditor::UnicodeLayoutRefusal() const {
    if (BytesPerRow % 2 != 0) return "Invalid bytes per line argument";
    if (GetBytesPerColumn() % 2 != 0) return "Invalid bytes per column argument";
    return nullptr;
}

void TCustomOrixHexEditor::SetUnicodeCharacters(bool value) {
    if (value == UnicodeChars) return;
    if (value) {
        if (const char* refusal = UnicodeLayoutRefusal()) throw EOrixHexEditor(refusal);
        if (GetDataSize() % 2 != 0)
            throw EOrixHexEditor("Cannot use unicode mode with odd-sized files");
    }
    SwitchUnicodeCharacters(value);
}

void TCustomOrixHexEditor::SwitchUnicodeCharacters(bool value) {
    if (value) Translation = TOrixHTranslationKind::tkAsIs;
    // The caret's byte, read in the old column layout: the new one may have fewer columns.
    const int32_t p = GetPosAtCursor(Col(), Row());
    const bool field = FCaretInCharField;
    UnicodeChars = value;
    SetColCount(CalcColCount());
    SetBytesPerUnit(value ? 2 : 1);
    CalcSizes();
    SetRulerString();
    if (GetDataSize() > 0 || Col() != kFirstHexCol) {
        int32_t q = p;
        if (q >= GetDataSize()) q = std::max(0, GetDataSize() - 1);
        const TGridCoord cell = GetCursorAtPos(q, field && GetDataSize() > 0);
        MoveColRow(std::min(cell.X, ColCount() - 1), std::min(cell.Y, RowCount() - 1), true, true);
    }
    viewport()->update();
}

void TCustomOrixHexEditor::SetUnicodeBigEndian(bool value) {
    if (value == UnicodeBigEndian) return;
    UnicodeBigEndian = value;
    if (UnicodeChars) viewport()->update();
}

void TCustomOrixHexEditor::SetBlockSize(int32_t value) {
    if (value == BytesPerBlock) return;
    BytesPerBlock = value;
    AdjustMetrics();
}

void TCustomOrixHexEditor::SetSepCharBlocks(bool value) {
    if (value == SeparateBlocksInCharField) return;
    SeparateBlocksInCharField = value;
    if (BytesPerBlock > 1) AdjustMetrics();
}
