#include "app_application.h"

#include "dialogs_message.h"
#include "exceptions.h"

#include <QApplication>
#include <QString>
#include <unicode/uchar.h>

TApplication Application;

std::string ExceptionBoxText(const std::string& message) {
    const QList<uint> characters = QString::fromStdString(message).toUcs4();
    if (characters.isEmpty()) return message;
    const uint last = characters.back();
    // A message that already ends a sentence gets no second full stop, in any script:
    // "。" and "！" end it as "." and "!" do.
    if (last <= '.' || u_hasBinaryProperty(static_cast<UChar32>(last), UCHAR_TERMINAL_PUNCTUATION))
        return message;
    return message + '.';
}

void TApplication::ShowException(const std::exception& error) {
    ShowMessageBox(ExceptionBoxText(error.what()), Title, MB_OK | MB_ICONSTOP);
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
