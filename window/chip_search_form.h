#pragma once
// TForm3, the chip search dialog. Its controls and behaviour come with the search dialog's
// own work; until then it is an empty modal dialog in its place.
#include <QDialog>

class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent);
};
