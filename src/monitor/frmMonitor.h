#pragma once

#include "MonitorLayout.h"
#include "RegInit.h"
#include "StatusPoll.h"

#include <QMainWindow>

class MessageBox;
class SerialPort;
class SettingsStore;

// What the monitor window talks to outside itself; the program passes the real ones, the
// tests their fakes.
struct MonitorPlatform
{
    SettingsStore &store;
    SerialPort &port;
    MessageBox &messages;
};

// The main window: the board's live state and the controls that act on it.
class frmMonitor : public QMainWindow, private StatusFrameHandler, private RegInitSource
{
    Q_OBJECT

public:
    explicit frmMonitor(const MonitorPlatform &platform, QWidget *parent = nullptr);
    ~frmMonitor() override;

    // The start: seeds and loads the settings, opens the serial port, starts the poll.
    void Form_Load();

    StatusPoll &poll() { return *m_poll; }

    // Colours of a relay or input reported on and off, 0x00BBGGRR; unset until the port has
    // opened at start.
    std::optional<quint32> OnColor;
    std::optional<quint32> OffColor;

    // The poll interval as loaded from "Meter Response": text or a number.
    QString mtr_response() const { return m_mtrResponse; }
    void setMtrResponse(const QString &text);

    static QString portUnavailableMessage(const QString &port);

    // The end: stops the poll and ends the program.
    void Form_Unload();

    // The window's outer height in twips, as the two views and the stored "Height" count it.
    int outerHeight() const;
    void setOuterHeight(int twips);

    void mnuExit_Click();
    void mnuNorm_Click();
    void mnuDiag_Click();

    // Every element of the window, by its name.
    MonitorWidgets w;
    QAction *mnuExit = nullptr;
    QAction *mnuNorm = nullptr;
    QAction *mnuDiag = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void loadPreferences();
    bool openPortAtStart();
    void changeView(int outerHeightTwips);

    // StatusFrameHandler
    void showStatusFrame(const QByteArray &frame) override;

    // RegInitSource
    QString macroCaption(int index) const override;
    QString inputCaption(int index) const override;
    float windowLeft() const override;
    float windowTop() const override;
    float windowHeight() const override;

    SettingsStore &m_store;
    SerialPort &m_port;
    MessageBox &m_messages;
    StatusPoll *m_poll = nullptr;
    QString m_mtrResponse;
};
