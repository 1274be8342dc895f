#pragma once

#include <QString>
#include <mosquitto.h>
#include <optional>

// The functions of libmosquitto that a connection calls, found when the first connection
// starts rather than when the program does: most panels name no broker, and the library
// brings OpenSSL with it, which would otherwise be loaded, relocated and resident in every
// panel for nothing.
struct MosquittoLibrary
{
    decltype(&mosquitto_lib_init) libInit = nullptr;
    decltype(&mosquitto_new) newClient = nullptr;
    decltype(&mosquitto_destroy) destroy = nullptr;
    decltype(&mosquitto_threaded_set) threadedSet = nullptr;
    decltype(&mosquitto_connect_callback_set) connectCallbackSet = nullptr;
    decltype(&mosquitto_disconnect_callback_set) disconnectCallbackSet = nullptr;
    decltype(&mosquitto_message_callback_set) messageCallbackSet = nullptr;
    decltype(&mosquitto_username_pw_set) usernamePwSet = nullptr;
    decltype(&mosquitto_tls_set) tlsSet = nullptr;
    decltype(&mosquitto_will_set) willSet = nullptr;
    decltype(&mosquitto_connect_async) connectAsync = nullptr;
    decltype(&mosquitto_loop) loop = nullptr;
    decltype(&mosquitto_publish) publish = nullptr;
    decltype(&mosquitto_subscribe) subscribe = nullptr;
    decltype(&mosquitto_disconnect) disconnect = nullptr;
    decltype(&mosquitto_connack_string) connackString = nullptr;
    decltype(&mosquitto_strerror) strerror = nullptr;
    decltype(&mosquitto_log_callback_set) logCallbackSet = nullptr;

    // libmosquitto.so.1, loaded and initialised at the first call and kept; null, with the
    // reason in `problem`, when it cannot be loaded.
    static const MosquittoLibrary *get(QString *problem);

    // The library `fileName` of major `version`, with every function above, or nothing and
    // the reason: it cannot be loaded, or lacks a function.
    static std::optional<MosquittoLibrary> load(const QString &fileName, int version,
                                                QString *problem);
};
