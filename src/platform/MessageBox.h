#pragma once

#include <QString>

class QWidget;

// A message with an OK button only, captioned with the application's title. Behind an
// interface so that tests can read the message and answer it without blocking.
class MessageBox
{
public:
    virtual ~MessageBox() = default;
    virtual void showMessage(QWidget *parent, const QString &title, const QString &text) = 0;
};

class QtMessageBox final : public MessageBox
{
public:
    void showMessage(QWidget *parent, const QString &title, const QString &text) override;
};
