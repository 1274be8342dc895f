#pragma once

#include <QString>

class QWidget;

// A message with an OK button only, captioned with the application's title. Behind an
// interface so that tests can read the message and answer it without blocking. The
// informative text, when there is one, stands below the message: the details and what to do.
class MessageBox
{
public:
    virtual ~MessageBox() = default;
    virtual void showMessage(QWidget *parent, const QString &title, const QString &text,
                             const QString &informative) = 0;
    void showMessage(QWidget *parent, const QString &title, const QString &text)
    {
        showMessage(parent, title, text, QString());
    }
};

class QtMessageBox final : public MessageBox
{
public:
    using MessageBox::showMessage;
    void showMessage(QWidget *parent, const QString &title, const QString &text,
                     const QString &informative) override;
};
