#pragma once
// TForm1, the main window: owner of the programmer state for the whole run, the chip lists,
// the tool bar and the menu, the status bar, the message log, the programmer probe, the
// Open, Save and Fill commands, the languages and the settings. It is also the window side
// of every service the engine asks for.
#include "caption_table.h"
#include "component.h"
#include "ini_file.h"
#include "programmer_state.h"
#include "progress_throttle.h"
#include "window_services.h"

#include <QMainWindow>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QDialog;
class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPainter;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QToolBar;
class QToolButton;
class ProgrammerOperations;
class TDeviceChangeMonitor;
class TStatusBar;
class TOrixHexEditorEx;

class TForm1 : public QMainWindow, public TComponent, public WindowServices {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    ProgrammerState State;
    std::unique_ptr<TIniFile> IniFile;
    // The device operations, run by the engine on State through this window's services.
    std::unique_ptr<ProgrammerOperations> Operations;

    // Controls, named as the window description names them (also their objectName).
    QToolBar* ToolBar1;
    QToolButton *ToolOpen, *ToolSave, *ToolRead, *ToolErase, *ToolWrite, *ToolVerify, *ToolAuto,
        *ToolBank, *ToolFill, *ToolDevice, *ToolAbout;
    QWidget* Panel1;
    QGroupBox *GroupBox1, *GroupBox2;
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6;
    QComboBox *ComboBox1, *ComboBox2, *ComboBox3, *ComboBox4, *ComboBox5;
    QPushButton *BitBtn1, *BitBtn2, *BitBtn3;
    QCheckBox *CheckBox1, *CheckBox2, *CheckBox3;
    QLineEdit *Edit1, *Edit2;
    TOrixHexEditorEx* FlashEditor;
    QPlainTextEdit* RichEdit1;
    TStatusBar* StatusBar1;
    QProgressBar* Progress;
    QMenu *O1, *Buff, *O3, *L1, *H1;
    QAction *O2, *S1, *Q1, *Fill, *A1, *E1, *W1, *R1, *V1, *N7, *N3, *China, *fanti, *Enlish, *N5;
    QFileDialog *OpenDialog1, *SaveDialog1;
    // The tool bar's place of ToolDevice, which the settings may show.
    QAction* ToolDeviceAction;
    TDeviceChangeMonitor* DeviceMonitor;

    // Runs a file dialog; true when a file was chosen. Tests put their own chooser here.
    std::function<bool(QFileDialog&)> RunFileDialog;

    // Form events.
    void FormCreate();
    void FormShow();
    void FormActivate();
    void FormClose();
    void FormResize();
    void StatusBar1DrawPanel(QPainter& painter, int panel, const QRect& rect);

    // Handlers of the tool bar, the menu and the main panel.
    void ToolOpenClick();
    void ToolSaveClick();
    void ToolFillClick();
    void ToolReadClick();
    void ToolEraseClick();
    void ToolWriteClick();
    void ToolVerifyClick();
    void ToolAutoClick();
    void ToolBankClick();
    void BitBtn1Click();
    void ToolDeviceClick();
    void ToolAboutClick();
    void BitBtn2Click();
    void Q1Click();
    void ChinaClick();
    void fantiClick();
    void EnlishClick();
    void ComboBox1Change();
    void ComboBox2Change();
    void ComboBox3Change();
    // Rebuilds the three chip lists from ChipTable after it has changed (the chip database
    // editor's Save): the chip shown before stays selected when the table still names it,
    // else the first chip; ChipIndex, the lists, the displays, the hex view and the saved
    // list positions then agree.
    void ReloadChipLists();

    // The programmer probe: a found programmer adds a log line and shows "Ready".
    void CheckProgrammer();
    // What a device arrival or removal does.
    void DeviceChange();
    void ApplyLanguage();
    // The window whose captions a row of the caption table sets: this one, or one of the
    // three dialogs (null before it is created).
    QWidget* CaptionWindow(CaptionForm which);
    void LoadSettings(TIniFile& ini);
    void SaveSettings(TIniFile& ini);
    // Shows one of the program's dialogs modally; its closing activates the main window.
    int ShowModalForm(QDialog& dialog);
    // True while a device operation runs (its session included): the probe and the commands
    // that reach the link or change the buffer, the table or the selection are held off.
    bool SessionActive() const;
    // Loads the hex view through stream with the first count bytes of the image buffer,
    // never more than the buffer holds.
    void LoadHexView(TMemoryStream& stream, uint64_t count);
    // The log, newest line first.
    QStringList LogLines() const;

    // WindowServices.
    void SetStatusText(const std::string& text) override;
    void ShowProgress() override;
    void HideProgress() override;
    void SetProgressMax(uint32_t maximum) override;
    void SetProgressPosition(uint32_t position) override;
    void SetElapsedText(const std::string& text) override;
    std::string NextLogPrefix() override;
    void AddLogLine(const std::string& line) override;
    void ShowError(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    void ShowInformation(const std::string& text) override;
    void ShowMessage(const std::string& text) override;
    void ProcessMessages() override;
    void Beep() override;
    void SetControlsEnabled(bool enabled) override;
    int32_t SpeedIndex() override;
    AutoOptionSet AutoOptions() override;
    void SelectChip(int32_t kind, int32_t maker, int32_t model) override;
    int32_t ChipListIndexOf(ChipList list, const std::string& text) override;
    int32_t ChipListItemIndex(ChipList list) override;
    std::string ChipListText(ChipList list) override;
    void ReloadHexView(uint32_t count) override;
    void TakeHexViewEdits() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateControls();
    void CreateMenu();
    void BindCommands();
    QComboBox* ListOf(ChipList list) const;
    void ShowChipFields(const ChipRecord& chip);
    // Shows the progress position that the throttle kept back.
    void FlushProgress();
    // Three SelectChip passes that look the names (as the lists show them) up one by one;
    // true when a record was selected.
    bool SelectChipByName(const std::string& kind, const std::string& maker,
                          const std::string& model);
    // A command that may reach the link or change the buffer or the selection runs only
    // outside a device session.
    void RunCommand(void (TForm1::*handler)());

    bool sessionActive_ = false;
    // A device change or activation came while an operation ran: probe when it has ended.
    bool probePending_ = false;
    ProgressThrottle throttle_;
    // Whether the last SelectChip found a record at its positions.
    bool chipSelected_ = false;
    bool shown_ = false;
};

// Gives a window the captions of its window description (the simplified Chinese ones), which
// it shows until the main window applies the language.
void SetDesignCaptions(QWidget* form, CaptionForm which);
