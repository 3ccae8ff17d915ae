#include "chip_search_form.h"

TForm3::TForm3(QWidget* parent) : QDialog(parent) {
    setObjectName("Form3");
    setModal(true);
}
