// The setup dialog as a whole: its creation at start with the nested load-all, its window
// and tabs, opening and closing, the port choice and the link after the dialog closes.
#include "CommPortPage.h"
#include "PortPaths.h"
#include "SettingsKeys.h"
#include "SetupFixture.h"
#include "TestMain.h"
#include "Twips.h"

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

using namespace Qt::StringLiterals;

class TestSetupDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startCreatesTheDialogHiddenWithEveryStringField()
    {
        SetupFixture f;
        for (int n = 0; n < 32; ++n) {
            f.preset(Keys::OnString, u"%1,"_s.arg(n, 2, 10, '0'_L1), n);
            f.preset(Keys::OffString, u"%1,"_s.arg(63 - n, 2, 10, '0'_L1), n);
        }
        f.start();

        QCOMPARE(f.dialogs.created, 1);
        QVERIFY(f.dialog());
        QVERIFY(!f.dialog()->isVisible());
        // It holds every string; the boxes that show them are made when their tab shows.
        QVERIFY(!f.field<QLineEdit>(u"OnString_0"_s));
        for (int n = 0; n < 32; ++n) {
            QCOMPARE(f.dialog()->onString(n), u"%1,"_s.arg(n, 2, 10, '0'_L1));
            QCOMPARE(f.dialog()->offString(n), u"%1,"_s.arg(63 - n, 2, 10, '0'_L1));
        }
        // The load-all inside the dialog's load closed the port; the start opened it after.
        QVERIFY(f.port.isOpen());
        QVERIFY(f.window->poll().Timer1->isActive());

        f.open(); // on "Macros A"
        f.field<QTabWidget>(u"SSTab1"_s)->setCurrentIndex(4);
        for (int n = 0; n < 32; ++n) {
            QCOMPARE(f.field<QLineEdit>(u"OnString_%1"_s.arg(n))->text(),
                     u"%1,"_s.arg(n, 2, 10, '0'_L1));
            QCOMPARE(f.field<QLineEdit>(u"OffString_%1"_s.arg(n))->text(),
                     u"%1,"_s.arg(63 - n, 2, 10, '0'_L1));
        }
    }

    // Before its boxes are made, a macros page takes a string set from code as its box
    // would: stored when it changes, and nothing stored when it does not.
    void stringsSetBeforeTheBoxesAreMadeAreStoredOnChange()
    {
        SetupFixture f;
        f.start();
        f.store.clearLog();
        f.dialog()->setOnString(20, u"05,07,"_s);
        f.dialog()->setOffString(3, QString());
        QCOMPARE(f.savedKeys(), QStringList{u"OnString20"_s});
        QCOMPARE(f.store.saves().constLast().value, u"05,07,"_s);
        f.store.clearLog();
        f.dialog()->setOnString(20, u"05,07,"_s);
        QVERIFY(f.store.saves().isEmpty());
        QVERIFY(!f.field<QLineEdit>(u"OnString_20"_s));

        f.open();
        f.field<QTabWidget>(u"SSTab1"_s)->setCurrentIndex(4);
        QCOMPARE(f.field<QLineEdit>(u"OnString_20"_s)->text(), u"05,07,"_s);
    }

    void relayNamesAreTheButtonsTooltipsAndKeptInTheirOwnSection()
    {
        SetupFixture f;
        // Named before the start, as a file copied from another machine would be.
        RelayNameKeys::save(f.store, 4, u"Pump"_s);
        frmMonitor &window = f.start();
        QCOMPARE(window.w.cmdRelay[0][4]->toolTip(), u"Pump"_s);
        QCOMPARE(window.w.cmdRelay[0][4]->text(), u"R5"_s);
        f.open();
        auto *box = f.field<QLineEdit>(u"RelayName_5"_s);
        QCOMPARE(box->text(), u"Pump"_s);
        auto *last = f.field<QLineEdit>(u"RelayName_64"_s);
        QVERIFY(last->text().isEmpty());
        last->setFocus();
        QTest::keyClicks(last, u"Horn"_s);
        QCOMPARE(window.w.cmdRelay[7][7]->toolTip(), u"Horn"_s);
        QCOMPARE(RelayNameKeys::read(f.store, 63), u"Horn"_s);
        QCOMPARE(window.core().names().relays[63], u"Horn"_s);
        // Loading the page wrote nothing of its own.
        QVERIFY(RelayNameKeys::read(f.store, 0).isEmpty());
        QVERIFY(f.closeDialog());
        QCOMPARE(RelayNameKeys::read(f.store, 63), u"Horn"_s);
        QCOMPARE(f.store.read(u"Tarnwick"_s, u"Relays"_s, u"Name64"_s), u"Horn"_s);
    }

    void windowHasNoTitleNoParentAndSixTabs()
    {
        SetupFixture f;
        f.start();
        frmSetup *dialog = f.open();
        QVERIFY(dialog->isWindow());
        QCOMPARE(dialog->parentWidget(), nullptr);
        QVERIFY(dialog->windowTitle().isEmpty());
        // Natively a blank: the platform fills an empty title with the application's name.
        QVERIFY(dialog->windowHandle());
        QCOMPARE(dialog->windowHandle()->title(), u" "_s);
        const Qt::WindowFlags flags = dialog->windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QCOMPARE(dialog->size(), QSize(Twips::toPixels(11730), Twips::toPixels(6855)));

        auto *tabs = f.field<QTabWidget>(u"SSTab1"_s);
        QStringList titles;
        for (int i = 0; i < tabs->count(); ++i)
            titles << tabs->tabText(i);
        QCOMPARE(titles, (QStringList{u"Comm Port"_s, u"Meters"_s, u"General Labels"_s,
                                      u"Macros A"_s, u"Macros B"_s, u"Relay Names"_s}));
        QCOMPARE(tabs->currentIndex(), 3);
    }

    // What a screen reader reads of the dialog: its name while the title stays blank, and
    // each box on the Macros pages by its macro and field.
    void screenReadersReadTheDialogAndEveryMacroField()
    {
        SetupFixture f;
        f.start();
        frmSetup *dialog = f.open();
        QCOMPARE(dialog->windowTitle(), QString());
        QCOMPARE(QAccessible::queryAccessibleInterface(dialog)->text(QAccessible::Name),
                 u"Setup"_s);
        auto *tabs = f.field<QTabWidget>(u"SSTab1"_s);
        for (int page = 0; page < 2; ++page) {
            tabs->setCurrentIndex(3 + page); // "Macros A", "Macros B"
            QCOMPARE(tabs->tabText(3 + page), page == 0 ? u"Macros A"_s : u"Macros B"_s);
            for (int n = 16 * page; n < 16 * page + 16; ++n) {
                const QString number = QString::number(n + 1);
                const std::pair<QString, QString> fields[] = {
                    {u"MacroName_%1"_s, u"Macro %1 name"_s},
                    {u"OnString_%1"_s, u"Macro %1 on list"_s},
                    {u"OffString_%1"_s, u"Macro %1 off list"_s}};
                for (const auto &[object, spoken] : fields) {
                    auto *box = f.field<QLineEdit>(object.arg(n));
                    QVERIFY2(box, qPrintable(object.arg(n)));
                    QCOMPARE(QAccessible::queryAccessibleInterface(box)->text(QAccessible::Name),
                             spoken.arg(number));
                }
            }
        }
    }

    void everyCreationOpensOnMacrosA()
    {
        SetupFixture f;
        f.start();
        f.open();
        f.field<QTabWidget>(u"SSTab1"_s)->setCurrentIndex(1);
        QVERIFY(f.closeDialog());
        f.open();
        QCOMPARE(f.field<QTabWidget>(u"SSTab1"_s)->currentIndex(), 3);
    }

    void openingStopsThePollAndDisablesTheMonitor()
    {
        SetupFixture f;
        f.start();
        QVERIFY(f.window->poll().Timer1->isActive());
        frmSetup *dialog = f.open();
        QVERIFY(dialog->isVisible());
        QVERIFY(!f.window->poll().Timer1->isActive());
        QVERIFY(!f.window->isEnabled());
        // The dialog is no child of the monitor, so it is not disabled with it.
        QVERIFY(dialog->isEnabled());
        QVERIFY(f.field(u"MacroName_0"_s)->isEnabled());
    }

    void secondOpeningReloadsAndFirstDoesNot()
    {
        SetupFixture f;
        f.start();
        // Changed behind the program's back: only a load shows it.
        f.preset(Keys::AnalogOut1, u"Valve"_s);
        f.open();
        QCOMPARE(f.dialogs.created, 1);
        QCOMPARE(f.text(u"Label9"_s), u"An Out 1"_s);
        QCOMPARE(f.field<QLineEdit>(u"TxtSlider_0"_s)->text(), u"An Out 1"_s);

        QVERIFY(f.closeDialog());
        QCOMPARE(f.stored(Keys::AnalogOut1), u"An Out 1"_s); // the close saved it
        f.preset(Keys::AnalogOut1, u"Valve"_s);
        f.open();
        QCOMPARE(f.dialogs.created, 2);
        QCOMPARE(f.text(u"Label9"_s), u"Valve"_s);
        QCOMPARE(f.field<QLineEdit>(u"TxtSlider_0"_s)->text(), u"Valve"_s);
        // The load-all of the new dialog closed the port.
        QVERIFY(!f.port.isOpen());
    }

    void closingSavesOnceEnablesAndRestartsThePoll()
    {
        SetupFixture f;
        f.start();
        f.open();
        f.store.clearLog();
        QVERIFY(f.closeDialog());
        QCOMPARE(f.saveAlls(), 1);
        QCOMPARE(f.store.flushCount(), 1);
        QVERIFY(f.window->isEnabled());
        QVERIFY(f.window->poll().Timer1->isActive());
    }

    void closingTwiceSavesOnce()
    {
        SetupFixture f;
        f.start();
        frmSetup *dialog = f.open();
        f.store.clearLog();
        dialog->Form_Unload();
        dialog->close();
        QCOMPARE(f.saveAlls(), 1);
    }

    void loadShowsThePortNumber_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("entry");
        QTest::newRow("1") << u"1"_s << u"Com 1"_s << 0;
        QTest::newRow("7") << u"7"_s << u"Com 7"_s << 6;
        QTest::newRow("beyond the list") << u"12"_s << u"Com 12"_s << 0;
    }
    void loadShowsThePortNumber()
    {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QFETCH(int, entry);
        SetupFixture f;
        f.preset(Keys::MeterComPort, stored);
        f.start();
        f.open();
        auto *list = f.field<QComboBox>(u"ComboComm"_s);
        QCOMPARE(list->currentText(), shown);
        QCOMPARE(list->currentIndex(), entry);
        QCOMPARE(list->count(), 9);
        QCOMPARE(list->itemText(8), u"Com 9"_s);
    }

    void portChoiceClosesStoresAndRenumbers()
    {
        SetupFixture f;
        f.start();
        frmSetup *dialog = f.open();
        QVERIFY(f.port.isOpen());
        f.port.clearLog();
        f.store.clearLog();

        SetupFixture::choose(f.field<QComboBox>(u"ComboComm"_s), u"Com 3"_s);
        QCOMPARE(f.port.log(), QStringList{u"close"_s});
        QVERIFY(!f.port.isOpen());
        QCOMPARE(f.savedKeys(), QStringList{u"Meter-ComPort"_s});
        QCOMPARE(f.stored(Keys::MeterComPort), u"3"_s);
        QCOMPARE(f.port.portNumber(), 3);
        QCOMPARE(dialog->comport, u"3"_s);
        QCOMPARE(f.field<QComboBox>(u"ComboComm"_s)->currentText(), u"Com 3"_s);
    }

    void portListIgnoresTextThatIsNotAChoice()
    {
        SetupFixture f;
        f.start();
        f.open();
        f.store.clearLog();
        auto *list = f.field<QComboBox>(u"ComboComm"_s);
        list->setEditText(u"Com 4"_s);
        list->lineEdit()->selectAll();
        QTest::keyClicks(list->lineEdit(), u"Com 6"_s);
        list->setCurrentIndex(7);
        QVERIFY(f.port.isOpen());
        QCOMPARE(f.port.portNumber(), 1);
        QVERIFY(f.store.saves().isEmpty());
    }

    void closingReopensTheLinkAndThePollRunsAgain()
    {
        SetupFixture f;
        f.start();
        f.poll(FrameBuilder{}.frame());
        f.open();
        SetupFixture::choose(f.field<QComboBox>(u"ComboComm"_s), u"Com 2"_s);
        QVERIFY(!f.port.isOpen());

        QVERIFY(f.closeDialog());
        QVERIFY(f.port.isOpen());
        QCOMPARE(f.port.portNumber(), 2);
        QVERIFY(f.messages.texts.isEmpty());
        QVERIFY(f.window->poll().Timer1->isActive());
        f.port.clearLog();
        f.window->poll().Timer1_Timer();
        QCOMPARE(f.port.writes(), QList<QByteArray>{QByteArray("$;;;\r")});
    }

    void failingReopenShowsTheStartsMessage()
    {
        SetupFixture f;
        f.start();
        f.open();
        SetupFixture::choose(f.field<QComboBox>(u"ComboComm"_s), u"Com 4"_s);
        f.port.setOpenSucceeds(false);
        QVERIFY(f.closeDialog());
        QCOMPARE(f.messages.texts,
                 QStringList{u"COM 4: not available. Check Comm Port setting."_s});
        // The window is the user's again; the poll runs on and finds the port closed.
        QVERIFY(f.window->isEnabled());
        QVERIFY(f.window->poll().Timer1->isActive());
    }

    void reopenedDialogClosesThePortAndItsCloseReopensIt()
    {
        SetupFixture f;
        f.start();
        f.open();
        QVERIFY(f.closeDialog());
        QVERIFY(f.port.isOpen());
        f.open();
        QVERIFY(!f.port.isOpen());
        QVERIFY(f.closeDialog());
        QVERIFY(f.port.isOpen());
        QCOMPARE(f.port.portNumber(), 1);
    }

    void portTableShowsWhereEachPortLeads()
    {
        QTemporaryDir devices;
        QVERIFY(devices.isValid());
        const QString device = QDir(devices.path()).filePath(u"ttyUSB0"_s);
        QFile file(device);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(QDir().mkpath(PortPaths::portsFolder()));
        QVERIFY(QFile::link(device, PortPaths::linkPath(3)));
        QVERIFY(QFile::link(QDir(devices.path()).filePath(u"gone"_s), PortPaths::linkPath(5)));
        const auto cleanUp = qScopeGuard([] {
            QFile::remove(PortPaths::linkPath(3));
            QFile::remove(PortPaths::linkPath(5));
        });

        SetupFixture f;
        f.preset(Keys::MeterComPort, u"3"_s);
        f.start();
        f.open();
        // The dialog opens on another tab; the tables are made when their page first shows.
        QVERIFY(!f.dialogs.last->findChild<QTableWidget *>(u"tblDevices"_s));
        f.field<QTabWidget>(u"SSTab1"_s)->setCurrentIndex(0);
        auto *table = f.field<QTableWidget>(u"tblDevices"_s);
        // At once shown and laid out beside the port list, before any event is handled.
        for (auto *shown : {table, f.field<QTableWidget>(u"tblSerial"_s)}) {
            QVERIFY(shown->isVisible());
            QVERIFY(shown->mapTo(shown->window(), QPoint(0, 0)).x() > shown->window()->width() / 3);
        }
        // Tab from the port's last control goes on to the tables, one stop each, and out.
        QVERIFY(QTest::qWaitForWindowActive(f.dialogs.last));
        auto *removeLink = f.field<QPushButton>(u"cmdRemoveLink"_s);
        QVERIFY(removeLink->isEnabled());
        removeLink->setFocus();
        QVERIFY(QTest::qWaitFor([&] { return removeLink->hasFocus(); }, 5000));
        const QList<QWidget *> stops{table, f.field<QTableWidget>(u"tblSerial"_s)};
        for (QWidget *stop : stops) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), stop);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *after = QApplication::focusWidget();
        QVERIFY(after && !stops.contains(after));
        // Shift+Tab goes back the same way, and out before the first.
        for (auto stop = stops.rbegin(); stop != stops.rend(); ++stop) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
            QCOMPARE(QApplication::focusWidget(), *stop);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), removeLink);
        // Within a table, the arrow keys move from cell to cell.
        table->setFocus();
        table->setCurrentCell(0, 0);
        QTest::keyClick(table, Qt::Key_Down);
        QTest::keyClick(table, Qt::Key_Right);
        QCOMPARE(table->currentRow(), 1);
        QCOMPARE(table->currentColumn(), 1);
        QCOMPARE(QApplication::focusWidget(), table);
        // Both are named for a screen reader, which cannot see the frames' titles as theirs.
        QCOMPARE(QAccessible::queryAccessibleInterface(table)->text(QAccessible::Name), u"Ports"_s);
        QCOMPARE(QAccessible::queryAccessibleInterface(stops[1])->text(QAccessible::Name),
                 u"Serial devices"_s);
        QCOMPARE(table->rowCount(), 9);
        QCOMPARE(table->item(2, 0)->text(), u"Com 3"_s);
        QCOMPARE(table->item(2, 1)->text(), QFileInfo(device).canonicalFilePath());
        QCOMPARE(table->item(4, 1)->text(), u"not present"_s);
        QCOMPARE(f.field<QLabel>(u"lblDevice"_s)->text(),
                 u"Com 3 leads to: "_s + QFileInfo(device).canonicalFilePath());
        // Another entry chosen: the line follows it.
        SetupFixture::choose(f.field<QComboBox>(u"ComboComm"_s), u"Com 5"_s);
        QCOMPARE(f.field<QLabel>(u"lblDevice"_s)->text(), u"Com 5 leads to: not present"_s);
    }

    // Each tab after a fresh start: every control lies inside its page, none covers
    // another and no caption is cut off. With TARNWICK_SETUP_SCREENSHOTS naming a folder,
    // each tab is also saved there as setup-tab-<n>.png.
    void everyTabShowsItsControlsWhole()
    {
        SetupFixture f;
        f.start();
        frmSetup *dialog = f.open();
        auto *tabs = f.field<QTabWidget>(u"SSTab1"_s);
        const QString folder = qEnvironmentVariable("TARNWICK_SETUP_SCREENSHOTS");
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        const QSize opened = dialog->size();
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            QWidget *page = tabs->widget(i);
            QVERIFY(QTest::qWaitForWindowExposed(dialog));
            // A page that makes its parts when first shown leaves the dialog as it opened.
            QCOMPARE(dialog->size(), opened);
            const QPixmap shot = dialog->grab();
            if (!folder.isEmpty())
                QVERIFY(shot.save(QDir(folder).filePath(u"setup-tab-%1.png"_s.arg(i))));

            QList<QWidget *> controls;
            for (QWidget *widget : page->findChildren<QWidget *>()) {
                if (!widget->isVisible() ||
                    !(qobject_cast<QLineEdit *>(widget) ||
                      qobject_cast<QAbstractButton *>(widget) ||
                      qobject_cast<QComboBox *>(widget) ||
                      qobject_cast<QAbstractSlider *>(widget) || qobject_cast<QLabel *>(widget)))
                    continue;
                if (qobject_cast<QLineEdit *>(widget->parentWidget()) ||
                    qobject_cast<QComboBox *>(widget->parentWidget()) ||
                    qobject_cast<QAbstractScrollArea *>(
                        widget->parentWidget() ? widget->parentWidget()->parentWidget() : nullptr))
                    continue; // parts of a compound control
                controls << widget;
            }
            QVERIFY(!controls.isEmpty());
            const QRect pageRect = page->rect();
            for (QWidget *control : controls) {
                const QRect place(control->mapTo(page, QPoint(0, 0)), control->size());
                QVERIFY2(pageRect.contains(place),
                         qPrintable(u"tab %1: %2 outside"_s.arg(i).arg(describe(control))));
                if (auto *label = qobject_cast<QLabel *>(control); label && !label->wordWrap())
                    QVERIFY2(label->width() >= label->sizeHint().width(),
                             qPrintable(u"tab %1: %2 cut off"_s.arg(i).arg(describe(control))));
                for (QWidget *other : controls) {
                    if (other == control)
                        continue;
                    const QRect otherPlace(other->mapTo(page, QPoint(0, 0)), other->size());
                    QVERIFY2(!place.intersects(otherPlace),
                             qPrintable(u"tab %1: %2 covers %3"_s.arg(i).arg(describe(control),
                                                                             describe(other))));
                }
            }
        }
    }

private:
    static QString describe(const QWidget *widget)
    {
        if (!widget->objectName().isEmpty())
            return widget->objectName();
        if (auto *label = qobject_cast<const QLabel *>(widget))
            return u"label \""_s + label->text() + u'"';
        return QString::fromLatin1(widget->metaObject()->className());
    }
};

TARNWICK_TEST_MAIN(TestSetupDialog)
#include "tst_setupdialog.moc"
