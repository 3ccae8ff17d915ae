#include "app_device_monitor.h"

#include <QSocketNotifier>
#include <cstring>
#include <libudev.h>

TDeviceChangeMonitor::TDeviceChangeMonitor(QObject* parent) : QObject(parent) {
    udev_ = udev_new();
    if (!udev_) return;
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (!monitor_ ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor_, "usb", "usb_device") < 0 ||
        udev_monitor_enable_receiving(monitor_) < 0) {
        return;
    }
    const int fd = udev_monitor_get_fd(monitor_);
    if (fd < 0) return;
    notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TDeviceChangeMonitor::Receive);
}

TDeviceChangeMonitor::~TDeviceChangeMonitor() {
    delete notifier_;
    if (monitor_) udev_monitor_unref(monitor_);
    if (udev_) udev_unref(udev_);
}

void TDeviceChangeMonitor::Receive() {
    udev_device* device = udev_monitor_receive_device(monitor_);
    if (!device) return;
    const char* action = udev_device_get_action(device);
    const bool change =
        action && (std::strcmp(action, "add") == 0 || std::strcmp(action, "remove") == 0);
    udev_device_unref(device);
    if (change) emit DeviceChanged();
}
