#include "emulator_state.h"

#include "usb_bulk.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>

namespace emu {

Emulator& State() {
    static Emulator s;
    return s;
}

Emulator::Emulator() {
    Reset();
    ApplyEnvironment();
}

void Emulator::Reset() {
    for (usb_dev_handle* h : handles) delete h;
    handles.clear();
    badHandles = 0;
    devices.clear();
    nodes.clear();
    buses.clear();
    listed = false;
    chip = Chip{};
    chip.memory.assign(0x10000, 0xFF);
    faults.clear();
    transfers = 0;
    recording = true;
    recordLimit = 200000;
    ring.clear();
    recordTotal = 0;
    AddProgrammer(*this, 0);
}

namespace {

bool EnvNumber(const char* name, unsigned long& out, int base = 0) {
    const char* v = std::getenv(name);
    if (v == nullptr || *v == '\0') return false;
    char* end = nullptr;
    const unsigned long n = std::strtoul(v, &end, base);
    if (end == v || *end != '\0') {
        std::fprintf(stderr, "usb emulator: %s=%s is not a number; ignored\n", name, v);
        return false;
    }
    out = n;
    return true;
}

bool EnvSigned(const char* name, long& out) {
    const char* v = std::getenv(name);
    if (v == nullptr || *v == '\0') return false;
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(v, &end, 0);
    if (end == v || *end != '\0' || errno != 0 || n < INT32_MIN || n > INT32_MAX) {
        std::fprintf(stderr, "usb emulator: %s=%s is not a number; ignored\n", name, v);
        return false;
    }
    out = n;
    return true;
}

// The named value's index in names (which holds count entries), or -1 with a note.
int EnvChoice(const char* name, const char* const* names, int count) {
    const char* v = std::getenv(name);
    if (v == nullptr || *v == '\0') return -1;
    for (int i = 0; i < count; ++i)
        if (std::strcmp(v, names[i]) == 0) return i;
    std::fprintf(stderr, "usb emulator: %s=%s is not one of the names listed; ignored\n", name, v);
    return -1;
}

// PYROLAN_EMU_FAULT and its companions: one fault, as a test would add it with emu_add_fault.
void ApplyFaultEnvironment(Emulator& s) {
    static const char* const kinds[] = {"error", "short", "timeout"};
    const int kind = EnvChoice("PYROLAN_EMU_FAULT", kinds, 3);
    if (kind < 0) return;
    // In the order of the EMU_XFER_ classes.
    static const char* const classes[] = {"any",        "command",   "data-out", "read",
                                          "reply-read", "data-read", "control"};
    int xfer = EMU_XFER_ANY;
    if (std::getenv("PYROLAN_EMU_FAULT_ON") != nullptr) {
        const int chosen = EnvChoice("PYROLAN_EMU_FAULT_ON", classes, 7);
        if (chosen < 0) return; // a fault on transfers the user did not mean is no help
        xfer = chosen;
    }
    long nth = 0, param = 0;
    const auto given = [](const char* name) {
        const char* v = std::getenv(name);
        return v != nullptr && *v != '\0';
    };
    if (given("PYROLAN_EMU_FAULT_AT") && !EnvSigned("PYROLAN_EMU_FAULT_AT", nth)) return;
    if (given("PYROLAN_EMU_FAULT_PARAM") && !EnvSigned("PYROLAN_EMU_FAULT_PARAM", param)) return;
    s.faults.push_back(Fault{xfer, static_cast<int>(std::max(nth, -1L)), EMU_FAULT_ERROR + kind,
                             static_cast<int>(param)});
}

} // namespace

void Emulator::ApplyEnvironment() {
    unsigned long n = 0;
    if (EnvNumber("PYROLAN_EMU_VARIANT", n) && n <= 1) {
        devices.clear();
        AddProgrammer(*this, static_cast<int>(n));
    }
    if (const char* v = std::getenv("PYROLAN_EMU_NO_PROGRAMMER"); v != nullptr && *v == '1')
        devices.clear();
    uint32_t size = static_cast<uint32_t>(chip.memory.size());
    int family = chip.family;
    int page = chip.pageSize;
    uint32_t jedec = chip.jedec;
    if (EnvNumber("PYROLAN_EMU_CHIP_SIZE", n) && n <= 0x4000000) size = static_cast<uint32_t>(n);
    if (EnvNumber("PYROLAN_EMU_FAMILY", n) && n <= 4) family = static_cast<int>(n);
    if (EnvNumber("PYROLAN_EMU_PAGE_SIZE", n) && n >= 1 && n <= 65536) page = static_cast<int>(n);
    if (EnvNumber("PYROLAN_EMU_JEDEC", n, 16) && n <= 0xFFFFFF) jedec = static_cast<uint32_t>(n);
    SetChip(*this, family, size, page, jedec);
    if (EnvNumber("PYROLAN_EMU_QUERY", n) && n <= 255) chip.queryKind = static_cast<int>(n);
    if (EnvNumber("PYROLAN_EMU_BUSY_POLLS", n) && n <= 100000) chip.busyPolls = static_cast<int>(n);
    if (const char* path = std::getenv("PYROLAN_EMU_IMAGE"); path != nullptr && *path != '\0') {
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "usb emulator: cannot read PYROLAN_EMU_IMAGE=%s\n", path);
        } else {
            in.read(reinterpret_cast<char*>(chip.memory.data()),
                    static_cast<std::streamsize>(chip.memory.size()));
        }
    }
    ApplyFaultEnvironment(*this);
    long unplug = 0;
    if (EnvSigned("PYROLAN_EMU_UNPLUG_AFTER", unplug) && unplug >= 0)
        for (Device& d : devices) UnplugAfter(*this, d, static_cast<int>(unplug));
}

void UnplugAfter(Emulator& s, Device& d, int transfers) {
    if (transfers < 0) {
        d.unplugAt = -1;
    } else if (transfers == 0) {
        d.plugged = false;
        d.claimed = -1;
        d.unplugAt = -1;
    } else {
        d.unplugAt = s.transfers + transfers;
    }
}

emu_record NewRecord(int kind, int device) {
    emu_record r{};
    r.kind = kind;
    r.device = device;
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    r.time_ns = static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
    return r;
}

int AddDevice(Emulator& s, int vendorId, int productId, const char* manufacturer,
              const char* product) {
    Device d;
    d.vendorId = vendorId;
    d.productId = productId;
    d.hasManufacturer = manufacturer != nullptr;
    d.hasProduct = product != nullptr;
    if (manufacturer != nullptr) d.manufacturer = manufacturer;
    if (product != nullptr) d.product = product;
    d.variant = d.hasProduct && d.product == kProductStringLittleEndian ? 1 : 0;
    s.devices.push_back(std::move(d));
    return static_cast<int>(s.devices.size()) - 1;
}

int AddProgrammer(Emulator& s, int variant) {
    return AddDevice(s, kProgrammerVendorId, kProgrammerProductId, kProgrammerVendorString,
                     variant == 1 ? kProductStringLittleEndian : kProductStringBigEndian);
}

void SetChip(Emulator& s, int family, uint32_t size, int pageSize, uint32_t jedec) {
    Chip& c = s.chip;
    c.family = family;
    c.memory.assign(size, 0xFF);
    c.memory.shrink_to_fit();
    c.pageSize = pageSize > 0 ? pageSize : 1;
    c.jedec = jedec & 0xFFFFFF;
    c.busyLeft = 0;
    c.address = 0;
    c.fourByte = false;
    c.replyQueued = false;
}

void Record(emu_record r, const void* data, int bytes) {
    Emulator& s = State();
    if (!s.recording || s.recordLimit == 0) return;
    r.data_length = 0;
    if (data != nullptr && bytes > 0) {
        r.data_length = bytes < 64 ? bytes : 64;
        std::memcpy(r.data, data, static_cast<size_t>(r.data_length));
    }
    if (s.ring.size() < s.recordLimit)
        s.ring.push_back(r);
    else
        s.ring[static_cast<size_t>(s.recordTotal) % s.recordLimit] = r;
    ++s.recordTotal;
}

void BuildBusList() {
    Emulator& s = State();
    s.nodes.clear();
    s.buses.clear();
    s.listed = true;
    std::map<int, usb_bus*> byNumber;
    for (size_t i = 0; i < s.devices.size(); ++i) {
        const Device& d = s.devices[i];
        if (!d.plugged) continue;
        usb_bus*& bus = byNumber[d.bus];
        if (bus == nullptr) {
            s.buses.push_back(std::make_unique<usb_bus>());
            bus = s.buses.back().get();
            *bus = usb_bus{};
            std::snprintf(bus->dirname, sizeof bus->dirname, "%03d", d.bus);
            bus->location = static_cast<uint32_t>(d.bus);
        }
        auto node = std::make_unique<DeviceNode>();
        DeviceNode& n = *node;
        n.index = static_cast<int>(i);
        const bool little = d.variant == 1;
        const uint8_t eps[3] = {static_cast<uint8_t>(little ? 0x85 : 0x82),
                                static_cast<uint8_t>(little ? 0x05 : 0x01),
                                static_cast<uint8_t>(little ? 0x04 : 0x02)};
        for (int e = 0; e < 3; ++e) {
            n.endpoints[e].bLength = 7;
            n.endpoints[e].bDescriptorType = 5;
            n.endpoints[e].bEndpointAddress = eps[e];
            n.endpoints[e].bmAttributes = 2; // bulk
            n.endpoints[e].wMaxPacketSize = 64;
        }
        n.alt.bLength = 9;
        n.alt.bDescriptorType = 4;
        n.alt.bInterfaceNumber = static_cast<uint8_t>(d.interfaceNumber);
        n.alt.bNumEndpoints = 3;
        n.alt.bInterfaceClass = 0xFF;
        n.alt.endpoint = n.endpoints.data();
        n.iface.altsetting = &n.alt;
        n.iface.num_altsetting = 1;
        n.config.bLength = 9;
        n.config.bDescriptorType = 2;
        n.config.wTotalLength = 9 + 9 + 3 * 7;
        n.config.bNumInterfaces = 1;
        n.config.bConfigurationValue = 1;
        n.config.bmAttributes = 0x80;
        n.config.MaxPower = 50;
        n.config.interface = &n.iface;
        const std::vector<unsigned char> desc = DeviceDescriptor(d);
        std::memcpy(&n.dev.descriptor, desc.data(), sizeof n.dev.descriptor);
        n.dev.config = d.noConfig ? nullptr : &n.config;
        n.dev.bus = bus;
        n.dev.devnum = static_cast<uint8_t>(i + 2);
        std::snprintf(n.dev.filename, sizeof n.dev.filename, "%03d", static_cast<int>(i + 2));
        // Append to the bus's device list, keeping the order of addition.
        usb_device** tail = &bus->devices;
        usb_device* prev = nullptr;
        while (*tail != nullptr) {
            prev = *tail;
            tail = &(*tail)->next;
        }
        n.dev.prev = prev;
        *tail = &n.dev;
        s.nodes.push_back(std::move(node));
    }
    usb_bus* prev = nullptr;
    for (auto& [number, bus] : byNumber) {
        bus->prev = prev;
        if (prev != nullptr) prev->next = bus;
        prev = bus;
    }
    // The list head is the lowest bus number; keep it first in `buses` for usb_get_busses.
    if (!byNumber.empty()) {
        usb_bus* head = byNumber.begin()->second;
        for (auto& b : s.buses)
            if (b.get() == head) std::swap(b, s.buses.front());
    }
}

namespace {

// UTF-8 to UTF-16 code units; a malformed byte becomes U+FFFD.
std::vector<uint16_t> Utf16(const std::string& text) {
    std::vector<uint16_t> out;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        uint32_t c = p[i];
        const int extra = c < 0x80             ? 0
                          : (c & 0xE0) == 0xC0 ? 1
                          : (c & 0xF0) == 0xE0 ? 2
                          : (c & 0xF8) == 0xF0 ? 3
                                               : -1;
        bool ok = extra >= 0 && i + static_cast<size_t>(extra) < n;
        for (int k = 1; ok && k <= extra; ++k) ok = (p[i + static_cast<size_t>(k)] & 0xC0) == 0x80;
        if (!ok) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        if (extra > 0) {
            c &= 0x3Fu >> extra;
            for (int k = 1; k <= extra; ++k) c = (c << 6) | (p[i + static_cast<size_t>(k)] & 0x3F);
        }
        i += static_cast<size_t>(extra) + 1;
        if (c >= 0x10000) {
            c -= 0x10000;
            out.push_back(static_cast<uint16_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<uint16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            out.push_back(static_cast<uint16_t>(c));
        }
    }
    return out;
}

} // namespace

bool StringDescriptor(const Device& d, int index, std::vector<unsigned char>& out) {
    if (auto raw = d.rawStrings.find(index); raw != d.rawStrings.end()) {
        out = raw->second;
        return true;
    }
    if (index == 0) {
        out = {4, 3, 0x09, 0x04};
        return true;
    }
    const std::string* text = nullptr;
    if (index == 1 && d.hasManufacturer) text = &d.manufacturer;
    if (index == 2 && d.hasProduct) text = &d.product;
    if (text == nullptr) return false;
    std::vector<uint16_t> units = Utf16(*text);
    if (units.size() > 126) units.resize(126); // the length byte holds at most 254
    out.assign(2 + 2 * units.size(), 0);
    out[0] = static_cast<unsigned char>(out.size());
    out[1] = 3;
    for (size_t i = 0; i < units.size(); ++i) {
        out[2 + 2 * i] = static_cast<unsigned char>(units[i] & 0xFF);
        out[3 + 2 * i] = static_cast<unsigned char>(units[i] >> 8);
    }
    return true;
}

std::vector<unsigned char> DeviceDescriptor(const Device& d) {
    return {18,
            1,
            0x00,
            0x02, // USB 2.0
            0,
            0,
            0,
            64,
            static_cast<unsigned char>(d.vendorId & 0xFF),
            static_cast<unsigned char>((d.vendorId >> 8) & 0xFF),
            static_cast<unsigned char>(d.productId & 0xFF),
            static_cast<unsigned char>((d.productId >> 8) & 0xFF),
            0x00,
            0x01,
            static_cast<unsigned char>(d.hasManufacturer ? 1 : 0),
            static_cast<unsigned char>(d.hasProduct ? 2 : 0),
            0,
            1};
}

} // namespace emu
