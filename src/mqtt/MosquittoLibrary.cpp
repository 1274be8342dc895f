#include "MosquittoLibrary.h"

#include <QLibrary>

namespace {

struct Loaded
{
    std::optional<MosquittoLibrary> library;
    QString problem;
};

} // namespace

const MosquittoLibrary *MosquittoLibrary::get(QString *problem)
{
    static const Loaded loaded = [] {
        Loaded result;
        result.library = load(QStringLiteral("mosquitto"), 1, &result.problem);
        if (result.library)
            result.library->libInit();
        return result;
    }();
    if (!loaded.library) {
        *problem = loaded.problem;
        return nullptr;
    }
    return &*loaded.library;
}

std::optional<MosquittoLibrary> MosquittoLibrary::load(const QString &fileName, int version,
                                                       QString *problem)
{
    // Once loaded it stays so (QLibrary unloads only when asked): the functions are used as
    // long as the program runs.
    QLibrary library(fileName, version);
    if (!library.load()) {
        *problem = library.errorString();
        return std::nullopt;
    }
    MosquittoLibrary functions;
    bool complete = true;
    const auto find = [&](auto &function, const char *name) {
        function =
            reinterpret_cast<std::remove_reference_t<decltype(function)>>(library.resolve(name));
        if (!function && complete) {
            *problem =
                QStringLiteral("%1 has no %2").arg(library.fileName(), QString::fromLatin1(name));
            complete = false;
        }
    };
    find(functions.libInit, "mosquitto_lib_init");
    find(functions.newClient, "mosquitto_new");
    find(functions.destroy, "mosquitto_destroy");
    find(functions.threadedSet, "mosquitto_threaded_set");
    find(functions.connectCallbackSet, "mosquitto_connect_callback_set");
    find(functions.disconnectCallbackSet, "mosquitto_disconnect_callback_set");
    find(functions.messageCallbackSet, "mosquitto_message_callback_set");
    find(functions.usernamePwSet, "mosquitto_username_pw_set");
    find(functions.tlsSet, "mosquitto_tls_set");
    find(functions.willSet, "mosquitto_will_set");
    find(functions.connectAsync, "mosquitto_connect_async");
    find(functions.loop, "mosquitto_loop");
    find(functions.publish, "mosquitto_publish");
    find(functions.subscribe, "mosquitto_subscribe");
    find(functions.disconnect, "mosquitto_disconnect");
    find(functions.connackString, "mosquitto_connack_string");
    find(functions.strerror, "mosquitto_strerror");
    find(functions.logCallbackSet, "mosquitto_log_callback_set");
    if (!complete) {
        library.unload();
        return std::nullopt;
    }
    return functions;
}
