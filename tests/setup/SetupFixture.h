#pragma once

#include "ColorPicker.h"
#include "MonitorDialogs.h"
#include "MonitorFixture.h"
#include "frmSetup.h"

#include <QComboBox>
#include <QPointer>
#include <QTest>

// Answers the colour picker as the test says, and remembers what it was asked.
class FakeColorPicker final : public ColorPicker
{
public:
    std::optional<quint32> pickColor(QWidget *, quint32 preselect) override
    {
        preselects << preselect;
        return answers.isEmpty() ? std::nullopt : answers.takeFirst();
    }
    QList<std::optional<quint32>> answers; // nothing: the user cancels
    QList<quint32> preselects;
};

// Creates the real setup dialog, as the program does, and counts how often.
class SetupDialogs final : public MonitorDialogs
{
public:
    explicit SetupDialogs(const SetupPlatform &platform)
        : m_platform(platform)
    {}
    void showAbout(frmMonitor &) override {}
    SetupDialog *createSetup(frmMonitor &monitor) override
    {
        ++created;
        last = new frmSetup(monitor, m_platform);
        return last.data();
    }

    int created = 0;
    QPointer<frmSetup> last;

private:
    SetupPlatform m_platform;
};

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
