// Cross-checks against independent tools on real files: images with gaps written by
// srec_cat and by objcopy load to the same bytes, and what our writers produce reads back
// through srec_cat and objcopy to the same bytes.
#include "image_test_support.h"
#include "intel_hex.h"
#include "srecord.h"

#include <gtest/gtest.h>
#include <tuple>

namespace {

struct Segment {
    uint32_t address;
    std::vector<uint8_t> data;
};

// Random segments with gaps between them, crossing several 64 KiB blocks, and one far up
// (beyond 16 MiB) when asked, so that linear, segment and S3 addresses all occur.
std::vector<Segment> RandomSegments(uint32_t seed, bool farSegment) {
    std::mt19937 generator(seed);
    std::vector<Segment> segments;
    uint32_t address = generator() % 64;
    for (int i = 0; i < 12; ++i) {
        const uint32_t length = 1 + generator() % 9000;
        segments.push_back({address, RandomBytes(length, generator())});
        address += length + 1 + generator() % 30000;
    }
    if (farSegment) segments.push_back({0x1800003, RandomBytes(777, generator())});
    return segments;
}

std::vector<uint8_t> ImageOf(const std::vector<Segment>& segments, size_t size) {
    std::vector<uint8_t> image(size, 0xFF);
    for (const Segment& s : segments)
        std::copy(s.data.begin(), s.data.end(), image.begin() + s.address);
    return image;
}

int32_t EndOf(const std::vector<Segment>& segments) {
    return static_cast<int32_t>(segments.back().address + segments.back().data.size());
}

class ImageTools : public testing::Test {
protected:
    void SetUp() override {
        if (!RunCommand("command -v srec_cat >/dev/null && command -v objcopy >/dev/null"))
            GTEST_SKIP() << "srec_cat or objcopy is not installed";
    }

    // Runs a tool; its messages go to a log that a failure shows.
    void Tool(const std::string& command) {
        const std::string log = folder.File("tool.log");
        ASSERT_TRUE(RunCommand(command + " >" + log + " 2>&1")) << command << "\n"
                                                                << ReadFileBytes(log);
    }

    // srec_cat writes the segments as Intel HEX and as S-records; objcopy converts each.
    // Without a start address srec_cat leaves out the S-record end record, which the
    // reader requires.
    void WriteWithTools(const std::vector<Segment>& segments) {
        std::string inputs;
        for (size_t i = 0; i < segments.size(); ++i) {
            const std::string part = folder.File("part" + std::to_string(i) + ".bin");
            WriteFileBytes(part, segments[i].data);
            inputs += " " + part + " -Binary -offset " + std::to_string(segments[i].address);
        }
        Tool("srec_cat" + inputs + " -o " + folder.File("srec_cat.hex") + " -Intel");
        Tool("srec_cat" + inputs + " -execution-start-address=0 -o " +
             folder.File("srec_cat.srec") + " -Motorola");
        Tool("objcopy -I srec -O ihex " + folder.File("srec_cat.srec") + " " +
             folder.File("objcopy.hex"));
        Tool("objcopy -I ihex -O srec " + folder.File("srec_cat.hex") + " " +
             folder.File("objcopy.srec"));
    }

    std::vector<uint8_t> Load(const std::string& name, bool intel, int32_t size, int32_t& result) {
        std::vector<uint8_t> buffer(static_cast<size_t>(size), 0xFF);
        ImageTestServices services;
        ImageStreamCell cell;
        result = intel ? ReadIntelHexFile(cell, folder.File(name), buffer.data(), size, services)
                       : ReadSRecordFile(cell, folder.File(name), buffer.data(), size, services);
        EXPECT_TRUE(services.errors.empty()) << name << ": " << services.errors.front();
        return buffer;
    }

    TempFolder folder;
};

TEST_F(ImageTools, FilesOfTheToolsLoadToTheSameBytes) {
    for (const bool far : {false, true}) {
        const std::vector<Segment> segments = RandomSegments(far ? 21 : 20, far);
        const int32_t size = far ? 0x2000000 : 0x80000;
        const std::vector<uint8_t> expected = ImageOf(segments, static_cast<size_t>(size));
        WriteWithTools(segments);
        for (const char* name : {"srec_cat.hex", "objcopy.hex", "srec_cat.srec", "objcopy.srec"}) {
            int32_t result = 0;
            const bool intel = std::string(name).ends_with(".hex");
            EXPECT_TRUE(Load(name, intel, size, result) == expected) << name << " far " << far;
            EXPECT_EQ(result, EndOf(segments)) << name << " far " << far;
        }
    }
}

// srec_cat fills what our writers left out with 0xFF; objcopy fills the gaps between
// records and starts at the first one, which is at address 0 here.
TEST_F(ImageTools, OurFilesReadBackThroughTheTools) {
    struct Case {
        const char* name;
        size_t length;
    };
    for (const Case c : {Case{"small", 0x30021}, Case{"s1", 0xFFF0}, Case{"large", 0x1000100}}) {
        // Random bytes with erased stretches, as a partly used chip reads.
        std::vector<uint8_t> image(c.length, 0xFF);
        const size_t randomPart = std::min<size_t>(c.length, 0x30021);
        const std::vector<uint8_t> random = RandomBytes(randomPart, 5);
        std::copy(random.begin(), random.end(), image.begin());
        std::fill(image.begin() + 0x1000, image.begin() + 0x1900, 0xFF);
        if (c.length > 0x10100) std::fill(image.begin() + 0x10000, image.begin() + 0x10100, 0xFF);
        image[c.length - 1] = 0x42;
        const auto length = static_cast<int32_t>(c.length);
        ImageStreamCell cell;
        ASSERT_TRUE(WriteIntelHexFile(cell, folder.File("ours.hex"), image.data(), length));
        ASSERT_TRUE(WriteSRecordFile(cell, folder.File("ours.srec"), image.data(), length));
        const std::string range = " -fill 0xFF 0 " + std::to_string(c.length);
        for (const auto& [file, format, bfd] : {std::tuple{"ours.hex", "-Intel", "ihex"},
                                                std::tuple{"ours.srec", "-Motorola", "srec"}}) {
            Tool(std::string("srec_cat ") + folder.File(file) + " " + format + range + " -o " +
                 folder.File("back1.bin") + " -Binary");
            Tool(std::string("objcopy --gap-fill 0xff -I ") + bfd + " -O binary " +
                 folder.File(file) + " " + folder.File("back2.bin"));
            const std::string expected(image.begin(), image.end());
            EXPECT_TRUE(ReadFileBytes(folder.File("back1.bin")) == expected) << c.name << file;
            EXPECT_TRUE(ReadFileBytes(folder.File("back2.bin")) == expected) << c.name << file;
        }
    }
}

} // namespace
