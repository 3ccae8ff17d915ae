#pragma once
// The 64-byte command blocks of the programmer's command endpoint. Multi-byte fields are
// big-endian for the "WinUSBComm" variant (read endpoint 0x82) and little-endian for the
// "WinUSBComm Device" variant; the builder is told which when the block is made.
#include "chip_record.h"

#include <array>
#include <cstdint>

inline constexpr int kCommandBlockSize = 64;
// The read endpoint of the variant whose fields are big-endian.
inline constexpr int32_t kBigEndianReadEndpoint = 0x82;

enum CommandCode : uint8_t {
    CmdErase = 2,
    CmdSetAddress = 5,
    CmdBegin = 7,
    CmdEnd = 8,
    CmdQueryChip = 9,
    CmdPollStatus = 10,
    CmdSpiTransfer = 11,
};

// The SPI flash instruction that enters 4-byte address mode, and the write enable that many
// parts (Micron N25Q and MT25Q, Winbond W25Q256FV, XMC) want before they accept it.
inline constexpr uint8_t kSpiEnter4ByteMode = 0xB7;
inline constexpr uint8_t kSpiWriteEnable = 0x06;

class CommandBlock {
public:
    // 64 zero bytes with byte 0 (1 for erase and end) and the command code in byte 1.
    CommandBlock(CommandCode code, bool bigEndian);

    void Put8(int at, uint8_t value) { bytes_[static_cast<size_t>(at)] = value; }
    void Put16(int at, uint16_t value);
    void Put32(int at, uint32_t value);
    uint8_t At(int at) const { return bytes_[static_cast<size_t>(at)]; }

    char* Data() { return reinterpret_cast<char*>(bytes_.data()); }
    const std::array<uint8_t, kCommandBlockSize>& Bytes() const { return bytes_; }
    bool BigEndian() const { return bigEndian_; }

private:
    std::array<uint8_t, kCommandBlockSize> bytes_{};
    bool bigEndian_;
};

// Byte 16 of the chip parameters, cut to its low 8 bits: for CmdBegin the speed index
// (Flash25), speed index × 16 + Voltage (Eeprom25) or Voltage (the other families).
uint8_t BeginSpeedByte(const ChipRecord& chip, int32_t speedIndex);
// For CmdQueryChip the speed index for every family.
uint8_t QuerySpeedByte(int32_t speedIndex);

// The chip's parameters in bytes 2..28 of a block.
void PutChipParameters(CommandBlock& block, const ChipRecord& chip, uint8_t speedByte);

CommandBlock BuildBeginCommand(const ChipRecord& chip, int32_t speedIndex, bool bigEndian);
CommandBlock BuildQueryCommand(const ChipRecord& chip, int32_t speedIndex, bool bigEndian);
CommandBlock BuildEndCommand(bool bigEndian);
CommandBlock BuildSetAddressCommand(uint32_t address, bool bigEndian);
CommandBlock BuildEraseCommand(uint16_t argument, bool bigEndian);
CommandBlock BuildSpiCommand(uint8_t instruction, bool bigEndian);
