#pragma once
// The programmer emulator's control interface.
//
// The emulator is a libusb-0.1.so.4 of our own: it exports the libusb-0.1 functions that
// TUsbBulk binds, and behind them emulates programmers on a USB bus and a chip in the socket.
// Tests put its folder first on LD_LIBRARY_PATH (CTest does), so TUsbBulk's dlopen of
// "libusb-0.1.so.4" loads it; they steer it through the emu_ functions below, which they
// resolve with dlsym on the same library (EmulatorApi at the end does both).
//
// The emulated programmer
//   - Devices sit on buses in the order they were added (bus 1 unless EMU_OPT_BUS says
//     otherwise; buses are listed in increasing number). usb_get_busses shows the devices
//     as of the last usb_find_devices.
//   - Variant 0 ("WinUSBComm"): read 0x82, data out 0x01, command out 0x02, big-endian
//     command fields. Variant 1 ("WinUSBComm Device"): 0x85, 0x05, 0x04, little-endian.
//     A transfer on an endpoint the variant lacks returns -EINVAL (-22).
//   - String descriptors: index 1 manufacturer, 2 product, in UTF-16LE (any code point of
//     the basic plane); index 0 is the language table (0x0409). A string set to null has
//     index 0 in the device descriptor.
// The firmware, answering 64-byte command blocks written to the command endpoint:
//   - CmdBegin (7), CmdQueryChip (9), CmdSetAddress (5), CmdPollStatus (10),
//     CmdSpiTransfer (11) queue a 64-byte reply: the command block itself, except that the
//     query sets bytes 0-3 (query kind, then the chip's JEDEC id in bytes 1-3) and the poll
//     sets byte 0 (1 while the chip is busy, else 0). CmdErase (2) and CmdEnd (8) queue none.
//     Every new command or data write drops a reply that was not read.
//   - A bulk read returns the queued reply if there is one, else streams chip memory from
//     the stream address, which CmdSetAddress sets (u32 at bytes 8-11) and every data
//     transfer advances; addresses wrap at the chip's size.
//   - Writing on the data endpoint programs memory from the stream address: Flash25 chips
//     can only clear bits (new = old & data); the EEPROM families store the bytes as sent.
//   - CmdErase (u16 argument at bytes 26-27): Flash25 with 0x8000 erases the whole chip to
//     0xFF and then reports busy for emu busy-poll count polls (other arguments do nothing);
//     Eeprom24/25/95 erase the page holding the argument in every 64 KiB bank (the argument
//     carries only the low 16 address bits); Eeprom93 erases the whole chip.
//   - CmdSpiTransfer with instruction 0xB7 turns on 4-byte addressing (emu_four_byte_mode).
// Recording: every libusb call is recorded in order (emu_record), with its first 64 bytes of
// data. Records live in a ring of emu_set_record_limit entries (default 200000), so a long
// benchmark keeps only the newest; emu_set_recording(0) stops recording altogether.
// Environment (read once, when the library is loaded, never by emu_reset): see README.md.
#include <cstddef>
#include <cstdint>
#include <dlfcn.h>
#include <stdexcept>
#include <string>
#include <vector>

extern "C" {

// Record kinds (emu_record.kind).
enum {
    EMU_CALL_INIT = 1,
    EMU_CALL_FIND_BUSSES,
    EMU_CALL_FIND_DEVICES,
    EMU_CALL_GET_BUSSES,
    EMU_CALL_OPEN,
    EMU_CALL_CLOSE,
    EMU_CALL_CLAIM,   // endpoint holds the interface number
    EMU_CALL_RELEASE, // endpoint holds the interface number
    EMU_CALL_BULK_WRITE,
    EMU_CALL_BULK_READ,
    EMU_CALL_CONTROL,
};

// Transfer classes that a fault can select (emu_add_fault).
enum {
    EMU_XFER_ANY = 0,    // every bulk or control transfer
    EMU_XFER_COMMAND,    // a bulk write to the command endpoint
    EMU_XFER_DATA_OUT,   // a bulk write to the data endpoint
    EMU_XFER_READ,       // any bulk read
    EMU_XFER_REPLY_READ, // a bulk read while a reply is queued
    EMU_XFER_DATA_READ,  // a bulk read that streams memory
    EMU_XFER_CONTROL,    // a control transfer (string descriptors)
};

// Faults.
enum {
    EMU_FAULT_ERROR = 1, // returns param (a negative code), or -EIO (-5) when param >= 0
    EMU_FAULT_SHORT,     // moves only param bytes (at most the length asked) and returns that
    EMU_FAULT_TIMEOUT,   // waits param ms, then returns -ETIMEDOUT (-110); nothing moves
};
// A failed or timed-out transfer moves nothing and changes no state: a command is not
// carried out, a reply stays queued, memory and the stream address stay. A short command
// block is not carried out either.

// Device options (emu_set_device_option).
enum {
    EMU_OPT_VARIANT = 1,      // 0 or 1 (above); set from the product string when added
    EMU_OPT_CLAIM_RESULT,     // what usb_claim_interface returns (0 = success; default 0)
    EMU_OPT_OPEN_FAILS,       // non-zero: usb_open gives no handle
    EMU_OPT_INTERFACE_NUMBER, // bInterfaceNumber of the first interface (default 0)
    EMU_OPT_NO_CONFIG,        // non-zero: the device lists no configuration (config null)
    EMU_OPT_BUS,              // the bus number the device sits on (default 1)
};

// Chip families, as the chip database numbers them.
enum { EMU_FLASH25 = 0, EMU_EEPROM24, EMU_EEPROM93, EMU_EEPROM25, EMU_EEPROM95 };

struct emu_record {
    int kind;         // EMU_CALL_*
    int device;       // index of the device the call concerns, -1 for none or unknown
    int endpoint;     // bulk endpoint, or the interface number of claim and release
    int length;       // bytes asked for (size argument)
    int result;       // what the call returned (0 for usb_init; 1/0 for open: handle or not)
    int timeout;      // time-out argument in ms
    int request_type; // control transfers only
    int request;
    int value;
    int index;
    int64_t time_ns; // monotonic clock when the call began
    int data_length; // bytes kept in data, at most 64: writes keep the bytes offered,
                     // reads and control transfers the bytes delivered
    unsigned char data[64];
};

// Back to the built-in default: one good programmer of variant 0 (vendor 0x1FC8, product
// 0x310B, the programmer's manufacturer string), a 64 KiB Flash25 chip of 0xFF with page
// size 256 and JEDEC id 0xEF4010, query kind 1, busy polls 3, no faults, no records,
// recording on, handles closed. Environment variables are not read again.
void emu_reset(void);

// Devices. emu_add_device returns the new device's index; strings are UTF-8 (null: none).
void emu_remove_devices(void);
int emu_add_device(int vendor_id, int product_id, const char* manufacturer, const char* product);
int emu_add_programmer(int variant); // the good programmer of that variant
int emu_device_count(void);
void emu_set_device_option(int device, int option, int value);
// Sets the manufacturer (index 1) or product (index 2) string to length bytes of UTF-8, so
// that it may hold a U+0000.
void emu_set_device_string(int device, int index, const char* text, int length);
// Replaces the raw bytes that string descriptor `index` returns (up to 256 bytes), so that
// length bytes and data can disagree.
void emu_set_string_descriptor(int device, int index, const unsigned char* bytes, int length);
// The device vanishes after `transfers` further transfers of any device (0: now, -1: never):
// its handles then fail with -ENODEV (-19) and usb_find_devices no longer lists it.
void emu_unplug_after(int device, int transfers);
int emu_open_handle_count(void);       // handles opened and not closed
int emu_claimed_interface(int device); // the claimed interface, -1 when none
int emu_bad_handle_count(void);        // calls with an unknown or closed handle

// The chip in the socket. emu_set_chip resizes memory (filled with 0xFF); emu_chip_memory
// points at it until the next emu_set_chip or emu_reset.
void emu_set_chip(int family, uint32_t size, int page_size, uint32_t jedec_id);
unsigned char* emu_chip_memory(void);
uint32_t emu_chip_size(void);
void emu_set_query_kind(int kind);  // reply byte 0 of CmdQueryChip (0 none, 1 flash, 2, 3, ...)
void emu_set_busy_polls(int polls); // polls that report busy after a whole-chip erase
int emu_busy_polls_left(void);
uint32_t emu_stream_address(void);
int emu_four_byte_mode(void);

// Faults: the nth transfer (0 = the next one) of class `xfer` from now on gets `fault`;
// nth -1: every transfer of that class. Several faults may be pending; when two fire on one
// transfer, the one added first applies (both count the transfer).
void emu_add_fault(int xfer, int nth, int fault, int param);
void emu_clear_faults(void);
long emu_transfer_count(void); // bulk and control transfers since emu_reset

// Records.
void emu_set_recording(int on);
void emu_set_record_limit(long records); // also clears the records; 0 keeps none
long emu_record_count(void);             // records made since emu_reset or emu_clear_records
long emu_record_first(void);             // the oldest record still kept
int emu_get_record(long i, struct emu_record* out); // 1 when record i is kept
void emu_clear_records(void);

} // extern "C"

// Test helper: loads the emulator under the name TUsbBulk binds (so both share one copy)
// and resolves every emu_ function. Throws std::runtime_error when the library found is
// not the emulator (the real libusb first on the path, for example).
class EmulatorApi {
public:
    EmulatorApi() {
        handle_ = dlopen("libusb-0.1.so.4", RTLD_NOW | RTLD_LOCAL);
        if (handle_ == nullptr)
            throw std::runtime_error(std::string("emulator not found: ") + dlerror());
        Resolve(reset, "emu_reset");
        Resolve(remove_devices, "emu_remove_devices");
        Resolve(add_device, "emu_add_device");
        Resolve(add_programmer, "emu_add_programmer");
        Resolve(device_count, "emu_device_count");
        Resolve(set_device_option, "emu_set_device_option");
        Resolve(set_device_string, "emu_set_device_string");
        Resolve(set_string_descriptor, "emu_set_string_descriptor");
        Resolve(unplug_after, "emu_unplug_after");
        Resolve(open_handle_count, "emu_open_handle_count");
        Resolve(claimed_interface, "emu_claimed_interface");
        Resolve(bad_handle_count, "emu_bad_handle_count");
        Resolve(set_chip, "emu_set_chip");
        Resolve(chip_memory, "emu_chip_memory");
        Resolve(chip_size, "emu_chip_size");
        Resolve(set_query_kind, "emu_set_query_kind");
        Resolve(set_busy_polls, "emu_set_busy_polls");
        Resolve(busy_polls_left, "emu_busy_polls_left");
        Resolve(stream_address, "emu_stream_address");
        Resolve(four_byte_mode, "emu_four_byte_mode");
        Resolve(add_fault, "emu_add_fault");
        Resolve(clear_faults, "emu_clear_faults");
        Resolve(transfer_count, "emu_transfer_count");
        Resolve(set_recording, "emu_set_recording");
        Resolve(set_record_limit, "emu_set_record_limit");
        Resolve(record_count, "emu_record_count");
        Resolve(record_first, "emu_record_first");
        Resolve(get_record, "emu_get_record");
        Resolve(clear_records, "emu_clear_records");
    }
    ~EmulatorApi() {
        if (handle_ != nullptr) dlclose(handle_);
    }
    EmulatorApi(const EmulatorApi&) = delete;
    EmulatorApi& operator=(const EmulatorApi&) = delete;

    // The records still kept, oldest first; only those of `kind` when kind is not 0.
    std::vector<emu_record> Records(int kind = 0) const {
        std::vector<emu_record> out;
        emu_record r;
        for (long i = record_first(); i < record_count(); ++i)
            if (get_record(i, &r) && (kind == 0 || r.kind == kind)) out.push_back(r);
        return out;
    }
    // The bulk transfers (writes and reads) still kept, oldest first.
    std::vector<emu_record> BulkTransfers() const {
        std::vector<emu_record> out;
        for (const emu_record& r : Records())
            if (r.kind == EMU_CALL_BULK_WRITE || r.kind == EMU_CALL_BULK_READ) out.push_back(r);
        return out;
    }
    // The chip memory as a copy, and a way to load it.
    std::vector<unsigned char> Memory() const {
        return std::vector<unsigned char>(chip_memory(), chip_memory() + chip_size());
    }
    void SetMemory(const std::vector<unsigned char>& bytes, uint32_t at = 0) const {
        for (size_t i = 0; i < bytes.size() && at + i < chip_size(); ++i)
            chip_memory()[at + i] = bytes[i];
    }

    void (*reset)() = nullptr;
    void (*remove_devices)() = nullptr;
    int (*add_device)(int, int, const char*, const char*) = nullptr;
    int (*add_programmer)(int) = nullptr;
    int (*device_count)() = nullptr;
    void (*set_device_option)(int, int, int) = nullptr;
    void (*set_device_string)(int, int, const char*, int) = nullptr;
    void (*set_string_descriptor)(int, int, const unsigned char*, int) = nullptr;
    void (*unplug_after)(int, int) = nullptr;
    int (*open_handle_count)() = nullptr;
    int (*claimed_interface)(int) = nullptr;
    int (*bad_handle_count)() = nullptr;
    void (*set_chip)(int, uint32_t, int, uint32_t) = nullptr;
    unsigned char* (*chip_memory)() = nullptr;
    uint32_t (*chip_size)() = nullptr;
    void (*set_query_kind)(int) = nullptr;
    void (*set_busy_polls)(int) = nullptr;
    int (*busy_polls_left)() = nullptr;
    uint32_t (*stream_address)() = nullptr;
    int (*four_byte_mode)() = nullptr;
    void (*add_fault)(int, int, int, int) = nullptr;
    void (*clear_faults)() = nullptr;
    long (*transfer_count)() = nullptr;
    void (*set_recording)(int) = nullptr;
    void (*set_record_limit)(long) = nullptr;
    long (*record_count)() = nullptr;
    long (*record_first)() = nullptr;
    int (*get_record)(long, emu_record*) = nullptr;
    void (*clear_records)() = nullptr;

private:
    template <typename Fn> void Resolve(Fn& fn, const char* name) {
        fn = reinterpret_cast<Fn>(dlsym(handle_, name));
        if (fn == nullptr)
            throw std::runtime_error(std::string("libusb-0.1.so.4 on the library path is not "
                                                 "the emulator (no ") +
                                     name + ")");
    }
    void* handle_ = nullptr;
};
