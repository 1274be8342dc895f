#pragma once

#include <QList>
#include <QString>

// The serial devices this computer has now, as the port picker lists them.
namespace SerialDevices {

struct Device
{
    QString path;        // the stable /dev/serial/by-id name where there is one, else /dev/...
    QString node;        // the device node itself, e.g. /dev/ttyUSB0
    QString description; // what the device says it is, when it says
    QString maker;
    QString serialNumber;
};

// Every serial device the system reports, by node.
QList<Device> list();

} // namespace SerialDevices
