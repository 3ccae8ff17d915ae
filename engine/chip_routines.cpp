#include "chip_routines.h"

#include "device_session.h"
#include "message_table.h"
#include "programmer_state.h"
#include "sysutils.h"
#include "window_services.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

using std::chrono::milliseconds;

constexpr uint16_t kChipEraseArgument = 0x8000;
constexpr milliseconds kPollPause{50};
constexpr milliseconds kEeprom24WritePause{100};

uint64_t RoundUp(uint64_t value, uint64_t step) {
    return (value + step - 1) / step * step;
}

// Hides the bar when a routine ends, early or not; an error box has been shown already.
RoutineResult Finish(WindowServices& ui, RoutineResult result) {
    ui.SetProgressPosition(0);
    ui.HideProgress();
    return result;
}

// Moves the bar and lets the window answer between two steps of a routine.
void Advance(WindowServices& ui, uint64_t position) {
    ui.SetProgressPosition(static_cast<uint32_t>(position));
    ui.ProcessMessages();
}

// The bar over a data stream, and the 4-byte mode and start address in front of it. Parts that
// take B7h only after a write enable would otherwise stay in 3-byte mode and stream their
// first 16 MiB twice; the write enable is harmless on the others.
bool StartStream(DeviceSession& session, const ChipRecord& chip, uint32_t length, bool readReply) {
    WindowServices& ui = session.Services();
    if (chip.Capacity > k4ByteAddressThreshold &&
        !(session.SendSpiCommand(kSpiWriteEnable) && session.SendSpiCommand(kSpiEnter4ByteMode)))
        return false;
    ui.ShowProgress();
    ui.SetProgressMax(length);
    ui.SetProgressPosition(0);
    return session.SetStartAddress(0, readReply);
}

// Streams length bytes from the start of the chip, whole chunks at a time, and hands each
// chunk with its position to check; check shows its own error box and answers false to end
// the routine with a mismatch.
template <typename Check>
RoutineResult CheckStream(DeviceSession& session, const ChipRecord& chip, uint32_t length,
                          Check check) {
    WindowServices& ui = session.Services();
    const uint32_t chunk = ChunkSize(chip);
    uint8_t chunkBuffer[kChunkBufferSize];
    std::memset(chunkBuffer, 0xFF, sizeof chunkBuffer);
    if (!StartStream(session, chip, length, true)) return Finish(ui, RoutineResult::Stopped);
    for (uint64_t pos = 0; pos < length; pos += chunk) {
        if (!session.ReadChunk(chunkBuffer, chunk)) return Finish(ui, RoutineResult::Stopped);
        if (!check(static_cast<const uint8_t*>(chunkBuffer), chunk, pos))
            return Finish(ui, RoutineResult::Mismatch);
        Advance(ui, pos);
    }
    return Finish(ui, RoutineResult::Done);
}

// The routines guard their own buffers even when a caller skipped the record check.
bool Refused(DeviceSession& session, const ChipRecord& chip, ChipAccess access) {
    if (IsUsableChipRecord(chip, access)) return false;
    session.Services().ShowError(Message(MsgBadChipRecord, session.State().Language));
    return true;
}

} // namespace

uint32_t ChunkSize(const ChipRecord& chip) {
    return std::max<uint32_t>(chip.PageSize, kMinimumChunk);
}

bool IsUsableChipRecord(const ChipRecord& chip, ChipAccess access) {
    if (chip.Family > Eeprom95) return false;
    if (chip.PageSize == 0 || chip.PageSize > kMaximumPageSize) return false;
    if (access == ChipAccess::Chunks && chip.Capacity % ChunkSize(chip) != 0) return false;
    return RoundUp(chip.Capacity, ChunkSize(chip)) <= kImageBufferSize;
}

RoutineResult EraseChip(DeviceSession& session, const ChipRecord& chip) {
    if (Refused(session, chip, ChipAccess::Commands)) return RoutineResult::Stopped;
    WindowServices& ui = session.Services();
    const int32_t language = session.State().Language;
    ui.SetStatusText(Message(MsgErasing, language));
    ui.ShowProgress();
    ui.SetProgressPosition(0);
    switch (chip.Family) {
    case Flash25: {
        ui.SetProgressMax(chip.Delay);
        CommandBlock block = BuildEraseCommand(kChipEraseArgument, session.BigEndian());
        if (!session.Command(block, false)) return Finish(ui, RoutineResult::Stopped);
        // The poll goes out in the same block: the erase command's bytes before the first
        // poll, the last reply's afterwards.
        uint32_t counter = 0;
        bool busy = false;
        bool pollsRanOut = false;
        do {
            std::this_thread::sleep_for(kPollPause);
            block.Put8(0, 0);
            block.Put8(1, CmdPollStatus);
            if (!session.Command(block, true)) return Finish(ui, RoutineResult::Stopped);
            busy = (block.At(0) & 1) != 0;
            if (chip.Delay < counter) {
                pollsRanOut = true;
                break;
            }
            ++counter;
            Advance(ui, counter);
        } while (busy);
        if (pollsRanOut && busy) {
            ui.ShowError(Message(MsgEraseTimeout, language));
            return Finish(ui, RoutineResult::Stopped);
        }
        break;
    }
    case Eeprom24:
    case Eeprom25:
    case Eeprom95: {
        ui.SetProgressMax(chip.Capacity);
        for (uint64_t a = 0; a < chip.Capacity; a += chip.PageSize) {
            CommandBlock block =
                BuildEraseCommand(static_cast<uint16_t>(a & 0xFFFF), session.BigEndian());
            if (!session.Command(block, false)) return Finish(ui, RoutineResult::Stopped);
            Advance(ui, a);
        }
        break;
    }
    case Eeprom93: {
        CommandBlock block = BuildEraseCommand(chip.Delay, session.BigEndian());
        if (!session.Command(block, false)) return Finish(ui, RoutineResult::Stopped);
        break;
    }
    default:
        break;
    }
    return Finish(ui, RoutineResult::Done);
}

RoutineResult ReadChip(DeviceSession& session, const ChipRecord& chip) {
    if (Refused(session, chip, ChipAccess::Chunks)) return RoutineResult::Stopped;
    WindowServices& ui = session.Services();
    ProgrammerState& state = session.State();
    uint8_t* const buffer = state.ImageBuffer.get();
    const uint32_t chunk = ChunkSize(chip);
    ui.SetStatusText(Message(MsgReading, state.Language));
    bool ok = StartStream(session, chip, chip.Capacity, true);
    for (uint64_t pos = 0; ok && pos < chip.Capacity; pos += chunk) {
        ok = session.ReadChunk(buffer + pos, chunk);
        if (!ok) break;
        Advance(ui, pos);
    }
    if (!ok) {
        // Half a chip must never pass for a backup: the buffer becomes empty and the view
        // shows it so.
        std::memset(buffer, 0xFF, RoundUp(chip.Capacity, chunk));
        state.DataLength = 0;
        ui.ReloadHexView(chip.Capacity);
        return Finish(ui, RoutineResult::Stopped);
    }
    uint32_t n = chip.Capacity;
    while (n > 0 && buffer[n - 1] == 0xFF) --n;
    if (n % 2 != 0) ++n;
    state.DataLength = static_cast<int32_t>(n);
    ui.ReloadHexView(chip.Capacity);
    return Finish(ui, RoutineResult::Done);
}

RoutineResult BlankCheckChip(DeviceSession& session, const ChipRecord& chip) {
    if (Refused(session, chip, ChipAccess::Chunks)) return RoutineResult::Stopped;
    const int32_t language = session.State().Language;
    session.Services().SetStatusText(Message(MsgBlankChecking, language));
    return CheckStream(
        session, chip, chip.Capacity, [&](const uint8_t* chunk, uint32_t size, uint64_t) {
            if (std::all_of(chunk, chunk + size, [](uint8_t b) { return b == 0xFF; })) return true;
            session.Services().ShowError(Message(MsgNotBlank, language));
            return false;
        });
}

RoutineResult VerifyChip(DeviceSession& session, const ChipRecord& chip) {
    if (Refused(session, chip, ChipAccess::Chunks)) return RoutineResult::Stopped;
    ProgrammerState& state = session.State();
    const uint8_t* const buffer = state.ImageBuffer.get();
    session.Services().SetStatusText(Message(MsgVerifying, state.Language));
    const uint32_t length =
        std::min<uint32_t>(chip.Capacity, static_cast<uint32_t>(std::max(state.DataLength, 0)));
    // Whole chunks are compared, also the bytes behind the length in the last one.
    return CheckStream(
        session, chip, length, [&](const uint8_t* chunk, uint32_t size, uint64_t pos) {
            const auto diff = std::mismatch(chunk, chunk + size, buffer + pos);
            if (diff.first == chunk + size) return true;
            const uint64_t address = pos + static_cast<uint64_t>(diff.first - chunk);
            session.Services().ShowError(Message(MsgVerifyErrorAt, state.Language) +
                                         Format("%Xh", static_cast<unsigned>(address)));
            return false;
        });
}

RoutineResult WriteChip(DeviceSession& session, const ChipRecord& chip) {
    if (Refused(session, chip, ChipAccess::Chunks)) return RoutineResult::Stopped;
    WindowServices& ui = session.Services();
    ProgrammerState& state = session.State();
    const uint8_t* const buffer = state.ImageBuffer.get();
    const uint32_t chunk = ChunkSize(chip);
    ui.SetStatusText(Message(MsgWriting, state.Language));
    const uint32_t dataLength = static_cast<uint32_t>(std::max(state.DataLength, 0));
    if (chip.PageSize != 0 && dataLength % chip.PageSize != 0) {
        uint64_t rounded = RoundUp(dataLength, chip.PageSize);
        // A last page cut off by the chip's end is no reason to ask about data that fit.
        if (dataLength <= chip.Capacity) rounded = std::min<uint64_t>(rounded, chip.Capacity);
        state.DataLength = static_cast<int32_t>(std::min<uint64_t>(rounded, kImageBufferSize));
    }
    uint32_t length = static_cast<uint32_t>(state.DataLength);
    if (chip.Capacity < length) {
        if (!ui.AskYesNo(Message(MsgFileTooLarge, state.Language))) return RoutineResult::Stopped;
        length = chip.Capacity;
    }
    if (!StartStream(session, chip, length, false)) return Finish(ui, RoutineResult::Stopped);
    for (uint64_t pos = 0; pos < length; pos += chunk) {
        if (!session.WriteChunk(buffer + pos, chunk)) return Finish(ui, RoutineResult::Stopped);
        Advance(ui, pos);
    }
    if (chip.Family == Eeprom24) std::this_thread::sleep_for(kEeprom24WritePause);
    return Finish(ui, RoutineResult::Done);
}
