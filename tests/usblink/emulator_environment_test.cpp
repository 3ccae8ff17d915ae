// The emulator's settings from the environment, which it reads once when it is loaded: each
// case runs this program again with the variables set, and its probe reports what the link
// saw (the open, four command blocks, two reads).
#include "link_fixture.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string Probe() {
    TUsbBulk link(nullptr);
    std::string out =
        "open " + std::to_string(link.prog_open(kProgrammerVendorId, kProgrammerProductId));
    out += " |";
    for (int i = 0; i < 4; ++i) {
        Block block = Command(7);
        out += " " + std::to_string(link.USB_bulk_cmd(block.data(), 64, 0));
    }
    out += " |";
    for (int i = 0; i < 2; ++i) {
        Block reply{};
        out += " " + std::to_string(link.USB_bulk_read(reply.data(), 64));
    }
    link.USB_bulk_close();
    return out;
}

std::string RunProbe(const std::string& variables) {
    char self[PATH_MAX] = {};
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return "no program path";
    const std::string command = "env PYROLAN_EMU_PROBE=1 " + variables + " '" +
                                std::string(self, static_cast<size_t>(n)) +
                                "' --gtest_filter=EmulatorEnvironment.Probe 2>/dev/null";
    FILE* child = ::popen(command.c_str(), "r");
    if (child == nullptr) return "no child";
    std::string found = "no probe line";
    char line[512];
    while (std::fgets(line, sizeof line, child) != nullptr) {
        const std::string text(line);
        if (text.rfind("probe: ", 0) == 0) found = text.substr(7, text.find('\n') - 7);
    }
    ::pclose(child);
    return found;
}

} // namespace

TEST(EmulatorEnvironment, Probe) {
    if (std::getenv("PYROLAN_EMU_PROBE") == nullptr) GTEST_SKIP() << "run by the cases below";
    std::printf("probe: %s\n", Probe().c_str());
}

TEST(EmulatorEnvironment, FaultsAndUnplugAsTheReadmeNamesThem) {
    const struct {
        const char* variables;
        const char* seen;
    } cases[] = {
        {"", "open 1 | 64 64 64 64 | 64 64"},
        {"PYROLAN_EMU_FAULT=error PYROLAN_EMU_FAULT_ON=command PYROLAN_EMU_FAULT_AT=1",
         "open 1 | 64 -5 64 64 | 64 64"},
        {"PYROLAN_EMU_FAULT=error PYROLAN_EMU_FAULT_ON=command PYROLAN_EMU_FAULT_AT=-1 "
         "PYROLAN_EMU_FAULT_PARAM=-32",
         "open 1 | -32 -32 -32 -32 | 64 64"},
        {"PYROLAN_EMU_FAULT=short PYROLAN_EMU_FAULT_ON=read PYROLAN_EMU_FAULT_AT=1 "
         "PYROLAN_EMU_FAULT_PARAM=10",
         "open 1 | 64 64 64 64 | 64 10"},
        {"PYROLAN_EMU_FAULT=timeout PYROLAN_EMU_FAULT_ON=command PYROLAN_EMU_FAULT_PARAM=20",
         "open 1 | -110 64 64 64 | 64 64"},
        // Counted from the start: the open reads the two strings of the programmer.
        {"PYROLAN_EMU_UNPLUG_AFTER=4", "open 1 | 64 64 -19 -19 | -19 -19"},
        {"PYROLAN_EMU_UNPLUG_AFTER=0", "open 0 | -19 -19 -19 -19 | -19 -19"},
        // Values the emulator does not know are ignored (with a note on stderr).
        {"PYROLAN_EMU_FAULT=sometimes", "open 1 | 64 64 64 64 | 64 64"},
        {"PYROLAN_EMU_FAULT=error PYROLAN_EMU_FAULT_ON=elsewhere", "open 1 | 64 64 64 64 | 64 64"},
        {"PYROLAN_EMU_FAULT=error PYROLAN_EMU_FAULT_AT=x", "open 1 | 64 64 64 64 | 64 64"},
    };
    for (const auto& c : cases) EXPECT_EQ(RunProbe(c.variables), c.seen) << c.variables;
}
