#include "metafile.h"

#include <QPaintDevice>

TMetafileCanvas::TMetafileCanvas(TMetafile& metafile) {
    painter_.begin(&metafile.Picture);
    SetPainter(&painter_);
}

TMetafileCanvas::~TMetafileCanvas() {
    SetPainter(nullptr);
    painter_.end();
}

void StretchDraw(TCanvas& canvas, const TRect& rect, const TMetafile& metafile) {
    QPainter* painter = canvas.Painter();
    if (!painter || rect.IsEmpty() || metafile.Width <= 0 || metafile.Height <= 0) return;
    // A picture plays scaled from its own resolution to the target's; undo that, so that one
    // unit of the recording maps by the rectangle alone.
    const QPaintDevice* device = painter->device();
    const double sx = static_cast<double>(rect.Width()) / metafile.Width *
                      metafile.Picture.logicalDpiX() / device->logicalDpiX();
    const double sy = static_cast<double>(rect.Height()) / metafile.Height *
                      metafile.Picture.logicalDpiY() / device->logicalDpiY();
    painter->save();
    painter->translate(rect.Left, rect.Top);
    painter->scale(sx, sy);
    painter->drawPicture(0, 0, metafile.Picture);
    painter->restore();
}
