#pragma once

#include <QDeadlineTimer>
#include <QJsonObject>
#include <QLocalSocket>
#include <QString>
#include <optional>

// tarnwick-ctl's end of the control socket: a request and its reply, and the frame events
// of a watch, each line read with a time limit. A client of its own, so blocking waits are
// fine here.
class PanelConnection
{
public:
    enum class Outcome {
        Connected,
        NoPanel,    // nothing listens: no panel runs on these settings
        NotAllowed, // the socket is there but not ours
    };

    // Connects to the socket at `path`; message() says why not.
    Outcome connectTo(const QString &path);
    QString message() const { return m_message; }

    // Sends the request and returns its reply, skipping frame events; none when the panel
    // did not answer in time or went away (message() says which).
    std::optional<QJsonObject> request(const QJsonObject &request);

    // The status of the next frame event, waiting until the deadline; none at the deadline
    // or when the panel went away (gone() tells them apart).
    std::optional<QJsonObject> nextFrame(QDeadlineTimer deadline);
    bool gone() const { return m_gone; }

private:
    std::optional<QJsonObject> readObject(QDeadlineTimer deadline);

    QLocalSocket m_socket;
    QString m_message;
    bool m_gone = false;
};
