#pragma once

#include <QByteArray>
#include <QIODevice>

class QSocketNotifier;

// One end of a connected Unix stream socket, read and written from the event loop: what the
// panel's control socket needs of QLocalSocket. Qt's own brings QtNetwork, and with it
// Kerberos and proxy libraries, into every panel for one local socket.
//
// Reading is bounded by setReadBufferSize(): once that much waits unread, nothing more is
// taken from the system until some of it is read. Writing is buffered and goes out when the
// peer takes it. disconnected() is emitted once, when the connection ends for any reason;
// what was read before then can still be read after.
class UnixConnection : public QIODevice
{
    Q_OBJECT

public:
    enum class State {
        Connected,
        Closing, // disconnectFromServer() waits for what is written to go out
        Unconnected,
    };

    // Takes a connected, non-blocking socket and owns it.
    explicit UnixConnection(int socket, QObject *parent = nullptr);
    ~UnixConnection() override;

    State state() const { return m_state; }
    // Bytes held unread at most; 0 holds any amount.
    void setReadBufferSize(qint64 bytes);

    // Ends the connection once what is written has gone out.
    void disconnectFromServer();
    // Ends the connection now; what is not yet written is dropped.
    void abort();

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;
    qint64 bytesToWrite() const override;
    bool canReadLine() const override;
    // Ends the connection now and closes the device: what is unread is dropped too.
    void close() override;

Q_SIGNALS:
    void disconnected();

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 readLineData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 size) override;

private:
    qsizetype unread() const { return m_readBuffer.size() - m_readHead; }
    void consumed(qsizetype bytes);
    void readFromSocket();
    void writeToSocket();
    void closeSocket();

    int m_socket;
    State m_state = State::Connected;
    QSocketNotifier *m_readable;
    QSocketNotifier *m_writable;
    QByteArray m_readBuffer;
    qsizetype m_readHead = 0; // what is before it has been read
    qint64 m_readLimit = 0;
    QByteArray m_writeBuffer;
    qsizetype m_writeHead = 0; // what is before it has gone out
};
