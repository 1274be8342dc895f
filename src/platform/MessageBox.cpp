#include "MessageBox.h"

#include <QMessageBox>

void QtMessageBox::showMessage(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
}
