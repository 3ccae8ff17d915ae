#include "image_output_file.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kBufferSize = 4 << 20;

} // namespace

ImageOutputFile::ImageOutputFile(const std::string& fileName)
    : file_(fileName), buffer_(kBufferSize) {
    file_.CheckOpen();
}

bool ImageOutputFile::Flush() {
    if (!failed_ && used_ > 0 && !file_.Write(buffer_.data(), used_)) failed_ = true;
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
    // A failed write leaves the old file: the temporary one goes with the writer.
    return Flush() && file_.Commit();
}
