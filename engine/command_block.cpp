#include "command_block.h"

CommandBlock::CommandBlock(CommandCode code, bool bigEndian) : bigEndian_(bigEndian) {
    bytes_[0] = code == CmdErase || code == CmdEnd ? 1 : 0;
    bytes_[1] = code;
}

void CommandBlock::Put16(int at, uint16_t value) {
    const uint8_t high = static_cast<uint8_t>(value >> 8);
    const uint8_t low = static_cast<uint8_t>(value);
    Put8(at, bigEndian_ ? high : low);
    Put8(at + 1, bigEndian_ ? low : high);
}

void CommandBlock::Put32(int at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        const int shift = bigEndian_ ? 8 * (3 - i) : 8 * i;
        Put8(at + i, static_cast<uint8_t>(value >> shift));
    }
}

uint8_t BeginSpeedByte(const ChipRecord& chip, int32_t speedIndex) {
    // Unsigned arithmetic: the speed index may be -1 (no item selected), which wraps to 0xFF.
    const uint32_t s = static_cast<uint32_t>(speedIndex);
    switch (chip.Family) {
    case Flash25:
        return static_cast<uint8_t>(s);
    case Eeprom25:
        return static_cast<uint8_t>(s * 16u + chip.Voltage);
    default:
        return chip.Voltage;
    }
}

uint8_t QuerySpeedByte(int32_t speedIndex) {
    return static_cast<uint8_t>(speedIndex);
}

void PutChipParameters(CommandBlock& block, const ChipRecord& chip, uint8_t speedByte) {
    block.Put8(2, chip.Family);
    block.Put8(3, chip.Algorithm);
    block.Put16(4, chip.PageSize);
    block.Put16(6, chip.Delay);
    block.Put32(8, chip.Capacity);
    block.Put32(12, chip.ChipId);
    block.Put8(16, speedByte);
    block.Put8(28, chip.Voltage);
}

CommandBlock BuildBeginCommand(const ChipRecord& chip, int32_t speedIndex, bool bigEndian) {
    CommandBlock block(CmdBegin, bigEndian);
    PutChipParameters(block, chip, BeginSpeedByte(chip, speedIndex));
    return block;
}

CommandBlock BuildQueryCommand(const ChipRecord& chip, int32_t speedIndex, bool bigEndian) {
    CommandBlock block(CmdQueryChip, bigEndian);
    PutChipParameters(block, chip, QuerySpeedByte(speedIndex));
    return block;
}

CommandBlock BuildEndCommand(bool bigEndian) {
    return CommandBlock(CmdEnd, bigEndian);
}

CommandBlock BuildSetAddressCommand(uint32_t address, bool bigEndian) {
    CommandBlock block(CmdSetAddress, bigEndian);
    block.Put32(8, address);
    return block;
}

CommandBlock BuildEraseCommand(uint16_t argument, bool bigEndian) {
    CommandBlock block(CmdErase, bigEndian);
    block.Put16(26, argument);
    return block;
}

CommandBlock BuildSpiCommand(uint8_t instruction, bool bigEndian) {
    CommandBlock block(CmdSpiTransfer, bigEndian);
    block.Put8(2, 3);
    block.Put8(3, 1);
    block.Put8(4, instruction);
    return block;
}
