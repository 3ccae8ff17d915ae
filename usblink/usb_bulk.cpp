#include "usb_bulk.h"

#include "libusb0_abi.h"

#include <chrono>
#include <dlfcn.h>
#include <string_view>
#include <thread>

namespace {

constexpr int kBulkTimeoutMs = 5000;
constexpr int kStringTimeoutMs = 1000;
constexpr int kTransmitTimeoutMs = 7000;
constexpr int kReplyWaitMs = 50;
constexpr int kStringLanguage = 0x0409;
constexpr int kStringBufferSize = 256;

// The text with the count the string reader returned against the expected text: a character 0
// in a descriptor is stored as a NUL byte, which a C string comparison would take for the end.
bool TextIs(const char* text, int length, std::string_view expected) {
    return length >= 0 && std::string_view(text, static_cast<size_t>(length)) == expected;
}

template <typename Fn> Fn Lookup(void* handle, const char* name) {
    if (handle == nullptr) return nullptr;
    return reinterpret_cast<Fn>(dlsym(handle, name));
}

} // namespace

// The bound library: every function may be missing on its own, and each call through a
// missing one fails softly.
struct TUsbBulk::Library {
    void* handle = nullptr;
    usb_init_fn init = nullptr;
    usb_find_busses_fn find_busses = nullptr;
    usb_find_devices_fn find_devices = nullptr;
    usb_get_busses_fn get_busses = nullptr;
    usb_open_fn open = nullptr;
    usb_close_fn close = nullptr;
    usb_claim_interface_fn claim_interface = nullptr;
    usb_release_interface_fn release_interface = nullptr;
    usb_bulk_write_fn bulk_write = nullptr;
    usb_bulk_read_fn bulk_read = nullptr;
    usb_control_msg_fn control_msg = nullptr;

    void Init() const {
        if (init) init();
    }
    int FindBusses() const { return find_busses ? find_busses() : kUsbNotBound; }
    int FindDevices() const { return find_devices ? find_devices() : kUsbNotBound; }
    usb_bus* GetBusses() const { return get_busses ? get_busses() : nullptr; }
    usb_dev_handle* Open(usb_device* d) const { return open ? open(d) : nullptr; }
    int Close(usb_dev_handle* h) const { return close ? close(h) : kUsbNotBound; }
    int Claim(usb_dev_handle* h, int i) const {
        return claim_interface ? claim_interface(h, i) : kUsbNotBound;
    }
    int Release(usb_dev_handle* h, int i) const {
        return release_interface ? release_interface(h, i) : kUsbNotBound;
    }
    int BulkWrite(usb_dev_handle* h, int ep, const char* b, int n, int t) const {
        return bulk_write ? bulk_write(h, ep, b, n, t) : kUsbNotBound;
    }
    int BulkRead(usb_dev_handle* h, int ep, char* b, int n, int t) const {
        return bulk_read ? bulk_read(h, ep, b, n, t) : kUsbNotBound;
    }
    int Control(usb_dev_handle* h, int type, int req, int value, int index, char* b, int n,
                int t) const {
        return control_msg ? control_msg(h, type, req, value, index, b, n, t) : kUsbNotBound;
    }
};

TUsbBulk::TUsbBulk(TComponent* owner) : TComponent(owner), lib_(std::make_unique<Library>()) {}

TUsbBulk::~TUsbBulk() {
    // A device left open keeps its library loaded: unloading it under an open handle could
    // take the library's own state away from the device.
    if (lib_->handle != nullptr && dev_handle == nullptr) dlclose(lib_->handle);
}

void TUsbBulk::BindLibrary() {
    // Load the new binding before dropping the old one, so that the same library is not
    // unloaded and loaded again (which would lose its state) between two look-ups.
    void* handle = dlopen(libraryFile_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (lib_->handle != nullptr) dlclose(lib_->handle);
    Library& l = *lib_;
    l.handle = handle;
    l.init = Lookup<usb_init_fn>(handle, "usb_init");
    l.find_busses = Lookup<usb_find_busses_fn>(handle, "usb_find_busses");
    l.find_devices = Lookup<usb_find_devices_fn>(handle, "usb_find_devices");
    l.get_busses = Lookup<usb_get_busses_fn>(handle, "usb_get_busses");
    l.open = Lookup<usb_open_fn>(handle, "usb_open");
    l.close = Lookup<usb_close_fn>(handle, "usb_close");
    l.claim_interface = Lookup<usb_claim_interface_fn>(handle, "usb_claim_interface");
    l.release_interface = Lookup<usb_release_interface_fn>(handle, "usb_release_interface");
    l.bulk_write = Lookup<usb_bulk_write_fn>(handle, "usb_bulk_write");
    l.bulk_read = Lookup<usb_bulk_read_fn>(handle, "usb_bulk_read");
    l.control_msg = Lookup<usb_control_msg_fn>(handle, "usb_control_msg");
}

int TUsbBulk::prog_open(int vendorId, int productId) {
    dev_handle = nullptr;
    BindLibrary();
    const Library& l = *lib_;
    l.Init();
    l.FindBusses();
    l.FindDevices();

    for (usb_bus* bus = l.GetBusses(); bus != nullptr; bus = bus->next) {
        for (usb_device* dev = bus->devices; dev != nullptr; dev = dev->next) {
            if (dev->descriptor.idVendor != vendorId || dev->descriptor.idProduct != productId)
                continue;
            dev_handle = l.Open(dev);
            if (dev_handle == nullptr) continue;

            char text[kStringBufferSize];
            int r = usbGetStringAscii(dev_handle, dev->descriptor.iManufacturer, kStringLanguage,
                                      text, sizeof text);
            if (!TextIs(text, r, kProgrammerVendorString)) {
                l.Close(dev_handle);
                dev_handle = nullptr;
                continue;
            }
            r = usbGetStringAscii(dev_handle, dev->descriptor.iProduct, kStringLanguage, text,
                                  sizeof text);
            const bool little = TextIs(text, r, kProductStringLittleEndian);
            const bool big = TextIs(text, r, kProductStringBigEndian);
            // A device that lists no interface cannot be claimed; it is skipped rather than
            // walked into.
            const usb_interface_descriptor* alt = nullptr;
            if (dev->config != nullptr && dev->config[0].interface != nullptr &&
                dev->config[0].interface[0].altsetting != nullptr)
                alt = &dev->config[0].interface[0].altsetting[0];
            if ((!little && !big) || alt == nullptr) {
                l.Close(dev_handle);
                dev_handle = nullptr;
                continue;
            }
            interface_num = alt->bInterfaceNumber;
            if (l.Claim(dev_handle, interface_num) != 0) {
                l.Close(dev_handle);
                dev_handle = nullptr;
                continue;
            }
            if (little) {
                ep_read = 0x85;
                ep_write = 0x05;
                ep_cmd = 0x04;
            } else {
                ep_read = 0x82;
                ep_write = 0x01;
                ep_cmd = 0x02;
            }
            return 1;
        }
    }
    return dev_handle != nullptr ? 1 : 0;
}

int TUsbBulk::usbGetStringAscii(usb_dev_handle* device, int index, int languageId, char* buffer,
                                int bufferLength) {
    unsigned char work[kStringBufferSize] = {};
    const int r = lib_->Control(device, 0x80, 6, 0x300 + index, languageId,
                                reinterpret_cast<char*>(work), sizeof work, kStringTimeoutMs);
    if (r < 0) return r;
    if (bufferLength <= 0 || buffer == nullptr) return 0;
    buffer[0] = '\0';
    if (work[1] != 3) return 0;
    // The descriptor's own length byte cuts what arrived; an odd byte is not a character.
    const int n = (r < work[0] ? r : work[0]) / 2;
    int stored = 0;
    for (int i = 1; i < n && stored < bufferLength - 1; ++i) {
        const unsigned char low = work[2 * i];
        const unsigned char high = work[2 * i + 1];
        buffer[stored++] = high == 0 ? static_cast<char>(low) : '?';
    }
    buffer[stored] = '\0';
    return stored;
}

int TUsbBulk::USB_bulk_cmd(char* buffer, int length, int readReply) {
    int result = kUsbNoDevice;
    if (dev_handle != nullptr)
        result = lib_->BulkWrite(dev_handle, ep_cmd, buffer, length, kBulkTimeoutMs);
    if (readReply != 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kReplyWaitMs));
        if (dev_handle != nullptr)
            result = lib_->BulkRead(dev_handle, ep_read, buffer, length, kBulkTimeoutMs);
    }
    return result;
}

int TUsbBulk::USB_bulk_write(char* buffer, int length) {
    if (dev_handle == nullptr) return kUsbNoDevice;
    return lib_->BulkWrite(dev_handle, ep_write, buffer, length, kBulkTimeoutMs);
}

int TUsbBulk::USB_bulk_read(char* buffer, int length) {
    if (dev_handle == nullptr) return kUsbNoDevice;
    return lib_->BulkRead(dev_handle, ep_read, buffer, length, kBulkTimeoutMs);
}

void TUsbBulk::USB_bulk_close() {
    if (dev_handle == nullptr) return;
    lib_->Release(dev_handle, interface_num);
    lib_->Close(dev_handle);
    dev_handle = nullptr;
}

int TUsbBulk::USB_transmit(uint8_t direction, uint8_t request, const uint8_t* setup, uint8_t* data,
                           int size) {
    if (dev_handle == nullptr) return -1;
    const uint8_t none[4] = {};
    const uint8_t* s = setup != nullptr ? setup : none;
    const int r =
        lib_->Control(dev_handle, 0x40 + direction * 0x80, request, s[1] * 256 + s[0],
                      s[3] * 256 + s[2], reinterpret_cast<char*>(data), size, kTransmitTimeoutMs);
    return r < 0 ? -1 : r;
}
