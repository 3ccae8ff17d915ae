#pragma once
// The one QApplication of a test program (on the offscreen platform under CTest).
#include <QApplication>
#include <string>

// Made on first use and kept to the end of the process: Qt's test input devices are freed
// after static objects and must find the application still there.
inline QApplication& TestProgramApplication(const char* programName) {
    static std::string name = programName;
    static int argc = 1;
    static char* argv[] = {name.data(), nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}
