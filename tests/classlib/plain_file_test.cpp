#include "exceptions.h"
#include "plain_file.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class PlainFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFileBytes(Path("data.bin"), "0123456789");
        ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
        fs::create_directory(Path("folder"));
        fs::create_symlink("/dev/zero", Path("zero"));
        fs::create_symlink(Path("data.bin"), Path("link"));
        fs::create_symlink("/proc/self/status", Path("proc"));
    }
    std::string Path(const std::string& name) const { return folder_.File(name); }

    TempFolder folder_;
};

// A named pipe, a device or a folder opens at once and is refused; a NUL in the name is not
// cut, so the pipe whose name is the part before it is never opened.
TEST_F(PlainFileTest, OnlyRegularFilesOfAKnownSizeOpen) {
    using S = TPlainFile::Status;
    struct Case {
        std::string name;
        int64_t maxSize;
        S status;
        int64_t size;
        const char* reason;
    } cases[] = {
        {"data.bin", 10, S::Opened, 10, ""},
        {"link", 100, S::Opened, 10, ""},
        {"data.bin", 9, S::TooLarge, 10, "File too large"},
        {"missing", 100, S::Missing, 0, "No such file or directory"},
        {"data.bin/below", 100, S::Missing, 0, "Not a directory"},
        {"fifo", 100, S::NotRegular, 0, "Not a regular file"},
        {"zero", 100, S::NotRegular, 0, "Not a regular file"},
        {"folder", 100, S::NotRegular, 0, "Is a directory"},
        // Its size of 0 says nothing of what it holds.
        {"proc", 100, S::NotRegular, 0, "Not a regular file"},
        {std::string("fifo\0.bin", 9), 100, S::CannotOpen, 0, "Invalid argument"},
        {std::string("data.bin\0", 9), 100, S::CannotOpen, 0, "Invalid argument"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TPlainFile file(Path(c.name), c.maxSize);
        EXPECT_EQ(file.GetStatus(), c.status);
        EXPECT_EQ(file.GetSize(), c.size);
        EXPECT_EQ(file.Reason(), c.reason);
        std::string bytes = "old";
        EXPECT_EQ(ReadPlainFile(Path(c.name), c.maxSize, bytes), c.status == S::Opened);
        EXPECT_EQ(bytes, c.status == S::Opened ? "0123456789" : "");
        if (c.status == S::Opened) {
            EXPECT_NO_THROW(file.CheckOpen());
        } else {
            try {
                file.CheckOpen();
                ADD_FAILURE() << "no error";
            } catch (const EFOpenError& e) {
                std::string shown = Path(c.name);
                if (const size_t nul = shown.find('\0'); nul != std::string::npos)
                    shown.replace(nul, 1, "%00");
                EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + shown + "\". " + c.reason);
            }
        }
    }
}

TEST_F(PlainFileTest, ReadsAndSeeksButNeverWrites) {
    TPlainFile file(Path("data.bin"), 100);
    ASSERT_TRUE(file.IsOpen());
    file.SetPosition(4);
    char bytes[8] = {};
    file.ReadBuffer(bytes, 2);
    EXPECT_EQ(std::string(bytes, 2), "45");
    EXPECT_THROW(file.ReadBuffer(bytes, 5), EReadError) << "four bytes are left";
    EXPECT_THROW(file.WriteBuffer("x", 1), EWriteError);
    EXPECT_THROW(file.SetSize(0), EWriteError);
    std::ifstream in(Path("data.bin"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "0123456789");
}

} // namespace
