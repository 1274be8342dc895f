#include "QtSerialPortAdapter.h"

#include "LineSettings.h"
#include "PortPaths.h"

#include <QCoreApplication>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <termios.h>
#ifdef Q_OS_UNIX
#include <sys/ioctl.h>
#endif
#endif

namespace {

QSerialPort::Parity toParity(char letter)
{
    switch (letter) {
    case 'e':
        return QSerialPort::EvenParity;
    case 'o':
        return QSerialPort::OddParity;
    case 'm':
        return QSerialPort::MarkParity;
    case 's':
        return QSerialPort::SpaceParity;
    default:
        return QSerialPort::NoParity;
    }
}

// True when the device behind an open descriptor is gone: a pulled adapter or a hung-up
// pseudo-terminal fails every ioctl from then on.
bool deviceGone(QSerialPort &port)
{
#ifdef Q_OS_UNIX
    termios attributes{};
    if (::tcgetattr(static_cast<int>(port.handle()), &attributes) == 0)
        return false;
    return errno == EIO || errno == ENXIO || errno == ENODEV || errno == EBADF;
#else
    return port.error() == QSerialPort::ResourceError;
#endif
}

// The system error behind a failed QSerialPort::open, as near as Qt's own error tells it.
int systemError(QSerialPort::SerialPortError error)
{
#ifdef Q_OS_UNIX
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return ENOENT;
    case QSerialPort::PermissionError:
        return EACCES;
    default:
        return EIO;
    }
#else
    return int(error);
#endif
}

} // namespace

QtSerialPortAdapter::QtSerialPortAdapter() = default;

QtSerialPortAdapter::~QtSerialPortAdapter()
{
    if (m_port.isOpen())
        m_port.close();
}

bool QtSerialPortAdapter::isOpen() const
{
    return m_port.isOpen();
}

void QtSerialPortAdapter::close()
{
    m_lost = false;
    if (m_port.isOpen())
        m_port.close();
    m_port.clearError();
}

void QtSerialPortAdapter::setPortNumber(int number)
{
    if (!m_port.isOpen())
        m_number = number;
}

int QtSerialPortAdapter::portNumber() const
{
    return m_number;
}

void QtSerialPortAdapter::setSettings(const QString &settings)
{
    m_settings = settings;
}

bool QtSerialPortAdapter::open()
{
    if (m_port.isOpen())
        return true;
    // A lost device is looked for where it was: a link that is gone leads nowhere, and the
    // fallback device of a port without a link is not this board.
    const QString path = m_lost ? m_path : PortPaths::devicePath(m_number);
    const auto line = LineSettings::parse(m_settings);
    m_path = path;
    // Where a link leads is looked up at every open: a replugged adapter's stable name, and
    // so the link, may lead to another device now.
    const PortProblem seen = PortDiagnosis::inspect(path);
    if (path.isEmpty() || !line) {
        m_problem = seen;
        if (m_problem.kind == PortProblem::Kind::None)
            m_problem.kind = PortProblem::Kind::NoPort;
        return false;
    }

    // A device another program holds by the lock-file convention is left to it, also where
    // the system would let us in (root passes an exclusive open).
    if (seen.kind == PortProblem::Kind::Busy && seen.pid != QCoreApplication::applicationPid()) {
        m_problem = seen;
        return false;
    }

    // The device itself is opened, not the link to it: Qt names its lock file after the path
    // it opens, and programs that follow the UUCP convention look for LCK..ttyUSB0, not for a
    // file named after a per-user link. Everything shown still names the link.
    const QString device = seen.device.isEmpty() ? path : seen.device;
    m_port.setPortName(device);
    m_port.setBaudRate(line->baudRate);
    m_port.setParity(toParity(line->parity));
    m_port.setDataBits(static_cast<QSerialPort::DataBits>(line->dataBits));
    m_port.setStopBits(line->stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    const bool opened = m_port.open(QIODevice::ReadWrite);
    if (opened) {
        m_port.clear(QSerialPort::Input); // the driver's queue: what came before the open
        m_lost = false;
        m_problem = {};
        m_device = device;
    } else {
        m_problem = PortDiagnosis::fromError(path, systemError(m_port.error()));
        if (m_problem.kind == PortProblem::Kind::Other)
            m_problem.detail = m_port.errorString();
    }
    m_port.clearError();
    return opened;
}

void QtSerialPortAdapter::setReadLength(int /*length*/)
{
    // Every read returns all that is waiting; there is no other mode to choose.
}

bool QtSerialPortAdapter::write(const QByteArray &bytes)
{
    if (!m_port.isOpen())
        return false;
    const qint64 written = m_port.write(bytes);
    m_port.flush();
    return settleError() && written == bytes.size();
}

qint64 QtSerialPortAdapter::bytesToWrite() const
{
    if (!m_port.isOpen())
        return 0;
    qint64 waiting = m_port.bytesToWrite();
#ifdef Q_OS_UNIX
    // What the driver still holds for the line; Qt's own buffer is emptied by the flush in
    // write().
    int queued = 0;
    if (::ioctl(int(m_port.handle()), TIOCOUTQ, &queued) == 0)
        waiting += queued;
#endif
    return waiting;
}

QByteArray QtSerialPortAdapter::readAll()
{
    if (!m_port.isOpen())
        return {};
    // Pulls what the driver holds into Qt's buffer without waiting; on an idle line this
    // reports a timeout, which settleError() forgets.
    m_port.waitForReadyRead(0);
    QByteArray received = m_port.readAll();
    settleError();
    return received;
}

void QtSerialPortAdapter::clearOutput()
{
    if (!m_port.isOpen())
        return;
    m_port.clear(QSerialPort::Output);
    settleError();
}

void QtSerialPortAdapter::clearInput()
{
    if (!m_port.isOpen())
        return;
    m_port.clear(QSerialPort::Input);
    settleError();
}

bool QtSerialPortAdapter::isLost() const
{
    return m_lost;
}

bool QtSerialPortAdapter::settleError()
{
    const QSerialPort::SerialPortError error = m_port.error();
    if (error == QSerialPort::NoError)
        return true;
    const bool serious = error == QSerialPort::ResourceError || error == QSerialPort::ReadError ||
                         error == QSerialPort::WriteError;
    if (serious && m_port.isOpen() && deviceGone(m_port)) {
        m_port.close();
        m_port.clearError();
        m_lost = true;
        return false;
    }
    m_port.clearError();
    return true;
}
