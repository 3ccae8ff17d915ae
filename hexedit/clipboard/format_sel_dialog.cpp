#include "format_sel_dialog.h"

#include "app_application.h"

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

int32_t LastSelectedClipFormat = -1;

TFormatSelDialog::TFormatSelDialog(const TClipFormats& formats, bool hexText, QWidget* owner)
    : QDialog(owner) {
    setObjectName("FormatSelDialog");
    setWindowTitle("Select data format");
    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->geometry().size() : QSize(800, 600);
    setFixedSize(screenSize.width() / 4, screenSize.height() / 4);
    const int w = width();
    const int h = height();

    OKButton = new QPushButton("OK", this);
    OKButton->setObjectName("OKButton");
    OKButton->setDefault(true);
    OKButton->setEnabled(false);
    const int buttonH = OKButton->sizeHint().height();
    OKButton->setGeometry(16, h - buttonH - 8, w / 2 - 32, buttonH);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    CancelButton = new QPushButton("Cancel", this);
    CancelButton->setObjectName("CancelButton");
    CancelButton->setGeometry(w - (w / 2 - 32) - 16, h - buttonH - 8, w / 2 - 32, buttonH);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    HexTextBox = new QCheckBox("Hex text", this);
    HexTextBox->setObjectName("HexTextBox");
    HexTextBox->setEnabled(false);
    HexTextBox->setChecked(hexText);
    const int boxH = HexTextBox->sizeHint().height();
    HexTextBox->setGeometry(16, CancelButton->y() - boxH - 8, w - 16, boxH);

    FormatList = new QListWidget(this);
    FormatList->setObjectName("FormatList");
    FormatList->setGeometry(0, 0, w, h - buttonH - boxH - 24);

    for (const TClipFormat format : formats) {
        auto* item = new QListWidgetItem(QString::fromStdString(ClipFormatDisplayName(format)));
        item->setData(Qt::UserRole, static_cast<int>(format));
        FormatList->addItem(item);
        OKButton->setEnabled(true);
        if (format == LastSelectedClipFormat || FormatList->count() == 1)
            FormatList->setCurrentItem(item);
    }

    // A list's click also comes from the keyboard: every change of the selection counts.
    connect(FormatList, &QListWidget::itemSelectionChanged, this,
            [this] { Application.Guard([this] { ListClick(); }); });
    connect(FormatList, &QListWidget::itemDoubleClicked, this,
            [this] { Application.Guard([this] { ListDblClick(); }); });
    ListClick();
}

int32_t TFormatSelDialog::SelectedFormat() const {
    const QList<QListWidgetItem*> selected = FormatList->selectedItems();
    return selected.isEmpty() ? -1 : selected.first()->data(Qt::UserRole).toInt();
}

bool TFormatSelDialog::HexTextChecked() const {
    return HexTextBox->isChecked();
}

void TFormatSelDialog::ListClick() {
    HexTextBox->setEnabled(IsTextClipFormat(SelectedFormat()));
}

void TFormatSelDialog::ListDblClick() {
    accept();
}

bool ShowFormatSelDialog(const TClipFormats& formats, TClipFormat& format, bool& hexText) {
    // The dialog may be closed from outside while its loop runs (the owner going away): the
    // pointer tells whether there is still a dialog to read.
    QPointer<TFormatSelDialog> dialog =
        new TFormatSelDialog(formats, hexText, QApplication::activeWindow());
    const int result = dialog->exec();
    if (!dialog) return false;
    const int32_t chosen = dialog->SelectedFormat();
    const bool box = dialog->HexTextChecked();
    delete dialog;
    if (result != QDialog::Accepted || chosen < 0) return false;
    format = static_cast<TClipFormat>(chosen);
    if (IsTextClipFormat(chosen)) hexText = box;
    LastSelectedClipFormat = chosen;
    return true;
}
