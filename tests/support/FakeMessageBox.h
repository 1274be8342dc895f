#pragma once

#include "MessageBox.h"

#include <QStringList>

// Records each message instead of showing it; the test reads them afterwards.
class FakeMessageBox final : public MessageBox
{
public:
    void showMessage(QWidget *, const QString &title, const QString &text) override
    {
        titles << title;
        texts << text;
    }
    QStringList titles;
    QStringList texts;
};
