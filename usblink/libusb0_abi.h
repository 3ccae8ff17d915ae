#pragma once
// The part of the libusb-0.1 binary interface that the link uses, as the Linux library lays it
// out (x86-64 and other LP64 targets alike): the bus and device lists that usb_get_busses
// hands out, the descriptors hanging off them, and the signatures of the functions bound by
// name. The programmer emulator builds the same structures, so both sides share this header.
#include <cstdint>

extern "C" {

// The library's file name buffers are PATH_MAX + 1 bytes; PATH_MAX is 4096 on Linux.
inline constexpr int kLibusbPathMax = 4096 + 1;

struct usb_dev_handle; // opaque: only the library looks inside

struct usb_endpoint_descriptor {
    uint8_t bLength;
    uint8_t bDescriptorType;
    uint8_t bEndpointAddress;
    uint8_t bmAttributes;
    uint16_t wMaxPacketSize;
    uint8_t bInterval;
    uint8_t bRefresh;
    uint8_t bSynchAddress;
    unsigned char* extra;
    int extralen;
};

struct usb_interface_descriptor {
    uint8_t bLength;
    uint8_t bDescriptorType;
    uint8_t bInterfaceNumber;
    uint8_t bAlternateSetting;
    uint8_t bNumEndpoints;
    uint8_t bInterfaceClass;
    uint8_t bInterfaceSubClass;
    uint8_t bInterfaceProtocol;
    uint8_t iInterface;
    usb_endpoint_descriptor* endpoint;
    unsigned char* extra;
    int extralen;
};

struct usb_interface {
    usb_interface_descriptor* altsetting;
    int num_altsetting;
};

struct usb_config_descriptor {
    uint8_t bLength;
    uint8_t bDescriptorType;
    uint16_t wTotalLength;
    uint8_t bNumInterfaces;
    uint8_t bConfigurationValue;
    uint8_t iConfiguration;
    uint8_t bmAttributes;
    uint8_t MaxPower;
    usb_interface* interface;
    unsigned char* extra;
    int extralen;
};

struct usb_device_descriptor {
    uint8_t bLength;
    uint8_t bDescriptorType;
    uint16_t bcdUSB;
    uint8_t bDeviceClass;
    uint8_t bDeviceSubClass;
    uint8_t bDeviceProtocol;
    uint8_t bMaxPacketSize0;
    uint16_t idVendor;
    uint16_t idProduct;
    uint16_t bcdDevice;
    uint8_t iManufacturer;
    uint8_t iProduct;
    uint8_t iSerialNumber;
    uint8_t bNumConfigurations;
};

struct usb_bus;

struct usb_device {
    usb_device* next;
    usb_device* prev;
    char filename[kLibusbPathMax];
    usb_bus* bus;
    usb_device_descriptor descriptor;
    usb_config_descriptor* config;
    void* dev;
    uint8_t devnum;
    unsigned char num_children;
    usb_device** children;
};

struct usb_bus {
    usb_bus* next;
    usb_bus* prev;
    char dirname[kLibusbPathMax];
    usb_device* devices;
    uint32_t location;
    usb_device* root_dev;
};

using usb_init_fn = void (*)();
using usb_find_busses_fn = int (*)();
using usb_find_devices_fn = int (*)();
using usb_get_busses_fn = usb_bus* (*)();
using usb_open_fn = usb_dev_handle* (*)(usb_device*);
using usb_close_fn = int (*)(usb_dev_handle*);
using usb_claim_interface_fn = int (*)(usb_dev_handle*, int);
using usb_release_interface_fn = int (*)(usb_dev_handle*, int);
using usb_bulk_write_fn = int (*)(usb_dev_handle*, int, const char*, int, int);
using usb_bulk_read_fn = int (*)(usb_dev_handle*, int, char*, int, int);
using usb_control_msg_fn = int (*)(usb_dev_handle*, int, int, int, int, char*, int, int);

} // extern "C"

// The layout the Linux library has; a change here would make every list walk read garbage.
static_assert(sizeof(usb_device_descriptor) == 18);
static_assert(sizeof(void*) != 8 || sizeof(usb_config_descriptor) == 40);
static_assert(sizeof(void*) != 8 || sizeof(usb_interface_descriptor) == 40);
static_assert(sizeof(void*) != 8 || sizeof(usb_endpoint_descriptor) == 32);
static_assert(sizeof(void*) != 8 || sizeof(usb_device) == 4184);
static_assert(sizeof(void*) != 8 || sizeof(usb_bus) == 4144);
