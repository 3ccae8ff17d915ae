#pragma once
// TOrixHCanvasPrinter: lays out the hex editor's data as printed pages on a canvas: an
// optional header and footer line, an optional ruler, then rows of offset, hex digits and
// characters with the colours and marks of the screen. It lives for one request: created
// with its measurement done, asked for a page, freed. One line is prepared at a time.
#include "canvas.h"
#include "orix_hprint_options.h"

#include <QFont>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

class TCustomOrixHexEditor;

// The size in points that a font takes on a canvas whose units are printer pixels but whose
// fonts are sized at the screen's resolution: its whole points times the ratio of the two,
// halves to even; at least 1.
int32_t OrixHPrintFontPoints(const QFont& font, int32_t printerDpi, int32_t screenDpi);

struct TCellAttribute {
    TColor BackColor = clWindow;
    TColor TextColor = clWindowText;
    bool Highlighted = false;
};
using TCellAttributes = std::vector<TCellAttribute>;

// One print cell per character of Text.
struct TTextWithAttr {
    QString Text;
    TCellAttributes Attributes;

    void Add(QChar c, const TCellAttribute& attribute) {
        Text.append(c);
        Attributes.push_back(attribute);
    }
};

class TOrixHCanvasPrinter {
public:
    TOrixHCanvasPrinter(TCustomOrixHexEditor* editor, TCanvas* canvas, TOrixHPrintFlags flags,
                        const TRect& rect, const TOrixHPrintHeaders& headers = {});

    // Measuring: the data rows that fit a page. Drawing: draws page (from 1) and returns the
    // rows drawn. -1 when there is nothing to print.
    int32_t PrintPage(bool measureOnly, int32_t page);
    std::string ExpandHeaderText(const std::string& text, int32_t page) const;
    void CalculatePages();
    int32_t RowsPerPage() const { return FRowsPerPage; }
    int32_t PageCount() const { return FPageCount; }

    // The prepared lines of a page: the row starting at data position start (positions past
    // last print blank), and the ruler; offsetWidth is the width of the offset texts.
    TTextWithAttr BuildRowText(int64_t start, int64_t last, int32_t offsetWidth);
    TTextWithAttr BuildRulerText(int32_t offsetWidth);
    // Left|centre|right at top, each clipped to the line.
    void DrawHeaderLine(int32_t left, int32_t top, int32_t right, const QString& text);

private:
    // The bytes a request prints: the selection (with pfSelectionOnly, when there is one),
    // the shown part (pfCurrentViewOnly) or all data.
    void PrintRange(int64_t& first, int64_t& last) const;
    void DrawLine(const TTextWithAttr& line, int32_t y, int32_t lineHeight, bool ruler);
    // Lets pending messages other than user input run; a control destroyed meanwhile ends
    // the request with an error.
    void LetMessagesRun();
    // Cells carry their own background colours: pfUseBackgroundColor without pfMonochrome.
    bool ColouredCells() const;
    static void AddSeparatorCell(TTextWithAttr& line);
    void AddRulerSeparatorCell(TTextWithAttr& line) const;
    void ByteToHexText(TTextWithAttr& line, uint8_t byte, const TCellAttribute& attribute) const;

    TRect FRect;
    std::string FHeader, FFooter;
    std::string FHeaderText, FFooterText;
    int32_t FRowsPerPage = -1;
    TOrixHPrintFlags FFlags;
    int32_t FPageCount = 0;
    QPointer<TCustomOrixHexEditor> FEditor;
    TCanvas* FCanvas;
    // The brush the page was filled with.
    TColor FPageColor = clWhite;
};
