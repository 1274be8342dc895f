#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QLockFile;

// One panel per settings store. Two panels on one store would both want the board's port
// and would overwrite each other's settings at exit, so the first to start holds a lock file
// in the configuration folder and listens on a local socket of the user's own; a second
// start asks the first to come to the front and then ends without touching anything. The
// same socket is the panel's control socket: whoever answers its connections (the control
// server) answers the second start's {"command":"raise"} with {"ok":true}; a service, which
// has no window to raise, answers it with the error "service".
//
// Panels with different configuration folders (XDG_CONFIG_HOME) have different locks and
// sockets and run side by side.
class PanelInstance : public QObject
{
    Q_OBJECT

public:
    enum class Claim {
        Claimed,          // this is the one panel on the store
        OtherRaised,      // another panel runs and was asked to come to the front
        OtherIsService,   // tarnwickd drives the board of this store
        OtherUnreachable, // another panel holds the lock but did not answer
        Failed,           // the lock could not be made at all (a read-only folder)
    };

    // The error code a service answers the raise with, and what a window started on its
    // store tells the user.
    static constexpr char serviceError[] = "service";
    static constexpr char serviceMessage[] =
        "Tarnwick is running as a service for this board; use tarnwick-ctl or its MQTT topics.";

    explicit PanelInstance(QObject *parent = nullptr);
    ~PanelInstance() override;

    // Claims the store, or asks the panel that holds it to come to the front.
    Claim claim();
    // Claims the store without asking anything of the one that holds it: Claimed, Failed,
    // or OtherUnreachable for a store that is held.
    Claim claimQuietly();

    // The lock file: <config dir>/Tarnwick/Tarnwick.panel.lock.
    static QString lockPath();
    // The panel's local socket: $XDG_RUNTIME_DIR/tarnwick/panel-<hash of the configuration
    // folder> (a folder of the user's own under the temp folder, mode 0700, without a
    // runtime folder).
    static QString socketPath();
    // The folder the socket lives in, made with mode 0700 when missing; empty when it
    // cannot be made private.
    static QString socketFolder();

    // The socket's server once claim() has claimed the store; null when it could not
    // listen. Its pending connections wait for whoever takes them.
    QLocalServer *server() const { return m_server; }

private:
    void listen();

    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
    QString m_socketPath; // where m_server listens
};
