// The three cascading chip lists: kind, manufacturer, model.
#include "chip_name_fields.h"
#include "encoding.h"
#include "main_form.h"
#include "sysutils.h"

#include <QComboBox>
#include <QLineEdit>

namespace {

// Items keep the name's bytes (code page 936) beside the text they show.
std::string RawItem(const QComboBox* combo, int index) {
    if (index < 0 || index >= combo->count()) return {};
    return combo->itemData(index).toByteArray().toStdString();
}

// The combo box's exact-string search, without regard to letter case.
int IndexOfRaw(const QComboBox* combo, const std::string& bytes) {
    for (int i = 0; i < combo->count(); ++i)
        if (SameText(RawItem(combo, i), bytes)) return i;
    return -1;
}

void AddRaw(QComboBox* combo, const std::string& bytes) {
    combo->addItem(QString::fromStdString(Cp936ToUtf8(bytes)),
                   QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

// ItemIndex of the class library's combo box: out-of-range positions select nothing.
void SetItemIndex(QComboBox* combo, int index) {
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
    combo->setProperty("edited", false);
}

int ItemIndex(const QComboBox* combo) {
    return combo->property("edited").toBool() ? -1 : combo->currentIndex();
}

} // namespace

QComboBox* TForm1::ListOf(ChipList list) const {
    switch (list) {
    case ChipList::Kind:
        return ComboBox1;
    case ChipList::Maker:
        return ComboBox2;
    case ChipList::Model:
        return ComboBox3;
    }
    return ComboBox1;
}

int32_t TForm1::ChipListIndexOf(ChipList list, const std::string& text) {
    return IndexOfRaw(ListOf(list), text);
}

int32_t TForm1::ChipListItemIndex(ChipList list) {
    return ItemIndex(ListOf(list));
}

std::string TForm1::ChipListText(ChipList list) {
    const QComboBox* combo = ListOf(list);
    const int index = ItemIndex(combo);
    if (index >= 0) return RawItem(combo, index);
    return Utf8ToCp936(combo->currentText().toStdString());
}

void TForm1::SelectChip(int32_t kind, int32_t maker, int32_t model) {
    ComboBox2->clear();
    ComboBox3->clear();
    int32_t counted = 0;
    for (int j = 0; j < kChipTableSlots && !IsEndRecord(State.ChipTable[j]); ++j) {
        const ChipNameFields fields = SplitChipName(ChipNameText(State.ChipTable[j]));
        if (IndexOfRaw(ComboBox1, fields.Kind) < 0) AddRaw(ComboBox1, fields.Kind);
        if (fields.Kind != RawItem(ComboBox1, kind)) continue;
        if (!fields.Maker.empty() && IndexOfRaw(ComboBox2, fields.Maker) < 0)
            AddRaw(ComboBox2, fields.Maker);
        if (fields.Maker != RawItem(ComboBox2, maker)) continue;
        // The first record of a model name is the one that can be chosen.
        if (!fields.Model.empty() && IndexOfRaw(ComboBox3, fields.Model) < 0) {
            AddRaw(ComboBox3, fields.Model);
            if (counted == model) {
                const ChipRecord& chip = State.ChipTable[j];
                State.ChipIndex = j;
                Edit1->setText(QString::fromStdString(Format("%u", chip.Capacity)));
                const int size = SizeListIndex(chip.Capacity);
                if (size >= 0) ComboBox5->setCurrentIndex(size);
                Edit2->setText(QString::fromStdString(Format("%hu", chip.PageSize)));
            }
            ++counted;
        }
    }
    ReloadHexView(State.SelectedChip().Capacity);
    SetItemIndex(ComboBox1, kind);
    SetItemIndex(ComboBox2, maker);
    SetItemIndex(ComboBox3, model);
}

void TForm1::ComboBox1Change() {
    SetItemIndex(ComboBox2, 0);
    SetItemIndex(ComboBox3, 0);
    ComboBox3Change();
}

void TForm1::ComboBox2Change() {
    SetItemIndex(ComboBox3, 0);
    ComboBox3Change();
}

void TForm1::ComboBox3Change() {
    State.KindIndex = ItemIndex(ComboBox1);
    State.MakerIndex = ItemIndex(ComboBox2);
    State.ModelIndex = ItemIndex(ComboBox3);
    SelectChip(State.KindIndex, State.MakerIndex, State.ModelIndex);
}
