#include "streams.h"

#include "exceptions.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <unistd.h>

int64_t TStream::GetSize() {
    const int64_t position = Seek(0, TSeekOrigin::soCurrent);
    const int64_t size = Seek(0, TSeekOrigin::soEnd);
    Seek(position, TSeekOrigin::soBeginning);
    return size;
}

void TStream::ReadBuffer(void* buffer, int64_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.GetSize();
    }
    const int64_t total = count;
    std::vector<uint8_t> chunk(static_cast<size_t>(std::min<int64_t>(count, 1 << 20)));
    while (count > 0) {
        const int64_t n = std::min<int64_t>(count, static_cast<int64_t>(chunk.size()));
        source.ReadBuffer(chunk.data(), n);
        WriteBuffer(chunk.data(), n);
        count -= n;
    }
    return total;
}

// ---- TMemoryStream ----

TMemoryStream::~TMemoryStream() {
    std::free(data_);
}

void TMemoryStream::Reserve(int64_t capacity) {
    if (capacity <= capacity_) return;
    // Geometric growth keeps repeated small writes linear in time.
    int64_t grown = std::max<int64_t>(capacity, capacity_ / 2 * 3);
    grown = std::max<int64_t>(grown, 256);
    void* block = std::realloc(data_, static_cast<size_t>(grown));
    if (block == nullptr) {
        // Without the geometric step the exact size may still fit.
        block = std::realloc(data_, static_cast<size_t>(capacity));
        if (block == nullptr) throw std::bad_alloc();
        grown = capacity;
    }
    data_ = static_cast<uint8_t*>(block);
    capacity_ = grown;
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    if (count <= 0 || position_ < 0 || position_ >= size_) return 0;
    const int64_t n = std::min(count, size_ - position_);
    std::memcpy(buffer, data_ + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0 || position_ < 0 || count > INT64_MAX - position_) return 0;
    const int64_t end = position_ + count;
    if (end > size_) {
        Reserve(end);
        if (position_ > size_)
            std::memset(data_ + size_, 0, static_cast<size_t>(position_ - size_));
        size_ = end;
    }
    std::memcpy(data_ + position_, buffer, static_cast<size_t>(count));
    position_ = end;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    const int64_t base = origin == TSeekOrigin::soBeginning ? 0
                         : origin == TSeekOrigin::soCurrent ? position_
                                                            : size_;
    int64_t target = 0;
    // A position before the start (or beyond 64 bits) is refused as a file's lseek refuses
    // it: -1, and the position stays.
    if (__builtin_add_overflow(base, offset, &target) || target < 0) return -1;
    position_ = target;
    return position_;
}

void TMemoryStream::SetSize(int64_t size) {
    if (size < 0) size = 0;
    if (size > size_) {
        Reserve(size);
        std::memset(data_ + size_, 0, static_cast<size_t>(size - size_));
    }
    size_ = size;
    if (position_ > size_) position_ = size_;
}

void TMemoryStream::Clear() {
    std::free(data_);
    data_ = nullptr;
    capacity_ = 0;
    size_ = 0;
    position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
    source.SetPosition(0);
    const int64_t n = source.GetSize();
    SetSize(n);
    if (n > 0) source.ReadBuffer(data_, n);
    position_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

void TMemoryStream::SaveToStream(TStream& target) {
    if (size_ > 0) target.WriteBuffer(data_, size_);
}

// ---- TFileStream ----

TFileStream::TFileStream(const std::string& fileName, uint32_t mode) : fileName_(fileName) {
    if ((mode & 0xFF00) == fmCreateNew) {
        fd_ = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd_ < 0) throw EFCreateError("Cannot create file " + fileName);
        return;
    }
    if ((mode & 0xFF00) == fmCreate) {
        fd_ = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd_ < 0) throw EFCreateError("Cannot create file " + fileName);
        return;
    }
    int flags = O_RDONLY;
    if ((mode & 3) == fmOpenWrite) flags = O_WRONLY;
    if ((mode & 3) == fmOpenReadWrite) flags = O_RDWR;
    fd_ = ::open(fileName.c_str(), flags | O_CLOEXEC);
    if (fd_ < 0)
        throw EFOpenError("Cannot open file \"" + fileName + "\". " + std::strerror(errno));
}

TFileStream::~TFileStream() {
    Close();
}

bool TFileStream::Close() {
    if (fd_ < 0) return true;
    const int rc = ::close(fd_);
    fd_ = -1;
    return rc == 0;
}

namespace {

// Moves count bytes through one system call after another, in pieces the calls take, until
// all are moved, one fails (not by an interruption) or one moves nothing.
template <typename Byte, typename Call>
int64_t MoveAll(int fd, Byte* bytes, int64_t count, Call call) {
    int64_t done = 0;
    while (fd >= 0 && done < count) {
        const ssize_t n =
            call(fd, bytes + done, static_cast<size_t>(std::min<int64_t>(count - done, 1 << 30)));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += n;
    }
    return done;
}

} // namespace

int64_t ReadDescriptor(int fd, void* buffer, int64_t count) {
    return MoveAll(fd, static_cast<uint8_t*>(buffer), count, ::read);
}

int64_t WriteDescriptor(int fd, const void* buffer, int64_t count) {
    return MoveAll(fd, static_cast<const uint8_t*>(buffer), count,
                   [](int to, const uint8_t* bytes, size_t size) {
                       const ssize_t n = ::write(to, bytes, size);
                       if (n == 0) errno = EIO; // names the failure of a write that took nothing
                       return n;
                   });
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    return ReadDescriptor(fd_, buffer, count);
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
    return WriteDescriptor(fd_, buffer, count);
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    const int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
                       : origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                          : SEEK_END;
    return fd_ >= 0 ? static_cast<int64_t>(::lseek(fd_, offset, whence)) : -1;
}

void TFileStream::SetSize(int64_t size) {
    if (fd_ < 0 || ::ftruncate(fd_, size) != 0) throw EWriteError("Stream write error");
}
