// Printing commands of the extended control: the margins in printer pixels, one page on any
// canvas, a page as a metafile at the printer's resolution, and that metafile on the printer.
#include "metafile.h"
#include "orix_hcanvas_printer.h"
#include "orix_hex_editor_ex.h"
#include "orix_hex_wait_cursor.h"
#include "printer.h"

#include <algorithm>
#include <cmath>

namespace {
// A margin in millimetres as pixels at dpi, halves to even, kept within 0 .. limit.
int32_t MarginPixels(int32_t millimetres, int32_t dpi, int32_t limit) {
    const long double pixels = std::nearbyintl(millimetres / 25.4L * dpi);
    return static_cast<int32_t>(std::clamp<long double>(pixels, 0, std::max(0, limit)));
}
} // namespace

void TOrixHexEditorEx::SetPrintOptions(QObject* value) {
    FPrintOptions->Assign(value);
}

void TOrixHexEditorEx::SetPrintFont(const QFont& value) {
    FPrintFont = value;
    FUseEditorFontForPrinting = false;
}

TRect TOrixHexEditorEx::PrinterMarginRect() const {
    TPrinter& printer = Printer();
    const int32_t w = printer.PageWidth(), h = printer.PageHeight();
    const int32_t dpiX = printer.PixelsPerInchX(), dpiY = printer.PixelsPerInchY();
    const TOrixHPrintOptions& o = *FPrintOptions;
    TRect rect;
    rect.Left = MarginPixels(o.GetMargin(1), dpiX, w);
    rect.Top = MarginPixels(o.GetMargin(2), dpiY, h);
    rect.Right = std::max(rect.Left, w - MarginPixels(o.GetMargin(3), dpiX, w));
    rect.Bottom = std::max(rect.Top, h - MarginPixels(o.GetMargin(4), dpiY, h));
    return rect;
}

int32_t TOrixHexEditorEx::PrintToCanvas(TCanvas& canvas, int32_t page, const TRect& rect) {
    if (page < 0) throw EOrixHexEditor("Invalid page index");
    const TOrixHWaitCursor wait(this);
    TOrixHPrintFlags flags = FPrintOptions->Flags();
    if (GetSelCount() == 0) flags.Exclude(pfSelectionOnly);
    TOrixHCanvasPrinter printer(this, &canvas, flags, rect, FPrintOptions->Headers());
    const int32_t pages = printer.PageCount();
    if (page > pages) throw EOrixHexEditor("Invalid page index");
    if (page >= 1 && printer.PrintPage(false, page) < 1) throw EOrixHexEditor("Printing failed");
    return pages;
}

std::unique_ptr<TMetafile> TOrixHexEditorEx::PrintPreview(int32_t page) {
    TPrinter& printer = Printer();
    const int32_t w = printer.PageWidth(), h = printer.PageHeight();
    auto metafile = std::make_unique<TMetafile>(w, h);
    {
        TMetafileCanvas canvas(*metafile);
        QFont font = FUseEditorFontForPrinting ? this->font() : FPrintFont;
        // Units are printer pixels on a device of the screen's resolution.
        font.setPointSize(
            OrixHPrintFontPoints(font, printer.PixelsPerInchY(), canvas.DevicePixelsPerInchY()));
        canvas.Font = font;
        canvas.BrushColor = clWhite;
        canvas.FillRect(TRect{0, 0, w, h});
        const int32_t pages = PrintToCanvas(canvas, page, PrinterMarginRect());
        FPrintPageCount = pages;
    }
    return metafile;
}

void TOrixHexEditorEx::Print(int32_t page) {
    if (page < 1) throw EOrixHexEditor("Invalid page index");
    TPrinter& printer = Printer();
    TCanvas& canvas = printer.Canvas();
    const std::unique_ptr<TMetafile> metafile = PrintPreview(page);
    StretchDraw(canvas, TRect{0, 0, printer.PageWidth(), printer.PageHeight()}, *metafile);
}

int32_t TOrixHexEditorEx::PrintNumPages() {
    PrintPreview(0);
    return FPrintPageCount;
}
