// Painting of the whole client area, cell by cell, and the drawing properties.
#include "orix_hex_editor.h"

#include <QFontMetrics>
#include <QPainter>

#include "orix_hex_cell_renderer.h"

namespace {
// 3 x 5 pixel digits for the bookmark glyphs, one row per string, '#' set.
const char* const kDigitArt[10][5] = {
    {"###", "#.#", "#.#", "#.#", "###"}, {".#.", "##.", ".#.", ".#.", "###"},
    {"###", "..#", "###", "#..", "###"}, {"###", "..#", ".##", "..#", "###"},
    {"#.#", "#.#", "###", "..#", "..#"}, {"###", "#..", "###", "..#", "###"},
    {"###", "#..", "###", "#.#", "###"}, {"###", "..#", ".#.", ".#.", ".#."},
    {"###", "#.#", "###", "#.#", "###"}, {"###", "#.#", "###", "..#", "###"},
};

} // namespace

QImage TCustomOrixHexEditor::BuiltInBookmarkBitmap() {
    QImage strip(200, 10, QImage::Format_RGB32);
    strip.fill(QColor(0, 0, 0));
    const QRgb red = qRgb(255, 0, 0), yellow = qRgb(255, 255, 0), black = qRgb(0, 0, 0);
    for (int g = 0; g < 20; ++g) {
        const int x0 = g * 10;
        for (int corner : {0, 9})
            for (int cy : {0, 9}) strip.setPixel(x0 + corner, cy, red);
        const int boxLeft = x0 + (g < 10 ? 1 : 3);
        for (int y = 1; y <= 8; ++y)
            for (int x = 0; x < 6; ++x) strip.setPixel(boxLeft + x, y, yellow);
        const int digit = g % 10;
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 3; ++x)
                if (kDigitArt[digit][y][x] == '#') strip.setPixel(boxLeft + 1 + x, 2 + y, black);
    }
    return strip;
}

void TCustomOrixHexEditor::SetBookmarkBitmap(const QImage& bitmap) {
    if (bitmap.isNull()) {
        BookmarkBitmap = BuiltInBookmarkBitmap();
    } else {
        if (bitmap.width() != 200 || bitmap.height() != 10)
            throw EOrixHexEditor("Invalid bookmark bitmap (must be 10 x 200 px)");
        BookmarkBitmap = bitmap.convertToFormat(QImage::Format_RGB32);
    }
    FCustomBookmarkBitmap = !bitmap.isNull();
    BookmarkBitmapChanged();
}

void TCustomOrixHexEditor::BookmarkBitmapChanged() {
    FBookmarkGlyphs.clear();
    const QRgb transparent = BookmarkBitmap.pixel(0, 0);
    for (int g = 0; g < 20; ++g) {
        QImage glyph =
            BookmarkBitmap.copy(g * 10, 0, 10, 10).convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                if ((glyph.pixel(x, y) & 0xFFFFFF) == (transparent & 0xFFFFFF))
                    glyph.setPixel(x, y, 0);
        FBookmarkGlyphs.push_back(glyph);
    }
    viewport()->update();
}

void TCustomOrixHexEditor::SetBookmarkRaw(int index, int32_t position, bool inCharField) {
    if (index < 0 || index > 9) return;
    FBookmarks[static_cast<size_t>(index)] = TOrixHBookmark{position, inCharField};
    viewport()->update();
}

TColor TCustomOrixHexEditor::InvertColor(TColor color) {
    return ColorToRGB(color) ^ 0xFFFFFF;
}

TColor TCustomOrixHexEditor::FadeToGray(TColor color) {
    const auto rgb = static_cast<uint32_t>(ColorToRGB(color));
    const uint32_t r = rgb & 0xFF, g = (rgb >> 8) & 0xFF, b = (rgb >> 16) & 0xFF;
    const uint32_t gray = (74 * r + 146 * g + 36 * b) / 256;
    return static_cast<TColor>(gray | (gray << 8) | (gray << 16));
}

void TCustomOrixHexEditor::DrawCell(int32_t, int32_t, const TRect&) {}

void TCustomOrixHexEditor::SetSwapNibbles(bool value) {
    if ((SwapNibbles != 0) == value) return;
    SwapNibbles = value ? 1 : 0;
    viewport()->update();
}

void TCustomOrixHexEditor::SetCaretKind(TOrixHCaretKind value) {
    if (value == CaretKind) return;
    CaretKind = value;
    if (hasFocus()) {
        CreateCaretGlyph();
        IntSetCaretPos(-50, -50, -1);
        viewport()->update();
    }
}

void TCustomOrixHexEditor::SetFocusFrame(bool value) {
    if (value == FocusFrame) return;
    FocusFrame = value;
    viewport()->update();
}

void TCustomOrixHexEditor::SetMaskChar(char value) {
    if (value == MaskChar) return;
    MaskChar = value;
    viewport()->update();
}

void TCustomOrixHexEditor::SetDrawGridLines(bool value) {
    if (value == DrawGridLines) return;
    DrawGridLines = value;
    viewport()->update();
}

void TCustomOrixHexEditor::SetDrawGutter3D(bool value) {
    if (value == DrawGutter3D) return;
    DrawGutter3D = value;
    viewport()->repaint();
}

void TCustomOrixHexEditor::SetShowPositionIfNotFocused(bool value) {
    if (value == ShowPositionIfNotFocused) return;
    ShowPositionIfNotFocused = value;
    viewport()->update();
}

void TCustomOrixHexEditor::SetGutterWidth(int32_t value) {
    if (value == GutterWidth) return;
    GutterWidth = value;
    SetOffsetDisplayWidth();
    viewport()->update();
}

void TCustomOrixHexEditor::Paint(TCanvas& canvas) {
    const DrawInfo info = CalcDrawInfo();
    const bool focused = hasFocus();
    const int32_t size = GetDataSize();
    const int32_t lastCol = GetLastCharCol();
    const int32_t b = BytesPerRow;
    const int32_t cw = FCharPixelWidth;
    TOrixHColors& colors = *FColors;
    canvas.Font = font();

    // Text of a fixed cell, through OnDrawCell.
    auto DrawCellText = [&](int32_t c, int32_t r, const TRect& cell, TColor brush, TColor textBg,
                            TColor text, QString str) {
        canvas.BrushColor = brush;
        canvas.FontColor = text;
        canvas.TextBackground = textBg;
        const TRect textRect{cell.Left, cell.Top, cell.Left + cw, cell.Bottom};
        bool defaultDraw = true;
        if (OnDrawCell)
            OnDrawCell(this, canvas, c, r, str, c == kGutterCol ? cell : textRect, defaultDraw);
        if (!defaultDraw) return;
        canvas.FillRect(cell, canvas.BrushColor);
        if (c == kGutterCol) {
            const int x = cell.Right - canvas.TextWidth(str) - 4;
            canvas.TextRect(cell, x, cell.Top, str);
        } else {
            canvas.TextRect(textRect, cell.Left, cell.Top, str);
        }
    };

    // Visits the cells of a range; fn(c, r, rect).
    auto PaintCellRange = [&](int32_t firstCol, int32_t firstRow, int32_t startX, int32_t startY,
                              int32_t stopX, int32_t stopY, auto&& fn) {
        int32_t y = startY;
        for (int32_t r = firstRow; r < RowCount() && y < stopY; ++r) {
            const int32_t h = RowHeight(r);
            int32_t x = startX;
            for (int32_t c = firstCol; c <= lastCol && x < stopX; ++c) {
                const int32_t w = ColWidth(c);
                if (w > 0) fn(c, r, TRect{x, y, x + w, y + h});
                x += w;
            }
            y += h;
        }
    };

    auto gridLine = [&](int x1, int y1, int x2, int y2) {
        canvas.PenColor = colors.Grid();
        canvas.MoveTo(x1, y1);
        canvas.LineTo(x2, y2);
    };

    if (ShowRuler) {
        PaintCellRange(kGutterCol, kRulerRow, 0, 0, info.FixedBoundaryX, info.FixedBoundaryY,
                       [&](int32_t c, int32_t r, const TRect& cell) {
                           DrawCellText(c, r, cell, colors.OffsetBackground(),
                                        colors.OffsetBackground(), colors.Offset(), QString());
                       });
        PaintCellRange(LeftCol(), kRulerRow, info.FixedBoundaryX, 0, info.GridBoundaryX,
                       info.FixedBoundaryY, [&](int32_t c, int32_t r, const TRect& cell) {
                           if (r != kRulerRow) return;
                           QString text;
                           if (c == SeparatorCol()) {
                               text = QStringLiteral("  ");
                           } else if (GetIsCharFieldCol(c)) {
                               const size_t i = static_cast<size_t>(c - FirstCharCol());
                               if (i < FCharRulerText.size())
                                   text = QChar::fromLatin1(FCharRulerText[i]);
                           } else {
                               const size_t i = static_cast<size_t>(c - kFirstHexCol);
                               if (i < FHexRulerText.size())
                                   text = QChar::fromLatin1(FHexRulerText[i]);
                           }
                           const bool current = c == Col();
                           DrawCellText(c, r, cell, colors.OffsetBackground(),
                                        current ? colors.CurrentOffsetBackground()
                                                : colors.OffsetBackground(),
                                        current ? colors.CurrentOffset() : colors.Offset(), text);
                       });
    }

    PaintCellRange(
        kGutterCol, TopRow(), 0, info.FixedBoundaryY, info.FixedBoundaryX, info.GridBoundaryY,
        [&](int32_t c, int32_t r, const TRect& cell) {
            if (c == kGutterCol) {
                const bool current = r == Row();
                const TColor bg =
                    current ? colors.CurrentOffsetBackground() : colors.OffsetBackground();
                const TColor fg = current ? colors.CurrentOffset() : colors.Offset();
                const auto pos = static_cast<uint32_t>(static_cast<int64_t>(r - kFirstDataRow) * b);
                DrawCellText(c, r, cell, bg, bg, fg, QString::fromStdString(GetOffsetString(pos)));
                for (int i = 0; i < 10; ++i) {
                    const TOrixHBookmark& mark = FBookmarks[static_cast<size_t>(i)];
                    if (mark.mPosition < 0 || mark.mPosition / b != r - kFirstDataRow) continue;
                    const size_t glyph = static_cast<size_t>(mark.mInCharField ? 10 + i : i);
                    if (glyph < FBookmarkGlyphs.size() && canvas.Painter())
                        canvas.Painter()->drawImage(cell.Left + 3,
                                                    cell.Top + (cell.Height() - 10) / 2,
                                                    FBookmarkGlyphs[glyph]);
                }
            } else if (DrawGridLines) {
                gridLine(cell.Left, cell.Bottom - 1, cell.Right, cell.Bottom - 1);
            }
        });

    // The data cells.
    const bool hideSel = HideSelection && !focused;
    const bool graySel = GraySelectionIfNotFocused && !focused;
    const int32_t caretOther = GetOtherFieldColCheck(Col());
    const TOrixHCellRenderer cells(*this);
    PaintCellRange(
        LeftCol(), TopRow(), info.FixedBoundaryX, info.FixedBoundaryY, info.GridBoundaryX,
        info.GridBoundaryY, [&](int32_t c, int32_t r, const TRect& cell) {
            if (c == SeparatorCol()) {
                if (DrawGridLines) {
                    gridLine(cell.Left, cell.Top, cell.Left, cell.Bottom - 1);
                    gridLine(cell.Left, cell.Bottom - 1, cell.Right, cell.Bottom - 1);
                }
                return;
            }
            const bool inChar = GetIsCharFieldCol(c);
            const bool active = inChar == FActiveFieldIsChar;
            const int32_t p = GetPositionAtCursor(c, r);
            const bool last = c == FLastHexColumn || c == lastCol;
            TColor brush = active && !last ? colors.ActiveFieldBackground() : colors.Background();
            if (p < size) {
                QString text = inChar
                                   ? cells.CharAt(p)
                                   : cells.HexDigit(FDataStore.Memory()[p], (c - kFirstHexCol) % 2);
                const TOrixHCellColors cellColors = cells.DataColors(
                    cells.Changed(p, inChar), inChar, active, (c - kFirstHexCol) / 2);
                TColor textBg = cellColors.Back, textColor = cellColors.Text;
                if (IsSelected(p) && !hideSel) {
                    if (!last && p != FSelLast) brush = InvertColor(brush);
                    textBg = InvertColor(textBg);
                    textColor = InvertColor(textColor);
                    if (graySel) {
                        textBg = FadeToGray(textBg);
                        textColor = FadeToGray(textColor);
                    }
                }
                canvas.BrushColor = brush;
                canvas.FontColor = textColor;
                canvas.TextBackground = textBg;
                const TRect textRect{cell.Left, cell.Top, cell.Left + cw, cell.Bottom};
                bool defaultDraw = true;
                if (OnDrawCell) {
                    OnDrawCell(this, canvas, c, r, text, textRect, defaultDraw);
                    text = text.isEmpty() ? QString(QChar(0)) : text.left(1);
                }
                if (defaultDraw) {
                    canvas.FillRect(cell, canvas.BrushColor);
                    const QFont saved = canvas.Font;
                    if (UnicodeChars && inChar) TOrixHCellRenderer::ShrinkToWidth(canvas, text, cw);
                    canvas.TextRect(textRect, cell.Left, cell.Top, text);
                    canvas.Font = saved;
                }
            }
            // The drop marker, also on the cell behind the last byte.
            if (FDropMarkShown && FDropCell == GridCoord(c, r)) {
                canvas.PenColor = p < size ? canvas.FontColor : TColor{clWindowText};
                canvas.PenWidth = 2;
                canvas.MoveTo(cell.Left + 1, cell.Top + 1);
                canvas.LineTo(cell.Left + 1, cell.Bottom - 1);
                canvas.PenWidth = 1;
            }
            // Frames, also past the end of the data, where the cell keeps Color.
            auto frame = [&](int x1, int x2, TColor color) {
                const TRect fr{x1, cell.Top, x2, cell.Bottom - 1};
                if (FocusFrame)
                    canvas.DrawFocusRect(fr);
                else
                    canvas.FrameRect(fr, color);
            };
            if (focused && r == Row() && inChar != FCaretInCharField) {
                if (!inChar && caretOther == (UnicodeChars ? c - 3 : c - 1) &&
                    c - (UnicodeChars ? 3 : 1) >= kFirstHexCol &&
                    ((c - kFirstHexCol) % (UnicodeChars ? 4 : 2)) == (UnicodeChars ? 3 : 1)) {
                    const TRect firstCell = CellRect(c - (UnicodeChars ? 3 : 1), r);
                    if (firstCell != TRect{})
                        frame(firstCell.Left, cell.Left + cw, colors.CursorFrame());
                } else if (inChar && caretOther == c) {
                    frame(cell.Left, cell.Left + cw, colors.CursorFrame());
                }
            } else if (!focused && ShowPositionIfNotFocused && c == Col() && r == Row()) {
                frame(cell.Left, cell.Left + cw, colors.NonFocusCursorFrame());
            }
            if (DrawGridLines) {
                gridLine(cell.Left, cell.Bottom - 1, cell.Right, cell.Bottom - 1);
                if (c == lastCol)
                    gridLine(cell.Right - 1, cell.Top, cell.Right - 1, cell.Bottom - 1);
            }
        });

    // A gutter edge beyond the client is out of sight: kept just past it, the sums below fit.
    const int32_t w0 = std::min(ColWidth(kGutterCol), ClientWidth() + 1);
    const int32_t y0 = RowHeight(kRulerRow) + RowHeight(kSecondFixedRow);
    const int32_t cwClient = ClientWidth(), chClient = ClientHeight();
    if (info.GridBoundaryX < cwClient) {
        canvas.FillRect(TRect{info.GridBoundaryX, 0, cwClient, info.GridBoundaryY}, Color());
        canvas.FillRect(TRect{info.GridBoundaryX, 0, cwClient, y0}, colors.OffsetBackground());
    }
    if (info.GridBoundaryY < chClient) {
        canvas.FillRect(TRect{w0 + 1, info.GridBoundaryY, cwClient, chClient}, Color());
        canvas.FillRect(TRect{0, info.GridBoundaryY, w0, chClient}, colors.OffsetBackground());
    }
    auto line = [&](TColor color, int x1, int y1, int x2, int y2) {
        canvas.PenColor = color;
        canvas.MoveTo(x1, y1);
        canvas.LineTo(x2, y2);
    };
    if (w0 > 0) {
        if (DrawGutter3D) {
            line(clBtnShadow, w0, y0, w0, chClient);
            line(clBtnHighlight, w0 - 1, y0, w0 - 1, chClient);
        } else if (DrawGridLines) {
            line(colors.Grid(), w0 - 1, y0, w0 - 1, chClient);
        }
    }
    if (ShowRuler) {
        if (DrawGutter3D) {
            line(clBtnShadow, w0 - 1, y0 - 1, cwClient, y0 - 1);
            line(clBtnHighlight, w0 - 1, y0 - 2, cwClient, y0 - 2);
        } else if (DrawGridLines) {
            line(colors.Grid(), w0 - 1, y0 - 1, cwClient, y0 - 1);
        }
    }
}
