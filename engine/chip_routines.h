#pragma once
// The routines that move data between the chip in the socket and ImageBuffer. Each runs
// inside a device session on the selected record, shows its status text, drives the progress
// bar, lets window messages run after every chunk, page or poll and leaves the bar hidden.
#include "chip_record.h"

#include <cstdint>

class DeviceSession;

enum class RoutineResult {
    Done,     // the routine ran to its end
    Mismatch, // blank check or verify found a difference and showed it
    Stopped,  // the user declined, or the device failed and the error was shown
};

// Chips above 16 MiB need 4-byte addresses.
inline constexpr uint32_t k4ByteAddressThreshold = 0x1000000;
inline constexpr uint32_t kMinimumChunk = 64;
inline constexpr uint32_t kMaximumPageSize = 256;
inline constexpr uint32_t kChunkBufferSize = 257;

// The larger of PageSize and 64 bytes.
uint32_t ChunkSize(const ChipRecord& chip);

// What a routine sends the chip: the erase sends commands only, the others stream whole
// chunks of data.
enum class ChipAccess { Commands, Chunks };

// False for records the database editor never writes and the routines cannot run safely on:
// a Family outside 0..4 (no routine would touch the chip, yet report it done), PageSize 0 or
// above 256, or a Capacity whose last whole chunk reaches past ImageBuffer. Streams also need
// a Capacity of whole chunks: the chip's address counter wraps at its end, so the rest of a
// last chunk would be read from, or written over, the chip's first bytes.
bool IsUsableChipRecord(const ChipRecord& chip, ChipAccess access);

RoutineResult EraseChip(DeviceSession& session, const ChipRecord& chip);
// Sets DataLength and reloads the hex view with the whole chip.
RoutineResult ReadChip(DeviceSession& session, const ChipRecord& chip);
RoutineResult BlankCheckChip(DeviceSession& session, const ChipRecord& chip);
RoutineResult VerifyChip(DeviceSession& session, const ChipRecord& chip);
// May round DataLength up to a whole page; asks before writing more than the chip holds.
RoutineResult WriteChip(DeviceSession& session, const ChipRecord& chip);
