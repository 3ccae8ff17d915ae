#pragma once
// Runs the program's five windows on the offscreen platform over a temporary folder that
// stands in for the program's own (settings file and chip database beside it). Message
// boxes are recorded instead of shown.
#include "chip_record.h"
#include "dialogs_message.h"
#include "emulator/emulator_api.h"
#include "forms.h"
#include "main_form.h"
#include "test_files.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

QApplication& TestApplication();
// The programmer emulator, which the link binds as its USB library.
EmulatorApi& Emu();
// The bytes of a chip database file: the records, then the zero end record.
std::string DatabaseFile(const std::vector<ChipRecord>& records);

struct TestChip {
    std::string Name; // bytes as stored (code page 936)
    uint32_t Capacity = 4096;
    uint16_t PageSize = 256;
    uint32_t ChipId = 0;
    uint8_t Family = 0; // Flash25
    uint16_t Delay = 100;
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    void WriteFile(const std::string& name, const std::string& bytes) const;
    std::string ReadFile(const std::string& name) const;
    void WriteSettings(const std::string& text) const { WriteFile("Pyrolan.ini", text); }
    void WriteDatabase(const std::vector<TestChip>& chips) const;
    // Creates the five windows and shows the main window (FormShow, FormActivate).
    void Start();
    // The next file dialog chooses this file (a path in the test folder); the dialogs run
    // are counted in fileDialogs_.
    void ChooseFile(const std::string& name);
    // Closes the modal dialog that opens next, after running inspect on it.
    void CloseNextModal(std::function<void(QWidget*)> inspect = {});

    // Puts a good programmer into the emulator (none is there at the start of a test).
    void PlugProgrammer() { Emu().add_programmer(0); }
    TForm1& Main() { return *Form1; }
    QString Panel(int index) const;
    // Whether status panel 1 is drawn with red text.
    bool PanelOneIsRed() const;

    std::vector<std::string> fileDialogs_;
    std::vector<MessageBoxRequest> boxes_;
    int answer_ = IDOK;
    TempFolder folder_;
    const std::string dir_ = folder_.Path().string();
};
