#include "srecord.h"

#include "image_output_file.h"
#include "streams.h"

#include <algorithm>
#include <cstring>

int32_t ReadSRecord(TStream& source, uint8_t* buffer, int32_t bufferSize,
                    WindowServices& services) {
    RecordLineReader reader(source, services);
    const int64_t limit = bufferSize;
    int64_t highestEnd = 0;
    std::string_view line;
    for (;;) {
        if (!reader.ReadRecordLine(line)) return 0;
        if (line.empty() || line[0] != 'S') {
            ShowFileError(services, "Illegal Line found");
            return 0;
        }
        const char kind = line.size() > 1 ? line[1] : '\0';
        if (kind == '7' || kind == '8' || kind == '9') return static_cast<int32_t>(highestEnd);
        if (kind != '1' && kind != '2' && kind != '3') continue;
        const int addressBytes = kind - '0' + 1;
        uint32_t count = 0, address = 0;
        if (!ParseHexDigits(line, 2, 2, count, services) ||
            !ParseHexDigits(line, 4, 2 * addressBytes, address, services))
            return 0;
        // A count that does not reach past the address leaves no room for the checksum, which
        // would then be read from the address field: the record is as broken as one whose
        // checksum does not match.
        if (count <= static_cast<uint32_t>(addressBytes)) {
            ShowFileError(services, "Checksum Error");
            return 0;
        }
        uint32_t sum = count;
        for (uint32_t a = address; a != 0; a >>= 8) sum += a & 0xFF;
        const int64_t dataCount = static_cast<int64_t>(count) - addressBytes - 1;
        const int64_t end = static_cast<int64_t>(address) + dataCount;
        if (limit < 0 || end > limit) {
            ShowFileError(services, "File exceeds Maximum Size");
            return 0;
        }
        RaiseHighestEnd(highestEnd, address, dataCount);
        const size_t dataColumn = 4 + 2 * static_cast<size_t>(addressBytes);
        if (dataCount > 0 && !StoreHexBytes(line, dataColumn, static_cast<uint32_t>(dataCount),
                                            buffer + address, sum, services))
            return 0;
        uint32_t checksum = 0;
        if (!ParseHexDigits(line, 2 + 2 * static_cast<size_t>(count), 2, checksum, services))
            return 0;
        if (((sum + checksum) & 0xFF) != 0xFF) {
            ShowFileError(services, "Checksum Error");
            return 0;
        }
    }
}

int32_t ReadSRecordFile(ImageStreamCell& cell, const std::string& fileName, uint8_t* buffer,
                        int32_t bufferSize, WindowServices& services) {
    return ReadRecordFile(cell, fileName, [&](TStream& source) {
        return ReadSRecord(source, buffer, bufferSize, services);
    });
}

bool WriteSRecordFile(ImageStreamCell& cell, const std::string& fileName, const uint8_t* buffer,
                      int32_t length) {
    return WriteRecordFile(cell, fileName, [&](ImageOutputFile& out) {
        const int64_t total = std::max<int32_t>(length, 0);
        // The address class is fixed once for the whole file by its length.
        const int k = total <= 0xFFFF ? 1 : total <= 0xFFFFFF ? 2 : 3;
        const int addressDigits = 2 * (k + 1);
        out.Write("S00600004844521B\r\n", 18);
        for (int64_t a = 0; a < total; a += 16) {
            // Each record is built in place and kept only when one of its bytes is not 0xFF.
            const auto n = static_cast<uint32_t>(std::min<int64_t>(total - a, 16));
            const uint32_t count = n + static_cast<uint32_t>(k + 1) + 1;
            const auto address = static_cast<uint32_t>(a);
            uint32_t sum = count + (address >> 24) + (address >> 16 & 0xFF) +
                           (address >> 8 & 0xFF) + (address & 0xFF);
            char* o = out.Room();
            o[0] = 'S';
            o[1] = static_cast<char>('0' + k);
            FormatHexDigits(count, o + 2, 2);
            FormatHexDigits(address, o + 4, addressDigits);
            char* data = o + 4 + addressDigits;
            if (FormatHexBytes(buffer + a, n, data, sum)) continue;
            EndRecordLine(out, o, data + 2 * n, 0xFF - (sum & 0xFF));
        }
        static const char* const kEnd[] = {"S9030000FC\r\n", "S804000000FB\r\n",
                                           "S70500000000FA\r\n"};
        out.Write(kEnd[k - 1], std::strlen(kEnd[k - 1]));
    });
}
