#include "main_form.h"

#include "about_box.h"
#include "app_application.h"
#include "app_device_monitor.h"
#include "chip_editor_form.h"
#include "chip_search_form.h"
#include "chip_size_list.h"
#include "dialogs_message.h"
#include "flash_editor_form.h"
#include "form_controls.h"
#include "forms.h"
#include "main_form_bounds.h"
#include "message_table.h"
#include "orix_hex_editor_ex.h"
#include "programmer_operations.h"
#include "status_bar.h"
#include "sysutils.h"
#include "tool_icons.h"
#include "usb_bulk.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTextCursor>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QComboBox* ChipCombo(QWidget* parent, const char* name) {
    QComboBox* combo = DropDownCombo(parent, name);
    combo->setEditText(name);
    return combo;
}

// A name typed into a file dialog opens the list of its name completer, and Return accepts
// the dialog without closing that list: it would stay on the screen over the main window and
// take the next click and keys. Closing the dialog closes its lists.
void ClosePopupsWithDialog(QFileDialog* dialog) {
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog] {
        for (QCompleter* completer : dialog->findChildren<QCompleter*>())
            if (QAbstractItemView* list = completer->popup()) list->hide();
    });
}

} // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent), TComponent(nullptr), State(this) {
    setObjectName("Form1");
    resize(881, 518);
    CreateControls();
    CreateMenu();
    SetDesignCaptions(this, CaptionForm::TForm1);
    Operations = std::make_unique<ProgrammerOperations>(State, *this);
    BindCommands();
    RunFileDialog = [](QFileDialog& dialog) { return dialog.exec() == QDialog::Accepted; };

    // The progress bar lives inside the status bar, over panel 4, after the first four
    // panels (315 pixels).
    Progress = Named(new QProgressBar(StatusBar1), "Progress");
    Progress->setTextVisible(false);
    Progress->move(317, StatusBar1->BorderWidth() + 2);
    Progress->resize(std::max(0, StatusBar1->width() - 315),
                     std::max(0, StatusBar1->height() - StatusBar1->BorderWidth() - 2));
    Progress->setVisible(false);
    State.LogCounter = 1;

    DeviceMonitor = Named(new TDeviceChangeMonitor(this), "DeviceMonitor");
    connect(DeviceMonitor, &TDeviceChangeMonitor::DeviceChanged, this, &TForm1::DeviceChange);

    Application.Guard([this] { FormCreate(); });
    // The window opens centred on the screen: the size read from the settings holds, the
    // position gives way.
    if (!(windowState() & Qt::WindowMaximized)) {
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            move(area.center() - QPoint(width() / 2, height() / 2));
        }
    }
}

TForm1::~TForm1() {
    // The link is freed with the window (TComponent); no session can be open now.
}

void TForm1::CreateControls() {
    ToolBar1 = Named(new QToolBar(this), "ToolBar1");
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(32, 32));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    addToolBar(Qt::TopToolBarArea, ToolBar1);
    const auto tool = [this](const char* name, ToolIcon icon) {
        auto* button = Named(new QToolButton(ToolBar1), name);
        button->setIcon(MakeToolIcon(icon));
        button->setIconSize(QSize(32, 32));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setMinimumSize(39, 52);
        button->setAutoRaise(true);
        return button;
    };
    ToolOpen = tool("ToolOpen", ToolIcon::Open);
    ToolSave = tool("ToolSave", ToolIcon::Save);
    ToolRead = tool("ToolRead", ToolIcon::Read);
    ToolErase = tool("ToolErase", ToolIcon::Erase);
    ToolWrite = tool("ToolWrite", ToolIcon::Write);
    ToolVerify = tool("ToolVerify", ToolIcon::Verify);
    ToolAuto = tool("ToolAuto", ToolIcon::Auto);
    ToolBank = tool("ToolBank", ToolIcon::Bank);
    ToolFill = tool("ToolFill", ToolIcon::Fill);
    ToolDevice = tool("ToolDevice", ToolIcon::Device);
    ToolAbout = tool("ToolAbout", ToolIcon::About);
    ToolBar1->addWidget(ToolOpen);
    ToolBar1->addWidget(ToolSave);
    ToolBar1->addSeparator();
    for (QToolButton* b : {ToolRead, ToolErase, ToolWrite, ToolVerify, ToolAuto})
        ToolBar1->addWidget(b);
    ToolBar1->addSeparator();
    ToolBar1->addWidget(ToolBank);
    ToolBar1->addWidget(ToolFill);
    ToolBar1->addSeparator();
    ToolDeviceAction = ToolBar1->addWidget(ToolDevice);
    ToolDeviceAction->setVisible(false);
    ToolBar1->addWidget(ToolAbout);

    Panel1 = Named(new QWidget(this), "Panel1");
    setCentralWidget(Panel1);

    auto* left = new QWidget(Panel1);
    left->setFixedWidth(185);
    GroupBox1 = Named(new QGroupBox(left), "GroupBox1");
    Label1 = Named(new QLabel("Label1", GroupBox1), "Label1");
    Label2 = Named(new QLabel("Label2", GroupBox1), "Label2");
    Label3 = Named(new QLabel("Label3", GroupBox1), "Label3");
    ComboBox1 = ChipCombo(GroupBox1, "ComboBox1");
    ComboBox2 = ChipCombo(GroupBox1, "ComboBox2");
    ComboBox3 = ChipCombo(GroupBox1, "ComboBox3");
    BitBtn1 = Named(new QPushButton(GroupBox1), "BitBtn1");
    BitBtn2 = Named(new QPushButton(GroupBox1), "BitBtn2");
    // The left column is packed as tightly as its window description, so that the default
    // 500 pixels of height show all of it.
    auto* chips = new QVBoxLayout(GroupBox1);
    chips->setSpacing(2);
    chips->setContentsMargins(6, 2, 6, 4);
    for (auto [label, combo] : {std::pair{Label1, ComboBox1}, std::pair{Label2, ComboBox2},
                                std::pair{Label3, ComboBox3}}) {
        chips->addWidget(label);
        chips->addWidget(combo);
    }
    auto* chipButtons = new QHBoxLayout;
    chipButtons->addWidget(BitBtn1);
    chipButtons->addWidget(BitBtn2);
    chips->addLayout(chipButtons);

    Label4 = Named(new QLabel("Label4", left), "Label4");
    Label5 = Named(new QLabel("Label5", left), "Label5");
    Label6 = Named(new QLabel("Label6", left), "Label6");
    // The capacity edit lies under the size list, which is what the user sees.
    Edit1 = Named(new QLineEdit("Edit1", left), "Edit1");
    Edit1->setReadOnly(true);
    Edit1->setVisible(false);
    ComboBox5 = Named(new QComboBox(left), "ComboBox5");
    for (int k = 0; k < kSizeListCount; ++k) ComboBox5->addItem(SizeListText(k));
    ComboBox5->setEditable(true);
    ComboBox5->lineEdit()->setReadOnly(true);
    ComboBox5->setCurrentIndex(-1);
    ComboBox5->setEditText("ComboBox5");
    Edit2 = Named(new QLineEdit("Edit2", left), "Edit2");
    Edit2->setReadOnly(true);
    ComboBox4 = Named(new QComboBox(left), "ComboBox4");
    ComboBox4->addItems({"12MHz", "6MHz", "3MHz", "1.5MHz", "750KHz", "375KHz"});
    ComboBox4->setCurrentIndex(0);
    auto* fields = new QGridLayout;
    fields->setVerticalSpacing(2);
    fields->addWidget(Label4, 0, 0);
    fields->addWidget(ComboBox5, 0, 1);
    fields->addWidget(Label5, 1, 0);
    fields->addWidget(Edit2, 1, 1);
    fields->addWidget(Label6, 2, 0);
    fields->addWidget(ComboBox4, 2, 1);

    GroupBox2 = Named(new QGroupBox(left), "GroupBox2");
    CheckBox1 = Named(new QCheckBox(GroupBox2), "CheckBox1");
    CheckBox2 = Named(new QCheckBox(GroupBox2), "CheckBox2");
    CheckBox3 = Named(new QCheckBox(GroupBox2), "CheckBox3");
    for (QCheckBox* box : {CheckBox1, CheckBox2, CheckBox3}) box->setChecked(true);
    BitBtn3 = Named(new QPushButton(GroupBox2), "BitBtn3");
    auto* autoLayout = new QGridLayout(GroupBox2);
    autoLayout->setVerticalSpacing(0);
    autoLayout->setContentsMargins(6, 2, 6, 4);
    autoLayout->addWidget(CheckBox1, 0, 0);
    autoLayout->addWidget(CheckBox2, 1, 0);
    autoLayout->addWidget(CheckBox3, 2, 0);
    autoLayout->addWidget(BitBtn3, 0, 1, 3, 1);

    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(4);
    leftLayout->addWidget(GroupBox1);
    leftLayout->addLayout(fields);
    leftLayout->addWidget(GroupBox2);
    leftLayout->addStretch();

    // The hex view of the image buffer; the log below it.
    FlashEditor = Named(new TOrixHexEditorEx(Panel1), "FlashEditor");
    ApplyFlashEditorForm(*FlashEditor);
    RichEdit1 = Named(new QPlainTextEdit(Panel1), "RichEdit1");
    RichEdit1->setReadOnly(true);
    RichEdit1->setFixedHeight(91);
    RichEdit1->setLineWrapMode(QPlainTextEdit::NoWrap);

    auto* right = new QVBoxLayout;
    right->addWidget(FlashEditor, 1);
    right->addWidget(RichEdit1);
    auto* panelLayout = new QHBoxLayout(Panel1);
    panelLayout->setContentsMargins(4, 4, 4, 4);
    panelLayout->addWidget(left);
    panelLayout->addLayout(right, 1);

    StatusBar1 = Named(new TStatusBar(this), "StatusBar1");
    StatusBar1->SetPanels(
        {{50, "状态"}, {120, "编程器未接入", true}, {70, "使用时间"}, {75, "00:00:00"}, {50, ""}});
    StatusBar1->SetDrawPanelHandler([this](QPainter& painter, int panel, const QRect& rect) {
        StatusBar1DrawPanel(painter, panel, rect);
    });
    setStatusBar(StatusBar1);

    OpenDialog1 = Named(new QFileDialog(this), "OpenDialog1");
    OpenDialog1->setOption(QFileDialog::DontUseNativeDialog);
    OpenDialog1->setFileMode(QFileDialog::ExistingFile);
    OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    SaveDialog1 = Named(new QFileDialog(this), "SaveDialog1");
    SaveDialog1->setOption(QFileDialog::DontUseNativeDialog);
    SaveDialog1->setOption(QFileDialog::DontConfirmOverwrite);
    SaveDialog1->setAcceptMode(QFileDialog::AcceptSave);
    ClosePopupsWithDialog(OpenDialog1);
    ClosePopupsWithDialog(SaveDialog1);
}

void TForm1::CreateMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");
    const auto menu = [bar](const char* name) {
        QMenu* m = bar->addMenu(name);
        m->setObjectName(name);
        m->menuAction()->setObjectName(QString(name) + "Action");
        return m;
    };
    const auto item = [this](QMenu* parent, const char* name) {
        auto* action = new QAction(name, this);
        action->setObjectName(name);
        parent->addAction(action);
        return action;
    };
    O1 = menu("O1");
    O2 = item(O1, "O2");
    S1 = item(O1, "S1");
    O1->addSeparator();
    Q1 = item(O1, "Q1");
    Buff = menu("Buff");
    Fill = item(Buff, "Fill");
    O3 = menu("O3");
    A1 = item(O3, "A1");
    O3->addSeparator();
    E1 = item(O3, "E1");
    W1 = item(O3, "W1");
    R1 = item(O3, "R1");
    V1 = item(O3, "V1");
    N7 = item(O3, "N7");
    // Device is a command of the menu bar itself.
    N3 = Named(new QAction("N3", this), "N3");
    N3->setVisible(false);
    bar->addAction(N3);
    L1 = menu("L1");
    China = item(L1, "China");
    fanti = item(L1, "fanti");
    Enlish = item(L1, "Enlish");
    for (QAction* language : {China, fanti, Enlish}) language->setCheckable(true);
    China->setChecked(true);
    H1 = menu("H1");
    N5 = item(H1, "N5");
}

bool TForm1::SessionActive() const {
    return sessionActive_ || (Operations && Operations->SessionRunning());
}

void TForm1::RunCommand(void (TForm1::*handler)()) {
    // Held off while an operation owns the link: the request is ignored.
    if (SessionActive()) return;
    Application.Guard([this, handler] { (this->*handler)(); });
    if (probePending_ && !SessionActive()) {
        probePending_ = false;
        Application.Guard([this] { CheckProgrammer(); });
    }
}

void TForm1::BindCommands() {
    const auto command = [this](auto* sender, auto signal, void (TForm1::*handler)()) {
        connect(sender, signal, this, [this, handler] { RunCommand(handler); });
    };
    const auto always = [this](auto* sender, auto signal, void (TForm1::*handler)()) {
        connect(sender, signal, this,
                [this, handler] { Application.Guard([this, handler] { (this->*handler)(); }); });
    };
    command(ToolOpen, &QToolButton::clicked, &TForm1::ToolOpenClick);
    command(O2, &QAction::triggered, &TForm1::ToolOpenClick);
    command(ToolSave, &QToolButton::clicked, &TForm1::ToolSaveClick);
    command(S1, &QAction::triggered, &TForm1::ToolSaveClick);
    command(ToolRead, &QToolButton::clicked, &TForm1::ToolReadClick);
    command(R1, &QAction::triggered, &TForm1::ToolReadClick);
    command(ToolErase, &QToolButton::clicked, &TForm1::ToolEraseClick);
    command(E1, &QAction::triggered, &TForm1::ToolEraseClick);
    command(ToolWrite, &QToolButton::clicked, &TForm1::ToolWriteClick);
    command(W1, &QAction::triggered, &TForm1::ToolWriteClick);
    command(ToolVerify, &QToolButton::clicked, &TForm1::ToolVerifyClick);
    command(V1, &QAction::triggered, &TForm1::ToolVerifyClick);
    command(ToolAuto, &QToolButton::clicked, &TForm1::ToolAutoClick);
    command(A1, &QAction::triggered, &TForm1::ToolAutoClick);
    command(BitBtn3, &QPushButton::clicked, &TForm1::ToolAutoClick);
    command(ToolBank, &QToolButton::clicked, &TForm1::ToolBankClick);
    command(N7, &QAction::triggered, &TForm1::ToolBankClick);
    command(BitBtn1, &QPushButton::clicked, &TForm1::BitBtn1Click);
    command(ToolFill, &QToolButton::clicked, &TForm1::ToolFillClick);
    command(Fill, &QAction::triggered, &TForm1::ToolFillClick);
    command(ToolDevice, &QToolButton::clicked, &TForm1::ToolDeviceClick);
    command(N3, &QAction::triggered, &TForm1::ToolDeviceClick);
    command(BitBtn2, &QPushButton::clicked, &TForm1::BitBtn2Click);
    always(ToolAbout, &QToolButton::clicked, &TForm1::ToolAboutClick);
    always(N5, &QAction::triggered, &TForm1::ToolAboutClick);
    always(Q1, &QAction::triggered, &TForm1::Q1Click);
    always(China, &QAction::triggered, &TForm1::ChinaClick);
    always(fanti, &QAction::triggered, &TForm1::fantiClick);
    always(Enlish, &QAction::triggered, &TForm1::EnlishClick);
    command(ComboBox1, &QComboBox::activated, &TForm1::ComboBox1Change);
    command(ComboBox2, &QComboBox::activated, &TForm1::ComboBox2Change);
    command(ComboBox3, &QComboBox::activated, &TForm1::ComboBox3Change);
    // Typing in a list's text leaves it without a selected item, and runs its handler.
    const std::pair<QComboBox*, void (TForm1::*)()> lists[] = {
        {ComboBox1, &TForm1::ComboBox1Change},
        {ComboBox2, &TForm1::ComboBox2Change},
        {ComboBox3, &TForm1::ComboBox3Change}};
    for (const auto& list : lists) {
        // Named copies: clang 14 cannot capture a structured binding in a lambda.
        QComboBox* const combo = list.first;
        void (TForm1::*const handler)() = list.second;
        connect(combo->lineEdit(), &QLineEdit::textEdited, this, [this, combo, handler] {
            combo->setProperty("edited", true);
            RunCommand(handler);
        });
    }
}

void TForm1::FormCreate() {
    IniFile = std::make_unique<TIniFile>(ChangeFileExt(ApplicationExeName(), ".ini"));
    LoadSettings(*IniFile);
}

void TForm1::FormShow() {
    LoadChipDatabase(State, *this);
    // Saved positions that select no record (a damaged or edited settings file) give way to
    // the first chip, so that the lists show the chip the operations work on.
    if (!chipSelected_ && !IsEndRecord(State.ChipTable[0])) {
        State.KindIndex = State.MakerIndex = State.ModelIndex = 0;
        SelectChip(0, 0, 0);
    }
    ApplyLanguage();
}

void TForm1::FormActivate() {
    if (SessionActive()) {
        probePending_ = true;
        return;
    }
    CheckProgrammer();
}

void TForm1::FormClose() {
    // An unwritable settings file is reported once; the window closes all the same.
    if (IniFile) Application.Guard([this] { SaveSettings(*IniFile); });
    IniFile.reset();
}

void TForm1::FormResize() {
    Progress->resize(std::max(0, StatusBar1->width() - 315), Progress->height());
    Progress->move(317, Progress->y());
    // The status bar's height is known only once the window is laid out; the bar keeps the
    // constructor's rule for it, so that it does not reach below the status bar.
    Progress->resize(Progress->width(),
                     std::max(0, StatusBar1->height() - StatusBar1->BorderWidth() - 2));
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    BoundFrameWhenFramed(*this);
    Application.Guard([this] { FormShow(); });
    Application.Guard([this] { FormActivate(); });
}

void TForm1::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TForm1::DeviceChange() {
    Application.Guard([this] { FormActivate(); });
}

void TForm1::CheckProgrammer() {
    const int32_t language = ValidLanguage(State.Language);
    if (State.UsbLink->prog_open(kProgrammerVendorId, kProgrammerProductId) == 1) {
        AddLogLine(NextLogPrefix() + Message(MsgProgrammerFound, language));
        State.UsbLink->USB_bulk_close();
        SetStatusText(Message(MsgReady, language));
    } else {
        SetStatusText(Message(MsgNotConnected, language));
    }
}

void TForm1::StatusBar1DrawPanel(QPainter& painter, int panel, const QRect& rect) {
    if (panel != 1) return;
    const QString text = StatusBar1->PanelText(1);
    const bool notConnected =
        text == QString::fromStdString(Message(MsgNotConnected, ValidLanguage(State.Language)));
    painter.setPen(notConnected ? QColor(Qt::red) : palette().color(QPalette::ButtonText));
    painter.drawText(rect, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, text);
}

int TForm1::ShowModalForm(QDialog& dialog) {
    const int result = dialog.exec();
    // Closing one of the program's dialogs activates the main window again.
    Application.Guard([this] { FormActivate(); });
    return result;
}

void TForm1::Q1Click() {
    close();
}

void TForm1::ToolDeviceClick() {
    if (Form2) ShowModalForm(*Form2);
}

void TForm1::BitBtn2Click() {
    if (Form3) ShowModalForm(*Form3);
}

void TForm1::ToolAboutClick() {
    if (AboutBox) ShowModalForm(*AboutBox);
}

QStringList TForm1::LogLines() const {
    const QString text = RichEdit1->toPlainText();
    if (text.isEmpty()) return {};
    return text.split('\n');
}
