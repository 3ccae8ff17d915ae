#include "plain_file.h"

#include "exceptions.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Whether a file that tells a size of 0 gives a byte all the same.
bool HoldsMoreThanNothing(int fd) {
    char probe;
    ssize_t n;
    do {
        n = ::read(fd, &probe, 1);
    } while (n < 0 && errno == EINTR);
    return n != 0;
}

} // namespace

TPlainFile::TPlainFile(const std::string& fileName, int64_t maxSize) : fileName_(fileName) {
    if (fileName.find('\0') != std::string::npos) {
        error_ = EINVAL;
        return;
    }
    // Without O_NONBLOCK opening a named pipe waits for a writer; a regular file reads the
    // same either way.
    fd_ = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd_ < 0) {
        error_ = errno;
        status_ = error_ == ENOENT || error_ == ENOTDIR ? Status::Missing : Status::CannotOpen;
        return;
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        error_ = errno;
    } else if (!S_ISREG(st.st_mode)) {
        directory_ = S_ISDIR(st.st_mode);
        status_ = Status::NotRegular;
    } else if (st.st_size < 0) {
        error_ = EINVAL;
    } else if (st.st_size == 0 && HoldsMoreThanNothing(fd_)) {
        // A file of /proc tells a size of 0 whatever it holds: no size of it can be trusted.
        status_ = Status::NotRegular;
    } else {
        size_ = st.st_size;
        status_ = size_ > maxSize ? Status::TooLarge : Status::Opened;
    }
    if (status_ != Status::Opened) {
        ::close(fd_);
        fd_ = -1;
    }
}

TPlainFile::~TPlainFile() {
    if (fd_ >= 0) ::close(fd_);
}

std::string TPlainFile::Reason() const {
    switch (status_) {
    case Status::Opened:
        return {};
    case Status::NotRegular:
        return directory_ ? std::strerror(EISDIR) : "Not a regular file";
    case Status::TooLarge:
        return "File too large";
    case Status::Missing:
    case Status::CannotOpen:
        break;
    }
    return std::strerror(error_);
}

void TPlainFile::CheckOpen() const {
    if (IsOpen()) return;
    // A message is shown as C text: a NUL in the name would cut it off, so it is written as
    // it stands in a file URL.
    std::string shown;
    for (const char c : fileName_) {
        if (c == '\0')
            shown += "%00";
        else
            shown += c;
    }
    throw EFOpenError("Cannot open file \"" + shown + "\". " + Reason());
}

int64_t TPlainFile::Read(void* buffer, int64_t count) {
    return ReadDescriptor(fd_, buffer, count);
}

int64_t TPlainFile::Write(const void*, int64_t) {
    return 0;
}

int64_t TPlainFile::Seek(int64_t offset, TSeekOrigin origin) {
    const int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
                       : origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                          : SEEK_END;
    return fd_ >= 0 ? static_cast<int64_t>(::lseek(fd_, offset, whence)) : -1;
}

void TPlainFile::SetSize(int64_t) {
    throw EWriteError("Stream write error");
}

bool ReadPlainFile(const std::string& fileName, int64_t maxSize, std::string& bytes) {
    bytes.clear();
    TPlainFile file(fileName, maxSize);
    if (!file.IsOpen()) return false;
    bytes.resize(static_cast<size_t>(file.GetSize()));
    if (file.Read(bytes.data(), file.GetSize()) != file.GetSize()) {
        bytes.clear();
        return false;
    }
    return true;
}
