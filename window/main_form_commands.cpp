// The commands on the image buffer: Open, Save and Fill.
#include "fill_form.h"
#include "forms.h"
#include "main_form.h"
#include "sysutils.h"

#include <QLineEdit>

void TForm1::ToolFillClick() {
    if (!Form4) return;
    Form4->Edit4->setText(QString::fromStdString(Format("%X", State.SelectedChip().Capacity - 1u)));
    ShowModalForm(*Form4);
}
