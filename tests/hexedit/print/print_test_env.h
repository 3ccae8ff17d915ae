#pragma once
// Shared set-up of the printing tests: an editor with chosen data and a canvas on an image
// with a font drawn without antialiasing, so that pixels are exactly the colours drawn.
#include "hex_test_env.h"
#include "orix_hcanvas_printer.h"

#include <QImage>
#include <QPainter>

struct ImageCanvas {
    QImage image;
    QPainter painter;
    TCanvas canvas;
    // dpi 0: the image's own resolution.
    explicit ImageCanvas(int width = 1200, int height = 900, int dpi = 0)
        : image(width, height, QImage::Format_RGB32) {
        TestApp();
        if (dpi > 0) {
            image.setDotsPerMeterX(qRound(dpi / 0.0254));
            image.setDotsPerMeterY(qRound(dpi / 0.0254));
        }
        image.fill(Qt::white);
        painter.begin(&image);
        canvas.SetPainter(&painter);
        QFont font("Courier New");
        font.setStyleHint(QFont::TypeWriter);
        font.setPointSize(10);
        font.setStyleStrategy(QFont::NoAntialias);
        canvas.Font = font;
    }
    int LineHeight() { return canvas.DeviceTextHeight("0"); }
    int CellWidth() { return canvas.DeviceTextWidth("w"); }
    QImage Finish() {
        painter.end();
        return image;
    }
};

inline std::vector<uint8_t> Bytes(const char* text, size_t size) {
    return std::vector<uint8_t>(text, text + size);
}
