// The seven operations through the emulated programmer: the table of steps row by row,
// detection's paths, and a transfer failing at every step.
#include "device_test.h"
#include "encoding.h"
#include "message_table.h"

namespace {

using Operation = void (ProgrammerOperations::*)(TObject*);

struct Row {
    const char* name;
    Operation run;
    uint8_t family;
    std::vector<int> commands; // command codes on the bus, polls and pages included
    Names main;                // what the window sees, progress and message runs left out
};

struct NamedOperation {
    const char* name;
    Operation run;
};
const NamedOperation kEveryOperation[] = {{"Read", &ProgrammerOperations::ToolReadClick},
                                          {"Erase", &ProgrammerOperations::ToolEraseClick},
                                          {"Write", &ProgrammerOperations::ToolWriteClick},
                                          {"Verify", &ProgrammerOperations::ToolVerifyClick},
                                          {"Auto", &ProgrammerOperations::ToolAutoClick},
                                          {"Blank", &ProgrammerOperations::ToolBankClick},
                                          {"Detect", &ProgrammerOperations::BitBtn1Click}};

const Names kQuery{"SetControlsEnabled", "SetControlsEnabled", "SetStatusText"};

Names Join(std::initializer_list<Names> parts) {
    Names all;
    for (const Names& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

class OperationsTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        UseChip(Flash25, 0x400, 256, 5);
        link.api.set_busy_polls(1);
        state.DataLength = 0x400;
        TDateTime t = 46000.5;
        ops.Clock = [t]() mutable { return t += 1.0 / 86400; };
    }
    // The buffer holds image and 0xFF after it; DataLength is the image's length.
    void PutImage(const std::vector<uint8_t>& image) {
        std::fill_n(state.ImageBuffer.get(), kImageBufferSize, 0xFF);
        std::copy(image.begin(), image.end(), state.ImageBuffer.get());
        state.DataLength = static_cast<int32_t>(image.size());
    }
};

TEST_F(OperationsTest, EachOperationRowByRow) {
    const Names begin{"SetControlsEnabled"};
    const Names end{"SetControlsEnabled", "SetStatusText"};
    const Names finishLog{"SetElapsedText", "Beep", "NextLogPrefix", "AddLogLine"};
    const Names stream{"SetStatusText", "ShowProgress", "SetProgressMax", "HideProgress"};
    const Names read{"SetStatusText", "ShowProgress", "SetProgressMax", "ReloadHexView",
                     "HideProgress"};
    const Row rows[] = {
        {"Read",
         &ProgrammerOperations::ToolReadClick,
         Flash25,
         {9, 8, 7, 5, 8},
         Join({kQuery, begin, read, finishLog, end})},
        {"Read 25 EEPROM",
         &ProgrammerOperations::ToolReadClick,
         Eeprom25,
         {7, 5, 8},
         Join({begin, read, finishLog, end})},
        {"Read 95 EEPROM",
         &ProgrammerOperations::ToolReadClick,
         Eeprom95,
         {7, 5, 8},
         Join({begin, read, finishLog, end})},
        {"Erase",
         &ProgrammerOperations::ToolEraseClick,
         Flash25,
         {9, 8, 7, 2, 10, 10, 8},
         Join({kQuery,
               begin,
               {"SetStatusText", "ShowProgress", "SetProgressMax", "HideProgress"},
               finishLog,
               end})},
        {"Write",
         &ProgrammerOperations::ToolWriteClick,
         Flash25,
         {9, 8, 7, 5, 8},
         Join({{"TakeHexViewEdits"}, kQuery, begin, stream, finishLog, end})},
        {"Write 25 EEPROM",
         &ProgrammerOperations::ToolWriteClick,
         Eeprom25,
         {7, 5, 8},
         Join({{"TakeHexViewEdits"}, begin, stream, finishLog, end})},
        {"Verify",
         &ProgrammerOperations::ToolVerifyClick,
         Eeprom25,
         {9, 8, 7, 5, 8},
         Join({{"TakeHexViewEdits"},
               kQuery,
               begin,
               stream,
               {"NextLogPrefix", "AddLogLine", "SetElapsedText", "Beep"},
               end})},
        {"Blank",
         &ProgrammerOperations::ToolBankClick,
         Eeprom95,
         {9, 8, 7, 5, 8},
         Join({kQuery,
               begin,
               stream,
               {"NextLogPrefix", "AddLogLine", "SetElapsedText", "Beep"},
               end})},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UseChip(row.family, 0x400, 256, 5);
        link.api.set_busy_polls(1);
        if (row.run == &ProgrammerOperations::ToolVerifyClick) {
            link.api.chip_memory()[0] = 0x11;
            state.ImageBuffer[0] = 0x11;
        }
        if (row.run == &ProgrammerOperations::ToolReadClick) link.api.chip_memory()[0] = 0x11;
        state.DataLength = 0x400;
        link.ClearLog();
        ui.Clear();
        (ops.*row.run)(nullptr);
        EXPECT_EQ(link.CommandCodes(), row.commands);
        EXPECT_EQ(ui.MainNames(), row.main);
        EXPECT_EQ(ui.Texts("SetElapsedText"), Names{"00:00:01"});
        EXPECT_TRUE(ui.Texts("ShowError").empty());
        EXPECT_EQ(ui.LastStatus(), "Ready");
        EXPECT_FALSE(ops.SessionRunning());
    }
    EXPECT_EQ(ui.Texts("AddLogLine"), Names{"008:Bank Complete!"});
}

TEST_F(OperationsTest, LogLinesInTheLanguageOfTheMoment) {
    state.Language = 0;
    link.api.chip_memory()[0] = 0;
    ops.ToolReadClick(nullptr);
    state.Language = 1;
    ops.ToolEraseClick(nullptr);
    EXPECT_EQ(ui.Texts("AddLogLine"), (Names{"001:读出完成！", "002:擦除完成！"}));
}

TEST_F(OperationsTest, AutoRunsTheTickedStepsAndLogsAfterTheVerify) {
    for (int i = 0; i < 0x400; ++i)
        state.ImageBuffer[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    ops.ToolAutoClick(nullptr);
    EXPECT_EQ(link.CommandCodes(), (std::vector<int>{9, 8, 7, 2, 10, 10, 5, 5, 8}));
    EXPECT_EQ(ui.Texts("AddLogLine"), Names{"001:AUTO Complete!"});
    EXPECT_EQ(ui.Count("Beep"), 1u);
    auto memory = Memory();
    EXPECT_TRUE(std::equal(memory.begin(), memory.end(), state.ImageBuffer.get()));
}

TEST_F(OperationsTest, AutoWithNothingTickedOpensTheSessionAndBeeps) {
    ui.Options = {false, false, false};
    ops.ToolAutoClick(nullptr);
    EXPECT_EQ(link.CommandCodes(), (std::vector<int>{9, 8, 7, 8}));
    EXPECT_EQ(ui.Texts("SetElapsedText"), Names{"00:00:01"});
    EXPECT_EQ(ui.Count("Beep"), 1u);
    EXPECT_EQ(ui.Count("AddLogLine"), 0u);
}

TEST_F(OperationsTest, AutoStopsWhenTheCapacityQuestionIsAnsweredNo) {
    state.DataLength = 0x800;
    ui.YesNoAnswers = {false};
    ops.ToolAutoClick(nullptr);
    EXPECT_EQ(link.CommandCodes(), (std::vector<int>{9, 8, 7, 2, 10, 10, 8}));
    EXPECT_EQ(ui.Count("Beep"), 0u);
    EXPECT_EQ(ui.Count("AddLogLine"), 0u);
}

TEST_F(OperationsTest, EmptySocketEndsEveryOperationAfterTheQuery) {
    link.api.set_query_kind(0);
    for (const Operation run :
         {&ProgrammerOperations::ToolReadClick, &ProgrammerOperations::ToolEraseClick,
          &ProgrammerOperations::ToolWriteClick, &ProgrammerOperations::ToolVerifyClick,
          &ProgrammerOperations::ToolAutoClick, &ProgrammerOperations::ToolBankClick}) {
        link.ClearLog();
        ui.Clear();
        (ops.*run)(nullptr);
        EXPECT_EQ(link.CommandCodes(), (std::vector<int>{9, 8}));
        EXPECT_EQ(ui.Texts("ShowError"),
                  Names{"No chips detected, please put the chip to try again!"});
    }
}

TEST_F(OperationsTest, ReadOfAnEmptyChipAndAFailedVerify) {
    ops.ToolReadClick(nullptr);
    EXPECT_EQ(ui.Texts("AddLogLine"), Names{"001:Read Complete!"});
    EXPECT_EQ(ui.Calls.back().Text, "The chip is empty!");
    ui.Clear();
    state.DataLength = 16;
    state.ImageBuffer[3] = 0;
    ops.ToolVerifyClick(nullptr);
    EXPECT_EQ(ui.Texts("ShowError"), Names{"Flash check error address:3h"});
    EXPECT_EQ(ui.Count("Beep"), 1u);
    EXPECT_EQ(ui.Count("AddLogLine"), 0u);
}

TEST_F(OperationsTest, ElapsedTimeAcrossMidnight) {
    std::vector<TDateTime> times{EncodeDateTime(2026, 1, 1, 23, 59, 50, 0),
                                 EncodeDateTime(2026, 1, 2, 0, 0, 20, 0)};
    ops.Clock = [&times, i = size_t{0}]() mutable { return times[i++]; };
    ops.ToolEraseClick(nullptr);
    EXPECT_EQ(ui.Texts("SetElapsedText"), Names{"00:00:30"});
}

TEST_F(OperationsTest, NoSecondOperationFromTheMessageLoopOfASession) {
    int nested = 0;
    ui.OnProcessMessages = [&] {
        EXPECT_TRUE(ops.SessionRunning());
        const size_t before = link.CommandCodes().size();
        ops.ToolEraseClick(nullptr);
        ops.BitBtn1Click(nullptr);
        EXPECT_EQ(link.CommandCodes().size(), before);
        ++nested;
    };
    ops.ToolReadClick(nullptr);
    EXPECT_GT(nested, 0);
    EXPECT_FALSE(ops.SessionRunning());
}

// --- detection ----------------------------------------------------------------------

class DetectionTest : public OperationsTest {
protected:
    void SetUp() override {
        OperationsTest::SetUp();
        ui.SimulateLists = true;
        Add(0, "SPI_FLASH,Winbond,W25Q80", 0xEF4014);
        Add(1, "SPI_FLASH,Macronix,MX25L8005", 0xC22014);
        Add(2, "24_EEPROM,Atmel,AT24C02", 0xFFFFFF);
        Add(3, Utf8ToCp936("SPI_FLASH,华邦,W25Q16"), 0xEF4015);
        Add(4, "SPI_FLASH,OnlyTwo", 0xAA0001);
        Add(6, "SPI_FLASH,Behind,End", 0x112233); // slot 5 ends the list
        ui.SelectChip(0, 0, 0);
        ui.Clear();
        link.api.set_query_kind(1);
    }
    void Add(size_t slot, const std::string& name, uint32_t id) {
        ChipRecord& r = state.ChipTable[slot];
        r = ChipRecord{};
        SetChipName(r, name);
        r.ChipId = id;
        r.Capacity = 0x100000;
        r.PageSize = 256;
    }
    void Reply(uint32_t id) { link.api.set_chip(Flash25, 0x1000, 256, id); }
};

TEST_F(DetectionTest, FoundIdentificationSelectsKindMakerAndModel) {
    Reply(0xC22014);
    ops.BitBtn1Click(nullptr);
    EXPECT_EQ(ui.NumbersOf("SelectChip"),
              (std::vector<std::vector<int64_t>>{{0, 0, 0}, {0, 1, 0}, {0, 1, 0}}));
    EXPECT_EQ(state.ChipIndex, 1);
    EXPECT_EQ((std::vector<int32_t>{state.KindIndex, state.MakerIndex, state.ModelIndex}),
              (std::vector<int32_t>{0, 1, 0}));
    EXPECT_EQ(ui.Texts("ShowInformation"),
              Names{"The chip was detected:MX25L8005\n\n Chip typeSPI_FLASH"});
}

TEST_F(DetectionTest, ChineseNamesAreLookedUpAsTheListsShowThem) {
    Reply(0xEF4015);
    ops.BitBtn1Click(nullptr);
    EXPECT_EQ(state.ChipIndex, 3);
    EXPECT_EQ(ui.Texts("ChipListIndexOf")[1], "华邦");
}

TEST_F(DetectionTest, NameWithFewerThanThreeItemsGivesEmptyItems) {
    Reply(0xAA0001);
    EXPECT_NO_THROW(ops.BitBtn1Click(nullptr));
    EXPECT_EQ(ui.Texts("ChipListIndexOf"), (Names{"SPI_FLASH", "OnlyTwo", ""}));
    EXPECT_EQ(ui.Count("ShowInformation"), 1u);
}

TEST_F(DetectionTest, UnknownIdentificationResetsTheListsAndShowsTheBytes) {
    ui.SelectChip(1, 0, 0);
    ui.Clear();
    Reply(0x000000);
    ops.BitBtn1Click(nullptr);
    EXPECT_EQ(ui.NumbersOf("SelectChip"), (std::vector<std::vector<int64_t>>{{0, 0, 0}}));
    EXPECT_EQ(ui.Texts("ShowError"),
              Names{"Unknown chip ID =00 00 00Please choose the compatibility type manually."});
    ui.Clear();
    Reply(0x112233); // only behind the end of the list
    ops.BitBtn1Click(nullptr);
    EXPECT_EQ(ui.Count("SelectChip"), 0u); // the first kind is selected already
    EXPECT_EQ(ui.Texts("ShowError"),
              Names{"Unknown chip ID =11 22 33Please choose the compatibility type manually."});
}

TEST_F(DetectionTest, FamilyRepliesSelectTheSecondOrThirdKind) {
    ui.Lists[0].push_back("THIRD_KIND");
    for (const int kind : {2, 3}) {
        for (const bool selected : {false, true}) {
            SCOPED_TRACE(::testing::Message() << kind << selected);
            ui.SelectChip(selected ? kind - 1 : 0, 0, 0);
            ui.Clear();
            link.api.set_query_kind(kind);
            ops.BitBtn1Click(nullptr);
            EXPECT_EQ(ui.Count("SelectChip"), selected ? 0u : 1u);
            const std::string kindText = kind == 2 ? "24_EEPROM" : "THIRD_KIND";
            EXPECT_EQ(ui.Texts("ShowInformation"),
                      Names{"Chip type is detected:" + kindText +
                            "\n\n Please manually select the corresponding type burn."});
        }
    }
}

TEST_F(DetectionTest, OtherRepliesMeanNoChip) {
    for (const int kind : {0, 4, 255}) {
        ui.Clear();
        link.api.set_query_kind(kind);
        ops.BitBtn1Click(nullptr);
        EXPECT_EQ(ui.Names(), (Names{"SetControlsEnabled", "SpeedIndex", "SetControlsEnabled",
                                     "SetStatusText", "ShowError"}));
        EXPECT_EQ(ui.Texts("ShowError"),
                  Names{"No chips detected, please put the chip to try again!"});
    }
}

// --- faults -------------------------------------------------------------------------

TEST_F(OperationsTest, ATransferFailingAtAnyStepNeverYieldsASuccessLine) {
    const struct {
        int fault;
        int param;
    } faults[] = {{EMU_FAULT_ERROR, -5}, {EMU_FAULT_SHORT, 10}, {EMU_FAULT_TIMEOUT, 1}};
    for (const NamedOperation& op : kEveryOperation) {
        // A clean run gives the transfers. Two kinds may fail and still leave a whole result:
        // an end command (the work is done) and a string descriptor read while the programmer
        // is looked for (it then counts as absent and is found again, or "Not connected").
        UseChip(Flash25, 0x200, 256, 5);
        link.api.set_busy_polls(1);
        state.DataLength = 0x200;
        link.api.clear_records();
        const long first = link.api.transfer_count();
        (this->ops.*op.run)(nullptr);
        const long transfers = link.api.transfer_count() - first;
        std::vector<bool> isEnd;
        for (const emu_record& r : link.api.Records())
            if (r.kind == EMU_CALL_BULK_WRITE || r.kind == EMU_CALL_BULK_READ ||
                r.kind == EMU_CALL_CONTROL)
                isEnd.push_back(r.kind == EMU_CALL_CONTROL ||
                                (r.kind == EMU_CALL_BULK_WRITE &&
                                 EmulatorLink::IsCommandEndpoint(r.endpoint) && r.data[1] == 8));
        ASSERT_EQ(static_cast<long>(isEnd.size()), transfers) << op.name;
        for (long n = 0; n < transfers; ++n) {
            for (const auto& f : faults) {
                if (f.fault != EMU_FAULT_ERROR && n % 3 != 0) continue; // sampled
                SCOPED_TRACE(::testing::Message()
                             << op.name << " transfer " << n << " fault " << f.fault);
                UseChip(Flash25, 0x200, 256, 5);
                link.api.set_busy_polls(1);
                state.DataLength = 0x200;
                ui.Clear();
                link.api.add_fault(EMU_XFER_ANY, static_cast<int>(n), f.fault, f.param);
                (this->ops.*op.run)(nullptr);
                link.api.clear_faults();
                if (!isEnd[static_cast<size_t>(n)]) {
                    EXPECT_EQ(ui.Count("AddLogLine"), 0u);
                    EXPECT_EQ(ui.Count("ShowInformation"), 0u);
                    EXPECT_FALSE(ui.Texts("ShowError").empty());
                }
                EXPECT_TRUE(ui.ControlsEnabled());
                EXPECT_FALSE(this->ops.SessionRunning());
                EXPECT_EQ(link.api.open_handle_count(), 0);
            }
        }
    }
}

TEST_F(OperationsTest, UnknownFamilyIsRefusedBeforeTheProgrammerIsReached) {
    // With a programmer and a chip present, an Erase of family 9 used to send nothing and log
    // "Erase Complete!"; no operation may run on a family that no routine handles.
    for (const uint8_t family : {uint8_t{5}, uint8_t{9}, uint8_t{255}}) {
        for (const NamedOperation& op : kEveryOperation) {
            if (op.run == &ProgrammerOperations::BitBtn1Click) continue; // reads no record
            SCOPED_TRACE(::testing::Message() << op.name << " family " << int{family});
            UseChip(Flash25, 0x400, 256, 5);
            Chip().Family = family;
            state.DataLength = 0x400;
            link.ClearLog();
            ui.Clear();
            (ops.*op.run)(nullptr);
            EXPECT_TRUE(link.api.Records().empty());
            EXPECT_EQ(ui.Texts("ShowError"), Names{Message(MsgBadChipRecord, 2)});
            EXPECT_EQ(ui.Count("AddLogLine"), 0u);
            EXPECT_EQ(ui.Count("Beep"), 0u);
            EXPECT_EQ(ui.Count("SetControlsEnabled"), 0u);
        }
    }
}

// Records that a database file may hold: Capacity is no whole number of chunks, so the last
// chunk would reach past the chip's end, where its address counter wraps to the first bytes.
struct OddRecord {
    const char* name;
    uint8_t family;
    uint32_t capacity;
    uint16_t pageSize;
};
const OddRecord kLastChunkPastTheEnd[] = {{"24 EEPROM 1000 / 8", Eeprom24, 1000, 8},
                                          {"25 EEPROM 64 / 256", Eeprom25, 64, 256},
                                          {"24 EEPROM 128 / 256", Eeprom24, 128, 256},
                                          {"95 EEPROM 0x10040 / 128", Eeprom95, 0x10040, 128},
                                          {"24 EEPROM 64 KiB / 200", Eeprom24, 0x10000, 200}};

std::vector<uint8_t> Pattern(uint32_t size, uint8_t seed) {
    std::vector<uint8_t> bytes(size);
    for (uint32_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 131 + seed);
    if (size > 0) bytes.back() = 0x5A; // the data length then reaches the chip's end
    return bytes;
}

TEST_F(OperationsTest, NoDataMovesWhenTheLastChunkWouldPassTheChipEnd) {
    for (const OddRecord& record : kLastChunkPastTheEnd) {
        for (const NamedOperation& op : kEveryOperation) {
            if (op.run == &ProgrammerOperations::BitBtn1Click) continue; // reads no record
            SCOPED_TRACE(::testing::Message() << record.name << " " << op.name);
            UseChip(record.family, record.capacity, record.pageSize, 5);
            const std::vector<uint8_t> chip = Pattern(record.capacity, 1);
            const std::vector<uint8_t> image = Pattern(record.capacity, 2);
            link.api.SetMemory(chip);
            PutImage(image); // fits exactly
            link.ClearLog();
            ui.Clear();
            (ops.*op.run)(nullptr);
            if (op.run == &ProgrammerOperations::ToolEraseClick) {
                // The erase sends page addresses below the capacity and no data chunk.
                EXPECT_TRUE(link.DataWrites().empty());
                ASSERT_EQ(ui.Texts("AddLogLine").size(), 1u);
                EXPECT_EQ(ui.Texts("AddLogLine")[0].substr(4), "Erase Complete!");
                EXPECT_EQ(Memory(), std::vector<uint8_t>(record.capacity, 0xFF));
                continue;
            }
            EXPECT_TRUE(link.api.Records().empty());
            EXPECT_EQ(ui.Texts("ShowError"), Names{Message(MsgBadChipRecord, 2)});
            EXPECT_EQ(ui.Count("AskYesNo"), 0u);
            EXPECT_EQ(ui.Count("AddLogLine"), 0u);
            EXPECT_EQ(ui.Count("Beep"), 0u);
            EXPECT_EQ(Memory(), chip);
            EXPECT_EQ(state.DataLength, static_cast<int32_t>(record.capacity));
            EXPECT_TRUE(std::equal(image.begin(), image.end(), state.ImageBuffer.get()));
        }
    }
}

TEST_F(OperationsTest, RecordsOfWholeChunksWriteVerifyAndReadByteExact) {
    const OddRecord records[] = {{"24 EEPROM 1024 / 8", Eeprom24, 1024, 8},
                                 {"25 EEPROM 128 / 64", Eeprom25, 128, 64},
                                 {"95 EEPROM 0x10080 / 128", Eeprom95, 0x10080, 128},
                                 {"24 EEPROM 64000 / 200", Eeprom24, 64000, 200},
                                 // whole chunks but not whole pages: the last page is cut
                                 {"24 EEPROM 128 / 48", Eeprom24, 128, 48}};
    for (const OddRecord& record : records) {
        SCOPED_TRACE(record.name);
        UseChip(record.family, record.capacity, record.pageSize, 5);
        const std::vector<uint8_t> image = Pattern(record.capacity, 3);
        PutImage(image);
        link.ClearLog();
        ui.Clear();
        ops.ToolAutoClick(nullptr);
        EXPECT_EQ(ui.Count("AskYesNo"), 0u) << "an image that fits exactly is not too large";
        ASSERT_EQ(ui.Texts("AddLogLine").size(), 1u);
        EXPECT_EQ(ui.Texts("AddLogLine")[0].substr(4), "AUTO Complete!");
        EXPECT_TRUE(ui.Texts("ShowError").empty());
        EXPECT_EQ(Memory(), image);
        int64_t written = 0;
        for (const emu_record& w : link.DataWrites()) written += w.length;
        EXPECT_EQ(written, record.capacity);

        std::fill_n(state.ImageBuffer.get(), kImageBufferSize, 0xFF);
        state.DataLength = 0;
        ui.Clear();
        ops.ToolReadClick(nullptr);
        EXPECT_EQ(state.DataLength, static_cast<int32_t>(record.capacity));
        EXPECT_TRUE(std::equal(image.begin(), image.end(), state.ImageBuffer.get()));
        EXPECT_EQ(state.ImageBuffer[record.capacity], 0xFF);
    }
}

TEST_F(OperationsTest, UnpluggedDuringAutoNeverCompletes) {
    for (int after = 0; after < 20; ++after) {
        SCOPED_TRACE(after);
        link.OneProgrammer(0);
        UseChip(Flash25, 0x200, 256, 5);
        link.api.set_busy_polls(1);
        state.DataLength = 0x200;
        ui.Clear();
        link.api.unplug_after(0, after);
        ops.ToolAutoClick(nullptr);
        EXPECT_EQ(ui.Count("AddLogLine"), 0u);
        EXPECT_TRUE(ui.ControlsEnabled());
        EXPECT_EQ(link.api.open_handle_count(), 0);
    }
}

TEST_F(OperationsTest, FailedReadLeavesAnEmptyBufferNotHalfAChip) {
    link.api.chip_memory()[0] = 0x42;
    state.DataLength = 77;
    link.api.add_fault(EMU_XFER_DATA_READ, 2, EMU_FAULT_SHORT, 100);
    ops.ToolReadClick(nullptr);
    EXPECT_EQ(ui.Texts("ShowError"), Names{"USB transfer failed."});
    EXPECT_EQ(state.DataLength, 0);
    EXPECT_EQ(state.ImageBuffer[0], 0xFF);
    EXPECT_EQ(ui.Count("AddLogLine"), 0u);
}

} // namespace
