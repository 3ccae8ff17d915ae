#include "printer.h"

TPrinter::TPrinter() : printer_(QPrinter::HighResolution) {}

TPrinter::~TPrinter() {
    if (painter_.isActive()) painter_.end();
}

void TPrinter::BeginDoc() {
    if (Printing()) throw EPrinter("Printing in progress");
    if (!painter_.begin(&printer_)) {
        const QString file = printer_.outputFileName();
        throw EPrinter(file.isEmpty() ? std::string("Printer selected is not valid")
                                      : "Cannot print to " + file.toStdString());
    }
    canvas_ = TCanvas(&painter_);
}

void TPrinter::NewPage() {
    if (!Printing()) throw EPrinter("Printer is not currently printing");
    if (!printer_.newPage()) throw EPrinter("Cannot start a new page");
}

void TPrinter::EndDoc() {
    if (!Printing()) throw EPrinter("Printer is not currently printing");
    canvas_.SetPainter(nullptr);
    if (!painter_.end()) throw EPrinter("Printing failed");
}

TCanvas& TPrinter::Canvas() {
    if (!Printing()) throw EPrinter("Printer is not currently printing");
    return canvas_;
}

TPrinter& Printer() {
    static TPrinter printer;
    return printer;
}
