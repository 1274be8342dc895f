#pragma once

#include <QString>

// Starts another program as a process of its own, which lives on after this one ends, in a
// normal window that takes the focus. Behind an interface so that tests can see what would
// be started without starting it.
class ProcessStarter
{
public:
    virtual ~ProcessStarter() = default;

    // Starts the program file at `program` exactly as given, with no arguments. False when it
    // could not be started.
    virtual bool startProgram(const QString &program) = 0;
};

class QtProcessStarter final : public ProcessStarter
{
public:
    bool startProgram(const QString &program) override;
};
