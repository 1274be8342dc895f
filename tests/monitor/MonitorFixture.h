#pragma once

#include "ColorButton.h"
#include "FakeMessageBox.h"
#include "FakeSerialPort.h"
#include "HelpViewer.h"
#include "MemorySettingsStore.h"
#include "SettingsKeys.h"
#include "frmMonitor.h"

#include <QLabel>
#include <memory>

// Records the pages asked for instead of opening a window.
struct FakeHelpViewer final : HelpViewer
{
    void showContents(const QUrl &contents) override { shown << contents; }
    QList<QUrl> shown;
};

// A monitor window over fakes: an in-memory store, a serial port that records, a message box
// that answers at once and a help viewer that records. Set `dialogs` before create() for a
// setup dialog and an about box.
struct MonitorFixture
{
    MemorySettingsStore store;
    FakeSerialPort port;
    FakeMessageBox messages;
    FakeHelpViewer help;
    MonitorDialogs *dialogs = nullptr;
    std::unique_ptr<frmMonitor> window;

    void preset(SettingsKey key, const QString &value, int index = -1)
    {
        store.preset(SettingsKeys::application, SettingsKeys::section,
                     SettingsKeys::keyName(key, index), value);
    }
    QString stored(SettingsKey key, int index = -1) const
    {
        return store.read(SettingsKeys::application, SettingsKeys::section,
                          SettingsKeys::keyName(key, index));
    }

    frmMonitor &create()
    {
        window =
            std::make_unique<frmMonitor>(MonitorPlatform{store, port, messages, &help, dialogs});
        return *window;
    }
    frmMonitor &load()
    {
        create().Form_Load();
        return *window;
    }

    template<typename T = QWidget>
    T *child(const QString &name) const
    {
        return window->findChild<T *>(name);
    }
    ColorButton *relay(char bank, int position) const
    {
        return child<ColorButton>(
            QStringLiteral("cmdRelay%1_%2").arg(QLatin1Char(bank)).arg(position));
    }
    QString text(const QString &labelName) const { return child<QLabel>(labelName)->text(); }
};

inline const QByteArray sampleFrame =
    "001,002,003,004,005,006,007,008,,010,011,012013,014,015,130,075, 1234\r";

// A status frame with every field at its place: relay banks A..H, meter channels 0..5,
// inputs, temperature and frequency, each given as its characters.
struct FrameBuilder
{
    std::array<QByteArray, 8> banks{"000", "000", "000", "000", "000", "000", "000", "000"};
    std::array<QByteArray, 6> meters{"000", "000", "000", "000", "000", "000"};
    QByteArray inputs = "000";
    QByteArray temperature = "075";
    QByteArray frequency = " 1234";

    QByteArray frame() const
    {
        QByteArray bytes;
        for (const QByteArray &bank : banks)
            bytes += bank + ',';
        bytes += ',' + meters[0] + ',' + meters[1] + ',' + meters[2] + meters[3] + ',' + meters[4] +
                 ',' + meters[5] + ',' + inputs + ',' + temperature + ',' + frequency + '\r';
        Q_ASSERT(bytes.size() == 70);
        return bytes;
    }
};
