// The three cascading chip lists: kind, manufacturer, model.
//
// A list item shows its name field converted from code page 936 and keeps the field's bytes
// beside it. Texts crossing WindowServices are the shown UTF-8 texts; the lists' search,
// which ignores letter case, compares shown texts (in UTF-8 every byte of a Chinese
// character is above 0x7F, so folding ASCII letters cannot merge two characters), and the
// test for the selected entry compares the bytes.
#include "chip_name.h"
#include "chip_size_list.h"
#include "encoding.h"
#include "main_form.h"
#include "sysutils.h"

#include <QComboBox>
#include <QLineEdit>
#include <vector>

namespace {

// What a list shows of a field; plain ASCII needs no conversion.
std::string ShownText(const std::string& bytes) {
    for (const unsigned char c : bytes)
        if (c >= 0x80) return Cp936ToUtf8(bytes);
    return bytes;
}

char FoldAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameTextAscii(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    return true;
}

// A list's items as SelectChip builds them: the shown texts and the bytes, mirrored so that
// the scan over up to 999 records does not ask the combo box for every compare.
class ListItems {
public:
    explicit ListItems(QComboBox* combo) : combo_(combo) {
        for (int i = 0; i < combo->count(); ++i) {
            shown_.push_back(combo->itemText(i).toStdString());
            bytes_.push_back(combo->itemData(i).toByteArray().toStdString());
        }
    }
    int IndexOf(const std::string& shown) const {
        for (size_t i = 0; i < shown_.size(); ++i)
            if (SameTextAscii(shown_[i], shown)) return static_cast<int>(i);
        return -1;
    }
    // The item's bytes; an empty text for a position outside the list.
    const std::string& Bytes(int index) const {
        static const std::string none;
        return index >= 0 && static_cast<size_t>(index) < bytes_.size() ? bytes_[index] : none;
    }
    // Appends the field unless an item equal to it (letter case ignored) is there; true when
    // it was appended.
    bool AddIfAbsent(const std::string& bytes) {
        std::string shown = ShownText(bytes);
        if (IndexOf(shown) >= 0) return false;
        combo_->addItem(QString::fromStdString(shown),
                        QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
        shown_.push_back(std::move(shown));
        bytes_.push_back(bytes);
        return true;
    }

private:
    QComboBox* combo_;
    std::vector<std::string> shown_;
    std::vector<std::string> bytes_;
};

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
    const QComboBox* combo = ListOf(list);
    for (int i = 0; i < combo->count(); ++i)
        if (SameTextAscii(combo->itemText(i).toStdString(), text)) return i;
    return -1;
}

int32_t TForm1::ChipListItemIndex(ChipList list) {
    return ItemIndex(ListOf(list));
}

std::string TForm1::ChipListText(ChipList list) {
    return ListOf(list)->currentText().toStdString();
}

void TForm1::ShowChipFields(const ChipRecord& chip) {
    Edit1->setText(QString::fromStdString(Format("%u", chip.Capacity)));
    const int size = SizeListIndex(chip.Capacity);
    if (size >= 0) ComboBox5->setCurrentIndex(size);
    Edit2->setText(QString::fromStdString(Format("%hu", chip.PageSize)));
}

void TForm1::SelectChip(int32_t kind, int32_t maker, int32_t model) {
    ComboBox2->clear();
    ComboBox3->clear();
    ListItems kinds(ComboBox1), makers(ComboBox2), models(ComboBox3);
    chipSelected_ = false;
    std::vector<ChipNameFields> names;
    for (int j = 0; j < kChipTableSlots && !IsEndRecord(State.ChipTable[j]); ++j)
        names.push_back(SplitChipName(ChipNameText(State.ChipTable[j])));
    // The kind and manufacturer lists are complete before any record is compared with their
    // items at the positions given. Built while comparing, a position that the list reaches
    // only later reads as an empty text for the records before, so a record without a kind or
    // manufacturer would be listed, and selected, under another kind's or manufacturer's name.
    for (const ChipNameFields& fields : names) kinds.AddIfAbsent(fields.Kind);
    const std::string kindBytes = kinds.Bytes(kind);
    for (const ChipNameFields& fields : names)
        if (fields.Kind == kindBytes && !fields.Maker.empty()) makers.AddIfAbsent(fields.Maker);
    const std::string makerBytes = makers.Bytes(maker);
    int32_t counted = 0;
    for (size_t j = 0; j < names.size(); ++j) {
        const ChipNameFields& fields = names[j];
        if (fields.Kind != kindBytes || fields.Maker != makerBytes) continue;
        // The first record of a model name is the one that can be chosen.
        if (!fields.Model.empty() && models.AddIfAbsent(fields.Model)) {
            if (counted == model) {
                State.ChipIndex = static_cast<int32_t>(j);
                chipSelected_ = true;
                ShowChipFields(State.ChipTable[j]);
            }
            ++counted;
        }
    }
    ReloadHexView(State.SelectedChip().Capacity);
    SetItemIndex(ComboBox1, kind);
    SetItemIndex(ComboBox2, maker);
    SetItemIndex(ComboBox3, model);
}

bool TForm1::SelectChipByName(const std::string& kind, const std::string& maker,
                              const std::string& model) {
    // Each position is looked up when its list has been built by the pass before.
    const int32_t k = ChipListIndexOf(ChipList::Kind, kind);
    SelectChip(k, -1, -1);
    const int32_t m = ChipListIndexOf(ChipList::Maker, maker);
    SelectChip(k, m, -1);
    const int32_t n = ChipListIndexOf(ChipList::Model, model);
    SelectChip(k, m, n);
    return chipSelected_;
}

void TForm1::ReloadChipLists() {
    // The user did not pick a chip here: edits in the view are kept in the buffer rather than
    // lost with the view's reload.
    TakeHexViewEdits();
    const std::string kind = ChipListText(ChipList::Kind);
    const std::string maker = ChipListText(ChipList::Maker);
    const std::string model = ChipListText(ChipList::Model);
    // Kinds that the table no longer holds go too, so that every item selects a record.
    ComboBox1->clear();
    SelectChip(-1, -1, -1); // builds the kind list
    if (!SelectChipByName(kind, maker, model)) {
        SelectChip(0, 0, 0);
        if (!chipSelected_) {
            // An empty table: no record of the old one stays selected.
            State.ChipIndex = 0;
            ReloadHexView(State.SelectedChip().Capacity);
        }
    }
    State.KindIndex = ItemIndex(ComboBox1);
    State.MakerIndex = ItemIndex(ComboBox2);
    State.ModelIndex = ItemIndex(ComboBox3);
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
