#pragma once
// Streams of the class library with 64-bit sizes and positions. ReadBuffer and WriteBuffer
// raise EReadError ("Stream read error") and EWriteError ("Stream write error") when fewer
// bytes move than asked.
#include <cstdint>
#include <string>
#include <vector>

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream() = default;

    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

    int64_t GetPosition() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
    virtual int64_t GetSize();
    virtual void SetSize(int64_t size) = 0;

    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
    // Copies count bytes from source (all of it from its start when count is 0).
    int64_t CopyFrom(TStream& source, int64_t count);
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    ~TMemoryStream() override;
    TMemoryStream(const TMemoryStream&) = delete;
    TMemoryStream& operator=(const TMemoryStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    // The new position; -1 for one before the start, which leaves the position as it was.
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t GetSize() override { return size_; }
    // Growing keeps the existing bytes; new bytes are zero.
    void SetSize(int64_t size) override;

    void Clear();
    uint8_t* Memory() { return data_; }
    const uint8_t* Memory() const { return data_; }
    void LoadFromStream(TStream& source);
    void LoadFromFile(const std::string& fileName);
    void SaveToStream(TStream& target);

private:
    void Reserve(int64_t capacity);

    // A malloc block, grown with realloc: a large block is then moved by remapping its pages
    // instead of copying and touching every byte again.
    uint8_t* data_ = nullptr;
    int64_t capacity_ = 0;
    int64_t size_ = 0;
    int64_t position_ = 0;
};

enum : uint32_t {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmShareDenyNone = 0x0040,
    fmShareDenyWrite = 0x0020,
    fmCreate = 0xFF00,
    // Created new for this process only: refused when the name exists (a link is not
    // followed), readable and writable by the owner alone.
    fmCreateNew = 0xFE00,
};

// Reads up to count bytes from an open descriptor, going on after interrupted and partial
// reads; the bytes read (fewer at the end of the file or on an error, 0 for no descriptor).
int64_t ReadDescriptor(int fd, void* buffer, int64_t count);
// Writes count bytes to an open descriptor, going on after interrupted and partial writes;
// the bytes written, fewer on an error (errno tells it; EIO for a write that took nothing).
int64_t WriteDescriptor(int fd, const void* buffer, int64_t count);

// A file opened for reading or writing (fmOpen*), or created new and cut to length 0
// (fmCreate, or fmCreateNew). Failure raises EFOpenError "Cannot open file \"%s\". %s" or
// EFCreateError "Cannot create file %s".
class TFileStream : public TStream {
public:
    TFileStream(const std::string& fileName, uint32_t mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t size) override;

    const std::string& FileName() const { return fileName_; }
    int Handle() const { return fd_; }
    // Closes the file now and reports whether the close succeeded.
    bool Close();

private:
    std::string fileName_;
    int fd_ = -1;
};
