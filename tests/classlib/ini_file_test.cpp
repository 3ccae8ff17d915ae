#include "exceptions.h"
#include "ini_file.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class IniFileTest : public ::testing::Test {
protected:
    // A folder made read-only by a test is opened again for its removal.
    void TearDown() override { ::chmod(dir_.c_str(), 0755); }
    void Put(const std::string& text) { WriteFileBytes(path_, text); }
    std::string Get() const { return ReadFileBytes(path_); }
    TempFolder folder_;
    const std::string dir_ = folder_.Path().string();
    const std::string path_ = folder_.File("Pyrolan.ini");
};

TEST_F(IniFileTest, NamesIgnoreCaseAndFirstMatchWins) {
    Put("[device]\r\nspeed = 3 \r\nSPEED=4\r\n[DEVICE]\r\nLangu=2\r\n");
    TIniFile ini(path_);
    EXPECT_EQ(ini.ReadInteger("DEVICE", "SPEED", 0), 3);
    // Only the first section of a name counts.
    EXPECT_EQ(ini.ReadInteger("Device", "LANGU", 7), 7);
    EXPECT_EQ(ini.ReadString("Other", "SPEED", "none"), "none");
}

TEST_F(IniFileTest, IntegerFormsAndFallbacks) {
    struct Case {
        const char* text;
        int32_t expected;
    } cases[] = {
        {"12", 12},  {"-5", -5}, {"$10", 16}, {"0x10", 16}, {"0X1f", 31}, {"x10", 16},  {"X3", 3},
        {"abc", 99}, {"", 99},   {"1 2", 99}, {"0x", 99},   {"  7", 7},   {"\"5\"", 5},
    };
    for (const Case& c : cases) {
        Put(std::string("[S]\nk=") + c.text + "\n");
        TIniFile ini(path_);
        EXPECT_EQ(ini.ReadInteger("S", "k", 99), c.expected) << c.text;
    }
    Put("[S]\nb=0x10\nz=0\nbad=abc\n");
    TIniFile ini(path_);
    EXPECT_TRUE(ini.ReadBool("S", "b", false));
    EXPECT_FALSE(ini.ReadBool("S", "z", true));
    EXPECT_FALSE(ini.ReadBool("S", "bad", false));
    EXPECT_TRUE(ini.ReadBool("S", "missing", true));
}

TEST_F(IniFileTest, WritesKeepUnknownLinesAndReplaceInPlace) {
    Put("; a comment\n[Environment]\nFormTop=5\nmystery line\n\n[Other]\nx=1\n");
    TIniFile ini(path_);
    ini.WriteInteger("environment", "formtop", 42);
    ini.WriteInteger("Environment", "FormLeft", -3);
    ini.WriteBool("NEW", "On", true);
    EXPECT_EQ(Get(), "; a comment\n[Environment]\nformtop=42\nmystery line\nFormLeft=-3\n\n"
                     "[Other]\nx=1\n\n[NEW]\nOn=1\n");
    // A second object sees what the first wrote.
    TIniFile again(path_);
    EXPECT_EQ(again.ReadInteger("ENVIRONMENT", "FORMLEFT", 0), -3);
}

TEST_F(IniFileTest, FileCreatedByFirstWrite) {
    TIniFile ini(path_);
    EXPECT_FALSE(std::filesystem::exists(path_));
    EXPECT_EQ(ini.ReadInteger("A", "b", 10), 10);
    ini.WriteString("A", "b", "text");
    EXPECT_EQ(Get(), "[A]\nb=text\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary file is left behind";
}

TEST_F(IniFileTest, NewFileFollowsTheUmaskAndAnOldOneKeepsItsMode) {
    struct Case {
        mode_t umask;
        bool exists;
        mode_t expected;
        bool device; // the name is a link to a pipe open to all, which reads as missing
    } cases[] = {{077, false, 0600, false},
                 {022, false, 0644, false},
                 {077, true, 0664, false},
                 {022, true, 0644, true}};
    for (const Case& c : cases) {
        std::filesystem::remove(path_);
        if (c.device) {
            // The link itself is replaced, never the pipe (as a link to the zero device would
            // be), and the new file gets a new file's mode, not the pipe's 0666.
            const std::string fifo = dir_ + "/open-fifo";
            std::filesystem::remove(fifo);
            ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
            ::chmod(fifo.c_str(), 0666);
            std::filesystem::create_symlink(fifo, path_);
        } else if (c.exists) {
            Put("[A]\n");
            ::chmod(path_.c_str(), 0664);
        }
        const mode_t saved = ::umask(c.umask);
        TIniFile(path_).WriteInteger("A", "b", 1);
        ::umask(saved);
        struct stat st {};
        ASSERT_EQ(::lstat(path_.c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(st.st_mode & 0777, c.expected) << std::oct << c.umask << " " << c.exists;
        if (c.device) {
            ASSERT_EQ(::lstat((dir_ + "/open-fifo").c_str(), &st), 0);
            EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "the pipe behind the link stays";
        }
    }
}

TEST_F(IniFileTest, ReadOnlyFileIsRefusedEvenForRoot) {
    // The read-only bit is honoured by the writer itself, not only by the file system.
    Put("[A]\nb=1\n");
    ::chmod(path_.c_str(), 0444);
    TIniFile ini(path_);
    try {
        ini.WriteInteger("A", "b", 2);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Unable to write to " + path_);
    }
    EXPECT_EQ(Get(), "[A]\nb=1\n");
}

TEST_F(IniFileTest, APipeUnderTheNameIsRefusedAndSaysWhy) {
    ASSERT_EQ(::mkfifo(path_.c_str(), 0666), 0);
    TIniFile ini(path_);
    try {
        ini.WriteInteger("A", "b", 2);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Unable to write to " + path_ + " (not a plain file)");
    }
    EXPECT_TRUE(std::filesystem::is_fifo(path_));
}

TEST_F(IniFileTest, UnwritableFolderRaises) {
    TIniFile ini(dir_ + "/missing/folder/x.ini");
    EXPECT_THROW(ini.WriteInteger("A", "b", 2), EIniFileException);
}

TEST_F(IniFileTest, RewritesGiveEveryLineBackWithItsOwnEnding) {
    // A line ending in CR CR LF keeps both carriage returns however often the file is
    // rewritten; to the reader they are blanks.
    Put("[A]\r\nodd=1\r\r\nb=2\r\n");
    for (int round = 0; round < 3; ++round) {
        TIniFile ini(path_);
        EXPECT_EQ(ini.ReadInteger("A", "odd", 0), 1);
        ini.WriteInteger("A", "b", 3);
        EXPECT_EQ(Get(), "[A]\r\nodd=1\r\r\nb=3\r\n") << round;
    }
    // The rewritten line itself keeps both, and so do lines added to a file written so.
    Put("[A]\r\r\nodd=1\r\r\n");
    for (int round = 0; round < 3; ++round) {
        TIniFile(path_).WriteInteger("A", "odd", round);
        EXPECT_EQ(Get(), "[A]\r\r\nodd=" + std::to_string(round) + "\r\r\n") << round;
    }
    TIniFile(path_).WriteInteger("A", "new", 5);
    EXPECT_EQ(Get(), "[A]\r\r\nodd=2\r\r\nnew=5\r\r\n");
    Put("[A]\r\nodd=1\r\r\nb=3\r\n");
    // New lines end as the file's lines do.
    TIniFile(path_).WriteInteger("B", "c", 4);
    EXPECT_EQ(Get(), "[A]\r\nodd=1\r\r\nb=3\r\n\r\n[B]\r\nc=4\r\n");
    Put("[A]\nb=1\n");
    TIniFile(path_).WriteInteger("A", "c", 2);
    EXPECT_EQ(Get(), "[A]\nb=1\nc=2\n");
}

TEST_F(IniFileTest, WhatIsNotAPlainFileOfSaneSizeReadsAsMissing) {
    // Each would hang the start (a pipe without a writer), never end (the zero device) or
    // fill the memory.
    ASSERT_EQ(::mkfifo((dir_ + "/fifo").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", dir_ + "/zero");
    std::filesystem::create_directory(dir_ + "/folder");
    Put("[A]\nb=1\n");
    ASSERT_EQ(::truncate(path_.c_str(), 5 << 20), 0);
    for (const char* name : {"fifo", "zero", "folder", "Pyrolan.ini"}) {
        TIniFile ini(dir_ + "/" + std::string(name));
        EXPECT_EQ(ini.ReadInteger("A", "b", 7), 7) << name;
    }
    ASSERT_EQ(::truncate(path_.c_str(), 4 << 20), 0);
    EXPECT_EQ(TIniFile(path_).ReadInteger("A", "b", 7), 1) << "four megabytes are read";
}

} // namespace
