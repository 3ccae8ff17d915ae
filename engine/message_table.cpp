#include "message_table.h"

#include <array>

namespace {

using Texts = std::array<const char*, 3>;

// Stored order; blanks at the ends and line feeds are part of the texts.
const Texts kTable[MessageCount] = {
    /* MsgUnknownChipId */ {"未知型号芯片ID =", "未知型號芯片ID =", "Unknown chip ID ="},
    /* MsgChooseCompatible */
    {"请手动选择兼容型号。", "請手動選擇兼容型號。",
     "Please choose the compatibility type manually."},
    /* MsgNoChip */
    {"没有检测到芯片，请放置芯片再试！", "沒有檢測到芯片，請放置芯片再試！",
     "No chips detected, please put the chip to try again!"},
    /* MsgChipDetected */ {"检测到芯片：", "檢測到芯片：", "The chip was detected:"},
    /* MsgChipTypeLabel */ {"\n\n芯片类型 ：", "\n\n芯片類型 ：", "\n\n Chip type"},
    /* MsgFamilyDetected */
    {"检测到芯片芯片类型: ", "檢測到芯片芯片類型: ", "Chip type is detected:"},
    /* MsgSelectManually */
    {"\n\n请手动选择对应型号烧写。", "\n\n請手動選擇對應型號燒寫。",
     "\n\n Please manually select the corresponding type burn."},
    /* MsgDatabaseDamaged */
    {"配置文件被破坏！", "配置文件被破壞！", "The configuration file was destroyed."},
    /* MsgOverwrite */
    {"文件已存在,是否覆盖?", "文件已存在,是否覆蓋?", "File already exists. Is it covered? "},
    /* MsgWriteFileError */ {"写入文件出错。", "寫入文件出錯。", "Error writing file."},
    /* MsgProgrammerFound */
    {"检测到编程器，工作状态正常。", "檢測到編程器，工作狀態正常。",
     "The programmer is detected, and the working state is normal."},
    /* MsgReady */ {"准备好", "準備好", "Ready"},
    /* MsgNotConnected */ {"编程器未接入", "編程器未接入", "Not connected"},
    /* MsgErasing */ {"擦除 Flash ...", "擦除 Flash ...", "Erase Flash ..."},
    /* MsgReading */ {"读出 Flash ...", "讀出 Flash ...", "Read Flash ..."},
    /* MsgBlankChecking */ {"查空 Flash ...", "查空 Flash ...", "Bank Flash ..."},
    /* MsgNotBlank */ {"芯片没有擦空", "芯片沒有擦空", "The chip is not empty."},
    /* MsgVerifying */ {"校验 Flash ...", "校驗 Flash ...", "Verify Flash ..."},
    /* MsgVerifyErrorAt */
    {"Flash 校验错误地址: ", "Flash 校驗錯誤地址: ", "Flash check error address:"},
    /* MsgWriting */ {"编程 Flash ...", "編程 Flash ... ", "Write Flash ..."},
    /* MsgFileTooLarge */
    {"文件长度大于芯片容量,是否继续烧录?", "文件長度大於芯片容量,是否繼續烧录?",
     "File length is larger than chip capacity. Do you want to continue to write?"},
    /* MsgOpen */ {"打开", "打開", "Open"},
    /* MsgReadDone */ {"读出完成！", "讀出完成！", "Read Complete!"},
    /* MsgChipEmpty */ {"芯片为空！", "芯片為空！", "The chip is empty!"},
    /* MsgEraseDone */ {"擦除完成！", "擦除完成！", "Erase Complete!"},
    /* MsgWriteDone */ {"写入完成！", "寫入完成！", "Write Complete!"},
    /* MsgBufferEmpty */
    {"缓冲区数据为空，请加载数据文件。", "緩沖區數據為空，請加載數據文件。",
     "The buffer data is empty. Please load the data file.."},
    /* MsgVerifyDone */ {"校验完成！", "校驗完成！", "Verify Complete!"},
    /* MsgAutoDone */ {"自动编程校验通过！", "自動編程校驗通過！", "AUTO Complete!"},
    /* MsgBlankDone */ {"查空完成！", "查空完成！", "Bank Complete!"},
    /* MsgUsbTransferFailed */ {"USB 传输失败。", "USB 傳輸失敗。", "USB transfer failed."},
    /* MsgEraseTimeout */
    {"擦除超时，芯片仍然忙。", "擦除超時，芯片仍然忙。",
     "Erase timed out: the chip is still busy."},
    /* MsgBadChipRecord */
    {"芯片参数无效：系列、页大小或容量超出范围。", "芯片參數無效：系列、頁大小或容量超出範圍。",
     "The chip record is invalid: family, page size or capacity out of range."},
    /* MsgBadFillRange */ {"地址范围无效。", "地址範圍無效。", "The address range is invalid."},
};

} // namespace

int32_t ValidLanguage(int32_t language) {
    return language >= 0 && language <= 2 ? language : 0;
}

const std::string& Message(MessageId id, int32_t language) {
    static const auto strings = [] {
        std::array<std::array<std::string, 3>, MessageCount> all;
        for (int i = 0; i < MessageCount; ++i)
            for (int l = 0; l < 3; ++l) all[i][l] = kTable[i][l];
        return all;
    }();
    return strings[static_cast<size_t>(id)][static_cast<size_t>(ValidLanguage(language))];
}
