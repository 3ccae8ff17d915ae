#pragma once
// TMetafile: recorded drawing (a QPicture) with the size it was made for, and the canvas
// that records into it. The recording's units are those of the canvas; its reference device
// is the screen, whose resolution also sizes its fonts.
#include "canvas.h"

#include <QPainter>
#include <QPicture>

class TMetafile {
public:
    TMetafile(int32_t width, int32_t height) : Width(width), Height(height) {}

    QPicture Picture;
    int32_t Width;
    int32_t Height;
};

// Records into the metafile from construction to destruction, which completes it.
class TMetafileCanvas : public TCanvas {
public:
    explicit TMetafileCanvas(TMetafile& metafile);
    ~TMetafileCanvas();
    TMetafileCanvas(const TMetafileCanvas&) = delete;
    TMetafileCanvas& operator=(const TMetafileCanvas&) = delete;

private:
    QPainter painter_;
};

// Plays the metafile onto the canvas so that its Width x Height area fills the rectangle.
void StretchDraw(TCanvas& canvas, const TRect& rect, const TMetafile& metafile);
