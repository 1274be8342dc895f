#include "PseudoTerminal.h"

#include <QFile>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString systemError(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

bool setFlags(int fd, int descriptorFlags, int statusFlags)
{
    const int fdFlags = ::fcntl(fd, F_GETFD);
    const int flFlags = ::fcntl(fd, F_GETFL);
    return fdFlags >= 0 && flFlags >= 0 && ::fcntl(fd, F_SETFD, fdFlags | descriptorFlags) == 0 &&
           ::fcntl(fd, F_SETFL, flFlags | statusFlags) == 0;
}

} // namespace

PseudoTerminal::~PseudoTerminal()
{
    close();
}

bool PseudoTerminal::open(QString *error)
{
    close();
    auto fail = [&](const char *what) {
        if (error)
            *error = systemError(what);
        close();
        return false;
    };

    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        return fail("posix_openpt");
    if (!setFlags(m_master, FD_CLOEXEC, O_NONBLOCK))
        return fail("fcntl on the pty master");
    if (::grantpt(m_master) != 0)
        return fail("grantpt");
    if (::unlockpt(m_master) != 0)
        return fail("unlockpt");

    char name[128] = {};
    if (::ptsname_r(m_master, name, sizeof name) != 0)
        return fail("ptsname");
    m_slavePath = QFile::decodeName(name);

    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0)
        return fail("open of the pty slave");

    // Raw: no echo, no line editing, no CR/LF translation in either direction, all eight
    // bits through. The panel's frames carry a binary argument byte, 0x0D included.
    termios mode{};
    if (::tcgetattr(m_slave, &mode) != 0)
        return fail("tcgetattr");
    ::cfmakeraw(&mode);
    mode.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&mode, B19200);
    ::cfsetospeed(&mode, B19200);
    if (::tcsetattr(m_slave, TCSANOW, &mode) != 0)
        return fail("tcsetattr");
    return true;
}

void PseudoTerminal::close()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = -1;
    m_master = -1;
    m_slavePath.clear();
}
