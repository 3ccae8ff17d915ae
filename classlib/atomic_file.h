#pragma once
// A file of the user's, replaced atomically. The bytes go to a temporary file in the same
// folder; Commit syncs it to disk, closes it and renames it over the target, and only when
// every step (and every earlier write) succeeded. On any failure, or when the writer is
// dropped without Commit, the old file stays byte for byte as it was and the temporary file
// is removed.
//
// A target that is a symbolic link to a plain file (or to no file yet) is written through: the
// file the link points at is replaced and the link stays a link. A link to anything else (a
// device, a pipe, a folder) is replaced itself, never what it points at. A name that is itself
// a device, a pipe or a socket is refused, and so is a plain file the user may not write (for
// the link's target when the name is a link): no temporary file is made and the file stays as
// it is. The new file takes the permissions of the plain file it replaces, or those a new
// file of the user gets (0666 less the umask).
#include "streams.h"

#include <cstddef>
#include <cstdint>
#include <string>

class TAtomicFile {
public:
    // Creates the temporary file; IsOpen tells whether that worked (errno is kept).
    explicit TAtomicFile(const std::string& fileName);
    ~TAtomicFile();
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    // The save's own failure message, told why when the name is no plain file.
    std::string Explained(const std::string& message) const;
    // Raises EFCreateError "Cannot create file %s" (explained) unless the file is open.
    void CheckOpen() const;
    // The file the rename replaces: the link's target when the name is a link.
    const std::string& Target() const { return target_; }

    // Writes the whole block; false (and a failed Commit) when the system refused part of it.
    // Callers hand over large blocks: every call is one system write loop.
    bool Write(const void* data, size_t count);
    // Syncs and closes the temporary file; false when that or an earlier write failed.
    bool Close();
    // Closes (unless Close did already) and renames; false when any step failed.
    bool Commit();

private:
    std::string fileName_;
    std::string target_;
    std::string temp_;
    bool notPlainFile_ = false;
    int fd_ = -1;
    bool failed_ = false;
    bool closed_ = false;
    bool committed_ = false;
    int64_t written_ = 0; // bytes handed to the system so far
};

// The same as a write-only stream, for code that saves through TStream. WriteBuffer raises
// EWriteError when a write fails; reading, seeking and sizing are refused.
class TAtomicFileStream : public TStream {
public:
    explicit TAtomicFileStream(const std::string& fileName) : file_(fileName) {}

    TAtomicFile& File() { return file_; }

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t size) override;

private:
    TAtomicFile file_;
    int64_t position_ = 0;
};
