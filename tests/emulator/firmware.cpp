// The programmer's firmware as the emulator plays it: command blocks, the reply register,
// the data stream and the chip's memory.
#include "emulator_state.h"

#include <algorithm>
#include <cstring>

namespace emu {

namespace {

constexpr int kCmdErase = 2;
constexpr int kCmdSetAddress = 5;
constexpr int kCmdBegin = 7;
constexpr int kCmdEnd = 8;
constexpr int kCmdQueryChip = 9;
constexpr int kCmdPollStatus = 10;
constexpr int kCmdSpiTransfer = 11;
constexpr uint16_t kWholeChipErase = 0x8000;

uint32_t Field32(int variant, const unsigned char* p) {
    if (variant == 1)
        return p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

uint16_t Field16(int variant, const unsigned char* p) {
    return static_cast<uint16_t>(variant == 1 ? p[0] | (p[1] << 8) : (p[0] << 8) | p[1]);
}

void Fill(Chip& c, size_t from, size_t count) {
    if (from >= c.memory.size()) return;
    count = std::min(count, c.memory.size() - from);
    std::memset(c.memory.data() + from, 0xFF, count);
}

void Erase(Chip& c, uint16_t argument) {
    const size_t size = c.memory.size();
    switch (c.family) {
    case EMU_FLASH25:
        if (argument == kWholeChipErase) {
            Fill(c, 0, size);
            c.busyLeft = c.busyPolls;
        }
        break;
    case EMU_EEPROM24:
    case EMU_EEPROM25:
    case EMU_EEPROM95: {
        const size_t page = static_cast<size_t>(c.pageSize);
        const size_t start = argument / page * page;
        for (size_t bank = 0; bank < size; bank += 0x10000) Fill(c, bank + start, page);
        break;
    }
    case EMU_EEPROM93:
        Fill(c, 0, size);
        break;
    default:
        break;
    }
}

void QueueReply(Chip& c, const unsigned char* block) {
    std::memcpy(c.reply.data(), block, c.reply.size());
    c.replyQueued = true;
}

} // namespace

void FirmwareCommand(int variant, const unsigned char* block) {
    Chip& c = State().chip;
    c.replyQueued = false;
    switch (block[1]) {
    case kCmdErase:
        Erase(c, Field16(variant, block + 26));
        break;
    case kCmdSetAddress: {
        const uint32_t a = Field32(variant, block + 8);
        c.address = c.memory.empty() ? 0 : static_cast<uint32_t>(a % c.memory.size());
        QueueReply(c, block);
        break;
    }
    case kCmdBegin:
        QueueReply(c, block);
        break;
    case kCmdEnd:
        break;
    case kCmdQueryChip:
        QueueReply(c, block);
        c.reply[0] = static_cast<unsigned char>(c.queryKind);
        c.reply[1] = static_cast<unsigned char>(c.jedec >> 16);
        c.reply[2] = static_cast<unsigned char>(c.jedec >> 8);
        c.reply[3] = static_cast<unsigned char>(c.jedec);
        break;
    case kCmdPollStatus:
        QueueReply(c, block);
        c.reply[0] = c.busyLeft > 0 ? 1 : 0;
        if (c.busyLeft > 0) --c.busyLeft;
        break;
    case kCmdSpiTransfer:
        if (block[2] == 3 && block[3] >= 1 && block[4] == 0xB7) c.fourByte = true;
        QueueReply(c, block);
        break;
    default:
        break;
    }
}

void FirmwareRead(unsigned char* out, int n) {
    Chip& c = State().chip;
    const size_t size = c.memory.size();
    if (size == 0) {
        std::memset(out, 0xFF, static_cast<size_t>(n));
        return;
    }
    size_t done = 0;
    while (done < static_cast<size_t>(n)) {
        const size_t run = std::min(static_cast<size_t>(n) - done, size - c.address);
        std::memcpy(out + done, c.memory.data() + c.address, run);
        done += run;
        c.address = static_cast<uint32_t>((c.address + run) % size);
    }
}

void FirmwareWrite(const unsigned char* in, int n) {
    Chip& c = State().chip;
    c.replyQueued = false;
    const size_t size = c.memory.size();
    if (size == 0) return;
    const bool flash = c.family == EMU_FLASH25;
    size_t done = 0;
    while (done < static_cast<size_t>(n)) {
        const size_t run = std::min(static_cast<size_t>(n) - done, size - c.address);
        unsigned char* cell = c.memory.data() + c.address;
        if (flash) {
            for (size_t k = 0; k < run; ++k) cell[k] &= in[done + k];
        } else {
            std::memcpy(cell, in + done, run);
        }
        done += run;
        c.address = static_cast<uint32_t>((c.address + run) % size);
    }
}

} // namespace emu
