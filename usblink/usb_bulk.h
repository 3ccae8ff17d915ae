#pragma once
// TUsbBulk: the only way to the programmer. Finds it through libusb-0.1 (bound by name at
// every prog_open), claims its interface and moves 64-byte command blocks and data chunks
// over bulk endpoints. It shows nothing and reports only through its results.
#include "component.h"

#include <cstdint>
#include <memory>
#include <string>

struct usb_dev_handle;

// The manufacturer string the programmer must report, exactly.
inline constexpr const char kProgrammerVendorString[] = "Halvex Electronics";

inline constexpr int kProgrammerVendorId = 0x1FC8;
inline constexpr int kProgrammerProductId = 0x310B;

// The product strings of the two device variants; they choose endpoints and byte order.
inline constexpr const char kProductStringBigEndian[] = "WinUSBComm";
inline constexpr const char kProductStringLittleEndian[] = "WinUSBComm Device";

// The file bound at every prog_open.
inline constexpr const char kLibusbFileName[] = "libusb-0.1.so.4";

// What a transfer member returns when no device is open (no transfer is made): libusb's
// "no such device".
inline constexpr int kUsbNoDevice = -19;
// What a function of a library that could not be bound returns.
inline constexpr int kUsbNotBound = -2;

class TUsbBulk : public TComponent {
public:
    explicit TUsbBulk(TComponent* owner);
    ~TUsbBulk() override;

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

    // For tests only: the file that prog_open binds instead of kLibusbFileName, so that a
    // missing library can be shown. The program never calls it.
    void SetLibraryFileForTesting(std::string fileName) { libraryFile_ = std::move(fileName); }

private:
    struct Library;
    void BindLibrary();

    int32_t interface_num = 0; // claimed by the last successful prog_open
    std::string libraryFile_ = kLibusbFileName;
    std::unique_ptr<Library> lib_;
};
