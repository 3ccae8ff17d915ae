#pragma once
// TPrinter: the class library's printer object over a QPrinter. A document runs from
// BeginDoc to EndDoc; the canvas draws only while it runs. Sizes are the printable area in
// device pixels. Failures to start a document or a page raise EPrinter: nothing is reported
// as printed that was not.
#include "canvas.h"
#include "exceptions.h"

#include <QPainter>
#include <QPrinter>
#include <memory>

class EPrinter : public Exception {
public:
    using Exception::Exception;
};

class TPrinter {
public:
    TPrinter();
    ~TPrinter();
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    // The device itself, for the host's choice of printer, output file, resolution and paper.
    QPrinter& Device() { return printer_; }

    void BeginDoc();
    void NewPage();
    void EndDoc();
    bool Printing() const { return painter_.isActive(); }
    // Draws on the page being printed; raises EPrinter when no document runs.
    TCanvas& Canvas();

    int32_t PageWidth() const { return printer_.width(); }
    int32_t PageHeight() const { return printer_.height(); }
    int32_t PixelsPerInchX() const { return printer_.logicalDpiX(); }
    int32_t PixelsPerInchY() const { return printer_.logicalDpiY(); }

private:
    QPrinter printer_;
    QPainter painter_;
    TCanvas canvas_;
};

// The program's printer object.
TPrinter& Printer();
