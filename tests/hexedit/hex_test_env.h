#pragma once
// A QApplication for the widget tests of this suite (offscreen platform under CTest).
#include <QApplication>

inline QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "hexedit_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = QApplication::instance()
                                   ? static_cast<QApplication*>(QApplication::instance())
                                   : new QApplication(argc, argv);
    return *app;
}
