#pragma once
// TUsbBulk: the only way to the programmer. Finds it through libusb-0.1 (bound by name at
// every prog_open), claims its interface and moves 64-byte command blocks and data chunks
// over bulk endpoints. It shows nothing and reports only through its results.
#include "component.h"

#include <cstdint>

struct usb_dev_handle;

// The manufacturer string the programmer must report, exactly.
inline constexpr const char kProgrammerVendorString[] = "Halvex Electronics";

inline constexpr int kProgrammerVendorId = 0x1FC8;
inline constexpr int kProgrammerProductId = 0x310B;

class TUsbBulk : public TComponent {
public:
    explicit TUsbBulk(TComponent* owner);

    int prog_open(int vendorId, int productId);
    int USB_bulk_cmd(char* buffer, int length, int readReply);
    int USB_bulk_write(char* buffer, int length);
    int USB_bulk_read(char* buffer, int length);
    void USB_bulk_close();
    int USB_transmit(uint8_t direction, uint8_t request, const uint8_t* setup, uint8_t* data,
                     int size);
    int usbGetStringAscii(usb_dev_handle* device, int index, int languageId, char* buffer,
                          int bufferLength);

    usb_dev_handle* dev_handle = nullptr;
    int32_t ep_read = 0x82;
    int32_t ep_write = 0x01;
    int32_t ep_cmd = 0x02;
};
