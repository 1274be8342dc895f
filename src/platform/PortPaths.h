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

// The device that port n falls back to when it has no per-user link: /dev/ttyS<n-1>.
QString fallbackPath(int number);
// Where the fallback devices are looked for: a pattern whose %1 is n-1. Tests point it at a
// stand-in; the program never changes it.
void setFallbackPattern(const QString &pattern);

// The device path that opening port n uses; empty when n names no port (below 1).
QString devicePath(int number);

// True when port n has a per-user link, whether or not it leads anywhere now.
bool hasLink(int number);

// What the device path finally resolves to, for showing the user (the link's target when
// it is a link, otherwise the path itself); empty when it does not exist.
QString resolvedDevice(int number);

// Makes port n's per-user link lead to `device`, creating the ports folder. A device with a
// stable name under /dev/serial/by-id is linked by that name, so the link survives the
// adapter being plugged into another socket. Anything at the link's path but a link is left
// alone and refused. False with the reason in *error.
bool assign(int number, const QString &device, QString *error);
// Removes port n's per-user link; anything else at that path is left alone.
bool removeLink(int number, QString *error);

// The stable /dev/serial/by-id name of a device, or empty when it has none.
QString stableName(const QString &device);
// Where the stable names are looked for.
void setStableNamesFolder(const QString &folder);

} // namespace PortPaths
