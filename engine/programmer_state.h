#pragma once
// The engine's one record of state, owned by the main window for the whole run.
#include "chip_record.h"
#include "datetime.h"
#include "streams.h"

#include <cstdint>
#include <memory>
#include <string>

class TUsbBulk;
class TComponent;
class WindowServices;

inline constexpr uint32_t kImageBufferSize = 0x4000000; // 64 MiB

struct ProgrammerState {
    // The link is created with the main window as its owner; without an owner the state
    // frees it itself.
    explicit ProgrammerState(TComponent* linkOwner = nullptr);
    ~ProgrammerState();
    ProgrammerState(const ProgrammerState&) = delete;
    ProgrammerState& operator=(const ProgrammerState&) = delete;

    TUsbBulk* UsbLink = nullptr;
    TDateTime StartTime = 0;
    TDateTime EndTime = 0;
    int32_t ChipIndex = 0;
    TMemoryStream EditorStream;
    int32_t KindIndex = 0;
    int32_t MakerIndex = 0;
    int32_t ModelIndex = 0;
    int32_t LogCounter = 1;
    ChipTableArray ChipTable{};
    std::unique_ptr<uint8_t[]> ImageBuffer; // kImageBufferSize bytes, 0xFF at creation
    int32_t DataLength = 0;
    int32_t Language = 0;

    // The selected record, ChipTable[ChipIndex] (index clamped into the table).
    ChipRecord& SelectedChip();

private:
    std::unique_ptr<TUsbBulk> ownedLink_;
};

// "%03d:" of LogCounter, which then grows by one (001: first, 1000: the thousandth).
std::string NextLogPrefix(ProgrammerState& state);

// The chip database: the program's own path with the extension ".Dat".
std::string ChipDatabasePath();

// What reading the chip database file found.
enum class ChipDatabaseRead { Missing, Damaged, Loaded };
// Copies the chip database file into table from slot 0 (at most its 1000 slots; slots behind
// the file's records keep their contents). A file whose size is not a whole number of
// records is Damaged and leaves table unchanged.
ChipDatabaseRead ReadChipDatabase(ChipTableArray& table);

// Loads the chip database into ChipTable and selects the saved chip through
// services.SelectChip. True when the file is missing or was loaded, false when refused
// as damaged (after MsgDatabaseDamaged through ShowMessage).
bool LoadChipDatabase(ProgrammerState& state, WindowServices& services);
