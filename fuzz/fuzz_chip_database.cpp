// Arbitrary bytes as the chip database beside the program: loaded as the window does at its
// start, the three lists built and rebuilt, then a detection through the programmer emulator
// that reports the JEDEC id of one of the records. Findings besides the sanitizers': a
// selected record outside the table, and lists that show another chip than the one the
// operations would use.
//
// Input: byte 0 to 2 the saved list positions (signed), byte 3 the detection (bits 0-1 the
// query kind, the rest picks the record whose id the chip reports), then the file. Every
// selection loads the chip's capacity into the hex view, so capacities above 64 KiB are cut
// to 64 KiB in the file: 64 MiB loads would make every run a thousand times slower and test
// nothing of the lists or the detection.
#include "chip_name.h"
#include "emulator_api.h"
#include "fuzz_window.h"
#include "programmer_operations.h"

#include <QComboBox>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

// The protocol's pauses wait for a real programmer; the emulator has answered already. Only
// the fuzzing thread skips them: libFuzzer's own threads keep their sleeps.
thread_local bool skipPauses = false;

void Check(bool condition) {
    if (!condition) std::abort();
}

// The item's bytes (the name field as the record holds it), empty for no selection.
std::string SelectedBytes(const QComboBox* combo) {
    if (combo->property("edited").toBool() || combo->currentIndex() < 0) return {};
    return combo->currentData().toByteArray().toStdString();
}

// When the model list shows a chip, it is the selected record, and the other two lists show
// that record's kind and manufacturer.
void CheckListsShowTheSelectedChip(FuzzForm& form) {
    Check(form.State.ChipIndex >= 0 && form.State.ChipIndex < kChipTableSlots);
    const std::string model = SelectedBytes(form.ComboBox3);
    if (model.empty()) return;
    const ChipNameFields fields = SplitChipName(ChipNameText(form.State.SelectedChip()));
    Check(fields.Model == model);
    Check(fields.Maker == SelectedBytes(form.ComboBox2));
    Check(fields.Kind == SelectedBytes(form.ComboBox1));
}

} // namespace

extern "C" int nanosleep(const struct timespec* request, struct timespec* remaining) {
    if (skipPauses) return 0;
    const int rc = clock_nanosleep(CLOCK_REALTIME, 0, request, remaining);
    if (rc == 0) return 0;
    errno = rc;
    return -1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    FuzzForm& form = TheForm();
    const FuzzSettle settle;
    std::vector<uint8_t> file(data + 4, data + size);
    for (size_t at = 0; at + kChipRecordSize <= file.size(); at += kChipRecordSize) {
        uint8_t* capacity = file.data() + at + offsetof(ChipRecord, Capacity);
        const uint32_t value = capacity[0] | capacity[1] << 8 | capacity[2] << 16 |
                               static_cast<uint32_t>(capacity[3]) << 24;
        if (value > 0x10000) {
            capacity[0] = capacity[1] = capacity[3] = 0;
            capacity[2] = 1; // little-endian 0x10000
        }
    }
    FuzzWriteFile(ChipDatabasePath(), file.data(), file.size());

    form.State.ChipTable = ChipTableArray{};
    form.State.ChipIndex = 0;
    form.State.KindIndex = static_cast<int8_t>(data[0]);
    form.State.MakerIndex = static_cast<int8_t>(data[1]);
    form.State.ModelIndex = static_cast<int8_t>(data[2]);
    form.ComboBox1->clear();
    if (!LoadChipDatabase(form.State, form)) return 0;
    Check(form.State.ChipIndex >= 0 && form.State.ChipIndex < kChipTableSlots);
    form.ReloadChipLists();
    CheckListsShowTheSelectedChip(form);

    int records = 0;
    while (records < kChipTableSlots && !IsEndRecord(form.State.ChipTable[records])) ++records;
    const uint32_t id =
        records > 0 ? form.State.ChipTable[(data[3] >> 2) % records].ChipId : 0xEF4010;
    emu_reset();
    emu_set_recording(0);
    emu_set_chip(EMU_FLASH25, 0x10000, 256, id & 0xFFFFFF);
    emu_set_query_kind(data[3] & 3);
    skipPauses = true;
    form.Operations->BitBtn1Click(nullptr);
    skipPauses = false;
    CheckListsShowTheSelectedChip(form);
    return 0;
}
