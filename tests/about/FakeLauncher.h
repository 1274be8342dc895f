#pragma once

#include "FileCheck.h"
#include "ProcessStarter.h"

#include <QSet>
#include <QStringList>

// Records each program it is asked to start, and starts nothing.
class FakeProcessStarter final : public ProcessStarter
{
public:
    bool startProgram(const QString &program) override
    {
        started << program;
        return startSucceeds;
    }
    bool startSucceeds = true;
    QStringList started;
};

// Knows the files it is told about, and records each path it is asked about.
class FakeFileCheck final : public FileCheck
{
public:
    bool fileExists(const QString &path) const override
    {
        asked << path;
        return files.contains(path);
    }
    QSet<QString> files;
    mutable QStringList asked;
};
