#pragma once
// A programmer state with one chip record, a recording window and the emulated programmer
// holding the same chip.
#include "chip_routines.h"
#include "device_session.h"
#include "emulator_fixture.h"
#include "programmer_operations.h"
#include "programmer_state.h"
#include "recording_services.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Names = std::vector<std::string>;

class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        state.Language = 2;
        UseChip(Flash25, 0x1000, 256);
    }

    // Record 0 and the chip in the socket describe the same chip; the socket's memory is 0xFF.
    ChipRecord& UseChip(uint8_t family, uint32_t capacity, uint16_t pageSize, uint16_t delay = 5,
                        uint32_t id = 0xEF4010) {
        ChipRecord& r = state.ChipTable[0];
        r = ChipRecord{};
        SetChipName(r, "25_flash,Maker,Model");
        r.Family = family;
        r.Capacity = capacity;
        r.PageSize = pageSize;
        r.Delay = delay;
        r.ChipId = id;
        r.Voltage = 1;
        state.ChipIndex = 0;
        link.api.set_chip(family, capacity, pageSize, id);
        return r;
    }
    ChipRecord& Chip() { return state.ChipTable[0]; }

    // A session opened around a routine, with the log cleared after CmdBegin.
    template <typename Routine> RoutineResult InSession(Routine routine) {
        EXPECT_TRUE(session.BeginSession());
        link.ClearLog();
        ui.Clear();
        const RoutineResult result = routine(session, Chip());
        session.EndSession();
        return result;
    }

    std::vector<uint8_t> Memory() const { return link.api.Memory(); }

    EmulatorLink link;
    ProgrammerState state;
    RecordingServices ui{&state};
    DeviceSession session{state, ui};
    ProgrammerOperations ops{state, ui};
};
