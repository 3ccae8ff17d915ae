#pragma once
// A file of the user's, replaced atomically: the bytes go to a temporary file beside it,
// and only when every write, the flush to disk and the close succeeded does the temporary
// file take the name. On any failure the old file stays as it was.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class ImageOutputFile {
public:
    // Raises EFCreateError when no file can be created beside the target.
    explicit ImageOutputFile(const std::string& fileName);
    // Removes the temporary file unless Commit has renamed it.
    ~ImageOutputFile();
    ImageOutputFile(const ImageOutputFile&) = delete;
    ImageOutputFile& operator=(const ImageOutputFile&) = delete;

    // Buffered; a failing write is remembered and makes Commit fail.
    void Write(const void* data, size_t count);
    // Room for up to kMaxRoom bytes at the end of the buffered output, to be built in
    // place; Wrote then keeps the first count of them.
    static constexpr size_t kMaxRoom = 4096;
    char* Room() {
        if (buffer_.size() - used_ < kMaxRoom) Flush();
        return buffer_.data() + used_;
    }
    void Wrote(size_t count) { used_ += count; }
    // Flushes, syncs, closes and renames; false when any step (or an earlier write) failed.
    bool Commit();

private:
    bool Flush();

    std::string target_;
    std::string temp_;
    int fd_ = -1;
    bool failed_ = false;
    bool committed_ = false;
    std::vector<char> buffer_;
    size_t used_ = 0;
    int64_t flushed_ = 0; // bytes handed to the system so far
};
