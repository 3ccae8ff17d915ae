#include "usb_bulk.h"

TUsbBulk::TUsbBulk(TComponent* owner) : TComponent(owner) {}

int TUsbBulk::prog_open(int, int) { return 0; }
int TUsbBulk::USB_bulk_cmd(char*, int, int) { return -1; }
int TUsbBulk::USB_bulk_write(char*, int) { return -1; }
int TUsbBulk::USB_bulk_read(char*, int) { return -1; }
void TUsbBulk::USB_bulk_close() {}
int TUsbBulk::USB_transmit(uint8_t, uint8_t, const uint8_t*, uint8_t*, int) { return -1; }
int TUsbBulk::usbGetStringAscii(usb_dev_handle*, int, int, char*, int) { return -1; }
