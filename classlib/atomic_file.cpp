#include "atomic_file.h"

#include "exceptions.h"
#include "streams.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A link is followed, so that saving through it replaces the file it points at. A dangling
// link names the file it would point at.
std::string ResolvedTarget(const std::string& fileName) {
    std::string path = fileName;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::string link(static_cast<size_t>(PATH_MAX), '\0');
        const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
        if (n <= 0 || static_cast<size_t>(n) >= link.size()) return path;
        link.resize(static_cast<size_t>(n));
        if (link.front() != '/') {
            const size_t slash = path.find_last_of('/');
            if (slash != std::string::npos) link = path.substr(0, slash + 1) + link;
        }
        path = link;
    }
    return path;
}

} // namespace

TAtomicFile::TAtomicFile(const std::string& fileName)
    : fileName_(fileName), target_(ResolvedTarget(fileName)) {
    struct stat st {};
    // A device, a pipe or a socket is never replaced by a file (a folder cannot be: its
    // rename fails).
    if (::lstat(fileName.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode) &&
        !S_ISDIR(st.st_mode)) {
        notPlainFile_ = true;
        return;
    }
    // Only a plain file is replaced through a link: a link to a device, a pipe or a folder
    // (a settings file linked to the zero device) is itself replaced, never what it points at.
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) target_ = fileName;
    const bool keepMode = exists && S_ISREG(st.st_mode);
    // The rename needs only the folder's permission: a read-only file stays as it is, also
    // for a user whom the file system would let write it.
    if (keepMode && (::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0 ||
                     (st.st_mode & 0222) == 0)) {
        errno = EACCES;
        return;
    }
    const size_t slash = target_.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : target_.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target_ : target_.substr(slash + 1);
    std::string pattern = folder + "." + base + ".XXXXXX";
    fd_ = ::mkstemp(pattern.data());
    if (fd_ < 0) return;
    temp_ = pattern;
    mode_t mode;
    if (keepMode) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd_, mode) != 0) failed_ = true;
}

std::string TAtomicFile::Explained(const std::string& message) const {
    return notPlainFile_ ? message + " (not a plain file)" : message;
}

void TAtomicFile::CheckOpen() const {
    if (!IsOpen()) throw EFCreateError(Explained("Cannot create file " + fileName_));
}

TAtomicFile::~TAtomicFile() {
    const int saved = errno;
    if (fd_ >= 0) ::close(fd_);
    if (!committed_ && !temp_.empty()) ::unlink(temp_.c_str());
    errno = saved;
}

bool TAtomicFile::Write(const void* data, size_t count) {
    if (fd_ < 0) failed_ = true;
    size_t done = 0;
    if (!failed_) {
        done = static_cast<size_t>(WriteDescriptor(fd_, data, static_cast<int64_t>(count)));
        failed_ = done < count;
    }
#if defined(__linux__)
    // Starts the disk writes now, so that the sync in Commit mostly finds them done.
    if (!failed_ && count > 0)
        ::sync_file_range(fd_, written_, static_cast<off_t>(count), SYNC_FILE_RANGE_WRITE);
#endif
    written_ += static_cast<int64_t>(done);
    return !failed_;
}

bool TAtomicFile::Close() {
    if (fd_ < 0) return false;
    if (!failed_ && ::fsync(fd_) != 0) failed_ = true;
    if (::close(fd_) != 0) failed_ = true;
    fd_ = -1;
    closed_ = true;
    return !failed_;
}

bool TAtomicFile::Commit() {
    if (committed_ || temp_.empty()) return false;
    if (!closed_) Close();
    if (failed_ || ::rename(temp_.c_str(), target_.c_str()) != 0) return false;
    committed_ = true;
    return true;
}

int64_t TAtomicFileStream::Read(void*, int64_t) {
    return 0;
}

int64_t TAtomicFileStream::Write(const void* buffer, int64_t count) {
    if (count <= 0 || !file_.Write(buffer, static_cast<size_t>(count))) return 0;
    position_ += count;
    return count;
}

int64_t TAtomicFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    // The output runs front to back: only where it stands can be asked.
    if (offset != (origin == TSeekOrigin::soBeginning ? position_ : 0))
        throw EWriteError("Stream write error");
    return position_;
}

void TAtomicFileStream::SetSize(int64_t) {
    throw EWriteError("Stream write error");
}
