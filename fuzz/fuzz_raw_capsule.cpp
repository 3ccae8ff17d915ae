// Writes the input to real files named as raw, capsule and ".eep" images and loads each
// into a small buffer, so that the size tests, the header skip and the ".eep" choice all
// run on the same bytes.
#include "exceptions.h"
#include "fuzz_services.h"
#include "image_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string MakeFolder() {
    // Memory-backed when the system has it: the target is bound by file creation.
    char shm[] = "/dev/shm/fuzz_raw_capsule.XXXXXX";
    if (::mkdtemp(shm) != nullptr) return shm;
    char tmp[] = "/tmp/fuzz_raw_capsule.XXXXXX";
    if (::mkdtemp(tmp) == nullptr) std::abort();
    return tmp;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string folder = MakeFolder();
    static std::vector<uint8_t> buffer(4096);
    const auto bufferSize = static_cast<int32_t>(buffer.size());
    for (const char* name : {"/image.bin", "/image.cap", "/image.eep"}) {
        const std::string path = folder + name;
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr) std::abort();
        if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
        if (std::fclose(file) != 0) std::abort();
        FuzzServices services;
        try {
            CheckResult(LoadImageFile(path, buffer.data(), bufferSize, services), bufferSize);
        } catch (const Exception&) {
            // A read error of the class library; the loaders raise nothing else here.
        }
        ::unlink(path.c_str());
    }
    return 0;
}
