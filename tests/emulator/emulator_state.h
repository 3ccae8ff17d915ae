#pragma once
// The emulator's whole state: the devices on the bus, the handles opened on them, the chip
// in the socket with the firmware's registers, the pending faults and the records. One
// instance per process (State()), touched only through the exported functions.
#include "emulator_api.h"
#include "libusb0_abi.h"

#include <array>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

struct usb_dev_handle {
    int device;
};

namespace emu {

struct Device {
    int vendorId = 0;
    int productId = 0;
    bool hasManufacturer = false;
    bool hasProduct = false;
    std::string manufacturer; // UTF-8
    std::string product;      // UTF-8
    std::map<int, std::vector<unsigned char>> rawStrings;
    int variant = 0;
    int claimResult = 0;
    bool openFails = false;
    int interfaceNumber = 0;
    bool noConfig = false;
    int bus = 1;
    bool plugged = true;
    long unplugAt = -1; // transfer count at which the device vanishes, -1 never
    int claimed = -1;
};

// What usb_get_busses hands out for one device, kept together so that one allocation holds
// every pointer the caller may follow.
struct DeviceNode {
    usb_device dev{};
    usb_config_descriptor config{};
    usb_interface iface{};
    usb_interface_descriptor alt{};
    std::array<usb_endpoint_descriptor, 3> endpoints{};
    int index = -1;
};

struct Fault {
    int xfer;
    int nth;
    int fault;
    int param;
    int seen = 0;
};

struct Chip {
    int family = EMU_FLASH25;
    std::vector<unsigned char> memory;
    int pageSize = 256;
    uint32_t jedec = 0xEF4010;
    int queryKind = 1;
    int busyPolls = 3;
    int busyLeft = 0;
    uint32_t address = 0; // stream address, always below the size (or 0)
    bool fourByte = false;
    bool replyQueued = false;
    std::array<unsigned char, 64> reply{};
};

struct Emulator {
    Emulator();
    void Reset();
    void ApplyEnvironment();

    std::vector<Device> devices;
    std::vector<std::unique_ptr<usb_bus>> buses;
    std::vector<std::unique_ptr<DeviceNode>> nodes;
    bool listed = false; // usb_find_devices ran since the last reset
    std::set<usb_dev_handle*> handles;
    int badHandles = 0;
    Chip chip;
    std::vector<Fault> faults;
    long transfers = 0;

    bool recording = true;
    size_t recordLimit = 200000;
    std::vector<emu_record> ring;
    long recordTotal = 0;
};

Emulator& State();

int AddDevice(Emulator& s, int vendorId, int productId, const char* manufacturer,
              const char* product);
int AddProgrammer(Emulator& s, int variant);
void SetChip(Emulator& s, int family, uint32_t size, int pageSize, uint32_t jedec);
// The device vanishes after that many further transfers (0: now, -1: never).
void UnplugAfter(Emulator& s, Device& d, int transfers);

// Records one call (when recording is on); `data` may be null.
void Record(emu_record r, const void* data, int bytes);
emu_record NewRecord(int kind, int device);
// Rebuilds the bus list from the plugged devices.
void BuildBusList();
// The bytes string descriptor `index` of the device returns; false when it has none.
bool StringDescriptor(const Device& d, int index, std::vector<unsigned char>& out);
std::vector<unsigned char> DeviceDescriptor(const Device& d);

// The firmware: one whole command block, reads and writes on the data endpoints.
void FirmwareCommand(int variant, const unsigned char* block);
void FirmwareRead(unsigned char* out, int n);
void FirmwareWrite(const unsigned char* in, int n);

} // namespace emu
