#pragma once

#include <QString>

// Why a serial device cannot be opened, found from the system's own answer, with what the
// user can do about it. The panel's message keeps its one fixed line; this goes beside it,
// in the setup dialog's port table and in the link lamp's tooltip.
struct PortProblem
{
    enum class Kind {
        None,             // nothing found against opening it
        NoPort,           // the port number names no port
        NoSuchDevice,     // no device at the path: unplugged, or never there
        DanglingLink,     // the per-user link leads to a device that is not there
        PermissionDenied, // the user may not open it
        Busy,             // another program has it open
        Other,            // anything else, in the system's words
    };

    Kind kind = Kind::None;
    QString path;   // the path that was opened: the per-user link or the device itself
    QString device; // the device the path leads to, links followed; empty when none is there
    QString target; // DanglingLink: where the link leads
    QString owner;  // PermissionDenied: the user that owns the device, when known
    QString group;  // PermissionDenied: the group that owns the device, when known
    int mode = -1;  // PermissionDenied: the device's permission bits; -1 when not known
    qint64 pid = 0; // Busy: the process named by the device's lock file, 0 when unknown
    QString detail; // Other: the system's message

    bool operator==(const PortProblem &) const = default;
};

namespace PortDiagnosis {

// Looks at `path` without opening it: whether it exists, where a link leads, whether a
// living process holds the device's lock file, and whether this user may read and write it.
PortProblem inspect(const QString &path);

// What is known against opening `path` now: what inspect() finds, or, where it finds
// nothing, the problem of the last open of that same path and device when only an open can
// meet it (a device held for exclusive use answers an open with EBUSY and leaves no lock
// file to look at).
PortProblem inspect(const QString &path, const PortProblem &lastOpen);

// The reason for an open of `path` that failed with the system error `error` (an errno
// value). What inspect() finds comes first; the error decides when it finds nothing.
PortProblem fromError(const QString &path, int error);

// The process that holds `device` by a lock file, looked for in /var/lock and the other
// folders serial programs use, under the UUCP name (LCK..ttyUSB0: the device's own name) and
// under the name Qt gives it (the path below /dev with '/' as '_': LCK..pts_3); 0 when no
// living process holds it.
qint64 lockHolder(const QString &device);

// One line saying what is wrong, naming the path and, where it is a link, the device it
// leads to: "/home/u/.config/Tarnwick/ports/COM3 (/dev/ttyUSB0): permission denied; ...".
QString reason(const PortProblem &problem);
// What the user can do about it.
QString remedy(const PortProblem &problem);
// Both, for the informative text of the message box; empty when there is no problem.
QString explanation(const PortProblem &problem);

} // namespace PortDiagnosis
