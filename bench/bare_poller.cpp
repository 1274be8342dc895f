// The floor the service's benchmark (bench/service-cost.py) measures tarnwickd against: a
// bare QCoreApplication that opens the port at 19200 8N1 and, on the poll's timer (first
// tick 100 ms after start, then one a poll period, precise), writes the panel's status
// request and reads whatever arrived. Nothing is decoded, logged or served.
//
//   bare_poller --port PATH [--interval MS]
#include "CommandFrames.h"
#include "StatusPoll.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSerialPort>
#include <QTimer>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("Serial port"),
                                        QStringLiteral("path"));
    // With no number the poll's own: what the service takes when the store names none.
    const QCommandLineOption intervalOption(QStringLiteral("interval"),
                                            QStringLiteral("Poll period"), QStringLiteral("ms"),
                                            QString::number(effectivePollInterval(std::nullopt)));
    parser.addOptions({portOption, intervalOption});
    parser.process(app);
    if (!parser.isSet(portOption))
        parser.showHelp(2);

    QSerialPort port;
    port.setPortName(parser.value(portOption));
    port.setBaudRate(QSerialPort::Baud19200);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    if (!port.open(QIODevice::ReadWrite)) {
        qWarning("bare_poller: cannot open %s", qPrintable(parser.value(portOption)));
        return 1;
    }

    const int interval = parser.value(intervalOption).toInt();
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(100);
    QObject::connect(&timer, &QTimer::timeout, &app, [&] {
        if (timer.interval() != interval)
            timer.setInterval(interval);
        port.write(CommandFrames::statusRequest());
        port.readAll();
    });
    timer.start();
    return QCoreApplication::exec();
}
