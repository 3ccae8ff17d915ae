#include "message_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

struct MessageCase {
    MessageId id;
    int32_t language;
    const char* text;
};

// Texts whose exact bytes matter: blanks at their ends, leading line feeds, the English "Bank",
// the simplified characters inside the traditional question, and the added entries.
const MessageCase kCases[] = {
    {MsgUnknownChipId, 2, "Unknown chip ID ="},
    {MsgUnknownChipId, 1, "未知型號芯片ID ="},
    {MsgChipTypeLabel, 0, "\n\n芯片类型 ："},
    {MsgChipTypeLabel, 2, "\n\n Chip type"},
    {MsgSelectManually, 1, "\n\n請手動選擇對應型號燒寫。"},
    {MsgSelectManually, 2, "\n\n Please manually select the corresponding type burn."},
    {MsgFamilyDetected, 0, "检测到芯片芯片类型: "},
    {MsgFamilyDetected, 1, "檢測到芯片芯片類型: "},
    {MsgFamilyDetected, 2, "Chip type is detected:"},
    {MsgOverwrite, 0, "文件已存在,是否覆盖?"},
    {MsgOverwrite, 2, "File already exists. Is it covered? "},
    {MsgVerifyErrorAt, 0, "Flash 校验错误地址: "},
    {MsgVerifyErrorAt, 1, "Flash 校驗錯誤地址: "},
    {MsgVerifyErrorAt, 2, "Flash check error address:"},
    {MsgWriting, 0, "编程 Flash ..."},
    {MsgWriting, 1, "編程 Flash ... "},
    {MsgWriting, 2, "Write Flash ..."},
    {MsgFileTooLarge, 0, "文件长度大于芯片容量,是否继续烧录?"},
    {MsgFileTooLarge, 1, "文件長度大於芯片容量,是否繼續烧录?"},
    {MsgFileTooLarge, 2,
     "File length is larger than chip capacity. Do you want to continue to write?"},
    {MsgBlankChecking, 2, "Bank Flash ..."},
    {MsgBlankDone, 2, "Bank Complete!"},
    {MsgBlankDone, 0, "查空完成！"},
    {MsgErasing, 1, "擦除 Flash ..."},
    {MsgReady, 0, "准备好"},
    {MsgReady, 1, "準備好"},
    {MsgNotConnected, 2, "Not connected"},
    {MsgProgrammerFound, 2, "The programmer is detected, and the working state is normal."},
    {MsgBufferEmpty, 2, "The buffer data is empty. Please load the data file.."},
    {MsgBufferEmpty, 1, "緩沖區數據為空，請加載數據文件。"},
    {MsgNoChip, 0, "没有检测到芯片，请放置芯片再试！"},
    {MsgAutoDone, 2, "AUTO Complete!"},
    {MsgChipEmpty, 1, "芯片為空！"},
    {MsgDatabaseDamaged, 2, "The configuration file was destroyed."},
    {MsgUsbTransferFailed, 0, "USB 传输失败。"},
    {MsgUsbTransferFailed, 1, "USB 傳輸失敗。"},
    {MsgUsbTransferFailed, 2, "USB transfer failed."},
};

TEST(MessageTableTest, TextsAreStoredByteForByte) {
    for (const MessageCase& c : kCases) {
        SCOPED_TRACE(std::string(c.text));
        EXPECT_EQ(Message(c.id, c.language), c.text);
    }
}

TEST(MessageTableTest, TraditionalFileTooLargeEndsInTheSimplifiedCharacters) {
    const std::string& text = Message(MsgFileTooLarge, 1);
    EXPECT_EQ(text.substr(text.size() - 7), "烧录?");
    EXPECT_EQ(Message(MsgSelectManually, 0).substr(0, 2), "\n\n");
}

TEST(MessageTableTest, EveryEntryHasThreeDistinctNonEmptyEnglishTexts) {
    std::set<std::string> english;
    for (int id = 0; id < MessageCount; ++id) {
        for (int32_t language = 0; language < 3; ++language)
            EXPECT_FALSE(Message(static_cast<MessageId>(id), language).empty()) << id;
        english.insert(Message(static_cast<MessageId>(id), 2));
    }
    EXPECT_EQ(english.size(), static_cast<size_t>(MessageCount));
}

TEST(MessageTableTest, LanguageOutsideTheTableCountsAsSimplifiedChinese) {
    for (const int32_t language : {-1, 3, 100, INT32_MIN, INT32_MAX}) {
        SCOPED_TRACE(language);
        EXPECT_EQ(ValidLanguage(language), 0);
        EXPECT_EQ(Message(MsgReady, language), "准备好");
    }
    EXPECT_EQ(ValidLanguage(2), 2);
}

} // namespace
