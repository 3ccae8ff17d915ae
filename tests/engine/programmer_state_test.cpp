#include "chip_record.h"
#include "exceptions.h"
#include "message_table.h"
#include "programmer_state.h"
#include "recording_services.h"
#include "sysutils.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

ChipRecord Record(const std::string& name, uint32_t id) {
    ChipRecord r{};
    SetChipName(r, name);
    r.ChipId = id;
    r.Capacity = 0x100000;
    r.PageSize = 256;
    return r;
}

std::vector<uint8_t> Bytes(const std::vector<ChipRecord>& records) {
    std::vector<uint8_t> bytes(records.size() * kChipRecordSize);
    for (size_t i = 0; i < records.size(); ++i)
        ChipRecordToBytes(records[i], bytes.data() + i * kChipRecordSize);
    return bytes;
}

// Points the program's own path into a fresh folder, so its chip database is ours.
class ChipDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetApplicationExeName((dir_ / "Pyrolan").string());
        state.KindIndex = 3;
        state.MakerIndex = 4;
        state.ModelIndex = 5;
    }
    void WriteDatabase(const std::vector<uint8_t>& bytes) {
        WriteFileBytes(ChipDatabasePath(), bytes);
    }

    TempFolder folder_;
    const fs::path dir_ = folder_.Path();
    ProgrammerState state;
    RecordingServices ui{&state};
};

TEST_F(ChipDatabaseTest, PathIsTheProgramWithDatExtension) {
    EXPECT_EQ(ChipDatabasePath(), (dir_ / "Pyrolan.Dat").string());
}

TEST_F(ChipDatabaseTest, MissingFileShowsNothingAndSelectsNothing) {
    EXPECT_TRUE(LoadChipDatabase(state, ui));
    EXPECT_TRUE(ui.Calls.empty());
    EXPECT_EQ(state.ChipTable[0].Name[0], '\0');
}

TEST_F(ChipDatabaseTest, FileSizesThatAreNotWholeRecordsAreRefused) {
    for (const size_t size : {size_t{67}, size_t{69}, size_t{68 * 3 + 1}}) {
        SCOPED_TRACE(size);
        state.ChipTable[0] = Record("keep,me,intact", 1);
        WriteDatabase(std::vector<uint8_t>(size, 'A'));
        ui.Clear();
        for (const int32_t language : {0, 1, 2}) {
            state.Language = language;
            EXPECT_FALSE(LoadChipDatabase(state, ui));
        }
        EXPECT_EQ(ui.Names(),
                  (std::vector<std::string>{"ShowMessage", "ShowMessage", "ShowMessage"}));
        EXPECT_EQ(ui.Texts("ShowMessage"),
                  (std::vector<std::string>{"配置文件被破坏！", "配置文件被破壞！",
                                            "The configuration file was destroyed."}));
        EXPECT_EQ(ChipNameText(state.ChipTable[0]), "keep,me,intact");
    }
}

// A pipe would block the start, a device never end; neither holds records.
TEST_F(ChipDatabaseTest, WhatIsNotARegularFileIsRefusedAsDamaged) {
    using Make = void (*)(const std::string&);
    const Make makers[] = {
        [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); },
        [](const std::string& p) { fs::create_symlink("/dev/zero", p); },
        [](const std::string& p) { fs::create_directory(p); },
    };
    for (const Make make : makers) {
        fs::remove_all(ChipDatabasePath());
        make(ChipDatabasePath());
        state.ChipTable[0] = Record("keep,me,intact", 1);
        ui.Clear();
        EXPECT_FALSE(LoadChipDatabase(state, ui));
        EXPECT_EQ(ui.Names(), std::vector<std::string>{"ShowMessage"});
        EXPECT_EQ(ChipNameText(state.ChipTable[0]), "keep,me,intact");
    }
}

TEST_F(ChipDatabaseTest, FileThatCannotBeOpenedRaisesTheOpenError) {
    if (::geteuid() == 0) GTEST_SKIP() << "root opens every file";
    WriteDatabase(Bytes({Record("a,b,c", 1)}));
    fs::permissions(ChipDatabasePath(), fs::perms::none);
    EXPECT_THROW(LoadChipDatabase(state, ui), EFOpenError);
    EXPECT_TRUE(ui.Calls.empty());
}

TEST_F(ChipDatabaseTest, EmptyFileLoadsNothingButSelectsTheSavedChip) {
    state.ChipTable[0] = Record("old,record,here", 1);
    WriteDatabase({});
    EXPECT_TRUE(LoadChipDatabase(state, ui));
    EXPECT_EQ(ui.Names(), std::vector<std::string>{"SelectChip"});
    EXPECT_EQ(ui.NumbersOf("SelectChip")[0], (std::vector<int64_t>{3, 4, 5}));
    EXPECT_EQ(ChipNameText(state.ChipTable[0]), "old,record,here");
}

TEST_F(ChipDatabaseTest, OneRecordIsReadFieldByField) {
    ChipRecord r = Record("25 flash,Maker,Model", 0xEF4018);
    r.Capacity = 0x1000000;
    r.PageSize = 256;
    r.Family = Eeprom95;
    r.Algorithm = 2;
    r.Delay = 0x1234;
    r.XmlLink = 0xABCD;
    r.EepromSize = 0x8001;
    r.EepromPage = 0x40;
    r.Voltage = 2;
    std::vector<uint8_t> bytes = Bytes({r});
    ASSERT_EQ(bytes.size(), 68u);
    // Little-endian on disk whatever the host does.
    EXPECT_EQ(bytes[48], 0x18);
    EXPECT_EQ(bytes[50], 0xEF);
    EXPECT_EQ(bytes[55], 0x01);
    WriteDatabase(bytes);
    EXPECT_TRUE(LoadChipDatabase(state, ui));
    const ChipRecord& got = state.ChipTable[0];
    EXPECT_EQ(ChipNameText(got), "25 flash,Maker,Model");
    EXPECT_EQ(got.ChipId, 0xEF4018u);
    EXPECT_EQ(got.Capacity, 0x1000000u);
    EXPECT_EQ(got.PageSize, 256);
    EXPECT_EQ(got.Family, Eeprom95);
    EXPECT_EQ(got.Algorithm, 2);
    EXPECT_EQ(got.Delay, 0x1234);
    EXPECT_EQ(got.XmlLink, 0xABCD);
    EXPECT_EQ(got.EepromSize, 0x8001);
    EXPECT_EQ(got.EepromPage, 0x40);
    EXPECT_EQ(got.Voltage, 2);
    EXPECT_TRUE(IsEndRecord(state.ChipTable[1]));
    EXPECT_EQ(ui.NumbersOf("SelectChip"), (std::vector<std::vector<int64_t>>{{3, 4, 5}}));
}

TEST_F(ChipDatabaseTest, RecordCountsUpToAndBeyondTheTable) {
    struct Case {
        size_t records;
        size_t expectLoaded;
    };
    for (const Case c : {Case{999, 999}, Case{1000, 1000}, Case{1001, 1000}, Case{1500, 1000}}) {
        SCOPED_TRACE(c.records);
        ProgrammerState fresh;
        RecordingServices freshUi(&fresh);
        std::vector<ChipRecord> records;
        for (size_t i = 0; i < c.records; ++i)
            records.push_back(Record("k,m,model" + std::to_string(i), static_cast<uint32_t>(i)));
        WriteDatabase(Bytes(records));
        uint8_t* const buffer = fresh.ImageBuffer.get();
        EXPECT_TRUE(LoadChipDatabase(fresh, freshUi));
        EXPECT_EQ(ChipNameText(fresh.ChipTable[c.expectLoaded - 1]),
                  "k,m,model" + std::to_string(c.expectLoaded - 1));
        EXPECT_EQ(fresh.ChipTable[c.expectLoaded - 1].ChipId, c.expectLoaded - 1);
        // Nothing behind the table was touched.
        EXPECT_EQ(fresh.ImageBuffer.get(), buffer);
        EXPECT_EQ(fresh.DataLength, 0);
        EXPECT_EQ(fresh.Language, 0);
        EXPECT_EQ(freshUi.Count("SelectChip"), 1u);
        EXPECT_EQ(buffer[0], 0xFF);
    }
}

TEST_F(ChipDatabaseTest, SlotsBehindTheFileKeepTheirContents) {
    state.ChipTable[2] = Record("left,over,slot", 7);
    WriteDatabase(Bytes({Record("a,b,c", 1), Record("d,e,f", 2)}));
    EXPECT_TRUE(LoadChipDatabase(state, ui));
    EXPECT_EQ(ChipNameText(state.ChipTable[1]), "d,e,f");
    EXPECT_EQ(ChipNameText(state.ChipTable[2]), "left,over,slot");
}

TEST_F(ChipDatabaseTest, NulNameEndsTheListAndLongNamesStayInTheirField) {
    ChipRecord end = Record("", 0);
    ChipRecord behind = Record("x,y,behind", 0x123456);
    ChipRecord exact47 = Record(std::string(47, 'N'), 2);
    ChipRecord full48{};
    std::memset(full48.Name, 'Z', sizeof full48.Name); // no NUL at all
    full48.ChipId = 0xFFFFFFFF;
    WriteDatabase(Bytes({exact47, full48, end, behind}));
    EXPECT_TRUE(LoadChipDatabase(state, ui));
    EXPECT_FALSE(IsEndRecord(state.ChipTable[0]));
    EXPECT_EQ(state.ChipTable[0].Name[47], '\0');
    EXPECT_EQ(ChipNameText(state.ChipTable[0]), std::string(47, 'N'));
    // The name ends at the field's end; the chip identification behind it is not text.
    EXPECT_EQ(ChipNameText(state.ChipTable[1]), std::string(48, 'Z'));
    EXPECT_TRUE(IsEndRecord(state.ChipTable[2]));
    EXPECT_EQ(state.ChipTable[3].ChipId, 0x123456u); // loaded, but behind the end of the list
}

TEST(ChipRecordTest, SetChipNameCutsToLeaveRoomForTheNul) {
    ChipRecord r{};
    std::memset(&r, 0x55, sizeof r);
    SetChipName(r, std::string(60, 'Q'));
    EXPECT_EQ(ChipNameText(r), std::string(47, 'Q'));
    EXPECT_EQ(r.Name[47], '\0');
    EXPECT_EQ(r.ChipId, 0x55555555u);
}

TEST(LogPrefixTest, CountsFromOneWithAtLeastThreeDigits) {
    ProgrammerState state;
    EXPECT_EQ(NextLogPrefix(state), "001:");
    EXPECT_EQ(state.LogCounter, 2);
    std::string prefix;
    for (int i = 2; i <= 1000; ++i) prefix = NextLogPrefix(state);
    EXPECT_EQ(prefix, "1000:");
    EXPECT_EQ(NextLogPrefix(state), "1001:");
}

TEST(ProgrammerStateTest, FreshStateHoldsAnEmptyTableAndAFullBuffer) {
    ProgrammerState state;
    EXPECT_EQ(state.LogCounter, 1);
    EXPECT_EQ(state.ChipIndex, 0);
    EXPECT_EQ(state.DataLength, 0);
    ASSERT_NE(state.UsbLink, nullptr);
    EXPECT_TRUE(IsEndRecord(state.ChipTable[0]));
    EXPECT_EQ(state.ChipTable[999].Capacity, 0u);
    const uint8_t* b = state.ImageBuffer.get();
    EXPECT_EQ(b[0], 0xFF);
    EXPECT_EQ(b[kImageBufferSize - 1], 0xFF);
    EXPECT_EQ(std::count(b, b + kImageBufferSize, 0xFF), static_cast<ptrdiff_t>(kImageBufferSize));
}

} // namespace
