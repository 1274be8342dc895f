#pragma once

#include <QString>

// One pseudo-terminal pair, owned. The master is non-blocking; the slave is set to raw
// mode, and a descriptor of it stays open for the pair's whole life, so the master never
// reads EIO when the program on the other side closes its port between runs.
class PseudoTerminal
{
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    // Opens a new pair (closing any held one first). On failure false and *error says why.
    bool open(QString *error);

    // Closes both descriptors. A program that still has the slave open is hung up: its
    // reads see end of file and its writes and ioctls fail with EIO, as after a USB
    // adapter was pulled. The device node disappears.
    void close();

    bool isOpen() const { return m_master >= 0; }
    int masterFd() const { return m_master; }
    // The slave device, e.g. "/dev/pts/7"; empty while closed.
    QString slavePath() const { return m_slavePath; }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
};
