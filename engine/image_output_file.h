#pragma once
// An image file of the user's, replaced atomically (see TAtomicFile), with the output
// gathered in large blocks so that the writer sees few system calls.
#include "atomic_file.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class ImageOutputFile {
public:
    // Raises EFCreateError when no file can be created beside the target, or the target may
    // not be replaced (TAtomicFile::CheckOpen).
    explicit ImageOutputFile(const std::string& fileName);
    // The temporary file goes unless Commit has renamed it.
    ~ImageOutputFile() = default;
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

    TAtomicFile file_;
    bool failed_ = false;
    std::vector<char> buffer_;
    size_t used_ = 0;
};
