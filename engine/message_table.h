#pragma once
// The texts the engine and the main window show, each in simplified Chinese, traditional
// Chinese and English, picked by the language at the moment a text is shown.
#include <cstdint>
#include <string>

enum MessageId : int {
    MsgUnknownChipId,
    MsgChooseCompatible,
    MsgNoChip,
    MsgChipDetected,
    MsgChipTypeLabel,
    MsgFamilyDetected,
    MsgSelectManually,
    MsgDatabaseDamaged,
    MsgOverwrite,
    MsgWriteFileError,
    MsgProgrammerFound,
    MsgReady,
    MsgNotConnected,
    MsgErasing,
    MsgReading,
    MsgBlankChecking,
    MsgNotBlank,
    MsgVerifying,
    MsgVerifyErrorAt,
    MsgWriting,
    MsgFileTooLarge,
    MsgOpen,
    MsgReadDone,
    MsgChipEmpty,
    MsgEraseDone,
    MsgWriteDone,
    MsgBufferEmpty,
    MsgVerifyDone,
    MsgAutoDone,
    MsgBlankDone,
    // Entries added for failures that the program must not report as success.
    MsgUsbTransferFailed,
    MsgEraseTimeout,
    MsgBadChipRecord,
    MsgBadFillRange,
    MessageCount
};

// A language index outside 0..2 (an edited settings file) counts as 0.
int32_t ValidLanguage(int32_t language);

// The text of an entry in a language (UTF-8).
const std::string& Message(MessageId id, int32_t language);
