#pragma once
// What the image-file tests share: window services that record the boxes and answer the
// overwrite question as told, and random contents; folders and files come from test_files.h.
#include "image_records.h"
#include "test_files.h"
#include "window_services.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <string>
#include <vector>

class ImageTestServices : public SilentWindowServices {
public:
    std::string NextLogPrefix() override { return "001:"; }
    void AddLogLine(const std::string& line) override { logLines.push_back(line); }
    void ShowError(const std::string& text) override { errors.push_back(text); }
    bool AskYesNo(const std::string& text) override {
        questions.push_back(text);
        return answer;
    }

    std::vector<std::string> errors;
    std::vector<std::string> questions;
    std::vector<std::string> logLines;
    bool answer = true;
};

inline std::vector<uint8_t> RandomBytes(size_t count, uint32_t seed) {
    std::mt19937 generator(seed);
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; i += 4) {
        const uint32_t word = generator();
        for (size_t k = 0; k < 4 && i + k < count; ++k)
            bytes[i + k] = static_cast<uint8_t>(word >> (8 * k));
    }
    return bytes;
}

// Runs a shell command line; true when it exited with 0.
inline bool RunCommand(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

// Record builders for test input; checksumDelta spoils the checksum on purpose.
inline std::string HexText(const std::vector<uint8_t>& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string text;
    for (uint8_t b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 0xF];
    }
    return text;
}

inline std::string IntelRecord(uint8_t type, uint16_t offset, const std::vector<uint8_t>& data,
                               int checksumDelta = 0) {
    std::vector<uint8_t> bytes = {static_cast<uint8_t>(data.size()),
                                  static_cast<uint8_t>(offset >> 8),
                                  static_cast<uint8_t>(offset & 0xFF), type};
    bytes.insert(bytes.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (uint8_t b : bytes) sum += b;
    bytes.push_back(static_cast<uint8_t>(0x100 - (sum & 0xFF) + checksumDelta));
    return ":" + HexText(bytes);
}

// type 1, 2 or 3 (data) or any other digit; the address takes type + 1 bytes for 1 to 3.
inline std::string SRecord(int type, uint32_t address, const std::vector<uint8_t>& data,
                           int checksumDelta = 0) {
    const int addressBytes = type >= 1 && type <= 3 ? type + 1 : 2;
    std::vector<uint8_t> bytes = {static_cast<uint8_t>(addressBytes + data.size() + 1)};
    for (int i = addressBytes - 1; i >= 0; --i)
        bytes.push_back(static_cast<uint8_t>(address >> (8 * i)));
    bytes.insert(bytes.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (uint8_t b : bytes) sum += b;
    bytes.push_back(static_cast<uint8_t>(0xFF - (sum & 0xFF) + checksumDelta));
    return "S" + std::to_string(type) + HexText(bytes);
}

inline std::vector<uint8_t> Sequence(size_t count, uint8_t first = 0) {
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(first + i);
    return bytes;
}

// One reader case: the file's text, the buffer size, the result, the boxes in order and
// the bytes that must be stored; every other byte of the buffer must stay 0xFF.
struct RecordCase {
    const char* name;
    std::string text;
    int32_t bufferSize;
    int32_t result;
    std::vector<std::string> errors;
    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> stored;
};

inline std::ostream& operator<<(std::ostream& out, const RecordCase& c) {
    return out << c.name;
}

template <typename Reader>
void CheckRecordCase(const RecordCase& c, const std::string& path, Reader read) {
    WriteFileBytes(path, c.text);
    // A margin behind the buffer shows any store past its end.
    std::vector<uint8_t> buffer(static_cast<size_t>(c.bufferSize) + 0x10000, 0xFF);
    ImageTestServices services;
    EXPECT_EQ(read(path, buffer.data(), c.bufferSize, services), c.result);
    EXPECT_EQ(services.errors, c.errors);
    std::vector<uint8_t> expected(buffer.size(), 0xFF);
    for (const auto& [address, bytes] : c.stored)
        std::copy(bytes.begin(), bytes.end(), expected.begin() + address);
    const auto firstDifference =
        std::mismatch(buffer.begin(), buffer.end(), expected.begin()).first - buffer.begin();
    EXPECT_EQ(firstDifference, static_cast<std::ptrdiff_t>(buffer.size()))
        << "first wrong byte at 0x" << std::hex << firstDifference;
}

using RecordFileReader = int32_t (*)(ImageStreamCell&, const std::string&, uint8_t*, int32_t,
                                     WindowServices&);
using RecordFileWriter = bool (*)(ImageStreamCell&, const std::string&, const uint8_t*, int32_t);

// Runs a record file reader and checks that it freed its stream before returning.
template <RecordFileReader Reader>
int32_t ReadRecords(const std::string& path, uint8_t* buffer, int32_t size, WindowServices& s) {
    ImageStreamCell cell;
    const int32_t result = Reader(cell, path, buffer, size, s);
    EXPECT_EQ(cell.Input, nullptr) << "the stream is freed before the reader returns";
    return result;
}

// Writes images with a record file writer into a fresh folder and gives the file's bytes.
template <RecordFileWriter Writer> class RecordWriteTest : public testing::Test {
protected:
    std::string Write(const std::vector<uint8_t>& image, int32_t length) {
        const std::string path = folder.File("out.rec");
        ImageStreamCell cell;
        EXPECT_TRUE(Writer(cell, path, image.data(), length));
        EXPECT_EQ(cell.Output, nullptr) << "the stream is freed before the writer returns";
        return ReadFileBytes(path);
    }
    TempFolder folder;
};

// Runs the reader cases of a record file reader.
template <RecordFileReader Reader>
class RecordReadTest : public testing::TestWithParam<RecordCase> {
protected:
    void Check() { CheckRecordCase(GetParam(), folder.File("case.rec"), ReadRecords<Reader>); }
    TempFolder folder;
};
