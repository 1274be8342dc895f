#include "MessageBox.h"

#include "Icons.h"

#include <QMessageBox>

void QtMessageBox::showMessage(QWidget *parent, const QString &title, const QString &text,
                               const QString &informative)
{
    Icons::useForWindows(); // a message at start may come before the main window
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.setInformativeText(informative);
    box.exec();
}
