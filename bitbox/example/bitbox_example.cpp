// A byte as eight bit boxes: click a box or press space on it to flip its bit; the value below
// follows. Each box is named and left without a caption, so it shows its name.
#include "bit_box.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <cstdint>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bit boxes"));
    window.resize(220, 270);

    std::array<TBitBox*, 8> bits{};
    auto* value = new QLabel(&window);
    value->setObjectName(QStringLiteral("Value"));
    value->setGeometry(12, 190, 200, 20);
    const auto showValue = [&bits, value](TBitBox*) {
        unsigned byte = 0;
        for (size_t i = 0; i < bits.size(); ++i)
            if (bits[i]->GetState()) byte |= 1u << i;
        value->setText(QStringLiteral("Value: 0x%1").arg(byte, 2, 16, QLatin1Char('0')));
    };
    for (int i = 7; i >= 0; --i) {
        auto* bit = new TBitBox(&window);
        bit->SetName(QStringLiteral("Bit%1").arg(i));
        bit->setGeometry(12, 10 + (7 - i) * 22, 120, 20);
        bit->OnChange = showValue;
        bits[static_cast<size_t>(i)] = bit;
    }
    showValue(nullptr);

    auto* enabled = new QCheckBox(QStringLiteral("Enabled"), &window);
    enabled->setObjectName(QStringLiteral("Enabled"));
    enabled->setChecked(true);
    enabled->setGeometry(12, 215, 90, 22);
    QObject::connect(enabled, &QCheckBox::toggled, [&bits](bool on) {
        for (TBitBox* bit : bits) bit->SetEnabled(on);
    });
    auto* clear = new QPushButton(QStringLiteral("Clear"), &window);
    clear->setObjectName(QStringLiteral("Clear"));
    clear->setGeometry(110, 213, 90, 26);
    QObject::connect(clear, &QPushButton::clicked, [&bits] {
        for (TBitBox* bit : bits) bit->SetState(false);
    });

    window.show();
    return app.exec();
}
