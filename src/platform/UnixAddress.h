#pragma once

#include <QString>
#include <sys/un.h>

// The address of a Unix stream socket at a file path. False for a path the system cannot
// take: empty, or longer than an address holds (about a hundred bytes).
bool toUnixAddress(const QString &path, sockaddr_un &address);
