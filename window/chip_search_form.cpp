#include "chip_search_form.h"

#include "app_application.h"
#include "chip_name.h"
#include "encoding.h"
#include "form_controls.h"
#include "forms.h"
#include "main_form.h"
#include "message_table.h"
#include "sysutils.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// Column captions of the result list, by column and then by language.
const char* const ColumnCaptions[3][3] = {
    {"类型", "類型", "Type"},
    {"厂商", "廠商", "Manufacturer"},
    {"名称", "名稱", "Name"},
};

} // namespace

TForm3::TForm3(QWidget* parent) : QDialog(parent) {
    setObjectName("Form3");
    setModal(true);
    setWindowTitle(QString::fromUtf8("芯片选择"));
    setFixedSize(404, 320);

    Label1 = Named(new QLabel(QString::fromUtf8("查找"), this), "Label1");
    ComboBox1 = DropDownCombo(this, "ComboBox1");
    ListView1 = Named(new QTreeWidget(this), "ListView1");
    ListView1->setFixedSize(273, 257);
    ListView1->setRootIsDecorated(false);
    ListView1->setItemsExpandable(false);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setColumnCount(0);
    // The record index column is one pixel wide: there, but practically hidden.
    ListView1->header()->setStretchLastSection(false);
    ListView1->header()->setMinimumSectionSize(1);
    BitBtn1 = Named(new QPushButton(QString::fromUtf8("选择"), this), "BitBtn1");
    BitBtn1->setEnabled(false);
    BitBtn1->setAutoDefault(false);
    BitBtn2 = Named(new QPushButton(QString::fromUtf8("退出"), this), "BitBtn2");
    BitBtn2->setAutoDefault(false);

    auto* search = new QHBoxLayout;
    search->addWidget(Label1);
    search->addWidget(ComboBox1, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    buttons->addStretch();
    auto* body = new QHBoxLayout;
    body->addWidget(ListView1);
    body->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(search);
    layout->addLayout(body);

    connect(ComboBox1, &QComboBox::editTextChanged, this,
            [this] { Application.Guard([this] { ComboBox1Change(); }); });
    connect(ListView1, &QTreeWidget::itemSelectionChanged, this, [this] { ListView1Change(); });
    connect(ListView1, &QTreeWidget::itemDoubleClicked, this,
            [this] { Application.Guard([this] { BitBtn1Click(); }); });
    connect(BitBtn1, &QPushButton::clicked, this,
            [this] { Application.Guard([this] { BitBtn1Click(); }); });
    connect(BitBtn2, &QPushButton::clicked, this,
            [this] { Application.Guard([this] { BitBtn2Click(); }); });
}

void TForm3::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Only a showing of the dialog lists every record; the window system's show after a
    // restore from minimized keeps the list that the search text gave.
    if (event->spontaneous()) return;
    Application.Guard([this] { FormShow(); });
}

void TForm3::ResetList() {
    ListView1->clear();
    const int32_t language = ValidLanguage(Form1->State.Language);
    QStringList captions;
    for (const auto& column : ColumnCaptions) captions << QString::fromUtf8(column[language]);
    captions << "pos";
    ListView1->setColumnCount(4);
    ListView1->setHeaderLabels(captions);
    const int widths[] = {80, 80, 100, 1};
    for (int c = 0; c < 4; ++c) ListView1->setColumnWidth(c, widths[c]);
    ListView1Change();
}

void TForm3::AppendEntry(const ChipRecord& record, int32_t index) {
    // Split as the main window splits, so that Select finds the parts in its lists; a name
    // of fewer than three fields gives empty parts.
    const ChipNameFields fields = SplitChipName(ChipNameText(record));
    auto* entry = new QTreeWidgetItem(ListView1);
    entry->setText(0, QString::fromStdString(Cp936ToUtf8(fields.Kind)));
    entry->setText(1, QString::fromStdString(Cp936ToUtf8(fields.Maker)));
    entry->setText(2, QString::fromStdString(Cp936ToUtf8(fields.Model)));
    entry->setText(3, QString::number(index));
}

void TForm3::FormShow() {
    ResetList();
    const ChipTableArray& table = Form1->State.ChipTable;
    for (int32_t i = 0; i < kChipTableSlots && !IsEndRecord(table[static_cast<size_t>(i)]); ++i)
        AppendEntry(table[static_cast<size_t>(i)], i);
}

void TForm3::ComboBox1Change() {
    ResetList();
    // Compared with the stored bytes, byte for byte: letter case counts, and the commas
    // between the parts are part of the name.
    const std::string text = Trim(Utf8ToCp936(ComboBox1->currentText().toStdString()));
    if (text.empty()) return;
    const ChipTableArray& table = Form1->State.ChipTable;
    for (int32_t i = 0; i < kChipTableSlots && !IsEndRecord(table[static_cast<size_t>(i)]); ++i)
        if (ChipNameText(table[static_cast<size_t>(i)]).find(text) != std::string::npos)
            AppendEntry(table[static_cast<size_t>(i)], i);
}

void TForm3::ListView1Change() {
    BitBtn1->setEnabled(!ListView1->selectedItems().isEmpty());
}

void TForm3::BitBtn1Click() {
    const QList<QTreeWidgetItem*> selected = ListView1->selectedItems();
    if (selected.isEmpty()) return;
    // The main window's lists are searched by the texts they show.
    const auto part = [&selected](int column) {
        return selected.front()->text(column).toStdString();
    };
    const std::string kind = part(0), maker = part(1), model = part(2);
    // The first pass builds the manufacturer list of the kind, the second the model list,
    // the third selects the chip; each looks the parts up in the lists as they are then.
    TForm1& main = *Form1;
    for (int pass = 0; pass < 3; ++pass)
        main.SelectChip(main.ChipListIndexOf(ChipList::Kind, kind),
                        main.ChipListIndexOf(ChipList::Maker, maker),
                        main.ChipListIndexOf(ChipList::Model, model));
    close();
}

void TForm3::BitBtn2Click() {
    close();
}
