#pragma once

#include "MonitorFixture.h"
#include "SetupDialogs.h"
#include "frmSetup.h"

#include <QComboBox>
#include <QTest>

// A monitor window over fakes that opens the real setup dialog.
struct SetupFixture : MonitorFixture
{
    FakeColorPicker colors;
    SetupDialogs dialogs{{store, colors}};

    ~SetupFixture()
    {
        // The dialog knows the monitor; it goes first.
        delete dialogs.last.data();
    }

    // The monitor's start: the load-all creates the dialog hidden on its way.
    frmMonitor &start()
    {
        window =
            std::make_unique<frmMonitor>(MonitorPlatform{store, port, messages, nullptr, &dialogs});
        window->Form_Load();
        return *window;
    }

    // The "Setup" menu.
    frmSetup *open()
    {
        window->mnuSetup_Click();
        return dialogs.last.data();
    }

    // The close box; true once the dialog is gone.
    bool closeDialog()
    {
        const QPointer<frmSetup> dialog = dialogs.last;
        if (!dialog || !dialog->close())
            return false;
        return QTest::qWaitFor([&] { return dialog.isNull(); }, 5000);
    }

    frmSetup *dialog() const { return dialogs.last.data(); }

    template<typename T = QWidget>
    T *field(const QString &name) const
    {
        return dialogs.last ? dialogs.last->findChild<T *>(name) : nullptr;
    }

    // A choice from the list's entries, as the user makes it in the list's popup.
    static void choose(QComboBox *list, const QString &entry)
    {
        const int index = list->findText(entry);
        QVERIFY2(index >= 0, qPrintable(entry));
        list->setCurrentIndex(index);
        Q_EMIT list->activated(index);
    }

    // Hands the monitor one reply and runs a poll tick.
    void poll(const QByteArray &reply)
    {
        port.receive(reply);
        window->poll().Timer1_Timer();
    }

    // The keys saved since the log was last cleared, in order.
    QStringList savedKeys() const
    {
        QStringList keys;
        for (const MemorySettingsStore::Save &save : store.saves())
            keys << save.key;
        return keys;
    }
    // How many save-alls ran since the log was last cleared: "TempMode" is written by
    // nothing else once the store is seeded.
    int saveAlls() const { return int(savedKeys().count(QStringLiteral("TempMode"))); }
};
