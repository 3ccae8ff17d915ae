#include "atomic_file.h"
#include "exceptions.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return folder_.File(name); }
    static bool Save(const std::string& path, const std::string& text) {
        TAtomicFile file(path);
        return file.IsOpen() && file.Write(text.data(), text.size()) && file.Commit();
    }
    std::vector<std::string> Names() const { return folder_.Names(); }
    // The file under path is refused at open, with that message.
    static void ExpectOpenRefused(const std::string& path, const std::string& message) {
        try {
            TAtomicFileStream(path).File().CheckOpen();
            ADD_FAILURE() << "opened";
        } catch (const EFCreateError& e) {
            EXPECT_EQ(e.Message(), message);
        }
    }

    TempFolder folder_;
};

// Saving through a link replaces the file it points at, relative or absolute, and the
// link stays a link.
TEST_F(AtomicFileTest, ALinkIsWrittenThroughAndStaysALink) {
    fs::create_directory(Path("real"));
    WriteFileBytes(Path("real/settings.ini"), "old");
    fs::create_symlink("real/settings.ini", Path("relative"));
    fs::create_symlink(Path("relative"), Path("chain"));
    for (const char* name : {"relative", "chain"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(Save(Path(name), name));
        EXPECT_TRUE(fs::is_symlink(Path(name)));
        EXPECT_EQ(ReadFileBytes(Path("real/settings.ini")), name);
    }
    EXPECT_EQ(Names(), (std::vector<std::string>{"chain", "real", "relative"}));
    EXPECT_EQ(TAtomicFile(Path("chain")).Target(), Path("real/settings.ini"));
}

// A link to what is no plain file (as a settings file linked to the zero device) is replaced
// itself: the pipe or folder behind it stays, and no temporary file is made beside it.
TEST_F(AtomicFileTest, ALinkToWhatIsNoPlainFileIsReplacedItself) {
    fs::create_directory(Path("elsewhere"));
    ASSERT_EQ(::mkfifo(Path("elsewhere/fifo").c_str(), 0666), 0);
    fs::create_directory(Path("elsewhere/folder"));
    for (const char* target : {"elsewhere/fifo", "elsewhere/folder"}) {
        SCOPED_TRACE(target);
        fs::remove(Path("link"));
        fs::create_symlink(Path(target), Path("link"));
        ASSERT_TRUE(Save(Path("link"), "new"));
        EXPECT_FALSE(fs::is_symlink(Path("link")));
        EXPECT_EQ(ReadFileBytes(Path("link")), "new");
    }
    EXPECT_TRUE(fs::is_fifo(Path("elsewhere/fifo")));
    EXPECT_TRUE(fs::is_directory(Path("elsewhere/folder")));
    EXPECT_TRUE(fs::is_empty(Path("elsewhere/folder")));
    fs::remove(Path("elsewhere/folder"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"elsewhere", "link"}));
}

// A device, a pipe or a socket under the name is refused before anything is written: the
// node keeps its kind and what it holds, and no temporary file is made beside it.
TEST_F(AtomicFileTest, ANodeThatIsNoPlainFileIsRefusedAndStays) {
    // The null device under a name of our own; where nodes cannot be made, the system's own
    // (which the refusal leaves alone as well).
    std::string device = Path("device");
    if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) device = "/dev/null";
    const std::string fifo = Path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    // A reader holds the pipe open, so that a write into it would not block but stay there.
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const std::string socketName = Path("socket");
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketName.size(), sizeof address.sun_path);
    socketName.copy(address.sun_path, socketName.size());
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    const std::vector<std::string> names = Names();

    for (const std::string& name : {device, fifo, socketName}) {
        SCOPED_TRACE(name);
        struct stat before {};
        ASSERT_EQ(::lstat(name.c_str(), &before), 0);
        EXPECT_FALSE(Save(name, "new"));
        ExpectOpenRefused(name, "Cannot create file " + name + " (not a plain file)");
        struct stat after {};
        ASSERT_EQ(::lstat(name.c_str(), &after), 0);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_rdev, before.st_rdev);
    }
    char byte;
    EXPECT_LE(::read(reader, &byte, 1), 0) << "nothing went into the pipe";
    EXPECT_LT(::accept(listener, nullptr, nullptr), 0) << "nobody called at the socket";
    ::close(reader);
    ::close(listener);
    EXPECT_EQ(Names(), names);
}

// A plain file the user may not write stays as it is, named directly or through a link: the
// rename that would replace it needs only the folder's permission. The read-only bit counts
// also for a user whom the file system would let write the file.
TEST_F(AtomicFileTest, AReadOnlyFileIsRefusedAndStays) {
    WriteFileBytes(Path("image.bin"), "old");
    ::chmod(Path("image.bin").c_str(), 0444);
    fs::create_symlink(Path("image.bin"), Path("link"));
    struct stat before {};
    ASSERT_EQ(::stat(Path("image.bin").c_str(), &before), 0);
    for (const char* name : {"image.bin", "link"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(Save(Path(name), "new"));
        ExpectOpenRefused(Path(name), "Cannot create file " + Path(name));
    }
    struct stat after {};
    ASSERT_EQ(::stat(Path("image.bin").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(ReadFileBytes(Path("image.bin")), "old");
    EXPECT_TRUE(fs::is_symlink(Path("link")));
    EXPECT_EQ(Names(), (std::vector<std::string>{"image.bin", "link"}));
}

// A file of another user that this one may not write, in a folder that anyone may write: run
// by an unprivileged user in a child process, as root cannot be refused.
TEST_F(AtomicFileTest, AFileOfAnotherUserIsRefusedAndStays) {
    WriteFileBytes(Path("image.bin"), "old");
    ::chmod(Path("image.bin").c_str(), 0644);
    ::chmod(folder_.Path().c_str(), 0777);
    const AsNobody outcome = RunAsNobody([&] {
        // The folder must take the child's files, or the refusal would prove nothing.
        if (!Save(Path("probe"), "probe")) return AsNobody::Skipped;
        return Save(Path("image.bin"), "new") ? AsNobody::Failed : AsNobody::Held;
    });
    if (outcome == AsNobody::Skipped) GTEST_SKIP() << "needs root to run a check as nobody";
    EXPECT_EQ(outcome, AsNobody::Held) << "the child saved over the file";
    EXPECT_EQ(ReadFileBytes(Path("image.bin")), "old");
    EXPECT_EQ(Names(), (std::vector<std::string>{"image.bin", "probe"}));
}

TEST_F(AtomicFileTest, TheOldModeIsKeptAndANewFileFollowsTheUmask) {
    WriteFileBytes(Path("old.bin"), "old");
    ::chmod(Path("old.bin").c_str(), 0604);
    const mode_t before = ::umask(027);
    const bool savedOld = Save(Path("old.bin"), "new");
    const bool savedNew = Save(Path("new.bin"), "new");
    ::umask(before);
    ASSERT_TRUE(savedOld && savedNew);
    struct stat st {};
    ASSERT_EQ(::stat(Path("old.bin").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    ASSERT_EQ(::stat(Path("new.bin").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(ReadFileBytes(Path("old.bin")), "new");
}

// A write the system refuses (here: beyond the file size limit) fails the write and the
// commit; the old file keeps every byte, and no temporary file stays behind. So does a
// writer dropped before its commit (a cancelled save).
TEST_F(AtomicFileTest, AFailureLeavesTheOldFileAndNoTemporaryFile) {
    const std::string old(100, 'o');
    const std::string big(8192, 'n');
    for (const bool refused : {true, false}) {
        SCOPED_TRACE(refused ? "write refused" : "dropped");
        WriteFileBytes(Path("image.bin"), old);
        {
            TAtomicFile file(Path("image.bin"));
            ASSERT_TRUE(file.IsOpen());
            if (refused) {
                const bool wrote = [&] {
                    FileSizeLimit limit(4096);
                    return file.Write(big.data(), big.size());
                }();
                EXPECT_FALSE(wrote);
                EXPECT_FALSE(file.Commit());
            } else {
                EXPECT_TRUE(file.Write(big.data(), big.size()));
            }
        }
        EXPECT_EQ(ReadFileBytes(Path("image.bin")), old);
        EXPECT_EQ(Names(), (std::vector<std::string>{"image.bin"}));
    }
}

TEST_F(AtomicFileTest, AFolderThatCannotTakeTheFileIsReportedAtOnce) {
    TAtomicFile file(Path("missing/image.bin"));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(file.Write("x", 1));
    EXPECT_FALSE(file.Commit());
}

// Through the stream a refused write raises the stream's error; moving the position is
// refused rather than silently writing in the wrong place.
TEST_F(AtomicFileTest, TheStreamRaisesTheWriteError) {
    WriteFileBytes(Path("image.bin"), "old");
    TAtomicFileStream stream(Path("image.bin"));
    stream.WriteBuffer("abc", 3);
    EXPECT_EQ(stream.GetPosition(), 3);
    EXPECT_THROW(stream.SetPosition(0), EWriteError);
    bool raised = false;
    try {
        FileSizeLimit limit(3);
        stream.WriteBuffer("def", 3);
    } catch (const EWriteError& e) {
        raised = std::string(e.what()) == "Stream write error";
    }
    EXPECT_TRUE(raised);
    EXPECT_FALSE(stream.File().Commit());
    EXPECT_EQ(ReadFileBytes(Path("image.bin")), "old");
}

} // namespace
