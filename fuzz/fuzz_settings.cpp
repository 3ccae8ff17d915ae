// Arbitrary bytes as the settings file: read through TIniFile, applied by the main window's
// LoadSettings, then written back. Findings besides the sanitizers': a value the window keeps
// outside its lists, a write that disturbs another entry or is not read back as written, and
// saved settings that do not read back as the window's own.
#include "fuzz_window.h"

#include <QComboBox>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

// Every entry the program reads, and one that no program line names.
const std::vector<std::pair<const char*, const char*>> kEntries = {
    {"Environment", "FormMax"},   {"Environment", "FormTop"},
    {"Environment", "FormLeft"},  {"Environment", "FormHeight"},
    {"Environment", "FormWidth"}, {"CHIP", "INDEX1"},
    {"CHIP", "INDEX2"},           {"CHIP", "INDEX3"},
    {"DEVICE", "chip"},           {"DEVICE", "SPEED"},
    {"DEVICE", "LANGU"},          {"environment", "formtop"},
};

void Check(bool condition) {
    if (!condition) std::abort();
}

// A written value as it reads back: blanks and tabs around it and quotes around the whole of
// it are not part of it.
std::string AsRead(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    std::string value = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzForm& form = TheForm();
    const FuzzSettle settle;
    const std::string path = ChangeFileExt(FuzzProgramPath(), ".ini");
    FuzzWriteFile(path, data, size);

    TIniFile ini(path);
    std::vector<std::string> before;
    for (const auto& [section, key] : kEntries) {
        before.push_back(ini.ReadString(section, key, "\x01"));
        Check(before.back().size() <= 2047);
        ini.ReadInteger(section, key, 0);
        ini.ReadBool(section, key, false);
    }
    form.LoadSettings(ini);
    Check(form.State.Language >= 0 && form.State.Language <= 2);
    Check(form.ComboBox4->currentIndex() >= 0 &&
          form.ComboBox4->currentIndex() < form.ComboBox4->count());

    // A value of the input's own bytes (as much of it as a value line can carry) under a key
    // of its own: read back as written, every other entry as before.
    std::string value(reinterpret_cast<const char*>(data), std::min<size_t>(size, 64));
    for (char& c : value)
        if (c == '\r' || c == '\n' || c == '\0') c = '_';
    ini.WriteString("Fuzz", "Value", value);
    TIniFile reread(path);
    Check(reread.ReadString("Fuzz", "Value", "\x01") == AsRead(value));
    for (size_t i = 0; i < kEntries.size(); ++i) {
        const auto& [section, key] = kEntries[i];
        Check(reread.ReadString(section, key, "\x01") == before[i]);
    }

    form.SaveSettings(reread);
    TIniFile saved(path);
    Check(saved.ReadInteger("CHIP", "INDEX1", -2) == form.State.KindIndex);
    Check(saved.ReadInteger("CHIP", "INDEX2", -2) == form.State.MakerIndex);
    Check(saved.ReadInteger("CHIP", "INDEX3", -2) == form.State.ModelIndex);
    Check(saved.ReadInteger("DEVICE", "SPEED", -2) == form.ComboBox4->currentIndex());
    Check(saved.ReadInteger("DEVICE", "LANGU", -2) == form.State.Language);
    return 0;
}
