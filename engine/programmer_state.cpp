#include "programmer_state.h"

#include "exceptions.h"
#include "message_table.h"
#include "plain_file.h"
#include "sysutils.h"
#include "usb_bulk.h"
#include "window_services.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

ProgrammerState::ProgrammerState(TComponent* linkOwner)
    : ImageBuffer(new uint8_t[kImageBufferSize]) {
    std::memset(ImageBuffer.get(), 0xFF, kImageBufferSize);
    UsbLink = new TUsbBulk(linkOwner);
    if (!linkOwner) ownedLink_.reset(UsbLink);
}

ProgrammerState::~ProgrammerState() = default;

ChipRecord& ProgrammerState::SelectedChip() {
    return ChipTable[static_cast<size_t>(std::clamp(ChipIndex, 0, kChipTableSlots - 1))];
}

std::string NextLogPrefix(ProgrammerState& state) {
    return Format("%03d:", state.LogCounter++);
}

std::string ChipDatabasePath() {
    return ChangeFileExt(ApplicationExeName(), ".Dat");
}

ChipDatabaseRead ReadChipDatabase(ChipTableArray& table) {
    // Any size is accepted here: the read below takes at most the table's slots.
    TPlainFile file(ChipDatabasePath(), std::numeric_limits<int64_t>::max());
    switch (file.GetStatus()) {
    case TPlainFile::Status::Missing:
        return ChipDatabaseRead::Missing;
    case TPlainFile::Status::NotRegular:
        // A folder, a pipe or a device under the database's name holds no records.
        return ChipDatabaseRead::Damaged;
    case TPlainFile::Status::CannotOpen:
    case TPlainFile::Status::TooLarge:
        file.CheckOpen();
        break;
    case TPlainFile::Status::Opened:
        break;
    }
    const int64_t size = file.GetSize();
    if (size % static_cast<int64_t>(kChipRecordSize) != 0) return ChipDatabaseRead::Damaged;
    // A file of more than 1000 records gives its first 1000; the table is never written
    // past its slots.
    const int64_t records = std::min<int64_t>(size / kChipRecordSize, kChipTableSlots);
    std::vector<uint8_t> bytes(static_cast<size_t>(records) * kChipRecordSize);
    file.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    for (int64_t i = 0; i < records; ++i)
        table[static_cast<size_t>(i)] =
            ChipRecordFromBytes(bytes.data() + i * static_cast<int64_t>(kChipRecordSize));
    return ChipDatabaseRead::Loaded;
}

bool LoadChipDatabase(ProgrammerState& state, WindowServices& services) {
    switch (ReadChipDatabase(state.ChipTable)) {
    case ChipDatabaseRead::Missing:
        return true;
    case ChipDatabaseRead::Damaged:
        services.ShowMessage(Message(MsgDatabaseDamaged, state.Language));
        return false;
    case ChipDatabaseRead::Loaded:
        break;
    }
    services.SelectChip(state.KindIndex, state.MakerIndex, state.ModelIndex);
    return true;
}
