#pragma once
// The programmer emulator as the engine tests use it: the emulated bus and chip, and the
// bus traffic read back as command blocks and data transfers.
#include "emulator/emulator_api.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

using Block = std::array<uint8_t, 64>;

class EmulatorLink {
public:
    EmulatorLink() { api.reset(); }
    ~EmulatorLink() { api.reset(); }

    EmulatorApi api;

    void NoProgrammer() const { api.remove_devices(); }
    // One good programmer of the variant: 0 big-endian fields, 1 little-endian.
    void OneProgrammer(int variant) const {
        api.remove_devices();
        api.add_programmer(variant);
    }
    void ClearLog() const { api.clear_records(); }

    int OpenCount() const { return static_cast<int>(api.Records(EMU_CALL_OPEN).size()); }
    int CloseCount() const { return static_cast<int>(api.Records(EMU_CALL_CLOSE).size()); }

    static bool IsCommandEndpoint(int endpoint) { return endpoint == 0x02 || endpoint == 0x04; }

    // The command blocks written, in order.
    std::vector<Block> Commands() const {
        std::vector<Block> blocks;
        for (const emu_record& r : api.Records(EMU_CALL_BULK_WRITE))
            if (IsCommandEndpoint(r.endpoint)) {
                Block b{};
                std::copy(r.data, r.data + std::min(r.data_length, 64), b.begin());
                blocks.push_back(b);
            }
        return blocks;
    }
    // The command codes written, in order.
    std::vector<int> CommandCodes() const {
        std::vector<int> codes;
        for (const Block& b : Commands()) codes.push_back(b[1]);
        return codes;
    }
    // The bus as words: "open", "close", "cmd <code>", "read <length>", "write <length>".
    std::vector<std::string> Bus() const {
        std::vector<std::string> words;
        for (const emu_record& r : api.Records()) {
            switch (r.kind) {
            case EMU_CALL_OPEN:
                if (r.result) words.push_back("open");
                break;
            case EMU_CALL_CLOSE:
                words.push_back("close");
                break;
            case EMU_CALL_BULK_WRITE:
                words.push_back(IsCommandEndpoint(r.endpoint)
                                    ? "cmd " + std::to_string(r.data[1])
                                    : "write " + std::to_string(r.length));
                break;
            case EMU_CALL_BULK_READ:
                words.push_back("read " + std::to_string(r.length));
                break;
            default:
                break;
            }
        }
        return words;
    }
    // Data transfers (not command blocks, not replies are told apart by the caller) of one kind.
    std::vector<emu_record> DataWrites() const {
        std::vector<emu_record> out;
        for (const emu_record& r : api.Records(EMU_CALL_BULK_WRITE))
            if (!IsCommandEndpoint(r.endpoint)) out.push_back(r);
        return out;
    }
};
