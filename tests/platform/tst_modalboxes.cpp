// Boxes opened with exec(), one inside the other, with a popup menu on top: all are closed,
// innermost first, each exec() returning to its caller, so the program's end can run. A box
// that will not close is left, and the closing stops there instead of trying it for ever.
#include "ModalBoxes.h"
#include "TestMain.h"

#include <QDialog>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// Runs `then` once the box opened by the caller right after is up.
void whenUp(std::function<void()> then)
{
    QTimer::singleShot(0, std::move(then));
}

class StubbornDialog : public QDialog
{
public:
    using QDialog::QDialog;
    void reject() override {} // as a box that asks first and is told no
};

} // namespace

class TestModalBoxes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void nestedBoxesAndAPopupAllClose()
    {
        QWidget window;
        window.show();
        QStringList returned;
        QMessageBox message(QMessageBox::Warning, u"Tarnwick"_s, u"COM 6: not available."_s,
                            QMessageBox::Ok, &window);
        QDialog inner(&message);
        inner.setModal(true);
        QMenu menu(&inner);
        menu.addAction(u"Copy"_s);

        whenUp([&] {
            QCOMPARE(QApplication::activeModalWidget(), &message);
            whenUp([&] {
                QCOMPARE(QApplication::activeModalWidget(), &inner);
                whenUp([&] {
                    QCOMPARE(QApplication::activePopupWidget(), &menu);
                    closeModalBoxes();
                });
                menu.exec(QPoint(10, 10));
                returned << u"menu"_s;
            });
            returned << (inner.exec() == QDialog::Rejected ? u"inner rejected"_s : u"inner"_s);
        });
        message.exec();
        returned << u"message"_s;

        QCOMPARE(returned, (QStringList{u"menu"_s, u"inner rejected"_s, u"message"_s}));
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(!QApplication::activePopupWidget());
        QVERIFY(window.isVisible()); // the window is the program's end's to close
    }

    void aBoxThatWillNotCloseIsLeft()
    {
        StubbornDialog stubborn;
        bool closingReturned = false;
        whenUp([&] {
            closeModalBoxes();
            closingReturned = true;
            QVERIFY(stubborn.isVisible());
            stubborn.done(QDialog::Accepted);
        });
        QCOMPARE(stubborn.exec(), int(QDialog::Accepted));
        QVERIFY(closingReturned);
    }
};

TARNWICK_TEST_MAIN(TestModalBoxes)
#include "tst_modalboxes.moc"
