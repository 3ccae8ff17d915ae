#include "image_output_file.h"

#include "exceptions.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kBufferSize = 4 << 20;

// A link is followed, so that saving through it replaces the file it points at.
std::string ResolvedTarget(const std::string& fileName) {
    struct stat st {};
    if (::lstat(fileName.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(fileName.c_str(), resolved) != nullptr) return resolved;
    }
    return fileName;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return "";
    return path.substr(0, slash + 1);
}

} // namespace

ImageOutputFile::ImageOutputFile(const std::string& fileName)
    : target_(ResolvedTarget(fileName)), buffer_(kBufferSize) {
    const size_t slash = target_.find_last_of('/');
    const std::string base = slash == std::string::npos ? target_ : target_.substr(slash + 1);
    std::string pattern = FolderOf(target_) + "." + base + ".XXXXXX";
    fd_ = ::mkstemp(pattern.data());
    if (fd_ < 0) throw EFCreateError("Cannot create file " + fileName);
    temp_ = pattern;
    // The new file keeps the old one's permissions; a new name gets the usual ones.
    struct stat st {};
    mode_t mode;
    if (::stat(target_.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd_, mode) != 0) failed_ = true;
}

ImageOutputFile::~ImageOutputFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_ && !temp_.empty()) ::unlink(temp_.c_str());
}

bool ImageOutputFile::Flush() {
    size_t done = 0;
    while (!failed_ && done < used_) {
        const ssize_t n = ::write(fd_, buffer_.data() + done, used_ - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            failed_ = true;
        else
            done += static_cast<size_t>(n);
    }
#if defined(__linux__)
    // Starts the disk writes now, so that the sync in Commit mostly finds them done.
    if (!failed_)
        ::sync_file_range(fd_, flushed_, static_cast<off_t>(used_), SYNC_FILE_RANGE_WRITE);
#endif
    flushed_ += static_cast<int64_t>(used_);
    used_ = 0;
    return !failed_;
}

void ImageOutputFile::Write(const void* data, size_t count) {
    const auto* bytes = static_cast<const char*>(data);
    while (count > 0 && !failed_) {
        if (used_ == buffer_.size()) Flush();
        const size_t n = std::min(count, buffer_.size() - used_);
        std::memcpy(buffer_.data() + used_, bytes, n);
        used_ += n;
        bytes += n;
        count -= n;
    }
}

bool ImageOutputFile::Commit() {
    if (committed_ || fd_ < 0) return false;
    Flush();
    if (::fsync(fd_) != 0) failed_ = true;
    if (::close(fd_) != 0) failed_ = true;
    fd_ = -1;
    if (failed_ || ::rename(temp_.c_str(), target_.c_str()) != 0) return false;
    committed_ = true;
    return true;
}
