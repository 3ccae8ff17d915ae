#include "intel_hex.h"

#include "image_output_file.h"
#include "streams.h"

#include <algorithm>
#include <cstring>

int32_t ReadIntelHex(TStream& source, uint8_t* buffer, int32_t bufferSize,
                     WindowServices& services) {
    RecordLineReader reader(source, services);
    const int64_t limit = bufferSize;
    uint64_t segmentBase = 0;
    uint64_t linearBase = 0;
    int64_t highestEnd = 0;
    std::string_view line;
    for (;;) {
        if (!reader.ReadRecordLine(line)) {
            ShowFileError(services, "Error reading File");
            return 0;
        }
        if (line.empty() || line[0] != ':') {
            ShowFileError(services, "Illegal Line found");
            return 0;
        }
        uint32_t count = 0, offset = 0, type = 0;
        if (!ParseHexDigits(line, 1, 2, count, services) ||
            !ParseHexDigits(line, 3, 4, offset, services) ||
            !ParseHexDigits(line, 7, 2, type, services))
            return 0;
        uint32_t sum = count + type + (offset >> 8) + (offset & 0xFF);
        if (type > 5) {
            ShowFileError(services, "Invalid Record type");
            return 0;
        }
        uint32_t checksum = 0;
        switch (type) {
        case 0: {
            const uint64_t address = segmentBase + linearBase + offset;
            const uint64_t end = address + count;
            if (limit < 0 || end > static_cast<uint64_t>(limit)) {
                ShowFileError(services, "File exceeds Maximum Size");
                return 0;
            }
            RaiseHighestEnd(highestEnd, static_cast<int64_t>(address), count);
            if (!StoreHexBytes(line, 9, count, buffer + address, sum, services)) return 0;
            if (!ParseHexDigits(line, 9 + 2 * static_cast<size_t>(count), 2, checksum, services))
                return 0;
            if (((sum + checksum) & 0xFF) != 0) {
                ShowFileError(services, "Checksum Error type 0");
                return 0;
            }
            break;
        }
        case 1:
            if (!ParseHexDigits(line, 9, 2, checksum, services)) return 0;
            if (count != 0 || offset != 0 || checksum != 0xFF) {
                ShowFileError(services, "Invalid EOF Record");
                return 0;
            }
            return static_cast<int32_t>(highestEnd);
        case 2:
        case 4: {
            const std::string suffix = type == 2 ? "2" : "4";
            if (count != 2) {
                ShowFileError(services, "Invalid Record Length for type " + suffix);
                return 0;
            }
            uint32_t value = 0;
            if (!ParseHexDigits(line, 9, 4, value, services) ||
                !ParseHexDigits(line, 13, 2, checksum, services))
                return 0;
            sum += (value >> 8) + (value & 0xFF) + checksum;
            if ((sum & 0xFF) != 0) {
                ShowFileError(services, "Checksum Error type " + suffix);
                return 0;
            }
            if (type == 2)
                segmentBase = static_cast<uint64_t>(value) * 16;
            else
                linearBase = static_cast<uint64_t>(value) * 65536;
            break;
        }
        default: // 03 and 05: start addresses, of no use to a memory image
            break;
        }
    }
}

int32_t ReadIntelHexFile(ImageStreamCell& cell, const std::string& fileName, uint8_t* buffer,
                         int32_t bufferSize, WindowServices& services) {
    return ReadRecordFile(cell, fileName, [&](TStream& source) {
        return ReadIntelHex(source, buffer, bufferSize, services);
    });
}

bool WriteIntelHexFile(ImageStreamCell& cell, const std::string& fileName, const uint8_t* buffer,
                       int32_t length) {
    return WriteRecordFile(cell, fileName, [&](ImageOutputFile& out) {
        const int64_t total = std::max<int32_t>(length, 0);
        int64_t blockBase = 0;
        for (int64_t p = 0; p < total; p += 32) {
            if (p - blockBase > 0xFFFF) {
                blockBase = p & ~int64_t{0xFFFF};
                const auto upper = static_cast<uint32_t>(blockBase >> 16);
                char* o = out.Room();
                std::memcpy(o, ":02000004", 9);
                FormatHexDigits(upper, o + 9, 4);
                EndRecordLine(out, o, o + 13, 0x100 - (6 + (upper >> 8) + (upper & 0xFF)));
            }
            // Each record is built in place and kept only when one of its bytes is not 0xFF.
            const auto n = static_cast<uint32_t>(std::min<int64_t>(total - p, 32));
            const auto offset = static_cast<uint32_t>(p - blockBase);
            uint32_t sum = n + (offset >> 8) + (offset & 0xFF);
            char* o = out.Room();
            o[0] = ':';
            FormatHexDigits(n, o + 1, 2);
            FormatHexDigits(offset, o + 3, 4);
            o[7] = '0';
            o[8] = '0';
            if (FormatHexBytes(buffer + p, n, o + 9, sum)) continue;
            EndRecordLine(out, o, o + 9 + 2 * n, 0x100 - (sum & 0xFF));
        }
        out.Write(":00000001FF\r\n", 13);
    });
}
