#pragma once
// A device session: from BeginSession, which opens the link, disables the controls and
// announces the chip, to EndSession, which ends it on every path. Inside a session every
// transfer is checked: a failed, short or timed-out transfer shows MsgUsbTransferFailed once
// and makes the transfer member return false, so no routine can report it as success.
#include "command_block.h"

#include <cstdint>

struct ProgrammerState;
class WindowServices;

enum class QueryResult {
    NoProgrammer, // the link found no programmer; nothing was shown
    Answered,     // the reply holds the programmer's answer
    Failed,       // the query's transfer failed; the error box has been shown
};

class DeviceSession {
public:
    DeviceSession(ProgrammerState& state, WindowServices& services);

    ProgrammerState& State() { return state_; }
    WindowServices& Services() { return services_; }

    // True while the link is held: from a successful open until EndSession.
    bool Running() const { return running_; }

    // False when no programmer was found (after MsgNotConnected) or CmdBegin's reply failed.
    // The caller runs EndSession whatever this returned.
    bool BeginSession();
    void EndSession();
    // A short session of its own asking what sits in the socket; reply gets bytes 0..3.
    QueryResult QueryChip(uint8_t reply[4]);

    bool SetStartAddress(uint32_t address, bool readReply);
    bool SendSpiCommand(uint8_t instruction);

    // Multi-byte fields follow the variant of the open (or last opened) programmer.
    bool BigEndian() const;
    // Sends a block (64 bytes); with readReply the reply replaces it.
    bool Command(CommandBlock& block, bool readReply);
    bool ReadChunk(uint8_t* target, uint32_t length);
    bool WriteChunk(const uint8_t* source, uint32_t length);

private:
    bool Check(int result, uint32_t expected);

    ProgrammerState& state_;
    WindowServices& services_;
    bool running_ = false;
};
