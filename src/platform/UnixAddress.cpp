#include "UnixAddress.h"

#include <QFile>
#include <cstring>
#include <sys/socket.h>

bool toUnixAddress(const QString &path, sockaddr_un &address)
{
    const QByteArray encoded = QFile::encodeName(path);
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    // The path and its terminating zero must fit; a cut path would name another file.
    if (encoded.isEmpty() || std::size_t(encoded.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, encoded.constData(), std::size_t(encoded.size()));
    return true;
}
