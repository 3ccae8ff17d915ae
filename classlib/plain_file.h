#pragma once
// A file of the user's opened for reading when its name may turn out to be anything: a
// named pipe, a device, a folder, a file of /proc, or a link to one of them. The file is
// opened without blocking, and whether it is a regular file and how large it is are taken
// from the opened descriptor, so the file checked is the file read. Only a regular file of
// a known size up to the bound counts as open; a name holding a NUL byte is refused instead
// of being cut at the NUL.
#include "streams.h"

#include <cstdint>
#include <string>

class TPlainFile : public TStream {
public:
    enum class Status { Opened, Missing, CannotOpen, NotRegular, TooLarge };

    // Never raises: the outcome is GetStatus().
    TPlainFile(const std::string& fileName, int64_t maxSize);
    ~TPlainFile() override;
    TPlainFile(const TPlainFile&) = delete;
    TPlainFile& operator=(const TPlainFile&) = delete;

    Status GetStatus() const { return status_; }
    bool IsOpen() const { return status_ == Status::Opened; }
    const std::string& FileName() const { return fileName_; }
    // Why the file is not open: the system's error text, "Is a directory", "Not a regular
    // file" or "File too large".
    std::string Reason() const;
    // Raises EFOpenError "Cannot open file \"%s\". %s" (the reason) unless the file is open;
    // a NUL in the name shows as "%00".
    void CheckOpen() const;

    // The size of the opened file, also when it is TooLarge; 0 otherwise.
    int64_t GetSize() override { return size_; }
    int64_t Read(void* buffer, int64_t count) override;
    // Read only: writing moves no byte (WriteBuffer raises its write error).
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    // Read only: raises EWriteError.
    void SetSize(int64_t size) override;

private:
    std::string fileName_;
    Status status_ = Status::CannotOpen;
    int error_ = 0;
    bool directory_ = false;
    int fd_ = -1;
    int64_t size_ = 0;
};

// The whole of a plain file of at most maxSize bytes; false (bytes empty) when it is not one,
// or when it cannot be read whole.
bool ReadPlainFile(const std::string& fileName, int64_t maxSize, std::string& bytes);
