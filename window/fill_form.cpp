#include "fill_form.h"

#include "app_application.h"
#include "form_controls.h"
#include "hex_digits.h"
#include "image_fill.h"
#include "main_form.h"
#include "message_table.h"
#include "sysutils.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <ctime>

namespace {

QLineEdit* MakeEdit(QWidget* parent, const char* name, const char* text, int maxLength) {
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(name);
    if (maxLength > 0) edit->setMaxLength(maxLength);
    edit->setInputMethodHints(Qt::ImhPreferUppercase | Qt::ImhLatinOnly);
    // The edits show their text in upper case.
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
        const QString upper = text.toUpper();
        if (upper == text) return;
        const int cursor = edit->cursorPosition();
        edit->setText(upper);
        edit->setCursorPosition(cursor);
    });
    return edit;
}

} // namespace

TForm4::TForm4(TForm1& mainForm) : QDialog(&mainForm), main_(mainForm) {
    setObjectName("Form4");
    setModal(true);

    GroupBox1 = Named(new QGroupBox(this), "GroupBox1");
    RadioButton1 = Named(new QRadioButton(GroupBox1), "RadioButton1");
    RadioButton1->setChecked(true);
    RadioButton2 = Named(new QRadioButton(GroupBox1), "RadioButton2");
    RadioButton3 = Named(new QRadioButton(GroupBox1), "RadioButton3");
    Edit1 = MakeEdit(GroupBox1, "Edit1", "FF", 2);
    Edit2 = MakeEdit(GroupBox1, "Edit2", "FFFF", 4);
    auto* data = new QGridLayout(GroupBox1);
    data->addWidget(RadioButton1, 0, 0);
    data->addWidget(Edit1, 0, 1);
    data->addWidget(RadioButton2, 1, 0);
    data->addWidget(Edit2, 1, 1);
    data->addWidget(RadioButton3, 2, 0);

    GroupBox2 = Named(new QGroupBox(this), "GroupBox2");
    Label1 = Named(new QLabel(GroupBox2), "Label1");
    Label2 = Named(new QLabel(GroupBox2), "Label2");
    Edit3 = MakeEdit(GroupBox2, "Edit3", "00000", 0);
    Edit4 = MakeEdit(GroupBox2, "Edit4", "", 0);
    auto* range = new QGridLayout(GroupBox2);
    range->addWidget(Label1, 0, 0);
    range->addWidget(Edit3, 0, 1);
    range->addWidget(Label2, 1, 0);
    range->addWidget(Edit4, 1, 1);

    Panel1 = Named(new QWidget(this), "Panel1");
    BitBtn1 = Named(new QPushButton(Panel1), "BitBtn1");
    BitBtn1->setDefault(true);
    BitBtn2 = Named(new QPushButton(Panel1), "BitBtn2");
    auto* buttons = new QHBoxLayout(Panel1);
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addWidget(GroupBox2);
    layout->addWidget(Panel1);

    SetDesignCaptions(this, CaptionForm::TForm4);

    for (QLineEdit* edit : {Edit1, Edit2, Edit3, Edit4}) edit->installEventFilter(this);
    connect(BitBtn1, &QPushButton::clicked, this,
            [this] { Application.Guard([this] { BitBtn1Click(); }); });
    connect(BitBtn2, &QPushButton::clicked, this,
            [this] { Application.Guard([this] { BitBtn2Click(); }); });
}

bool TForm4::Edit1KeyPress(char key) {
    return IsHexDigit(key) || key == 8;
}

bool TForm4::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        // Keys without a character (arrows, Delete, shortcuts) are not filtered.
        if (text.size() == 1 && text[0].unicode() >= 32 && text[0].unicode() != 127) {
            const ushort code = text[0].unicode();
            if (code > 127 || !Edit1KeyPress(static_cast<char>(code))) return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TForm4::BitBtn1Click() {
    // A field that does not convert raises the conversion error before anything changes.
    const int32_t byteValue = StrToInt("0x" + Edit1->text().toStdString());
    const int32_t wordValue = StrToInt("0x" + Edit2->text().toStdString());
    const int32_t start = StrToInt("0x" + Edit3->text().toStdString());
    const int32_t end = StrToInt("0x" + Edit4->text().toStdString());
    if (!FillRangeValid(start, end)) {
        main_.ShowError(Message(MsgBadFillRange, main_.State.Language));
        return;
    }
    const FillKind kind = RadioButton2->isChecked()   ? FillKind::Word
                          : RadioButton3->isChecked() ? FillKind::Random
                                                      : FillKind::Byte;
    FillImage(main_.State.ImageBuffer.get(), kind, static_cast<uint8_t>(byteValue & 0xFF),
              static_cast<uint16_t>(wordValue & 0xFFFF), start, end,
              static_cast<unsigned>(std::time(nullptr)));
    main_.LoadHexView(FillStream, static_cast<uint32_t>(end) + 1);
    main_.State.DataLength = end + 1;
    accept();
}

void TForm4::BitBtn2Click() {
    reject();
}
