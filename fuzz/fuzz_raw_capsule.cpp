// Puts the input in a real file that carries the names of a raw, a capsule and an ".eep"
// image (hard links to one file) and loads it under each name into a small buffer, so
// that the size tests, the header skip and the ".eep" choice all run on the same bytes.
// The file is rewritten in place for each input: the target is bound by system calls, and
// the loaders open it by name every time as the program does.
#include "exceptions.h"
#include "fuzz_services.h"
#include "image_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string MakeFolder() {
    // Memory-backed when the system has it.
    char shm[] = "/dev/shm/fuzz_raw_capsule.XXXXXX";
    if (::mkdtemp(shm) != nullptr) return shm;
    char tmp[] = "/tmp/fuzz_raw_capsule.XXXXXX";
    if (::mkdtemp(tmp) == nullptr) std::abort();
    return tmp;
}

struct Image {
    std::string folder = MakeFolder();
    std::vector<std::string> names = {folder + "/image.bin", folder + "/image.cap",
                                      folder + "/image.eep"};
    int fd = -1;

    Image() {
        fd = ::open(names[0].c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
        if (fd < 0) std::abort();
        for (size_t i = 1; i < names.size(); ++i)
            if (::link(names[0].c_str(), names[i].c_str()) != 0) std::abort();
    }
    ~Image() {
        ::close(fd);
        for (const std::string& name : names) ::unlink(name.c_str());
        ::rmdir(folder.c_str());
    }

    void Hold(const uint8_t* data, size_t size) {
        if (::ftruncate(fd, 0) != 0) std::abort();
        size_t done = 0;
        while (done < size) {
            const ssize_t n = ::pwrite(fd, data + done, size - done, static_cast<off_t>(done));
            if (n <= 0) std::abort();
            done += static_cast<size_t>(n);
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Image image;
    // Between the capsule header and libFuzzer's usual longest input (4096 bytes), so that
    // capsules load and both kinds of file can also be too big.
    static std::vector<uint8_t> buffer(3072);
    const auto bufferSize = static_cast<int32_t>(buffer.size());
    image.Hold(data, size);
    for (const std::string& path : image.names) {
        FuzzServices services;
        try {
            CheckResult(LoadImageFile(path, buffer.data(), bufferSize, services), bufferSize);
        } catch (const Exception&) {
            // A read error of the class library; the loaders raise nothing else here.
        }
    }
    return 0;
}
