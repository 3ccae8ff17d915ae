#pragma once
// Window services for fuzzing: every box is dropped, every question answered No.
#include "window_services.h"

#include <cstdlib>

class FuzzServices : public WindowServices {
public:
    void SetStatusText(const std::string&) override {}
    void ShowProgress() override {}
    void HideProgress() override {}
    void SetProgressMax(uint32_t) override {}
    void SetProgressPosition(uint32_t) override {}
    void SetElapsedText(const std::string&) override {}
    std::string NextLogPrefix() override { return "001:"; }
    void AddLogLine(const std::string&) override {}
    void ShowError(const std::string&) override { ++errors; }
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

    int errors = 0;
};

// A length outside the buffer is a finding.
inline void CheckResult(int32_t result, int32_t bufferSize) {
    if (result < 0 || result > bufferSize) std::abort();
}
