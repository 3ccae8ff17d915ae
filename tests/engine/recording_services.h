#pragma once
// A WindowServices that records every call in order and answers from a script, so tests can
// check exactly what the engine showed, asked and selected.
//
//   RecordingServices ui(&state);     // with a state, NextLogPrefix counts in it
//   ui.YesNoAnswers = {false};        // the first question is answered No, later ones Yes
//   ... run the engine ...
//   EXPECT_EQ(ui.Texts("ShowError"), std::vector<std::string>{"Not connected"});
//
// The chip lists are plain string vectors with a selected index each. With SimulateLists set,
// SelectChip rebuilds them from the state's chip table the way the main window does (names
// split by the delimited-text rule, converted from code page 936 to UTF-8).
#include "chip_name.h"
#include "encoding.h"
#include "programmer_state.h"
#include "sysutils.h"
#include "window_services.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

struct RecordedCall {
    std::string Name;             // the service, e.g. "SetStatusText"
    std::string Text;             // the text argument or result, when the service has one
    std::vector<int64_t> Numbers; // numeric arguments or results
};

class RecordingServices : public WindowServices {
public:
    explicit RecordingServices(ProgrammerState* state = nullptr) : state_(state) {}

    // --- scripted answers -------------------------------------------------------------
    std::deque<bool> YesNoAnswers; // taken front first; when empty DefaultYesNo answers
    bool DefaultYesNo = true;
    int32_t Speed = 0;
    AutoOptionSet Options;
    std::array<std::vector<std::string>, 3> Lists; // kind, manufacturer, model (UTF-8)
    std::array<int32_t, 3> ItemIndexes{-1, -1, -1};
    bool SimulateLists = false;
    // Optional hooks, run after the call is recorded.
    std::function<void()> OnProcessMessages;
    std::function<void()> OnTakeHexViewEdits;
    std::function<void(int32_t, int32_t, int32_t)> OnSelectChip;

    // --- what happened ----------------------------------------------------------------
    std::vector<RecordedCall> Calls;

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& c : Calls) names.push_back(c.Name);
        return names;
    }
    // Names without the frequent progress and message-loop calls.
    std::vector<std::string> MainNames() const {
        std::vector<std::string> names;
        for (const auto& c : Calls)
            if (c.Name != "SetProgressPosition" && c.Name != "ProcessMessages" &&
                c.Name != "SpeedIndex" && c.Name != "AutoOptions")
                names.push_back(c.Name);
        return names;
    }
    std::vector<std::string> Texts(const std::string& name) const {
        std::vector<std::string> texts;
        for (const auto& c : Calls)
            if (c.Name == name) texts.push_back(c.Text);
        return texts;
    }
    std::vector<std::vector<int64_t>> NumbersOf(const std::string& name) const {
        std::vector<std::vector<int64_t>> all;
        for (const auto& c : Calls)
            if (c.Name == name) all.push_back(c.Numbers);
        return all;
    }
    size_t Count(const std::string& name) const {
        return static_cast<size_t>(std::count_if(Calls.begin(), Calls.end(),
                                                 [&](const auto& c) { return c.Name == name; }));
    }
    // The last SetControlsEnabled argument; true when it was never called.
    bool ControlsEnabled() const {
        for (auto it = Calls.rbegin(); it != Calls.rend(); ++it)
            if (it->Name == "SetControlsEnabled") return it->Numbers.at(0) != 0;
        return true;
    }
    std::string LastStatus() const {
        const auto texts = Texts("SetStatusText");
        return texts.empty() ? std::string() : texts.back();
    }
    void Clear() { Calls.clear(); }

    // --- WindowServices ---------------------------------------------------------------
    void SetStatusText(const std::string& text) override { Record("SetStatusText", text); }
    void ShowProgress() override { Record("ShowProgress"); }
    void HideProgress() override { Record("HideProgress"); }
    void SetProgressMax(uint32_t maximum) override { Record("SetProgressMax", "", {maximum}); }
    void SetProgressPosition(uint32_t position) override {
        Record("SetProgressPosition", "", {position});
    }
    void SetElapsedText(const std::string& text) override { Record("SetElapsedText", text); }
    std::string NextLogPrefix() override {
        const std::string prefix =
            state_ ? ::NextLogPrefix(*state_) : Format("%03d:", ownCounter_++);
        Record("NextLogPrefix", prefix);
        return prefix;
    }
    void AddLogLine(const std::string& line) override { Record("AddLogLine", line); }
    void ShowError(const std::string& text) override { Record("ShowError", text); }
    bool AskYesNo(const std::string& text) override {
        bool answer = DefaultYesNo;
        if (!YesNoAnswers.empty()) {
            answer = YesNoAnswers.front();
            YesNoAnswers.pop_front();
        }
        Record("AskYesNo", text, {answer ? 1 : 0});
        return answer;
    }
    void ShowInformation(const std::string& text) override { Record("ShowInformation", text); }
    void ShowMessage(const std::string& text) override { Record("ShowMessage", text); }
    void ProcessMessages() override {
        Record("ProcessMessages");
        if (OnProcessMessages) OnProcessMessages();
    }
    void Beep() override { Record("Beep"); }
    void SetControlsEnabled(bool enabled) override {
        Record("SetControlsEnabled", "", {enabled ? 1 : 0});
    }
    int32_t SpeedIndex() override {
        Record("SpeedIndex", "", {Speed});
        return Speed;
    }
    AutoOptionSet AutoOptions() override {
        Record("AutoOptions", "", {Options.Erase, Options.Program, Options.Verify});
        return Options;
    }
    void SelectChip(int32_t kind, int32_t maker, int32_t model) override {
        Record("SelectChip", "", {kind, maker, model});
        if (SimulateLists && state_) RebuildLists(kind, maker, model);
        if (OnSelectChip) OnSelectChip(kind, maker, model);
    }
    int32_t ChipListIndexOf(ChipList list, const std::string& text) override {
        const int32_t index = IndexOf(Lists[Slot(list)], text);
        Record("ChipListIndexOf", text, {static_cast<int64_t>(list), index});
        return index;
    }
    int32_t ChipListItemIndex(ChipList list) override {
        const int32_t index = ItemIndexes[Slot(list)];
        Record("ChipListItemIndex", "", {static_cast<int64_t>(list), index});
        return index;
    }
    std::string ChipListText(ChipList list) override {
        const auto& items = Lists[Slot(list)];
        const int32_t index = ItemIndexes[Slot(list)];
        std::string text =
            index >= 0 && index < static_cast<int32_t>(items.size()) ? items[index] : "";
        Record("ChipListText", text, {static_cast<int64_t>(list)});
        return text;
    }
    void ReloadHexView(uint32_t count) override { Record("ReloadHexView", "", {count}); }
    void TakeHexViewEdits() override {
        Record("TakeHexViewEdits");
        if (OnTakeHexViewEdits) OnTakeHexViewEdits();
    }

private:
    static size_t Slot(ChipList list) { return static_cast<size_t>(list); }

    void Record(std::string name, std::string text = {}, std::vector<int64_t> numbers = {}) {
        Calls.push_back({std::move(name), std::move(text), std::move(numbers)});
    }

    static int32_t IndexOf(const std::vector<std::string>& items, const std::string& text) {
        for (size_t i = 0; i < items.size(); ++i)
            if (SameText(items[i], text)) return static_cast<int32_t>(i);
        return -1;
    }
    static std::string Item(const std::vector<std::string>& items, int32_t index) {
        return index >= 0 && index < static_cast<int32_t>(items.size()) ? items[index] : "";
    }

    // The main window's list rebuild: kinds accumulate, manufacturers and models are refilled,
    // the n-th new model of the chosen kind and manufacturer selects its record.
    void RebuildLists(int32_t k, int32_t m, int32_t n) {
        auto& kinds = Lists[0];
        auto& makers = Lists[1];
        auto& models = Lists[2];
        makers.clear();
        models.clear();
        int32_t counter = 0;
        for (size_t j = 0; j < state_->ChipTable.size() && !IsEndRecord(state_->ChipTable[j]);
             ++j) {
            const ChipNameFields fields = SplitChipName(ChipNameText(state_->ChipTable[j]));
            const std::string kind = Cp936ToUtf8(fields.Kind);
            const std::string maker = Cp936ToUtf8(fields.Maker);
            const std::string model = Cp936ToUtf8(fields.Model);
            if (IndexOf(kinds, kind) < 0) kinds.push_back(kind);
            if (kind != Item(kinds, k)) continue;
            if (!maker.empty() && IndexOf(makers, maker) < 0) makers.push_back(maker);
            if (maker != Item(makers, m)) continue;
            if (!model.empty() && IndexOf(models, model) < 0) {
                models.push_back(model);
                if (counter == n) state_->ChipIndex = static_cast<int32_t>(j);
                ++counter;
            }
        }
        const int32_t wanted[3] = {k, m, n};
        for (size_t i = 0; i < 3; ++i)
            ItemIndexes[i] = wanted[i] >= 0 && wanted[i] < static_cast<int32_t>(Lists[i].size())
                                 ? wanted[i]
                                 : -1;
    }

    ProgrammerState* state_;
    int32_t ownCounter_ = 1;
};
