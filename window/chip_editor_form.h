#pragma once
// TForm2, the chip database editor. Its controls and behaviour come with the editor's own
// work; until then it is an empty modal dialog that the main window creates, captions and
// shows in its place.
#include <QDialog>

class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent);
};
