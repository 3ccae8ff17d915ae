// The window side of the services the engine asks for.
#include "app_application.h"
#include "dialogs_message.h"
#include "main_form.h"
#include "orix_hex_editor_ex.h"
#include "status_bar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTextCursor>
#include <QToolBar>
#include <algorithm>

void TForm1::SetStatusText(const std::string& text) {
    StatusBar1->SetPanelText(1, QString::fromStdString(text));
    throttle_.Force();
}

void TForm1::ShowProgress() {
    Progress->setVisible(true);
    throttle_.Force();
}

void TForm1::HideProgress() {
    FlushProgress();
    Progress->setVisible(false);
}

// QProgressBar counts in int; the engine's values stay far below INT32_MAX (64 MiB).
void TForm1::SetProgressMax(uint32_t maximum) {
    FlushProgress();
    Progress->setMinimum(0);
    Progress->setMaximum(static_cast<int>(std::min<uint32_t>(maximum, INT32_MAX)));
    throttle_.SetMaximum(maximum);
}

void TForm1::SetProgressPosition(uint32_t position) {
    if (throttle_.Move(position))
        Progress->setValue(static_cast<int>(std::min<uint32_t>(position, INT32_MAX)));
}

void TForm1::FlushProgress() {
    uint32_t position = 0;
    if (throttle_.TakePending(position))
        Progress->setValue(static_cast<int>(std::min<uint32_t>(position, INT32_MAX)));
}

void TForm1::SetElapsedText(const std::string& text) {
    StatusBar1->SetPanelText(3, QString::fromStdString(text));
    throttle_.Force();
}

std::string TForm1::NextLogPrefix() {
    return ::NextLogPrefix(State);
}

void TForm1::AddLogLine(const std::string& line) {
    QTextCursor cursor(RichEdit1->document());
    cursor.movePosition(QTextCursor::Start);
    const QString text = QString::fromStdString(line);
    cursor.insertText(RichEdit1->document()->isEmpty() ? text : text + "\n");
    RichEdit1->moveCursor(QTextCursor::Start);
    throttle_.Force();
}

// A box during a transfer shows the bar where the transfer stands.
void TForm1::ShowError(const std::string& text) {
    FlushProgress();
    ShowMessageBox(text, "Error", MB_OK | MB_ICONSTOP);
}

bool TForm1::AskYesNo(const std::string& text) {
    FlushProgress();
    return ShowMessageBox(text, "Info", MB_YESNO | MB_ICONQUESTION) != IDNO;
}

void TForm1::ShowInformation(const std::string& text) {
    FlushProgress();
    ShowMessageBox(text, "Information", MB_OK | MB_ICONINFORMATION);
}

void TForm1::ShowMessage(const std::string& text) {
    FlushProgress();
    ::ShowMessage(text);
}

// Called once per chunk: the throttle keeps the message runs to one every 10 ms.
void TForm1::ProcessMessages() {
    if (!throttle_.MessagesDue(ProgressThrottle::Clock::now())) return;
    FlushProgress();
    Application.ProcessMessages();
}

void TForm1::Beep() {
    Application.Beep();
}

void TForm1::SetControlsEnabled(bool enabled) {
    FlushProgress();
    throttle_.Force();
    ToolBar1->setEnabled(enabled);
    Panel1->setEnabled(enabled);
    sessionActive_ = !enabled;
}

int32_t TForm1::SpeedIndex() {
    return ComboBox4->currentIndex();
}

AutoOptionSet TForm1::AutoOptions() {
    return {CheckBox1->isChecked(), CheckBox2->isChecked(), CheckBox3->isChecked()};
}

void TForm1::ReloadHexView(uint32_t count) {
    LoadHexView(State.EditorStream, count);
}

void TForm1::LoadHexView(TMemoryStream& stream, uint64_t count) {
    const int64_t bytes = static_cast<int64_t>(std::min<uint64_t>(count, kImageBufferSize));
    // The view keeps its own copy: the stream's block is released as soon as the view has
    // the bytes (or failed to take them), so the image is held twice, not three times.
    struct Release {
        TMemoryStream& stream;
        ~Release() { stream.Clear(); }
    } release{stream};
    stream.Clear();
    stream.WriteBuffer(State.ImageBuffer.get(), bytes);
    stream.SetPosition(0);
    FlashEditor->LoadFromStream(stream);
}

void TForm1::TakeHexViewEdits() {
    if (!FlashEditor->GetModified()) return;
    // Never more than the chip holds, and never more than the buffer holds.
    const uint64_t size = static_cast<uint64_t>(std::max<int32_t>(0, FlashEditor->GetDataSize()));
    const uint64_t count =
        std::min<uint64_t>({size, State.SelectedChip().Capacity, uint64_t{kImageBufferSize}});
    State.DataLength = static_cast<int32_t>(count);
    FlashEditor->ReadBuffer(State.ImageBuffer.get(), 0, State.DataLength);
    FlashEditor->SetModified(false);
}
