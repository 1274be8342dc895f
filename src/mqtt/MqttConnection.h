#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

struct mosquitto;
struct MosquittoLibrary;

// Where to connect and as whom, with the message the broker publishes if the connection dies.
struct MqttEndpoint
{
    QString host;
    int port = 1883;
    QString clientId;
    QString username;
    QString password;
    QString tlsCaFile;
    QString willTopic;
    QByteArray willPayload;
};

// One connection to a broker through libmosquitto, kept up by a network thread of its own.
//
// The thread connects, runs libmosquitto's loop and, when the broker cannot be reached or
// goes away, waits 1 s, then 2, 4, ... up to 60 s between tries (libmosquitto's own
// "exponential" back-off grows with the square of the tries, so the thread keeps its own).
// Nothing of that thread reaches the caller directly: connecting, dropping, every attempt
// that failed and every message arrive as signals through queued calls on the thread that
// made the object. Publishing only
// queues the message for the network thread, so it never waits on the broker.
class MqttConnection : public QObject
{
    Q_OBJECT

public:
    // Payloads longer than this arrive cut to this length plus one byte, so a caller can
    // refuse them without the whole of a huge message crossing into its thread.
    static constexpr int payloadCut = 64;

    explicit MqttConnection(const MqttEndpoint &endpoint, QObject *parent = nullptr);
    // Ends as finish() does, with nothing more published.
    ~MqttConnection() override;

    // False, with `problem` saying why, when the connection cannot even be set up (a TLS
    // file that cannot be read). Otherwise the thread runs until finish().
    bool start(QString *problem);
    bool isConnected() const { return m_connected; }

    // Not retained; while disconnected nothing is sent and false is returned.
    bool publish(const QString &topic, const QByteArray &payload, bool retain);
    void subscribe(const QStringList &topics);
    // Publishes the last message (retained), disconnects and ends the thread; waits for that
    // at most a few seconds, so a broker that has stopped answering cannot hold up an exit.
    void finish(const QString &topic = QString(), const QByteArray &payload = QByteArray());

Q_SIGNALS:
    void connected();
    // A connection that was up broke; `reason` says how.
    void disconnected(const QString &reason);
    // An attempt to connect failed (the broker cannot be reached, TLS failed, it refused us);
    // the next one follows in `retrySeconds`.
    void attemptFailed(const QString &reason, int retrySeconds);
    // `retained`: the broker kept the message and hands it to every client that subscribes.
    void messageReceived(const QString &topic, const QByteArray &payload, bool retained);

private:
    static void onConnect(mosquitto *client, void *self, int result);
    static void onDisconnect(mosquitto *client, void *self, int result);
    static void onMessage(mosquitto *client, void *self, const struct mosquitto_message *message);
    static void onLog(mosquitto *client, void *self, int level, const char *text);
    // Why an attempt failed with the library's result `result` (and `error`, errno, for a
    // system error), with the TLS library's own words where it logged any.
    QString failure(int result, int error);
    void run();
    void setConnected(bool up, const QString &reason);

    const MqttEndpoint m_endpoint;
    const MosquittoLibrary *m_library = nullptr;
    mosquitto *m_client = nullptr;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false; // guarded by m_mutex
    std::chrono::steady_clock::time_point m_stopBy;
    std::atomic<bool> m_sessionUp{false};
    // Of the attempt under way, on the network thread only: the broker's refusal, and the
    // TLS library's last complaint.
    QString m_refusal;
    QString m_tlsError;
    bool m_connected = false; // as this object's thread has been told
};
