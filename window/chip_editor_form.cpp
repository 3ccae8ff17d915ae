#include "chip_editor_form.h"

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
    setObjectName("Form2");
    setModal(true);
}
