// The floor the whole-program benchmark measures Tarnwick against: a bare Qt window of the
// panel's size with the panel's poll timer (first tick 100 ms after the window is made,
// then one a poll period) and, given a port, the same status request written each tick and
// the reply read. Nothing is decoded or drawn beyond the empty window; with --text, a label,
// a button and a slider, so that the window starts the font system and the style's
// controls as every window with text and controls does.
//
//   bare_window [--port PATH] [--interval MS] [--text]
#include "CommandFrames.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLabel>
#include <QPushButton>
#include <QSerialPort>
#include <QSlider>
#include <QTimer>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("Serial port"),
                                        QStringLiteral("path"));
    const QCommandLineOption intervalOption(QStringLiteral("interval"),
                                            QStringLiteral("Poll period"), QStringLiteral("ms"),
                                            QStringLiteral("200"));
    const QCommandLineOption textOption(QStringLiteral("text"),
                                        QStringLiteral("Show a label, a button and a slider."));
    parser.addOptions({portOption, intervalOption, textOption});
    parser.process(app);

    QWidget window;
    window.setWindowTitle(QStringLiteral("bare window"));
    window.resize(790, 302); // the monitor's Normal view at 96 dpi
    if (parser.isSet(textOption)) {
        (new QLabel(QStringLiteral("Relay Status"), &window))->move(10, 10);
        (new QPushButton(QStringLiteral("R1"), &window))->move(10, 40);
        auto *slider = new QSlider(Qt::Vertical, &window);
        slider->setRange(0, 255);
        slider->setGeometry(120, 10, 20, 100);
    }

    QSerialPort port;
    if (parser.isSet(portOption)) {
        port.setPortName(parser.value(portOption));
        port.setBaudRate(QSerialPort::Baud19200);
        if (!port.open(QIODevice::ReadWrite))
            qWarning("bare_window: cannot open %s", qPrintable(parser.value(portOption)));
    }

    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(100);
    QObject::connect(&timer, &QTimer::timeout, &app, [&] {
        timer.setInterval(parser.value(intervalOption).toInt());
        if (port.isOpen()) {
            port.write(CommandFrames::statusRequest());
            port.readAll();
        }
    });
    timer.start();
    window.show();
    return QApplication::exec();
}
