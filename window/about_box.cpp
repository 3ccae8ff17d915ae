#include "about_box.h"

#include "tool_icons.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName("AboutBox");
    setWindowTitle("About");
    setModal(true);
    setFixedSize(298, 213);
    // Centred on the screen, not over the main window: a placed dialog is not moved again.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(298 / 2, 213 / 2));

    auto* panel = new QFrame(this);
    panel->setObjectName("Panel1");
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);
    auto* image = new QLabel(panel);
    image->setObjectName("ProgramIcon");
    image->setPixmap(MakeChipPicture(64));
    image->setAlignment(Qt::AlignCenter);
    auto* product = new QLabel("Halvex+ Version 3.0", panel);
    product->setObjectName("ProductName");
    product->setAlignment(Qt::AlignCenter);
    auto* comment = new QLabel("USB programmer for serial memory chips", panel);
    comment->setObjectName("Comments");
    comment->setAlignment(Qt::AlignCenter);
    auto* inner = new QVBoxLayout(panel);
    inner->addWidget(image);
    inner->addWidget(product);
    inner->addWidget(comment);

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("OKButton");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel, 1);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
}
