#include "device_session.h"

#include "message_table.h"
#include "programmer_state.h"
#include "usb_bulk.h"
#include "window_services.h"

#include <chrono>
#include <cstring>
#include <thread>

namespace {

// The programmer needs this long after a command before its reply can be read.
constexpr std::chrono::milliseconds kReplyWait{50};

} // namespace

DeviceSession::DeviceSession(ProgrammerState& state, WindowServices& services)
    : state_(state), services_(services) {}

bool DeviceSession::BigEndian() const {
    return state_.UsbLink->ep_read == kBigEndianReadEndpoint;
}

bool DeviceSession::Check(int result, uint32_t expected) {
    if (result >= 0 && static_cast<uint32_t>(result) == expected) return true;
    services_.ShowError(Message(MsgUsbTransferFailed, state_.Language));
    return false;
}

bool DeviceSession::Command(CommandBlock& block, bool readReply) {
    // The command and its reply are checked one by one: a command that never arrived leaves
    // no reply queued, and the read would then return chip data in its place.
    if (!Check(state_.UsbLink->USB_bulk_cmd(block.Data(), kCommandBlockSize, 0), kCommandBlockSize))
        return false;
    if (!readReply) return true;
    std::this_thread::sleep_for(kReplyWait);
    return Check(state_.UsbLink->USB_bulk_read(block.Data(), kCommandBlockSize), kCommandBlockSize);
}

bool DeviceSession::ReadChunk(uint8_t* target, uint32_t length) {
    return Check(
        state_.UsbLink->USB_bulk_read(reinterpret_cast<char*>(target), static_cast<int>(length)),
        length);
}

bool DeviceSession::WriteChunk(const uint8_t* source, uint32_t length) {
    // The link takes a mutable pointer but only sends from it.
    return Check(
        state_.UsbLink->USB_bulk_write(const_cast<char*>(reinterpret_cast<const char*>(source)),
                                       static_cast<int>(length)),
        length);
}

bool DeviceSession::BeginSession() {
    if (state_.UsbLink->prog_open(kProgrammerVendorId, kProgrammerProductId) == 0) {
        services_.ShowError(Message(MsgNotConnected, state_.Language));
        return false;
    }
    running_ = true;
    services_.SetControlsEnabled(false);
    CommandBlock block =
        BuildBeginCommand(state_.SelectedChip(), services_.SpeedIndex(), BigEndian());
    return Command(block, true);
}

void DeviceSession::EndSession() {
    CommandBlock block = BuildEndCommand(BigEndian());
    // Nothing is left to undo when the end command fails; the link is closed all the same.
    state_.UsbLink->USB_bulk_cmd(block.Data(), kCommandBlockSize, 0);
    state_.UsbLink->USB_bulk_close();
    running_ = false;
    services_.SetControlsEnabled(true);
    services_.SetStatusText(Message(MsgReady, state_.Language));
}

QueryResult DeviceSession::QueryChip(uint8_t reply[4]) {
    if (state_.UsbLink->prog_open(kProgrammerVendorId, kProgrammerProductId) == 0)
        return QueryResult::NoProgrammer;
    running_ = true;
    services_.SetControlsEnabled(false);
    CommandBlock block =
        BuildQueryCommand(state_.SelectedChip(), services_.SpeedIndex(), BigEndian());
    TUsbBulk& link = *state_.UsbLink;
    bool answered = link.USB_bulk_cmd(block.Data(), kCommandBlockSize, 0) == kCommandBlockSize;
    if (answered) {
        std::this_thread::sleep_for(kReplyWait);
        answered = link.USB_bulk_read(block.Data(), kCommandBlockSize) == kCommandBlockSize;
    }
    EndSession();
    // The box comes after the link is closed: no message loop runs while QueryChip holds it.
    if (!answered) {
        services_.ShowError(Message(MsgUsbTransferFailed, state_.Language));
        return QueryResult::Failed;
    }
    std::memcpy(reply, block.Bytes().data(), 4);
    return QueryResult::Answered;
}

bool DeviceSession::SetStartAddress(uint32_t address, bool readReply) {
    CommandBlock block = BuildSetAddressCommand(address, BigEndian());
    return Command(block, readReply);
}

bool DeviceSession::SendSpiCommand(uint8_t instruction) {
    CommandBlock block = BuildSpiCommand(instruction, BigEndian());
    return Command(block, true);
}
