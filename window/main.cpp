// The program's start: the application object, the five windows, the message loop.
#include "app_application.h"
#include "exceptions.h"
#include "forms.h"
#include "main_form.h"
#include "sysutils.h"

#include <QApplication>

int main(int argc, char** argv) {
    // The program takes no command-line arguments; Qt gets only the program's name.
    int qtArgc = argc > 0 ? 1 : 0;
    QApplication app(qtArgc, argv);
    SetApplicationExeName(QCoreApplication::applicationFilePath().toStdString());
    try {
        CreateForms();
        Form1->show();
        QApplication::exec();
    } catch (...) {
        Application.HandleException();
    }
    DestroyForms();
    return 0;
}
