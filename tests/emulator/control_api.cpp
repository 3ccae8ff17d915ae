// The emu_ functions through which tests set the emulator up and read what happened.
#include "emulator_state.h"

#include <algorithm>

using namespace emu;

namespace {

Device* At(int device) {
    Emulator& s = State();
    if (device < 0 || static_cast<size_t>(device) >= s.devices.size()) return nullptr;
    return &s.devices[static_cast<size_t>(device)];
}

} // namespace

extern "C" {

void emu_reset(void) {
    State().Reset();
}

void emu_remove_devices(void) {
    Emulator& s = State();
    for (usb_dev_handle* h : s.handles) delete h;
    s.handles.clear();
    s.devices.clear();
    s.nodes.clear();
    s.buses.clear();
}

int emu_add_device(int vendor_id, int product_id, const char* manufacturer, const char* product) {
    return AddDevice(State(), vendor_id, product_id, manufacturer, product);
}

int emu_add_programmer(int variant) {
    return AddProgrammer(State(), variant);
}

int emu_device_count(void) {
    return static_cast<int>(State().devices.size());
}

void emu_set_device_option(int device, int option, int value) {
    Device* d = At(device);
    if (d == nullptr) return;
    switch (option) {
    case EMU_OPT_VARIANT:
        d->variant = value == 1 ? 1 : 0;
        break;
    case EMU_OPT_CLAIM_RESULT:
        d->claimResult = value;
        break;
    case EMU_OPT_OPEN_FAILS:
        d->openFails = value != 0;
        break;
    case EMU_OPT_INTERFACE_NUMBER:
        d->interfaceNumber = value & 0xFF;
        break;
    case EMU_OPT_NO_CONFIG:
        d->noConfig = value != 0;
        break;
    case EMU_OPT_BUS:
        d->bus = value;
        break;
    default:
        break;
    }
}

void emu_set_device_string(int device, int index, const char* text, int length) {
    Device* d = At(device);
    if (d == nullptr || text == nullptr || length < 0 || (index != 1 && index != 2)) return;
    (index == 1 ? d->manufacturer : d->product).assign(text, static_cast<size_t>(length));
    (index == 1 ? d->hasManufacturer : d->hasProduct) = true;
}

void emu_set_string_descriptor(int device, int index, const unsigned char* bytes, int length) {
    Device* d = At(device);
    if (d == nullptr || length < 0) return;
    length = std::min(length, 256);
    d->rawStrings[index] = std::vector<unsigned char>(bytes, bytes + length);
}

void emu_unplug_after(int device, int transfers) {
    Device* d = At(device);
    if (d != nullptr) UnplugAfter(State(), *d, transfers);
}

int emu_open_handle_count(void) {
    return static_cast<int>(State().handles.size());
}

int emu_claimed_interface(int device) {
    const Device* d = At(device);
    return d != nullptr ? d->claimed : -1;
}

int emu_bad_handle_count(void) {
    return State().badHandles;
}

void emu_set_chip(int family, uint32_t size, int page_size, uint32_t jedec_id) {
    SetChip(State(), family, std::min<uint32_t>(size, 0x4000000), page_size, jedec_id);
}

unsigned char* emu_chip_memory(void) {
    return State().chip.memory.data();
}

uint32_t emu_chip_size(void) {
    return static_cast<uint32_t>(State().chip.memory.size());
}

void emu_set_query_kind(int kind) {
    State().chip.queryKind = kind & 0xFF;
}

void emu_set_busy_polls(int polls) {
    State().chip.busyPolls = std::max(polls, 0);
}

int emu_busy_polls_left(void) {
    return State().chip.busyLeft;
}

uint32_t emu_stream_address(void) {
    return State().chip.address;
}

int emu_four_byte_mode(void) {
    return State().chip.fourByte ? 1 : 0;
}

void emu_add_fault(int xfer, int nth, int fault, int param) {
    State().faults.push_back(Fault{xfer, nth, fault, param});
}

void emu_clear_faults(void) {
    State().faults.clear();
}

long emu_transfer_count(void) {
    return State().transfers;
}

void emu_set_recording(int on) {
    State().recording = on != 0;
}

void emu_set_record_limit(long records) {
    Emulator& s = State();
    s.recordLimit = records > 0 ? static_cast<size_t>(records) : 0;
    s.ring.clear();
    s.ring.shrink_to_fit();
    s.recordTotal = 0;
}

long emu_record_count(void) {
    return State().recordTotal;
}

long emu_record_first(void) {
    const Emulator& s = State();
    return s.recordTotal - static_cast<long>(s.ring.size());
}

int emu_get_record(long i, struct emu_record* out) {
    const Emulator& s = State();
    if (out == nullptr || i < emu_record_first() || i >= s.recordTotal || s.ring.empty()) return 0;
    *out = s.ring[static_cast<size_t>(i) % s.recordLimit];
    return 1;
}

void emu_clear_records(void) {
    Emulator& s = State();
    s.ring.clear();
    s.recordTotal = 0;
}

} // extern "C"
