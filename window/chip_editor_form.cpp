#include "chip_editor_form.h"

#include "app_application.h"
#include "chip_editor_grid.h"
#include "chip_editor_rows.h"
#include "chip_size_list.h"
#include "dialogs_message.h"
#include "encoding.h"
#include "exceptions.h"
#include "form_controls.h"
#include "forms.h"
#include "image_output_file.h"
#include "main_form.h"
#include "message_table.h"
#include "programmer_state.h"
#include "sysutils.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

namespace {

QString Shown(const std::string& bytes) {
    return QString::fromStdString(Cp936ToUtf8(bytes));
}

QByteArray Bytes(const std::string& bytes) {
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// ItemIndex of the class library's combo box: a position outside the list selects nothing
// and empties the text.
void SetItemIndex(QComboBox* combo, int32_t index) {
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

void FillList(QComboBox* combo, const std::vector<const char*>& texts) {
    combo->clear();
    for (const char* text : texts) combo->addItem(QString::fromUtf8(text));
}

// The list's text as bytes: the stored bytes of the item or of the cell it was given, as
// long as the text still shows them; typed text otherwise.
std::string RawText(const QComboBox* combo) {
    const QString text = combo->currentText();
    const std::string given = combo->property("given").toByteArray().toStdString();
    if (!given.empty() && Shown(given) == text) return given;
    const int index = combo->currentIndex();
    if (index >= 0 && combo->itemText(index) == text) {
        const QVariant stored = combo->itemData(index);
        if (stored.isValid()) return stored.toByteArray().toStdString();
    }
    return Utf8ToCp936(text.toStdString());
}

void SetRawText(QComboBox* combo, const std::string& bytes) {
    combo->setEditText(Shown(bytes));
    combo->setProperty("given", Bytes(bytes));
}

// The list's search for an equal item, without regard to letter case, and the append
// when there is none. The shown texts are compared: in code page 936 a trail byte may be
// an ASCII letter, so folding the stored bytes would merge two different characters.
void AddUnique(QComboBox* combo, const std::string& bytes) {
    const std::string shown = Cp936ToUtf8(bytes);
    for (int i = 0; i < combo->count(); ++i)
        if (SameText(combo->itemText(i).toStdString(), shown)) return;
    combo->addItem(QString::fromStdString(shown), Bytes(bytes));
}

// A combo box of the class library's default style: the user may type any text, and a
// typed text leaves the list without a selected item.
QComboBox* MakeCombo(QWidget* parent, const char* name) {
    QComboBox* combo = DropDownCombo(parent, name);
    QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, combo,
                     [combo](const QString& text) {
                         if (combo->currentIndex() < 0) return;
                         const int cursor = combo->lineEdit()->cursorPosition();
                         const QSignalBlocker block(combo);
                         combo->setCurrentIndex(-1);
                         combo->setEditText(text);
                         combo->lineEdit()->setCursorPosition(cursor);
                     });
    return combo;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(name);
    return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* text) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setObjectName(name);
    button->setFixedSize(75, 25);
    button->setAutoDefault(false);
    return button;
}

TForm1& Main() {
    return *Form1;
}

} // namespace

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
    setObjectName("Form2");
    setModal(true);
    setWindowTitle(QString::fromUtf8("芯片编辑"));
    // A dialog border: the window keeps its designed size.
    setFixedSize(880, 442);
    CreateControls();

    StringGrid1->OnSelectCell = [this](int column, int row) { StringGrid1SelectCell(column, row); };
    StringGrid1->OnDblClick = [this] { Application.Guard([this] { StringGrid1DblClick(); }); };
    const auto bind = [this](QPushButton* button, void (TForm2::*handler)()) {
        connect(button, &QPushButton::clicked, this,
                [this, handler] { Application.Guard([this, handler] { (this->*handler)(); }); });
    };
    bind(BtnDelete, &TForm2::BtnDeleteClick);
    bind(BtnAdd, &TForm2::BtnAddClick);
    bind(BtnEdit, &TForm2::BtnEditClick);
    bind(BtnSave, &TForm2::BtnSaveClick);
    bind(BtnExit, &TForm2::BtnExitClick);
    // The family list's change, by a pick or by typing, refills the algorithm list.
    connect(ComboBox4, &QComboBox::activated, this, [this] { ComboBox4Change(); });
    connect(ComboBox4->lineEdit(), &QLineEdit::textEdited, this, [this] { ComboBox4Change(); });
}

void TForm2::CreateControls() {
    StringGrid1 = Named(new TChipEditorGrid(this), "StringGrid1");

    GroupBox1 = Named(new QGroupBox(QString::fromUtf8("配置"), this), "GroupBox1");
    GroupBox1->setFixedHeight(128);
    Label1 = MakeLabel(GroupBox1, "Label1", "种类");
    Label2 = MakeLabel(GroupBox1, "Label2", "厂商");
    Label3 = MakeLabel(GroupBox1, "Label3", "芯片型号");
    Label4 = MakeLabel(GroupBox1, "Label4", "延时");
    Label5 = MakeLabel(GroupBox1, "Label5", "芯片类型");
    Label6 = MakeLabel(GroupBox1, "Label6", "FLASH");
    Label7 = MakeLabel(GroupBox1, "Label7", "FLASH页");
    Label8 = MakeLabel(GroupBox1, "Label8", "工作电压");
    Label9 = MakeLabel(GroupBox1, "Label9", "算法");
    Label10 = MakeLabel(GroupBox1, "Label10", "芯片ID");
    Label11 = MakeLabel(GroupBox1, "Label11", "EEPROM");
    Label12 = MakeLabel(GroupBox1, "Label12", "EEPROM页");
    Label13 = MakeLabel(GroupBox1, "Label13", "扩展关联");
    ComboBox1 = MakeCombo(GroupBox1, "ComboBox1");
    ComboBox2 = MakeCombo(GroupBox1, "ComboBox2");
    ComboBox3 = MakeCombo(GroupBox1, "ComboBox3");
    Edit1 = Named(new QLineEdit("100", GroupBox1), "Edit1");
    ComboBox4 = MakeCombo(GroupBox1, "ComboBox4");
    FillList(ComboBox4, EditorFamilyTexts());
    SetItemIndex(ComboBox4, -1);
    ComboBox4->setEditText(QString::fromUtf8(EditorFamilyTexts()[0]));
    ComboBox5 = MakeCombo(GroupBox1, "ComboBox5");
    for (int i = 0; i < kSizeListCount; ++i) ComboBox5->addItem(SizeListText(i));
    SetItemIndex(ComboBox5, 0);
    ComboBox6 = MakeCombo(GroupBox1, "ComboBox6");
    FillList(ComboBox6, EditorPageTexts());
    SetItemIndex(ComboBox6, 0);
    ComboBox7 = MakeCombo(GroupBox1, "ComboBox7");
    FillList(ComboBox7, EditorVoltageTexts());
    SetItemIndex(ComboBox7, -1);
    ComboBox7->setEditText(QString::fromUtf8(EditorVoltageTexts()[0]));
    ComboBox8 = MakeCombo(GroupBox1, "ComboBox8");
    FillList(ComboBox8, EditorAlgorithmTexts(Flash25));
    SetItemIndex(ComboBox8, 0);
    ComboBox9 = MakeCombo(GroupBox1, "ComboBox9");
    ComboBox9->setEditText("0");
    ComboBox10 = MakeCombo(GroupBox1, "ComboBox10");
    FillList(ComboBox10, EditorEepromSizeTexts());
    SetItemIndex(ComboBox10, 1);
    ComboBox11 = MakeCombo(GroupBox1, "ComboBox11");
    FillList(ComboBox11, EditorPageTexts());
    SetItemIndex(ComboBox11, 2);
    ComboBox12 = MakeCombo(GroupBox1, "ComboBox12");

    auto* fields = new QGridLayout(GroupBox1);
    const std::pair<QLabel*, QWidget*> pairs[] = {
        {Label1, ComboBox1},  {Label2, ComboBox2}, {Label3, ComboBox3},   {Label10, ComboBox9},
        {Label5, ComboBox4},  {Label9, ComboBox8}, {Label6, ComboBox5},   {Label7, ComboBox6},
        {Label8, ComboBox7},  {Label4, Edit1},     {Label11, ComboBox10}, {Label12, ComboBox11},
        {Label13, ComboBox12}};
    for (int i = 0; i < static_cast<int>(std::size(pairs)); ++i) {
        fields->addWidget(pairs[i].first, i / 4, (i % 4) * 2);
        fields->addWidget(pairs[i].second, i / 4, (i % 4) * 2 + 1);
    }
    for (int c = 1; c < 8; c += 2) fields->setColumnStretch(c, 1);

    Panel1 = Named(new QWidget(this), "Panel1");
    Panel1->setFixedHeight(74);
    BtnDelete = MakeButton(Panel1, "BtnDelete", "删除");
    BtnAdd = MakeButton(Panel1, "BtnAdd", "添加");
    BtnEdit = MakeButton(Panel1, "BtnEdit", "编辑");
    BtnSave = MakeButton(Panel1, "BtnSave", "保存");
    BtnExit = MakeButton(Panel1, "BtnExit", "退出");
    auto* buttons = new QHBoxLayout(Panel1);
    for (QPushButton* button : {BtnDelete, BtnAdd, BtnEdit, BtnSave, BtnExit}) {
        buttons->addStretch();
        buttons->addWidget(button);
    }
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(StringGrid1, 1);
    layout->addWidget(GroupBox1);
    layout->addWidget(Panel1);
}

void TForm2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Only a showing of the dialog reloads it; the window system's show after a restore
    // from minimized would drop the edits not saved yet.
    if (event->spontaneous()) return;
    Application.Guard([this] { FormShow(); });
}

void TForm2::keyPressEvent(QKeyEvent* event) {
    // Escape does not close the editor: a second Escape after cancelling a cell edit would
    // otherwise drop every row not saved yet. Exit and the window's close button close it.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TForm2::ReloadChipTable() {
    if (ReadChipDatabase(Main().State.ChipTable) != ChipDatabaseRead::Damaged) return true;
    // The editor's own report of a damaged file is simplified Chinese in every language.
    ::ShowMessage(Message(MsgDatabaseDamaged, 0));
    return false;
}

void TForm2::WriteBufferToFile(const std::string& fileName, const uint8_t* buffer, size_t length) {
    ImageOutputFile file(fileName);
    file.Write(buffer, length);
    if (!file.Commit()) throw EFCreateError(Format("Cannot create file %s", fileName.c_str()));
}

void TForm2::FormShow() {
    ReloadChipTable();
    StringGrid1->SetCaptions(EditorColumnCaptions);
    for (int c = 0; c < kEditorColumns; ++c)
        StringGrid1->SetColWidth(c, EditorColumnWidths[static_cast<size_t>(c)]);
    for (QComboBox* list : {ComboBox1, ComboBox2, ComboBox3}) list->clear();

    const ChipTableArray& table = Main().State.ChipTable;
    int records = 0;
    while (records < kChipTableSlots && !IsEndRecord(table[static_cast<size_t>(records)]))
        ++records;
    const int current = StringGrid1->Row();
    StringGrid1->SetRowCount(records + 1);
    for (int i = 0; i < records; ++i) {
        const EditorRow row = RowFromRecord(table[static_cast<size_t>(i)]);
        StringGrid1->SetCells(i + 1, row);
        AddUnique(ComboBox1, row[0]);
        if (!row[1].empty()) AddUnique(ComboBox2, row[1]);
        AddUnique(ComboBox3, row[2]);
    }
    // The current cell stays where it was, within the rows there now are.
    StringGrid1->PlaceRow(std::clamp(current, 1, std::max(records, 1)));
    for (QComboBox* list : {ComboBox1, ComboBox2, ComboBox3}) SetItemIndex(list, 0);
}

void TForm2::StringGrid1SelectCell(int32_t, int32_t row) {
    SelectedRow = row;
}

void TForm2::StringGrid1DblClick() {
    const int32_t r = SelectedRow;
    if (r <= 0 || r >= StringGrid1->RowCount()) return;
    const EditorRow row = StringGrid1->Cells(r);
    const auto value = [&row](int column) { return StrToInt(row[static_cast<size_t>(column)]); };
    SetRawText(ComboBox1, row[0]);
    SetRawText(ComboBox2, row[1]);
    SetRawText(ComboBox3, row[2]);
    SetRawText(ComboBox9, row[3]);
    // A cell that does not convert ends here; the controls before it are filled.
    SetItemIndex(ComboBox5, HalvingCount(value(4)) - 6);
    SetItemIndex(ComboBox6, HalvingCount(value(5)));
    SetItemIndex(ComboBox4, value(6));
    ComboBox4Change();
    const int32_t algorithm = value(7);
    SetItemIndex(ComboBox8, AlgorithmItemFor(ComboBox4->currentIndex(), ComboBox5->currentIndex(),
                                             algorithm, ComboBox8->currentIndex()));
    Edit1->setText(QString::fromStdString(Format("%i", value(8))));
    SetItemIndex(ComboBox7, value(9));
    SetItemIndex(ComboBox10, HalvingCount(value(10)));
    SetItemIndex(ComboBox11, HalvingCount(value(11)));
    SetRawText(ComboBox12, Format("%i", value(12)));
}

void TForm2::ComboBox4Change() {
    FillList(ComboBox8, EditorAlgorithmTexts(ComboBox4->currentIndex()));
    SetItemIndex(ComboBox8, 0);
}

EditorControls TForm2::ReadControls() const {
    EditorControls c;
    c.Kind = RawText(ComboBox1);
    c.Maker = RawText(ComboBox2);
    c.Model = RawText(ComboBox3);
    c.ChipId = RawText(ComboBox9);
    c.Delay = Utf8ToCp936(Edit1->text().toStdString());
    c.XmlLink = RawText(ComboBox12);
    c.Size = ComboBox5->currentIndex();
    c.Page = ComboBox6->currentIndex();
    c.Family = ComboBox4->currentIndex();
    c.Algorithm = ComboBox8->currentIndex();
    c.Voltage = ComboBox7->currentIndex();
    c.EepromSize = ComboBox10->currentIndex();
    c.EepromPage = ComboBox11->currentIndex();
    return c;
}

void TForm2::BtnDeleteClick() {
    if (StringGrid1->RowCount() <= 1) return;
    StringGrid1->DeleteRow(StringGrid1->Row());
}

void TForm2::BtnAddClick() {
    // The table keeps its last slot for the end record.
    if (StringGrid1->RowCount() - 1 >= kEditorMaxRecords)
        throw Exception(EditorTableFullMessage(Main().State.Language));
    const EditorRow row = RowFromControls(ReadControls());
    const int added = StringGrid1->RowCount();
    StringGrid1->SetRowCount(added + 1);
    StringGrid1->SetRow(added);
    StringGrid1->SetCells(added, row);
}

void TForm2::BtnEditClick() {
    if (SelectedRow <= 0 || SelectedRow >= StringGrid1->RowCount()) return;
    StringGrid1->SetCells(SelectedRow, RowFromControls(ReadControls()));
}

void TForm2::BtnSaveClick() {
    TForm1& main = Main();
    std::vector<EditorRow> rows;
    for (int r = 1; r < StringGrid1->RowCount(); ++r) rows.push_back(StringGrid1->Cells(r));
    // Every row is converted before anything changes: a cell that does not convert leaves
    // the table and the file as they were.
    const std::vector<ChipRecord> records =
        RecordsFromRows(rows, main.State.ChipTable, main.State.Language);
    std::vector<uint8_t> bytes(records.size() * kChipRecordSize);
    for (size_t i = 0; i < records.size(); ++i)
        ChipRecordToBytes(records[i], bytes.data() + i * kChipRecordSize);
    WriteBufferToFile(ChipDatabasePath(), bytes.data(), bytes.size());
    std::copy(records.begin(), records.end(), main.State.ChipTable.begin());
    // The main window's lists, its ChipIndex and its displays follow the new table.
    main.ReloadChipLists();
}

void TForm2::BtnExitClick() {
    close();
}
