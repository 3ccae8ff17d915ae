#include "orix_hcanvas_printer.h"

#include "orix_hex_cell_renderer.h"
#include "orix_hex_editor.h"
#include "orix_hex_error.h"
#include "orix_hprint_cell_painter.h"
#include "sysutils.h"
#include "translations.h"

#include <QCoreApplication>
#include <QDate>
#include <QLocale>
#include <QTime>
#include <algorithm>
#include <cmath>

namespace {
constexpr TColor kWhite = 0xFFFFFF;

int64_t DivRoundUp(int64_t value, int64_t divisor) {
    return (value + divisor - 1) / divisor;
}

QString LocalTime() {
    // The locale's long time format, without the time zone.
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return QLocale::system().toString(QTime::currentTime(), format.trimmed());
}

// The encoding of the editor's characters, by its long or short name.
std::string_view EncodingName(const TCustomOrixHexEditor& editor, bool shortName) {
    if (editor.GetUnicodeChars()) {
        const size_t order = editor.GetUnicodeBigEndian() ? 1 : 0;
        return shortName ? OrixHUnicodeDescShort[order] : OrixHUnicodeDesc[order];
    }
    const auto kind = static_cast<size_t>(editor.GetTranslation());
    return shortName ? OrixHTranslationDescShort[kind] : OrixHTranslationDesc[kind];
}

// Where the gaps of a row and of the ruler go.
struct TLineGeometry {
    int32_t BytesPerRow, PerColumn, Block, RulerUnit;
    bool SeparateBlocks;
    explicit TLineGeometry(const TCustomOrixHexEditor& editor)
        : BytesPerRow(editor.GetBytesPerRow()), PerColumn(std::max(1, editor.GetBytesPerColumn())),
          Block(editor.GetBytesPerBlock()),
          RulerUnit(std::max(1, editor.GetRulerBytesPerUnit() == -1
                                    ? editor.GetBytesPerUnit()
                                    : editor.GetRulerBytesPerUnit())),
          SeparateBlocks(Block > 1 && editor.GetSeparateBlocksInCharField()) {}
};

// The canvas font and its colour, put back on every way out of a page.
struct TSavedCanvas {
    TCanvas& Canvas;
    QFont Font = Canvas.Font;
    TColor FontColor = Canvas.FontColor;
    ~TSavedCanvas() {
        Canvas.Font = Font;
        Canvas.FontColor = FontColor;
    }
};
} // namespace

int32_t OrixHPrintFontPoints(const QFont& font, int32_t printerDpi, int32_t screenDpi) {
    const int32_t screen = std::max(1, screenDpi);
    const int64_t points = OrixHFontPoints(font, screen);
    const double size = std::nearbyint(static_cast<double>(points * std::max(1, printerDpi)) /
                                       static_cast<double>(screen));
    return static_cast<int32_t>(std::clamp(size, 1.0, 10000.0));
}

TOrixHCanvasPrinter::TOrixHCanvasPrinter(TCustomOrixHexEditor* editor, TCanvas* canvas,
                                         TOrixHPrintFlags flags, const TRect& rect,
                                         const TOrixHPrintHeaders& headers)
    : FRect(rect), FHeader(headers[0]), FFooter(headers[1]), FFlags(flags), FEditor(editor),
      FCanvas(canvas) {
    CalculatePages();
}

bool TOrixHCanvasPrinter::ColouredCells() const {
    return FFlags.Has(pfUseBackgroundColor) && !FFlags.Has(pfMonochrome);
}

void TOrixHCanvasPrinter::LetMessagesRun() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (!FEditor) throw EOrixHexEditor("Printing failed");
}

std::string TOrixHCanvasPrinter::ExpandHeaderText(const std::string& text, int32_t page) const {
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%' || i + 1 == text.size()) {
            result += text[i];
            continue;
        }
        const char code = text[++i];
        switch (code) {
        case 'd':
            result += QLocale::system()
                          .toString(QDate::currentDate(), QLocale::ShortFormat)
                          .toStdString();
            break;
        case 't':
            result += LocalTime().toStdString();
            break;
        case 'f':
            if (FEditor) result += ExtractFileName(FEditor->DocumentName());
            break;
        case 'F':
            if (FEditor) result += FEditor->DocumentName();
            break;
        case 'p':
            result += std::to_string(page);
            break;
        case 'P':
            result += std::to_string(FPageCount);
            break;
        case '<':
        case '>':
            if (FEditor) result += EncodingName(*FEditor, code == '>');
            break;
        default:
            result += '%';
            result += code;
            break;
        }
    }
    return result;
}

void TOrixHCanvasPrinter::DrawHeaderLine(int32_t left, int32_t top, int32_t right,
                                         const QString& text) {
    const qsizetype bar1 = text.indexOf(QLatin1Char('|'));
    const qsizetype bar2 = bar1 < 0 ? -1 : text.indexOf(QLatin1Char('|'), bar1 + 1);
    const QString leftText = bar1 < 0 ? text : text.left(bar1);
    const QString centreText =
        bar1 < 0 ? QString() : text.mid(bar1 + 1, bar2 < 0 ? -1 : bar2 - bar1 - 1);
    const QString rightText = bar2 < 0 ? QString() : text.mid(bar2 + 1);

    TCanvas& canvas = *FCanvas;
    const TRect line{left, top, right, top + canvas.DeviceTextHeight(QStringLiteral("Yy"))};
    // Transparent, so that texts running into each other both stay readable; the mode is
    // put back on every way out.
    struct TTransparent {
        TCanvas& Canvas;
        const bool Saved = Canvas.TransparentText;
        ~TTransparent() { Canvas.TransparentText = Saved; }
    } const transparent{canvas};
    canvas.TransparentText = true;
    if (!rightText.isEmpty())
        canvas.TextRect(line, right - canvas.DeviceTextWidth(rightText), top, rightText);
    if (!centreText.isEmpty())
        canvas.TextRect(line, left + (right - left) / 2 - canvas.DeviceTextWidth(centreText) / 2,
                        top, centreText);
    if (!leftText.isEmpty()) canvas.TextRect(line, left, top, leftText);
}

void TOrixHCanvasPrinter::AddSeparatorCell(TTextWithAttr& line) {
    const TCellAttribute previous =
        line.Attributes.empty() ? TCellAttribute{} : line.Attributes.back();
    line.Add(QLatin1Char(' '), previous);
}

void TOrixHCanvasPrinter::AddRulerSeparatorCell(TTextWithAttr& line) const {
    TOrixHColors& colors = FEditor->Colors();
    line.Add(QLatin1Char(' '), {colors.OffsetBackground(), colors.Offset(), false});
}

void TOrixHCanvasPrinter::ByteToHexText(TTextWithAttr& line, uint8_t byte,
                                        const TCellAttribute& attribute) const {
    const TOrixHCellRenderer cells(*FEditor);
    line.Add(cells.HexDigit(byte, 0), attribute);
    line.Add(cells.HexDigit(byte, 1), attribute);
}

TTextWithAttr TOrixHCanvasPrinter::BuildRowText(int64_t start, int64_t last, int32_t offsetWidth) {
    LetMessagesRun();
    TCustomOrixHexEditor& editor = *FEditor;
    const TOrixHCellRenderer cells(editor);
    TOrixHColors& colors = editor.Colors();
    const TColor fontColor = TOrixHCellRenderer::FontColor;
    const TLineGeometry g(editor);
    const int32_t b = g.BytesPerRow, perColumn = g.PerColumn, block = g.Block;
    const int32_t rulerUnit = g.RulerUnit;
    const bool separateBlocks = g.SeparateBlocks;
    const bool caretInChar = editor.GetInCharField();
    const uint8_t* data = editor.DataStore().Memory();
    // Handlers that ran meanwhile may have shortened the data.
    last = std::min(last, int64_t{editor.GetDataSize()} - 1);
    TTextWithAttr line;

    const QString offset =
        QString::fromStdString(editor.GetOffsetString(static_cast<uint32_t>(start)));
    if (!offset.isEmpty()) {
        const bool caretRow = cells.OnCaretRow(start);
        const bool coloured = FFlags.Has(pfUseBackgroundColor);
        TCellAttribute attribute{colors.Background(), fontColor, caretRow};
        if (coloured && caretRow)
            attribute = {colors.CurrentOffsetBackground(), colors.CurrentOffset(),
                         FFlags.Has(pfMonochrome)};
        else if (coloured)
            attribute = {colors.OffsetBackground(), colors.Offset(), false};
        for (qsizetype i = offset.size(); i < offsetWidth; ++i)
            line.Add(QLatin1Char(' '), attribute);
        for (QChar c : offset) line.Add(c, attribute);
        if (!ColouredCells()) line.Add(QLatin1Char(':'), attribute);
        line.Add(QLatin1Char(' '), {colors.Background(), fontColor, caretRow && !coloured});
    }

    // Positions past the last print blank, neither changed nor selected.
    auto dataCell = [&](int64_t p, bool inChar, int32_t byteInRow) {
        const bool inRange = p <= last;
        const auto position = static_cast<int32_t>(inRange ? p : 0);
        const TOrixHCellColors c = cells.DataColors(inRange && cells.Changed(position, inChar),
                                                    inChar, inChar == caretInChar, byteInRow);
        return TCellAttribute{c.Back, c.Text, inRange && editor.IsSelected(position)};
    };

    for (int32_t k = 1; k <= b; ++k) {
        const int64_t p = start + k - 1;
        const TCellAttribute attribute = dataCell(p, false, k - 1);
        if (p > last) {
            line.Add(QLatin1Char(' '), attribute);
            line.Add(QLatin1Char(' '), attribute);
        } else {
            ByteToHexText(line, data[p], attribute);
        }
        if (k < b) {
            if (block > 1 && k % block == 0) AddSeparatorCell(line);
            if (k % perColumn == 0) AddSeparatorCell(line);
        }
    }
    line.Add(QLatin1Char(' '), {colors.Background(), fontColor, false});
    line.Add(QLatin1Char(' '), {colors.Background(), fontColor, false});

    if (!editor.GetUnicodeChars()) {
        for (int32_t k = 1; k <= b; ++k) {
            const int64_t p = start + k - 1;
            line.Add(p > last ? QChar(QLatin1Char(' ')) : cells.CharAt(static_cast<int32_t>(p)),
                     dataCell(p, true, k - 1));
            if (k < b) {
                if (separateBlocks && k % block == 0) AddSeparatorCell(line);
                if (rulerUnit != 1 && k % rulerUnit == 0) AddSeparatorCell(line);
            }
        }
    } else {
        const int32_t chars = (b - 1) / 2 + 1;
        for (int32_t j = 0; j < chars; ++j) {
            const int64_t p = start + 2 * int64_t{j};
            line.Add(p > last ? QChar(QLatin1Char(' ')) : cells.CharAt(static_cast<int32_t>(p)),
                     dataCell(p, true, 2 * j));
            if (j + 1 < chars) {
                if (separateBlocks && (j + 1) % (block / 2) == 0) AddSeparatorCell(line);
                if (rulerUnit != 2 && (2 * j) % rulerUnit == 0) AddSeparatorCell(line);
            }
        }
    }
    return line;
}

TTextWithAttr TOrixHCanvasPrinter::BuildRulerText(int32_t offsetWidth) {
    LetMessagesRun();
    TCustomOrixHexEditor& editor = *FEditor;
    TOrixHColors& colors = editor.Colors();
    const TLineGeometry g(editor);
    const int32_t perColumn = g.PerColumn, block = g.Block;
    const int32_t rulerUnit = g.RulerUnit;
    const bool separateBlocks = g.SeparateBlocks;
    const int32_t caretCol = editor.Col();
    TTextWithAttr line;

    if (offsetWidth > 0) {
        const int32_t blanks = offsetWidth + (ColouredCells() ? 0 : 1) + 1;
        for (int32_t i = 0; i < blanks; ++i) AddRulerSeparatorCell(line);
    }
    auto rulerCell = [&](int32_t column) {
        const bool caret = column == caretCol;
        if (!FFlags.Has(pfUseBackgroundColor))
            return TCellAttribute{colors.Background(), TOrixHCellRenderer::FontColor, caret};
        if (caret)
            return TCellAttribute{colors.CurrentOffsetBackground(), colors.CurrentOffset(),
                                  FFlags.Has(pfMonochrome)};
        return TCellAttribute{colors.OffsetBackground(), colors.Offset(), false};
    };

    const std::string& hex = editor.HexRulerText();
    const auto hexCount = static_cast<int32_t>(hex.size());
    for (int32_t k = 1; k <= hexCount; ++k) {
        line.Add(QChar::fromLatin1(hex[static_cast<size_t>(k - 1)]),
                 rulerCell(TCustomOrixHexEditor::kFirstHexCol + k - 1));
        if (k < hexCount) {
            if (block > 1 && k % (2 * block) == 0) AddRulerSeparatorCell(line);
            if (k % (2 * perColumn) == 0) AddRulerSeparatorCell(line);
        }
    }
    AddRulerSeparatorCell(line);
    AddRulerSeparatorCell(line);

    const std::string& chars = editor.CharRulerText();
    const auto charCount = static_cast<int32_t>(chars.size());
    const bool unicode = editor.GetUnicodeChars();
    for (int32_t k = 1; k <= charCount; ++k) {
        line.Add(QChar::fromLatin1(chars[static_cast<size_t>(k - 1)]),
                 rulerCell(editor.FirstCharCol() + k - 1));
        if (k < charCount) {
            if (!unicode) {
                if (separateBlocks && k % block == 0) AddRulerSeparatorCell(line);
                if (rulerUnit != 1 && k % rulerUnit == 0) AddRulerSeparatorCell(line);
            } else {
                if (separateBlocks && k % (block / 2) == 0) AddRulerSeparatorCell(line);
                if (rulerUnit != 2 && (2 * (k - 1)) % rulerUnit == 0) AddRulerSeparatorCell(line);
            }
        }
    }
    return line;
}

void TOrixHCanvasPrinter::DrawLine(const TTextWithAttr& line, int32_t y, int32_t lineHeight,
                                   bool ruler) {
    TCanvas& canvas = *FCanvas;
    const TColor fontColor = canvas.FontColor, brushColor = canvas.BrushColor;
    const QFont font = canvas.Font;
    const bool mono = FFlags.Has(pfMonochrome);
    const bool highlight = FFlags.Has(pfSelectionBold) && !FFlags.Has(pfSelectionOnly);
    const bool underline = !ColouredCells();
    const bool shrink = !ruler && FEditor->GetUnicodeChars();
    const int32_t cellWidth = canvas.DeviceTextWidth(QStringLiteral("w"));
    int32_t x = FRect.Left, underlineEnd = FRect.Left;
    TOrixHPrintCellPainter cells(canvas, FPageColor);
    for (qsizetype i = 0; i < line.Text.size(); ++i) {
        const TCellAttribute& cell = line.Attributes[static_cast<size_t>(i)];
        if (!mono) {
            canvas.FontColor = cell.TextColor;
            if (FFlags.Has(pfUseBackgroundColor))
                canvas.BrushColor = cell.BackColor;
            else if (ColorToRGB(canvas.FontColor) == kWhite)
                canvas.FontColor = clBlack;
        }
        if (highlight) {
            QFont style = font;
            if (ColouredCells()) {
                style.setBold(false);
                if (cell.Highlighted) {
                    canvas.FontColor = ColorToRGB(canvas.FontColor) ^ kWhite;
                    canvas.BrushColor = ColorToRGB(canvas.BrushColor) ^ kWhite;
                }
            } else {
                style.setBold(cell.Highlighted);
            }
            canvas.Font = style;
        }
        const TRect rect{x, y, x + cellWidth,
                         y + (ruler && underline ? 3 * lineHeight / 2 : lineHeight)};
        const QFont cellFont = canvas.Font;
        const QString text(line.Text[i]);
        if (shrink) TOrixHCellRenderer::ShrinkToWidth(canvas, text, cellWidth);
        // A row that does not fit even at 1 point is cut at the margin.
        cells.Cell(TRect{rect.Left, rect.Top, std::min(rect.Right, FRect.Right), rect.Bottom}, x, y,
                   text);
        canvas.Font = cellFont;
        if (rect.Left < FRect.Right) underlineEnd = std::min(rect.Right + 1, FRect.Right);
        x = rect.Right;
    }
    cells.Flush();
    // Each cell's underline reaches one pixel into the next, which covers it again: together
    // they are one line.
    if (ruler && underline && underlineEnd > FRect.Left) {
        canvas.MoveTo(FRect.Left, y + lineHeight + 1);
        canvas.LineTo(underlineEnd, y + lineHeight + 1);
    }
    canvas.FontColor = fontColor;
    canvas.BrushColor = brushColor;
    canvas.Font = font;
}

void TOrixHCanvasPrinter::PrintRange(int64_t& first, int64_t& last) const {
    TCustomOrixHexEditor& editor = *FEditor;
    if (FFlags.Has(pfSelectionOnly) && editor.GetSelCount() > 0) {
        const int64_t a = editor.GetSelStart(), b = editor.GetSelEnd();
        first = std::min(a, b);
        last = std::max(a, b);
    } else if (FFlags.Has(pfCurrentViewOnly)) {
        first = editor.DisplayStart();
        last = editor.DisplayEnd();
    } else {
        first = 0;
        last = int64_t{editor.GetDataSize()} - 1;
    }
}

int32_t TOrixHCanvasPrinter::PrintPage(bool measureOnly, int32_t page) {
    FHeaderText = ExpandHeaderText(FHeader, page);
    FFooterText = ExpandHeaderText(FFooter, page);
    if (!FEditor || !FCanvas || FEditor->GetDataSize() == 0) return -1;
    TCustomOrixHexEditor& editor = *FEditor;
    const bool drawing = !measureOnly;
    const auto offsetWidth = static_cast<int32_t>(
        editor.GetOffsetString(static_cast<uint32_t>(editor.GetDataSize())).size());
    if (drawing && (FRowsPerPage < 1 || page < 1)) return -1;
    int64_t first = 0, last = -1;
    PrintRange(first, last);
    const int64_t b = editor.GetBytesPerRow();
    if (drawing) first += int64_t{FRowsPerPage} * b * (page - 1);
    if (first > last || first < 0) return -1;

    int32_t rows = 0;
    TCanvas& canvas = *FCanvas;
    const TSavedCanvas saved{canvas};
    const bool plainPage = FFlags.Has(pfMonochrome) || !FFlags.Has(pfUseBackgroundColor);
    canvas.BrushColor = plainPage ? clWhite : editor.Colors().Background();
    FPageColor = canvas.BrushColor;
    canvas.TransparentText = false; // a solid brush: cells are filled
    canvas.FontColor = FFlags.Has(pfMonochrome) ? clBlack : TOrixHCellRenderer::FontColor;
    if (drawing) canvas.FillRect(FRect);

    TTextWithAttr row = BuildRowText(first, last, offsetWidth);
    // Every cell is one "w" wide, so that is what the row takes.
    auto rowWidth = [&] {
        return int64_t{canvas.DeviceTextWidth(QStringLiteral("w"))} * row.Text.size();
    };
    if (rowWidth() > FRect.Width()) {
        QFont font = canvas.Font;
        int32_t points = OrixHFontPoints(font, canvas.DevicePixelsPerInchY());
        font.setPointSize(points);
        canvas.Font = font;
        while (rowWidth() > FRect.Width() && points > 1) {
            font.setPointSize(--points);
            canvas.Font = font;
        }
    }
    const int32_t lineHeight = std::max(1, canvas.DeviceTextHeight(row.Text));

    int64_t y = FRect.Top;
    int64_t lowerLimit = FRect.Bottom;
    if (!FHeaderText.empty()) {
        if (drawing) {
            DrawHeaderLine(FRect.Left, static_cast<int32_t>(y), FRect.Right,
                           QString::fromStdString(FHeaderText));
            canvas.MoveTo(FRect.Left, static_cast<int32_t>(y + lineHeight));
            canvas.LineTo(FRect.Right, static_cast<int32_t>(y + lineHeight));
        }
        y += 2 * int64_t{lineHeight};
    }
    if (!FFooterText.empty()) lowerLimit -= lineHeight;
    if (FFlags.Has(pfIncludeRuler) && editor.GetShowRuler()) {
        if (drawing) {
            DrawLine(BuildRulerText(offsetWidth), static_cast<int32_t>(y), lineHeight, true);
            // Handlers may have run while the ruler was built.
            row = BuildRowText(first, last, offsetWidth);
        }
        y += plainPage ? 3 * int64_t{lineHeight} / 2 : lineHeight;
    }
    int64_t rowStart = first;
    // Page k + 1 starts where page k ends only while no page holds more than was counted.
    while (y + lineHeight <= lowerLimit && (!drawing || rows < FRowsPerPage)) {
        if (drawing) DrawLine(row, static_cast<int32_t>(y), lineHeight, false);
        ++rows;
        rowStart += b;
        if (rowStart > last) break;
        if (drawing) row = BuildRowText(rowStart, last, offsetWidth);
        y += lineHeight;
    }
    if (drawing && !FFooterText.empty()) {
        const int32_t footerTop = FRect.Bottom - lineHeight;
        DrawHeaderLine(FRect.Left, footerTop, FRect.Right, QString::fromStdString(FFooterText));
        canvas.MoveTo(FRect.Left, footerTop);
        canvas.LineTo(FRect.Right, footerTop);
    }
    return rows;
}

void TOrixHCanvasPrinter::CalculatePages() {
    FRowsPerPage = -1;
    FPageCount = 0;
    const TOrixHPrintFlags flags = FFlags;
    // A page is measured over data it can fill: the whole data when the selection is printed,
    // so that a shown part shorter than a page does not shorten the pages of the selection.
    if (FFlags.Has(pfSelectionOnly) && FEditor && FEditor->GetSelCount() > 0)
        FFlags.Exclude(pfCurrentViewOnly);
    FFlags.Exclude(pfSelectionOnly);
    try {
        FRowsPerPage = PrintPage(true, 1);
    } catch (...) {
        FFlags = flags;
        throw;
    }
    FFlags = flags;
    if (FRowsPerPage < 1 || !FEditor) return;
    int64_t first = 0, last = -1;
    PrintRange(first, last);
    if (last < first) return;
    const int64_t rows = DivRoundUp(last - first + 1, FEditor->GetBytesPerRow());
    FPageCount = static_cast<int32_t>(std::min<int64_t>(DivRoundUp(rows, FRowsPerPage), INT32_MAX));
}
