#include "MessageBox.h"

#include <QMessageBox>

void QtMessageBox::showMessage(QWidget *parent, const QString &title, const QString &text,
                               const QString &informative)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.setInformativeText(informative);
    box.exec();
}
