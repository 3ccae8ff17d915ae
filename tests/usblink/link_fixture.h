#pragma once
// A TUsbBulk bound to the programmer emulator, which every test starts from its default: one
// good programmer of the "WinUSBComm" variant and a small flash chip.
#include "emulator/emulator_api.h"
#include "usb_bulk.h"

#include <array>
#include <cstdint>
#include <gtest/gtest.h>
#include <initializer_list>
#include <utility>

inline EmulatorApi& Emu() {
    static EmulatorApi api; // loaded once: the link's own dlopen then shares this copy
    return api;
}

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override { Emu().reset(); }
    void TearDown() override { link.USB_bulk_close(); }

    bool Open() { return link.prog_open(kProgrammerVendorId, kProgrammerProductId) == 1; }

    TUsbBulk link{nullptr};
};

using Block = std::array<char, 64>;

// A command block with the code in byte 1 and raw bytes placed at their offsets.
inline Block Command(int code, std::initializer_list<std::pair<int, uint8_t>> bytes = {}) {
    Block b{};
    b[0] = (code == 2 || code == 8) ? 1 : 0;
    b[1] = static_cast<char>(code);
    for (const auto& [at, value] : bytes) b[static_cast<size_t>(at)] = static_cast<char>(value);
    return b;
}

// CmdSetAddress in the byte order of the variant.
inline Block SetAddress(int variant, uint32_t a) {
    const auto b = [a](int shift) { return static_cast<uint8_t>(a >> shift); };
    if (variant == 1) return Command(5, {{8, b(0)}, {9, b(8)}, {10, b(16)}, {11, b(24)}});
    return Command(5, {{8, b(24)}, {9, b(16)}, {10, b(8)}, {11, b(0)}});
}

// CmdErase with its u16 argument in the byte order of the variant.
inline Block Erase(int variant, uint16_t argument) {
    const auto hi = static_cast<uint8_t>(argument >> 8);
    const auto lo = static_cast<uint8_t>(argument & 0xFF);
    if (variant == 1) return Command(2, {{26, lo}, {27, hi}});
    return Command(2, {{26, hi}, {27, lo}});
}
