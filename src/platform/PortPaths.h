#pragma once

#include <QString>

// Where "Com n" leads on this computer. On Linux port n is the per-user link
// <config dir>/Tarnwick/ports/COM<n> when it exists (to /dev/ttyUSB0, a /dev/serial/by-id
// name or the simulated board's pseudo-terminal), otherwise /dev/ttyS<n-1>. On Windows it
// is COM<n>.
namespace PortPaths {

// The folder that holds the per-user COM<n> links.
QString portsFolder();

// The per-user link for port n, whether or not it exists.
QString linkPath(int number);

// The device path that opening port n uses; empty when n names no port (below 1).
QString devicePath(int number);

// What the device path finally resolves to, for showing the user (the link's target when
// it is a link, otherwise the path itself); empty when it does not exist.
QString resolvedDevice(int number);

} // namespace PortPaths
