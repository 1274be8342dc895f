#include "SerialDevices.h"

#include "PortPaths.h"

#include <QSerialPortInfo>
#include <algorithm>

namespace SerialDevices {

QList<Device> list()
{
    QList<Device> devices;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        Device device;
        device.node = info.systemLocation();
        const QString stable = PortPaths::stableName(device.node);
        device.path = stable.isEmpty() ? device.node : stable;
        device.description = info.description();
        device.maker = info.manufacturer();
        device.serialNumber = info.serialNumber();
        devices << device;
    }
    std::sort(devices.begin(), devices.end(),
              [](const Device &a, const Device &b) { return a.node < b.node; });
    return devices;
}

} // namespace SerialDevices
