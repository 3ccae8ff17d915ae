#pragma once
// Device arrivals and removals from the udev monitor, delivered on the GUI thread through
// a socket notifier. Where no udev daemon runs the monitor simply reports nothing.
#include <QObject>

struct udev;
struct udev_monitor;
class QSocketNotifier;

class TDeviceChangeMonitor : public QObject {
    Q_OBJECT
public:
    explicit TDeviceChangeMonitor(QObject* parent = nullptr);
    ~TDeviceChangeMonitor() override;

    bool Active() const { return notifier_ != nullptr; }

signals:
    // One per USB device that arrived or left.
    void DeviceChanged();

private:
    void Receive();

    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
    QSocketNotifier* notifier_ = nullptr;
};
