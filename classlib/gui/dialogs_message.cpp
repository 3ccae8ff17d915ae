#include "dialogs_message.h"

#include "app_application.h"

#include <QApplication>
#include <QMessageBox>

namespace {

MessageBoxHook& Hook() {
    static MessageBoxHook hook;
    return hook;
}

QMessageBox::Icon ToQt(BoxIcon icon) {
    switch (icon) {
    case BoxIcon::Stop:
        return QMessageBox::Critical;
    case BoxIcon::Question:
        return QMessageBox::Question;
    case BoxIcon::Information:
        return QMessageBox::Information;
    case BoxIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void SetMessageBoxHook(MessageBoxHook hook) {
    Hook() = std::move(hook);
}

int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags) {
    MessageBoxRequest request;
    request.Text = text;
    request.Caption = caption;
    switch (flags & 0xF0) {
    case MB_ICONSTOP:
        request.Icon = BoxIcon::Stop;
        break;
    case MB_ICONQUESTION:
        request.Icon = BoxIcon::Question;
        break;
    case MB_ICONINFORMATION:
        request.Icon = BoxIcon::Information;
        break;
    default:
        break;
    }
    request.Buttons = flags & 0x0F;
    if (Hook()) return Hook()(request);

    QMessageBox box(ToQt(request.Icon), QString::fromStdString(caption),
                    QString::fromStdString(text), QMessageBox::NoButton,
                    QApplication::activeWindow());
    if (request.Buttons == MB_YESNO) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else if (request.Buttons == MB_OKCANCEL) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    case QMessageBox::Cancel:
        return IDCANCEL;
    default:
        return request.Buttons == MB_YESNO ? IDNO : IDOK;
    }
}

void ShowMessage(const std::string& text) {
    ShowMessageBox(text, Application.Title, MB_OK);
}
