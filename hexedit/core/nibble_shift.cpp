#include "nibble_shift.h"

#include "byte_lane.h"
#include "exceptions.h"
#include "sysutils.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <sys/stat.h>

namespace {
// Names of the form are made from the tick count; a name that is taken is followed by the
// next count. Enough for any real clash, few enough to end quickly in a hostile folder.
constexpr int kNameTries = 64;
// The bytes ahead of the lane are asked for early: the shift is bound by memory, not by the
// few instructions per lane.
constexpr int64_t kPrefetch = 4096;

bool NameTaken(const std::string& name) {
    struct stat st;
    return ::lstat(name.c_str(), &st) == 0 || errno != ENOENT;
}
} // namespace

void NibbleShiftRight(uint8_t* bytes, int64_t count) {
    // From the end backwards: each lane reads bytes not yet rewritten (its own and the one
    // before it) and only then writes its own.
    int64_t end = count;
    for (; end - kByteLane >= 1; end -= kByteLane) {
        const int64_t k = end - kByteLane;
        if (k >= kPrefetch) __builtin_prefetch(bytes + k - kPrefetch, 1);
        StoreByteLane(bytes + k,
                      (LoadByteLane(bytes + k - 1) << 4) | (LoadByteLane(bytes + k) >> 4));
    }
    for (int64_t k = end - 1; k >= 1; --k)
        bytes[k] = static_cast<uint8_t>((bytes[k - 1] << 4) | (bytes[k] >> 4));
    if (count > 0) bytes[0] = static_cast<uint8_t>(bytes[0] >> 4);
}

void NibbleShiftLeft(uint8_t* bytes, int64_t count) {
    // Forwards: each lane reads its own bytes and the one after them, not yet rewritten.
    int64_t k = 0;
    for (; k + kByteLane + 1 <= count; k += kByteLane) {
        if (k + kPrefetch < count) __builtin_prefetch(bytes + k + kPrefetch, 1);
        StoreByteLane(bytes + k,
                      (LoadByteLane(bytes + k) << 4) | (LoadByteLane(bytes + k + 1) >> 4));
    }
    for (; k + 1 < count; ++k)
        bytes[k] = static_cast<uint8_t>((bytes[k] << 4) | (bytes[k + 1] >> 4));
}

void WriteNibbleShifted(const uint8_t* bytes, int64_t count, TStream& dest) {
    std::array<uint8_t, 512> buffer;
    uint8_t carry = 0;
    for (int64_t done = 0; done < count;) {
        const int64_t n = std::min<int64_t>(512, count - done);
        for (int64_t i = 0; i < n; ++i) {
            const uint8_t b = bytes[done + i];
            buffer[static_cast<size_t>(i)] = static_cast<uint8_t>((b >> 4) | (carry << 4));
            carry = static_cast<uint8_t>(b & 0x0F);
        }
        dest.WriteBuffer(buffer.data(), n);
        done += n;
    }
}

std::string OrixHTempPath() {
    const char* env = std::getenv("TMPDIR");
    std::string folder = Trim(env && *env ? env : "/tmp");
    if (folder.empty()) folder = "/tmp";
    if (folder.back() != '/') folder += '/';
    return folder;
}

uint32_t OrixHTickCount() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t ms =
        static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

std::string OrixHTempFileName(const std::string& folder, uint32_t tick) {
    return folder + IntToHex(tick, 8) + ".OrixHT";
}

std::string OrixHFreeTempName() {
    const std::string folder = OrixHTempPath();
    const uint32_t tick = OrixHTickCount();
    for (int i = 0; i < kNameTries; ++i) {
        std::string name = OrixHTempFileName(folder, tick + static_cast<uint32_t>(i));
        if (!NameTaken(name)) return name;
    }
    throw EFCreateError("Cannot create file " + OrixHTempFileName(folder, tick));
}

std::unique_ptr<TFileStream> CreateOrixHTempFile(std::string& fileName) {
    for (int i = 0;; ++i) {
        std::string name = OrixHFreeTempName();
        try {
            auto file = std::make_unique<TFileStream>(name, fmCreateNew);
            fileName = name;
            return file;
        } catch (const EFCreateError&) {
            // Taken between the test and the creation: another name, a bounded number of
            // times. Any other refusal (no such folder, no permission) is final.
            if (i + 1 >= kNameTries || !NameTaken(name)) throw;
        }
    }
}
