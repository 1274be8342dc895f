// A second process for the settings-store tests: it reads or writes keys through its own
// QSettingsStore, so what it sees was really on disk and not in the first process's cache.
//
//   settings_probe read  <application> <section> <key>...          prints one line per key
//   settings_probe write <application> <section> <key> <value>
//
// Every argument after the command and every printed value is UTF-8 in hexadecimal, so that
// blanks, quotes, line breaks and empty texts pass unchanged.
#include "QSettingsStore.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

namespace {

QString fromHex(const QString &hex)
{
    return QString::fromUtf8(QByteArray::fromHex(hex.toLatin1()));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 5)
        return 2;
    const QString command = args[1];
    const QString application = fromHex(args[2]);
    const QString section = fromHex(args[3]);

    QSettingsStore store;
    if (command == u"read") {
        for (qsizetype i = 4; i < args.size(); ++i) {
            const QByteArray value = store.read(application, section, fromHex(args[i])).toUtf8();
            std::printf("%s\n", value.toHex().constData());
        }
        return 0;
    }
    if (command == u"write" && args.size() == 6) {
        store.save(application, section, fromHex(args[4]), fromHex(args[5]));
        return 0;
    }
    return 2;
}
