#pragma once
// What the engine asks of the window. The engine never touches a control; the main window
// implements these, and tests use a recording implementation. Texts are UTF-8, chip names
// included: a name is code page 936 bytes only inside its ChipRecord and is converted for
// every text that crosses here.
#include <cstdint>
#include <string>

enum class ChipList { Kind, Maker, Model };

struct AutoOptionSet {
    bool Erase = true;
    bool Program = true;
    bool Verify = true;
};

class WindowServices {
public:
    virtual ~WindowServices() = default;

    virtual void SetStatusText(const std::string& text) = 0;
    virtual void ShowProgress() = 0;
    virtual void HideProgress() = 0;
    virtual void SetProgressMax(uint32_t maximum) = 0;
    virtual void SetProgressPosition(uint32_t position) = 0;
    virtual void SetElapsedText(const std::string& text) = 0;
    // "%03d:" of the log counter, which then grows by one.
    virtual std::string NextLogPrefix() = 0;
    // Inserts the line at the top of the message log.
    virtual void AddLogLine(const std::string& line) = 0;
    // Modal box, caption "Error", stop icon, OK.
    virtual void ShowError(const std::string& text) = 0;
    // Modal box, caption "Info", Yes and No, question icon; true for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;
    // Modal box, caption "Information", information icon, OK.
    virtual void ShowInformation(const std::string& text) = 0;
    // The plain message box: application title, no icon, OK.
    virtual void ShowMessage(const std::string& text) = 0;
    virtual void ProcessMessages() = 0;
    virtual void Beep() = 0;
    // False disables the tool bar and the main panel for a device session.
    virtual void SetControlsEnabled(bool enabled) = 0;
    // Item index of the speed list (0 "12MHz" .. 5 "375KHz"), -1 when none is selected.
    virtual int32_t SpeedIndex() = 0;
    virtual AutoOptionSet AutoOptions() = 0;
    // Refills the manufacturer and model lists, selects the record at the three list
    // positions (ChipIndex) and reloads the hex view with its Capacity bytes.
    virtual void SelectChip(int32_t kind, int32_t maker, int32_t model) = 0;
    // First item whose shown text equals text without regard to letter case, -1 when absent.
    virtual int32_t ChipListIndexOf(ChipList list, const std::string& text) = 0;
    virtual int32_t ChipListItemIndex(ChipList list) = 0;
    // The text the list shows.
    virtual std::string ChipListText(ChipList list) = 0;
    // The hex view then holds exactly the first count bytes of ImageBuffer, unmodified.
    virtual void ReloadHexView(uint32_t count) = 0;
    // Unsaved hex-view edits become the buffer's contents and DataLength.
    virtual void TakeHexViewEdits() = 0;
};

// Services for callers without a window (tools, benchmarks, fuzzing, tests): every box is
// dropped, every question answered No, nothing is selected. Override what a caller needs.
class SilentWindowServices : public WindowServices {
public:
    void SetStatusText(const std::string&) override {}
    void ShowProgress() override {}
    void HideProgress() override {}
    void SetProgressMax(uint32_t) override {}
    void SetProgressPosition(uint32_t) override {}
    void SetElapsedText(const std::string&) override {}
    std::string NextLogPrefix() override { return {}; }
    void AddLogLine(const std::string&) override {}
    void ShowError(const std::string&) override {}
    bool AskYesNo(const std::string&) override { return false; }
    void ShowInformation(const std::string&) override {}
    void ShowMessage(const std::string&) override {}
    void ProcessMessages() override {}
    void Beep() override {}
    void SetControlsEnabled(bool) override {}
    int32_t SpeedIndex() override { return 0; }
    AutoOptionSet AutoOptions() override { return {}; }
    void SelectChip(int32_t, int32_t, int32_t) override {}
    int32_t ChipListIndexOf(ChipList, const std::string&) override { return -1; }
    int32_t ChipListItemIndex(ChipList) override { return -1; }
    std::string ChipListText(ChipList) override { return {}; }
    void ReloadHexView(uint32_t) override {}
    void TakeHexViewEdits() override {}
};
