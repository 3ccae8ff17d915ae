// The libusb-0.1 entry points, played against the emulated bus and programmer.
#include "emulator_state.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <thread>

using namespace emu;

namespace {

constexpr int kENOENT = -2;
constexpr int kEIO = -5;
constexpr int kEBADF = -9;
constexpr int kENODEV = -19;
constexpr int kEINVAL = -22;
constexpr int kEPIPE = -32;
constexpr int kETIMEDOUT = -110;

struct Endpoints {
    int read, data, cmd;
};

Endpoints EndpointsOf(const Device& d) {
    if (d.variant == 1) return {0x85, 0x05, 0x04};
    return {0x82, 0x01, 0x02};
}

// The device behind a handle, or null (and counted) when the handle is not one of ours.
Device* DeviceOf(usb_dev_handle* h) {
    Emulator& s = State();
    if (h == nullptr || s.handles.count(h) == 0) {
        ++s.badHandles;
        return nullptr;
    }
    return &s.devices[static_cast<size_t>(h->device)];
}

// The device of a call on a handle, named in the record; for a handle that is not ours the
// call ends here with EBADF, recorded without data, and null.
Device* DeviceFor(usb_dev_handle* h, emu_record& r) {
    Device* d = DeviceOf(h);
    if (d == nullptr) {
        r.result = kEBADF;
        Record(r, nullptr, 0);
        return nullptr;
    }
    r.device = h->device;
    return d;
}

// What a transfer on a valid handle gets before it moves anything: ENODEV once the device
// is pulled out, EINVAL for a negative size, a missing buffer or a wrong endpoint, else 0.
int Refusal(const Device& d, const void* bytes, int size, bool endpointFits) {
    if (!d.plugged) return kENODEV;
    if (size < 0 || (bytes == nullptr && size > 0) || !endpointFits) return kEINVAL;
    return 0;
}

// The fault, if any, that this transfer of the given classes gets; every matching rule counts it.
std::optional<Fault> TakeFault(std::initializer_list<int> classes) {
    std::optional<Fault> chosen;
    for (Fault& f : State().faults) {
        const bool match = f.xfer == EMU_XFER_ANY ||
                           std::find(classes.begin(), classes.end(), f.xfer) != classes.end();
        if (!match) continue;
        if (!chosen && (f.nth == -1 || f.seen == f.nth)) chosen = f;
        ++f.seen;
    }
    return chosen;
}

// Applies a fault to a transfer that would move `wanted` bytes: the bytes it moves, or the
// negative result in `error`.
int Apply(const std::optional<Fault>& fault, int wanted, int& error) {
    error = 0;
    if (!fault) return wanted;
    switch (fault->fault) {
    case EMU_FAULT_ERROR:
        error = fault->param < 0 ? fault->param : kEIO;
        return 0;
    case EMU_FAULT_SHORT:
        return std::clamp(fault->param, 0, wanted);
    case EMU_FAULT_TIMEOUT:
        if (fault->param > 0) std::this_thread::sleep_for(std::chrono::milliseconds(fault->param));
        error = kETIMEDOUT;
        return 0;
    default:
        return wanted;
    }
}

// Every transfer made on a valid handle counts, and may be the one after which a device
// is pulled out.
void CountTransfer() {
    Emulator& s = State();
    ++s.transfers;
    for (Device& d : s.devices) {
        if (d.unplugAt >= 0 && s.transfers >= d.unplugAt) {
            d.plugged = false;
            d.unplugAt = -1;
            d.claimed = -1;
        }
    }
}

} // namespace

extern "C" {

void usb_init(void) {
    Record(NewRecord(EMU_CALL_INIT, -1), nullptr, 0);
}

int usb_find_busses(void) {
    emu_record r = NewRecord(EMU_CALL_FIND_BUSSES, -1);
    Record(r, nullptr, 0);
    return 0;
}

int usb_find_devices(void) {
    emu_record r = NewRecord(EMU_CALL_FIND_DEVICES, -1);
    BuildBusList();
    Record(r, nullptr, 0);
    return 0;
}

usb_bus* usb_get_busses(void) {
    Emulator& s = State();
    emu_record r = NewRecord(EMU_CALL_GET_BUSSES, -1);
    usb_bus* head = s.listed && !s.buses.empty() ? s.buses.front().get() : nullptr;
    r.result = head != nullptr ? 1 : 0;
    Record(r, nullptr, 0);
    return head;
}

usb_dev_handle* usb_open(usb_device* dev) {
    Emulator& s = State();
    emu_record r = NewRecord(EMU_CALL_OPEN, -1);
    usb_dev_handle* handle = nullptr;
    for (const auto& node : s.nodes) {
        if (&node->dev != dev) continue;
        r.device = node->index;
        const Device& d = s.devices[static_cast<size_t>(node->index)];
        if (d.plugged && !d.openFails) {
            handle = new usb_dev_handle{node->index};
            s.handles.insert(handle);
        }
    }
    r.result = handle != nullptr ? 1 : 0;
    Record(r, nullptr, 0);
    return handle;
}

int usb_close(usb_dev_handle* h) {
    Emulator& s = State();
    emu_record r = NewRecord(EMU_CALL_CLOSE, -1);
    Device* d = DeviceFor(h, r);
    if (d == nullptr) return r.result;
    d->claimed = -1; // closing gives the interface back
    s.handles.erase(h);
    delete h;
    Record(r, nullptr, 0);
    return r.result;
}

int usb_claim_interface(usb_dev_handle* h, int interface) {
    emu_record r = NewRecord(EMU_CALL_CLAIM, -1);
    r.endpoint = interface;
    Device* d = DeviceFor(h, r);
    if (d == nullptr) return r.result;
    if (!d->plugged)
        r.result = kENODEV;
    else if (d->claimResult != 0)
        r.result = d->claimResult;
    else if (interface != d->interfaceNumber)
        r.result = kENOENT;
    else
        d->claimed = interface;
    Record(r, nullptr, 0);
    return r.result;
}

int usb_release_interface(usb_dev_handle* h, int interface) {
    emu_record r = NewRecord(EMU_CALL_RELEASE, -1);
    r.endpoint = interface;
    Device* d = DeviceFor(h, r);
    if (d == nullptr) return r.result;
    if (!d->plugged)
        r.result = kENODEV;
    else if (d->claimed != interface)
        r.result = kENOENT;
    else
        d->claimed = -1;
    Record(r, nullptr, 0);
    return r.result;
}

int usb_bulk_write(usb_dev_handle* h, int ep, const char* bytes, int size, int timeout) {
    emu_record r = NewRecord(EMU_CALL_BULK_WRITE, -1);
    r.endpoint = ep;
    r.length = size;
    r.timeout = timeout;
    Device* d = DeviceFor(h, r);
    if (d == nullptr) return r.result;
    const auto* in = reinterpret_cast<const unsigned char*>(bytes);
    const Endpoints eps = EndpointsOf(*d);
    r.result = Refusal(*d, in, size, ep == eps.cmd || ep == eps.data);
    if (r.result == 0) {
        const bool command = ep == eps.cmd;
        int error = 0;
        const int moved =
            Apply(TakeFault({command ? EMU_XFER_COMMAND : EMU_XFER_DATA_OUT}), size, error);
        if (error != 0) {
            r.result = error;
        } else {
            r.result = moved;
            // The firmware acts only on a whole 64-byte block.
            if (command && moved == 64 && size == 64)
                FirmwareCommand(d->variant, in);
            else if (!command)
                FirmwareWrite(in, moved);
        }
    }
    CountTransfer();
    Record(r, in, size);
    return r.result;
}

int usb_bulk_read(usb_dev_handle* h, int ep, char* bytes, int size, int timeout) {
    Emulator& s = State();
    emu_record r = NewRecord(EMU_CALL_BULK_READ, -1);
    r.endpoint = ep;
    r.length = size;
    r.timeout = timeout;
    Device* d = DeviceFor(h, r);
    if (d == nullptr) return r.result;
    auto* out = reinterpret_cast<unsigned char*>(bytes);
    int moved = 0;
    r.result = Refusal(*d, out, size, ep == EndpointsOf(*d).read);
    if (r.result == 0) {
        Chip& c = s.chip;
        const bool reply = c.replyQueued;
        const int wanted = reply ? std::min(size, 64) : size;
        int error = 0;
        moved = Apply(TakeFault({EMU_XFER_READ, reply ? EMU_XFER_REPLY_READ : EMU_XFER_DATA_READ}),
                      wanted, error);
        if (error != 0) {
            r.result = error;
            moved = 0;
        } else {
            if (reply) {
                std::memcpy(out, c.reply.data(), static_cast<size_t>(moved));
                c.replyQueued = false;
            } else {
                FirmwareRead(out, moved);
            }
            r.result = moved;
        }
    }
    CountTransfer();
    Record(r, out, moved);
    return r.result;
}

int usb_control_msg(usb_dev_handle* h, int requesttype, int request, int value, int index,
                    char* bytes, int size, int timeout) {
    emu_record r = NewRecord(EMU_CALL_CONTROL, -1);
    r.request_type = requesttype;
    r.request = request;
    r.value = value;
    r.index = index;
    r.length = size;
    r.timeout = timeout;
    Device* d = DeviceFor(h, r);
    if (d == nullptr) return r.result;
    auto* io = reinterpret_cast<unsigned char*>(bytes);
    int moved = 0;
    r.result = Refusal(*d, io, size, true);
    if (r.result == 0) {
        std::vector<unsigned char> answer;
        bool stall = false;
        const bool in = (requesttype & 0x80) != 0;
        if (requesttype == 0x80 && request == 6) {
            const int type = (value >> 8) & 0xFF;
            if (type == 3)
                stall = !StringDescriptor(*d, value & 0xFF, answer);
            else if (type == 1)
                answer = DeviceDescriptor(*d);
            else
                stall = true;
        } else if (in) {
            answer.assign(static_cast<size_t>(size), 0); // vendor requests read zeros
        }
        int error = 0;
        const int wanted = in ? std::min(size, static_cast<int>(answer.size())) : size;
        moved = Apply(TakeFault({EMU_XFER_CONTROL}), wanted, error);
        if (stall) {
            r.result = kEPIPE;
            moved = 0;
        } else if (error != 0) {
            r.result = error;
            moved = 0;
        } else {
            if (in && moved > 0) std::memcpy(io, answer.data(), static_cast<size_t>(moved));
            r.result = moved;
        }
    }
    CountTransfer();
    Record(r, io, moved);
    return r.result;
}

} // extern "C"
