#include "programmer_operations.h"

#include "chip_name.h"
#include "chip_routines.h"
#include "encoding.h"
#include "message_table.h"
#include "programmer_state.h"
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

bool ProgrammerOperations::BadRecord(ChipAccess access) {
    if (IsUsableChipRecord(state_.SelectedChip(), access)) return false;
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

void ProgrammerOperations::Log(MessageId message) {
    ui_.AddLogLine(ui_.NextLogPrefix() + Message(message, state_.Language));
}

// A routine that reads or changes the chip shows its time and logs only when it ran to its end.
void ProgrammerOperations::EndWork(RoutineResult result, MessageId done) {
    if (result != RoutineResult::Done) return;
    Finish();
    Log(done);
}

// A check that found a difference has shown its own box: it logs nothing, but still shows its
// time and beeps. The log line comes before the end time is taken.
void ProgrammerOperations::EndCheck(RoutineResult result, MessageId done) {
    if (result == RoutineResult::Done) Log(done);
    if (result != RoutineResult::Stopped) Finish();
}

// Holds the device session for one scope: EndSession runs on every way out of it, whatever
// BeginSession returned. An error raised by EndSession itself still reaches the caller.
class ProgrammerOperations::Session {
public:
    explicit Session(DeviceSession& session) : session_(session), open_(session.BeginSession()) {}
    ~Session() noexcept(false) { session_.EndSession(); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    bool Open() const { return open_; }

private:
    DeviceSession& session_;
    const bool open_;
};

void ProgrammerOperations::Run(const Frame& frame, const std::function<void()>& steps,
                               const std::function<void()>& after) {
    if (SessionRunning()) return;
    Busy busy(busy_);
    if (frame.UsesBuffer) {
        ui_.TakeHexViewEdits();
        if (EmptyBuffer()) return;
    }
    if (BadRecord(frame.Access)) return;
    const bool presence =
        frame.Presence == PresenceCheck::Always || ChecksPresenceForData(state_.SelectedChip());
    if (presence && ChipAbsent()) return;
    {
        const Session session(session_);
        if (session.Open()) {
            Start();
            steps();
        }
    }
    if (after) after();
}

void ProgrammerOperations::ToolReadClick(TObject*) {
    RoutineResult result = RoutineResult::Stopped;
    const auto read = [&] {
        result = ReadChip(session_, state_.SelectedChip());
        EndWork(result, MsgReadDone);
    };
    const auto reportEmpty = [&] {
        if (result == RoutineResult::Done && state_.DataLength == 0)
            ui_.ShowError(Message(MsgChipEmpty, state_.Language));
    };
    Run({.UsesBuffer = false, .Presence = PresenceCheck::DataFamilies}, read, reportEmpty);
}

void ProgrammerOperations::ToolEraseClick(TObject*) {
    Run({.UsesBuffer = false, .Presence = PresenceCheck::Always, .Access = ChipAccess::Commands},
        [this] { EndWork(EraseChip(session_, state_.SelectedChip()), MsgEraseDone); });
}

void ProgrammerOperations::ToolWriteClick(TObject*) {
    Run({.UsesBuffer = true, .Presence = PresenceCheck::DataFamilies},
        [this] { EndWork(WriteChip(session_, state_.SelectedChip()), MsgWriteDone); });
}

void ProgrammerOperations::ToolVerifyClick(TObject*) {
    Run({.UsesBuffer = true, .Presence = PresenceCheck::Always},
        [this] { EndCheck(VerifyChip(session_, state_.SelectedChip()), MsgVerifyDone); });
}

void ProgrammerOperations::ToolAutoClick(TObject*) {
    Run({.UsesBuffer = true, .Presence = PresenceCheck::Always}, [this] {
        // A failed erase stops Auto: programming a chip that is not erased corrupts it.
        if (ui_.AutoOptions().Erase &&
            EraseChip(session_, state_.SelectedChip()) != RoutineResult::Done)
            return;
        if (ui_.AutoOptions().Program &&
            WriteChip(session_, state_.SelectedChip()) != RoutineResult::Done)
            return;
        if (!ui_.AutoOptions().Verify) {
            Finish();
            return;
        }
        std::this_thread::sleep_for(kAutoVerifyPause);
        EndCheck(VerifyChip(session_, state_.SelectedChip()), MsgAutoDone);
    });
}

void ProgrammerOperations::ToolBankClick(TObject*) {
    Run({.UsesBuffer = false, .Presence = PresenceCheck::Always},
        [this] { EndCheck(BlankCheckChip(session_, state_.SelectedChip()), MsgBlankDone); });
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
        // The window's lists read names the same way; a name with fewer than three fields
        // gives empty texts for the missing ones.
        const ChipNameFields fields = SplitChipName(ChipNameText(*found));
        const std::string kind = Cp936ToUtf8(fields.Kind);
        const std::string maker = Cp936ToUtf8(fields.Maker);
        const std::string model = Cp936ToUtf8(fields.Model);
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
