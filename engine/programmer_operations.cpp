#include "programmer_operations.h"

#include "chip_routines.h"
#include "encoding.h"
#include "message_table.h"
#include "programmer_state.h"
#include "string_list.h"
#include "sysutils.h"
#include "window_services.h"

#include <chrono>
#include <thread>

namespace {

constexpr std::chrono::milliseconds kAutoVerifyPause{350};

// Read and Write check the socket first only for these families.
bool ChecksPresenceForData(const ChipRecord& chip) {
    return chip.Family == Flash25 || chip.Family == Eeprom24 || chip.Family == Eeprom93;
}

} // namespace

// Marks an operation as running for its whole length, so that no second one starts from a
// message loop inside it (a modal box or the per-chunk message run).
class ProgrammerOperations::Busy {
public:
    explicit Busy(bool& flag) : flag_(flag) { flag_ = true; }
    ~Busy() { flag_ = false; }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    bool& flag_;
};

ProgrammerOperations::ProgrammerOperations(ProgrammerState& state, WindowServices& services)
    : state_(state), ui_(services), session_(state, services) {}

bool ProgrammerOperations::EmptyBuffer() {
    if (state_.DataLength != 0) return false;
    ui_.ShowError(Message(MsgBufferEmpty, state_.Language));
    return true;
}

bool ProgrammerOperations::BadRecord() {
    if (IsUsableChipRecord(state_.SelectedChip())) return false;
    ui_.ShowError(Message(MsgBadChipRecord, state_.Language));
    return true;
}

// The presence check: an empty socket ends the operation; a missing programmer does not,
// because BeginSession reports it.
bool ProgrammerOperations::ChipAbsent() {
    uint8_t reply[4] = {};
    switch (session_.QueryChip(reply)) {
    case QueryResult::NoProgrammer:
        return false;
    case QueryResult::Failed:
        return true;
    case QueryResult::Answered:
        break;
    }
    if (reply[0] != 0) return false;
    ui_.ShowError(Message(MsgNoChip, state_.Language));
    return true;
}

void ProgrammerOperations::Start() {
    state_.StartTime = Clock();
}

void ProgrammerOperations::Finish() {
    state_.EndTime = Clock();
    ui_.SetElapsedText(FormatDateTime("hh:mm:ss", state_.EndTime - state_.StartTime));
    ui_.Beep();
}

void ProgrammerOperations::Log(int message) {
    ui_.AddLogLine(ui_.NextLogPrefix() + Message(static_cast<MessageId>(message), state_.Language));
}

void ProgrammerOperations::ToolReadClick(TObject*) {
    if (SessionRunning()) return;
    Busy busy(busy_);
    if (BadRecord()) return;
    if (ChecksPresenceForData(state_.SelectedChip()) && ChipAbsent()) return;
    bool readWhole = false;
    if (session_.BeginSession()) {
        Start();
        readWhole = ReadChip(session_, state_.SelectedChip()) == RoutineResult::Done;
        if (readWhole) {
            Finish();
            Log(MsgReadDone);
        }
    }
    session_.EndSession();
    if (readWhole && state_.DataLength == 0) ui_.ShowError(Message(MsgChipEmpty, state_.Language));
}

void ProgrammerOperations::ToolEraseClick(TObject*) {
    if (SessionRunning()) return;
    Busy busy(busy_);
    if (BadRecord() || ChipAbsent()) return;
    if (session_.BeginSession()) {
        Start();
        if (EraseChip(session_, state_.SelectedChip()) == RoutineResult::Done) {
            Finish();
            Log(MsgEraseDone);
        }
    }
    session_.EndSession();
}

void ProgrammerOperations::ToolWriteClick(TObject*) {
    if (SessionRunning()) return;
    Busy busy(busy_);
    ui_.TakeHexViewEdits();
    if (EmptyBuffer() || BadRecord()) return;
    if (ChecksPresenceForData(state_.SelectedChip()) && ChipAbsent()) return;
    if (session_.BeginSession()) {
        Start();
        if (WriteChip(session_, state_.SelectedChip()) == RoutineResult::Done) {
            Finish();
            Log(MsgWriteDone);
        }
    }
    session_.EndSession();
}

void ProgrammerOperations::ToolVerifyClick(TObject*) {
    if (SessionRunning()) return;
    Busy busy(busy_);
    ui_.TakeHexViewEdits();
    if (EmptyBuffer() || BadRecord() || ChipAbsent()) return;
    if (session_.BeginSession()) {
        Start();
        const RoutineResult result = VerifyChip(session_, state_.SelectedChip());
        if (result == RoutineResult::Done) Log(MsgVerifyDone);
        if (result != RoutineResult::Stopped) Finish();
    }
    session_.EndSession();
}

void ProgrammerOperations::ToolAutoClick(TObject*) {
    if (SessionRunning()) return;
    Busy busy(busy_);
    ui_.TakeHexViewEdits();
    if (EmptyBuffer() || BadRecord() || ChipAbsent()) return;
    if (session_.BeginSession()) {
        Start();
        // A failed erase stops Auto: programming a chip that is not erased corrupts it.
        bool goOn = true;
        if (ui_.AutoOptions().Erase)
            goOn = EraseChip(session_, state_.SelectedChip()) == RoutineResult::Done;
        if (goOn && ui_.AutoOptions().Program)
            goOn = WriteChip(session_, state_.SelectedChip()) == RoutineResult::Done;
        if (goOn && ui_.AutoOptions().Verify) {
            std::this_thread::sleep_for(kAutoVerifyPause);
            const RoutineResult result = VerifyChip(session_, state_.SelectedChip());
            if (result == RoutineResult::Done) Log(MsgAutoDone);
            goOn = result != RoutineResult::Stopped;
        }
        if (goOn) Finish();
    }
    session_.EndSession();
}

void ProgrammerOperations::ToolBankClick(TObject*) {
    if (SessionRunning()) return;
    Busy busy(busy_);
    if (BadRecord() || ChipAbsent()) return;
    if (session_.BeginSession()) {
        Start();
        const RoutineResult result = BlankCheckChip(session_, state_.SelectedChip());
        if (result == RoutineResult::Done) Log(MsgBlankDone);
        if (result != RoutineResult::Stopped) Finish();
    }
    session_.EndSession();
}

void ProgrammerOperations::BitBtn1Click(TObject*) {
    if (SessionRunning()) return;
    Busy busy(busy_);
    Detect();
}

void ProgrammerOperations::Detect() {
    const int32_t language = state_.Language;
    uint8_t reply[4] = {};
    switch (session_.QueryChip(reply)) {
    case QueryResult::NoProgrammer:
        ui_.ShowError(Message(MsgNotConnected, language));
        return;
    case QueryResult::Failed:
        return;
    case QueryResult::Answered:
        break;
    }
    switch (reply[0]) {
    case 1: {
        const uint32_t id =
            static_cast<uint32_t>(reply[1]) << 16 | static_cast<uint32_t>(reply[2]) << 8 | reply[3];
        const ChipRecord* found = nullptr;
        for (const ChipRecord& record : state_.ChipTable) {
            if (IsEndRecord(record)) break;
            if (record.ChipId == id) {
                found = &record;
                break;
            }
        }
        if (!found) {
            if (ui_.ChipListItemIndex(ChipList::Kind) != 0) ui_.SelectChip(0, 0, 0);
            ui_.ShowError(Message(MsgUnknownChipId, language) +
                          Format("%2.2X %2.2X %2.2X", reply[1], reply[2], reply[3]) +
                          Message(MsgChooseCompatible, language));
            return;
        }
        // The same split as the window's lists; a name with fewer than three items gives
        // empty texts for the missing ones.
        std::vector<std::string> items = SplitDelimitedText(ChipNameText(*found));
        items.resize(std::max<size_t>(items.size(), 3));
        const std::string kind = Cp936ToUtf8(Trim(items[0]));
        const std::string maker = Cp936ToUtf8(Trim(items[1]));
        const std::string model = Cp936ToUtf8(Trim(items[2]));
        state_.KindIndex = ui_.ChipListIndexOf(ChipList::Kind, kind);
        ui_.SelectChip(state_.KindIndex, state_.MakerIndex, state_.ModelIndex);
        state_.MakerIndex = ui_.ChipListIndexOf(ChipList::Maker, maker);
        ui_.SelectChip(state_.KindIndex, state_.MakerIndex, state_.ModelIndex);
        state_.ModelIndex = ui_.ChipListIndexOf(ChipList::Model, model);
        ui_.SelectChip(state_.KindIndex, state_.MakerIndex, state_.ModelIndex);
        ui_.ShowInformation(Message(MsgChipDetected, language) + ui_.ChipListText(ChipList::Model) +
                            Message(MsgChipTypeLabel, language) + ui_.ChipListText(ChipList::Kind));
        return;
    }
    case 2:
    case 3: {
        const int32_t kind = reply[0] - 1;
        if (ui_.ChipListItemIndex(ChipList::Kind) != kind) ui_.SelectChip(kind, 0, 0);
        ui_.ShowInformation(Message(MsgFamilyDetected, language) +
                            ui_.ChipListText(ChipList::Kind) +
                            Message(MsgSelectManually, language));
        return;
    }
    default:
        ui_.ShowError(Message(MsgNoChip, language));
        return;
    }
}
