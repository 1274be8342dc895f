#pragma once

// Tells systemd how the service stands, where it was started with NOTIFY_SOCKET (a unit of
// Type=notify); elsewhere it does nothing.
namespace SystemdNotify {

void ready();
void reloading(); // until the next ready()
void stopping();

} // namespace SystemdNotify
