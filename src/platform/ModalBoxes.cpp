#include "ModalBoxes.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>

void closeModalBoxes()
{
    for (;;) {
        QWidget *box = QApplication::activePopupWidget();
        if (box) {
            box->close();
        } else if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            box = dialog;
            dialog->reject();
        } else {
            return;
        }
        // A box that stays open (it refused to close) would be found again for ever.
        if (box->isVisible())
            return;
    }
}
