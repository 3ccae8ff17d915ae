#include "app_application.h"

#include "dialogs_message.h"
#include "exceptions.h"

#include <QApplication>

TApplication Application;

void TApplication::ShowException(const std::exception& error) {
    std::string text = error.what();
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
    ShowMessageBox(text, Title, MB_OK | MB_ICONSTOP);
}

void TApplication::HandleException() {
    try {
        throw;
    } catch (const std::exception& error) {
        ShowException(error);
    } catch (...) {
        ShowException(Exception(""));
    }
}

void TApplication::ProcessMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TApplication::Beep() {
    QApplication::beep();
}
