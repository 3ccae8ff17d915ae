// Loading and saving image files as the Open and Save commands do: the choice by
// extension, the size limits of raw and capsule files, the overwrite question and the
// atomic replacement of the old file, all on real files.
#include "exceptions.h"
#include "image_file.h"
#include "image_test_support.h"
#include "message_table.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

const std::string kIntelText = ":0100000041BE\n:00000001FF\n";
const std::string kSRecordText = "S104000041BA\nS9030000FC\n";

std::string Capsule(const std::string& image) {
    return std::string(2048, 'h') + image;
}

struct LoadCase {
    const char* fileName;
    std::string content;
    int32_t result;
    int firstByte; // buffer[0] afterwards
};

class ImageFileTest : public testing::Test {
protected:
    std::vector<uint8_t> buffer = std::vector<uint8_t>(4096, 0xFF);
    ImageTestServices services;
    TempFolder folder;

    int32_t Load(const std::string& path) {
        return LoadImageFile(path, buffer.data(), static_cast<int32_t>(buffer.size()), services);
    }
    std::vector<std::string> FolderEntries() const { return folder.Names(); }
};

TEST_F(ImageFileTest, LoadFormatByExtension) {
    const int32_t intelSize = static_cast<int32_t>(kIntelText.size());
    const int32_t sSize = static_cast<int32_t>(kSRecordText.size());
    fs::create_directory(folder.Path() / "dir.hex");
    const std::vector<LoadCase> cases = {
        {"IMAGE.HEX", kIntelText, 1, 0x41},
        {"mixed.hEx", kIntelText, 1, 0x41},
        {"a.Src", kSRecordText, sSize, 'S'},
        {"plain.bin", kIntelText, intelSize, ':'},
        {"plain.ROM", kIntelText, intelSize, ':'},
        {"other.txt", kIntelText, intelSize, ':'},
        {"noextension", kIntelText, intelSize, ':'},
        {"dir.hex/inside", kIntelText, intelSize, ':'},
        {"colon.EEP", kIntelText, 1, 0x41},
        {"upper.eep", kSRecordText, 1, 0x41},
        {"lower.eep", "s104000041BA\n", 13, 's'},
        {"other.eep", kIntelText.substr(1), intelSize - 1, '0'},
        {"empty.eep", "", 0, 0xFF},
        {"image.Cap", Capsule("AB"), 2, 'A'},
    };
    for (const LoadCase& c : cases) {
        const std::string path = folder.File(c.fileName);
        WriteFileBytes(path, c.content);
        std::fill(buffer.begin(), buffer.end(), 0xFF);
        services.errors.clear();
        EXPECT_EQ(Load(path), c.result) << c.fileName;
        EXPECT_EQ(buffer[0], c.firstByte) << c.fileName;
        EXPECT_TRUE(services.errors.empty()) << c.fileName;
    }
}

TEST_F(ImageFileTest, SaveFormatByExtension) {
    const std::vector<uint8_t> image = {0x41, 0x42};
    fs::create_directory(folder.Path() / "dir.src");
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"image.Src", "S00600004844521B\r\nS1050000414277\r\nS9030000FC\r\n"},
        {"IMAGE.HEX", ":0200000041427B\r\n:00000001FF\r\n"},
        {"raw.bin", "AB"},
        {"raw.cap", "AB"},
        {"raw.rom", "AB"},
        {"noextension", "AB"},
        {"dir.src/inside", "AB"},
    };
    for (const auto& [name, expected] : cases) {
        SaveImageFile(folder.File(name), image.data(), 2, services, 2);
        EXPECT_EQ(ReadFileBytes(folder.File(name)), expected) << name;
    }
    EXPECT_TRUE(services.errors.empty());
    EXPECT_TRUE(services.questions.empty());
}

TEST(ImageFormatRules, EepByFirstCharacter) {
    EXPECT_EQ(LoadFormatFor("x.eep", ':'), ImageFormat::IntelHex);
    EXPECT_EQ(LoadFormatFor("x.eEp", 'S'), ImageFormat::SRecord);
    EXPECT_EQ(LoadFormatFor("x.eep", 's'), ImageFormat::Raw);
    EXPECT_EQ(LoadFormatFor("x.eep", -1), ImageFormat::Raw);
    EXPECT_EQ(LoadFormatFor("x.hex", 'S'), ImageFormat::IntelHex);
    EXPECT_EQ(SaveFormatFor("x.cap"), ImageFormat::Raw);
    EXPECT_EQ(SaveFormatFor("x.eep"), ImageFormat::Raw);
}

// The Open command's buffer: a file of exactly its size loads whole, one byte more is
// refused and the buffer stays untouched; a capsule counts its header.
TEST_F(ImageFileTest, RawAndCapsuleAgainstTheFullBuffer) {
    constexpr int32_t kFull = 0x4000000;
    std::vector<uint8_t> full(kFull, 0xFF);
    std::vector<uint8_t> content = RandomBytes(kFull + 1, 3);
    const std::string exact = folder.File("exact.bin");
    const std::string over = folder.File("over.bin");
    WriteFileBytes(exact, std::vector<uint8_t>(content.begin(), content.end() - 1));
    WriteFileBytes(over, content);
    EXPECT_EQ(LoadImageFile(exact, full.data(), kFull, services), kFull);
    EXPECT_TRUE(std::equal(full.begin(), full.end(), content.begin()));

    std::fill(full.begin(), full.end(), 0xFF);
    EXPECT_EQ(LoadImageFile(over, full.data(), kFull, services), 0);
    EXPECT_EQ(services.errors, std::vector<std::string>{"File is too big for Buffer"});
    EXPECT_EQ(std::count(full.begin(), full.end(), 0xFF), kFull);

    services.errors.clear();
    fs::rename(exact, folder.File("exact.cap"));
    fs::rename(over, folder.File("over.cap"));
    EXPECT_EQ(LoadImageFile(folder.File("exact.cap"), full.data(), kFull, services), kFull - 2048);
    EXPECT_TRUE(std::equal(full.begin(), full.end() - 2048, content.begin() + 2048));
    EXPECT_EQ(LoadImageFile(folder.File("over.cap"), full.data(), kFull, services), 0);
    EXPECT_EQ(services.errors, std::vector<std::string>{"File is too big for Buffer"});
}

TEST_F(ImageFileTest, ShortCapsuleReadsNothing) {
    for (size_t size : {0, 1, 2048}) {
        WriteFileBytes(folder.File("short.cap"), std::string(size, 'x'));
        EXPECT_EQ(Load(folder.File("short.cap")), 0) << size;
        EXPECT_EQ(std::count(buffer.begin(), buffer.end(), 0xFF), 4096) << size;
    }
    WriteFileBytes(folder.File("one.cap"), Capsule("Z"));
    EXPECT_EQ(Load(folder.File("one.cap")), 1);
    EXPECT_EQ(buffer[0], 'Z');
    EXPECT_EQ(buffer[1], 0xFF);
    EXPECT_TRUE(services.errors.empty());
}

TEST_F(ImageFileTest, OnlyRegularFilesAreRead) {
    fs::create_directory(folder.Path() / "folder.hex");
    fs::create_directory(folder.Path() / "folder.bin");
    fs::create_directory(folder.Path() / "folder.eep");
    ASSERT_EQ(::mkfifo(folder.File("pipe.bin").c_str(), 0600), 0);
    EXPECT_THROW(Load(folder.File("folder.hex")), EFOpenError);
    EXPECT_THROW(Load(folder.File("folder.bin")), EFOpenError);
    EXPECT_THROW(Load(folder.File("pipe.bin")), EFOpenError); // and does not wait for a writer
    EXPECT_THROW(Load(folder.File("missing.hex")), EFOpenError);
    EXPECT_TRUE(services.errors.empty());
    EXPECT_EQ(Load(folder.File("folder.eep")), 0);
    EXPECT_EQ(Load(folder.File("missing.eep")), 0);
    EXPECT_EQ(services.errors, (std::vector<std::string>{"Can't open File", "Can't open File"}));
}

TEST_F(ImageFileTest, AnswerNoLeavesTheFileAsItWas) {
    const std::string path = folder.File("keep.hex");
    WriteFileBytes(path, std::string("old contents\n"));
    const std::vector<uint8_t> image = RandomBytes(100, 5);
    for (int32_t language : {0, 2}) {
        services.answer = false;
        services.questions.clear();
        SaveImageFile(path, image.data(), 100, services, language);
        EXPECT_EQ(services.questions, std::vector<std::string>{Message(MsgOverwrite, language)});
        EXPECT_EQ(ReadFileBytes(path), "old contents\n");
    }
    EXPECT_TRUE(services.errors.empty());
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"keep.hex"});

    services.answer = true;
    ::chmod(path.c_str(), 0640);
    SaveImageFile(path, image.data(), 100, services, 2);
    EXPECT_EQ(ReadFileBytes(path).substr(0, 9), ":20000000");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "the replacement keeps the old permissions";
    EXPECT_TRUE(services.errors.empty());
}

TEST_F(ImageFileTest, NewFileIsNotAskedAbout) {
    SaveImageFile(folder.File("empty.bin"), buffer.data(), 0, services, 2);
    EXPECT_TRUE(services.questions.empty());
    EXPECT_TRUE(fs::exists(folder.File("empty.bin")));
    EXPECT_EQ(fs::file_size(folder.File("empty.bin")), 0u);
}

TEST_F(ImageFileTest, SavingThroughALinkReplacesItsTarget) {
    WriteFileBytes(folder.File("target.bin"), std::string("old"));
    fs::create_symlink("target.bin", folder.Path() / "link.bin");
    const std::vector<uint8_t> image = {1, 2, 3, 4};
    SaveImageFile(folder.File("link.bin"), image.data(), 4, services, 2);
    EXPECT_TRUE(fs::is_symlink(folder.Path() / "link.bin"));
    EXPECT_EQ(ReadFileBytes(folder.File("target.bin")), std::string("\1\2\3\4"));
}

TEST_F(ImageFileTest, FailedWriteLeavesTheOldFileAndSaysSo) {
    const std::vector<uint8_t> image = RandomBytes(3 << 20, 9);
    for (const char* name : {"old.bin", "old.hex", "old.src"}) {
        const std::string path = folder.File(name);
        WriteFileBytes(path, std::string("the old file"));
        services.errors.clear();
        {
            FileSizeLimit limit(1 << 20);
            SaveImageFile(path, image.data(), static_cast<int32_t>(image.size()), services, 2);
        }
        EXPECT_EQ(services.errors, std::vector<std::string>{"Error writing file."}) << name;
        EXPECT_EQ(ReadFileBytes(path), "the old file") << name;
    }
    EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"old.bin", "old.hex", "old.src"}))
        << "no temporary file is left behind";
}

TEST_F(ImageFileTest, ReplacingAFolderFailsAndSaysSo) {
    fs::create_directory(folder.Path() / "taken.hex");
    SaveImageFile(folder.File("taken.hex"), buffer.data(), 16, services, 0);
    EXPECT_EQ(services.errors, std::vector<std::string>{Message(MsgWriteFileError, 0)});
    EXPECT_TRUE(fs::is_directory(folder.Path() / "taken.hex"));
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"taken.hex"});
}

// A pipe (as a device or a socket) under the name is not replaced by the image in any format:
// the save raises the creation error, which says why, and writes nothing.
TEST_F(ImageFileTest, SavingOverWhatIsNoPlainFileRaisesAndLeavesIt) {
    for (const char* name : {"pipe.bin", "pipe.hex", "pipe.src"}) {
        SCOPED_TRACE(name);
        const std::string path = folder.File(name);
        ASSERT_EQ(::mkfifo(path.c_str(), 0666), 0);
        try {
            SaveImageFile(path, buffer.data(), 16, services, 2);
            ADD_FAILURE() << "saved";
        } catch (const EFCreateError& e) {
            EXPECT_EQ(e.Message(), "Cannot create file " + path + " (not a plain file)");
        }
        EXPECT_TRUE(fs::is_fifo(path));
    }
    EXPECT_TRUE(services.errors.empty());
    EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"pipe.bin", "pipe.hex", "pipe.src"}));
}

TEST_F(ImageFileTest, NoFolderToCreateInRaises) {
    EXPECT_THROW(SaveImageFile(folder.File("none/out.bin"), buffer.data(), 4, services, 2),
                 EFCreateError);
    EXPECT_TRUE(services.errors.empty());
}

} // namespace
