// The commands on the image buffer (Open, Save, Fill) and the device operations, which the
// engine runs.
#include "fill_form.h"
#include "forms.h"
#include "image_file.h"
#include "main_form.h"
#include "message_table.h"
#include "programmer_operations.h"
#include "sysutils.h"

#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <algorithm>

namespace {

constexpr char kOpenFilter[] = "Binary (*.bin)|*.bin|Intel Hex(*.hex)|*.hex|Bios Rom (*.rom)|*.rom|"
                               "Asus Rom (*.cap)|*.cap|All files (*.*)|*.*";
constexpr char kSaveFilter[] =
    "Binary (*.bin)|*.bin|Intel Hex(*.hex)|*.hex|Bios Rom (*.rom)|*.rom|All files (*.*)|*.*";

// The class library's filter, caption and mask in turn, as the dialog's name filters. The
// dialog shows the captions only; "*.*" also matches names without an extension, and the
// dialog matches without regard to letter case, so "A.BIN" is a binary too.
QStringList NameFilters(const char* filter) {
    const QStringList parts = QString(filter).split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString mask = parts[i + 1];
        mask.replace(';', ' ');
        if (mask == "*.*") mask = "*";
        filters << parts[i] + " (" + mask + ")";
    }
    return filters;
}

void SetFilters(QFileDialog& dialog, const char* filter) {
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    dialog.setNameFilters(NameFilters(filter));
}

// The position of the filter that the dialog shows as chosen (it shows captions only).
qsizetype ChosenFilter(const QFileDialog& dialog) {
    const QString shown = dialog.selectedNameFilter();
    const QStringList filters = dialog.nameFilters();
    for (qsizetype i = 0; i < filters.size(); ++i)
        if (filters[i] == shown || filters[i].startsWith(shown + " (")) return i;
    return -1;
}

} // namespace

// The chosen file's name as the file system takes it.
static std::string ChosenFile(const QFileDialog& dialog) {
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? std::string() : QFile::encodeName(files.first()).toStdString();
}

void TForm1::ToolOpenClick() {
    SetFilters(*OpenDialog1, kOpenFilter);
    OpenDialog1->selectNameFilter(OpenDialog1->nameFilters().first());
    if (!RunFileDialog(*OpenDialog1)) return;
    const std::string fileName = ChosenFile(*OpenDialog1);
    if (fileName.empty()) return;
    uint8_t* buffer = State.ImageBuffer.get();
    std::fill(buffer, buffer + kImageBufferSize, uint8_t{0xFF});
    // The buffer is empty from here on: a file that cannot even be opened raises, and then
    // DataLength and the view must not go on showing the old image.
    State.DataLength = 0;
    try {
        State.DataLength =
            LoadImageFile(fileName, buffer, static_cast<int32_t>(kImageBufferSize), *this);
    } catch (...) {
        ReloadHexView(State.SelectedChip().Capacity);
        throw;
    }
    ReloadHexView(State.SelectedChip().Capacity);
    AddLogLine(NextLogPrefix() + Message(MsgOpen, ValidLanguage(State.Language)) +
               QFile::decodeName(fileName.c_str()).toStdString());
}

void TForm1::ToolSaveClick() {
    // The filter the user chose last stays chosen.
    const qsizetype chosen = ChosenFilter(*SaveDialog1);
    SetFilters(*SaveDialog1, kSaveFilter);
    if (chosen >= 0 && chosen < SaveDialog1->nameFilters().size())
        SaveDialog1->selectNameFilter(SaveDialog1->nameFilters()[chosen]);
    SaveDialog1->setDefaultSuffix("hex");
    if (!RunFileDialog(*SaveDialog1)) return;
    std::string fileName = ChosenFile(*SaveDialog1);
    if (fileName.empty()) return;
    if (ExtractFileExt(fileName).empty()) fileName += ".hex";
    TakeHexViewEdits();
    // The chip's whole capacity, but never more than the buffer holds.
    const uint32_t length = std::min(State.SelectedChip().Capacity, kImageBufferSize);
    SaveImageFile(fileName, State.ImageBuffer.get(), static_cast<int32_t>(length), *this,
                  ValidLanguage(State.Language));
}

void TForm1::ToolFillClick() {
    if (!Form4) return;
    Form4->Edit4->setText(QString::fromStdString(Format("%X", State.SelectedChip().Capacity - 1u)));
    ShowModalForm(*Form4);
}

void TForm1::ToolReadClick() {
    Operations->ToolReadClick(this);
}

void TForm1::ToolEraseClick() {
    Operations->ToolEraseClick(this);
}

void TForm1::ToolWriteClick() {
    Operations->ToolWriteClick(this);
}

void TForm1::ToolVerifyClick() {
    Operations->ToolVerifyClick(this);
}

void TForm1::ToolAutoClick() {
    Operations->ToolAutoClick(this);
}

void TForm1::ToolBankClick() {
    Operations->ToolBankClick(this);
}

void TForm1::BitBtn1Click() {
    Operations->BitBtn1Click(this);
}
