#include "SystemdNotify.h"

#include <systemd/sd-daemon.h>

namespace SystemdNotify {

// sd_notify() returns at once, doing nothing, when NOTIFY_SOCKET is not set. The socket's
// variable stays in the environment for the programs the service may start: none.

void ready()
{
    sd_notify(0, "READY=1\nSTATUS=Driving the board");
}

void reloading()
{
    // Ended by the ready() that follows the reload.
    sd_notify(0, "RELOADING=1");
}

void stopping()
{
    sd_notify(0, "STOPPING=1");
}

} // namespace SystemdNotify
