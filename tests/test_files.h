#pragma once
// Files for the tests of every suite: a fresh folder for each test, and whole files written
// and read back byte for byte.
#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// A fresh folder under the system's temporary folder, removed with its owner.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "pyrolan.XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string File(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& Path() const { return path_; }
    // The names in the folder, sorted: a temporary file left behind shows here.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path path_;
};

inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

inline void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    WriteFileBytes(path, std::string(bytes.begin(), bytes.end()));
}

// The whole file; empty for a file that cannot be read.
inline std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// While it lives, writes past the given size fail with EFBIG (instead of the signal), as on
// a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : handler_(std::signal(SIGXFSZ, SIG_IGN)) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit low = saved_;
        low.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &low);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, handler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*handler_)(int);
};

// What a check run as an ordinary user found, for what root's rights would hide.
enum class AsNobody { Held, Failed, Skipped };

// Runs check in a child process as the user nobody. Skipped when the process does not run as
// root or the child cannot drop root's rights; check itself says Skipped when the child cannot
// reach what it is to check. A child that hangs is ended and counts as failed.
inline AsNobody RunAsNobody(const std::function<AsNobody()>& check) {
    constexpr uid_t kNobody = 65534;
    if (::geteuid() != 0) return AsNobody::Skipped;
    const pid_t child = ::fork();
    if (child < 0) return AsNobody::Skipped;
    if (child == 0) {
        ::alarm(30);
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(static_cast<int>(AsNobody::Skipped));
        ::_exit(static_cast<int>(check()));
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return AsNobody::Failed;
    return static_cast<AsNobody>(WEXITSTATUS(status));
}
