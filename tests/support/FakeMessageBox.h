#pragma once

#include "MessageBox.h"

#include <QStringList>

// Records each message instead of showing it; the test reads them afterwards.
class FakeMessageBox final : public MessageBox
{
public:
    using MessageBox::showMessage;
    void showMessage(QWidget *, const QString &title, const QString &text,
                     const QString &informative) override
    {
        titles << title;
        texts << text;
        informativeTexts << informative;
    }
    QStringList titles;
    QStringList texts;
    QStringList informativeTexts;
};
