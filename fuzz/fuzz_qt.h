#pragma once
// What the fuzz targets on Qt widgets share: one offscreen application for the run, a folder
// of their own for the files the program reads by name, and whole-file writes.
#include <QApplication>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

// fontconfig keeps its caches for the life of the process and frees them only in FcFini,
// which Qt never calls: not leaks of the program (as .ci/lsan.supp says for the tests).
extern "C" __attribute__((used)) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

inline QApplication& FuzzApp() {
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

// Delivers, at the end of each input, the events the input's steps posted (the controls post
// some to themselves), as the program's event loop would: kept, they pile up without end.
struct FuzzSettle {
    FuzzSettle() = default;
    FuzzSettle(const FuzzSettle&) = delete;
    FuzzSettle& operator=(const FuzzSettle&) = delete;
    ~FuzzSettle() { QCoreApplication::processEvents(); }
};

// Memory-backed when the system has it; removed by nobody, like libFuzzer's own work files.
inline std::string FuzzFolder(const char* name) {
    std::string shm = std::string("/dev/shm/") + name + ".XXXXXX";
    if (::mkdtemp(shm.data()) != nullptr) return shm;
    std::string tmp = std::string("/tmp/") + name + ".XXXXXX";
    if (::mkdtemp(tmp.data()) == nullptr) std::abort();
    return tmp;
}

// Replaces the file's contents with the bytes.
inline void FuzzWriteFile(const std::string& path, const uint8_t* data, size_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) std::abort();
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0) std::abort();
        done += static_cast<size_t>(n);
    }
    ::close(fd);
}
