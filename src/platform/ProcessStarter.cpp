#include "ProcessStarter.h"

#include <QProcess>

bool QtProcessStarter::startProgram(const QString &program)
{
    // An empty program name is no program; QProcess would only fail later and less clearly.
    if (program.isEmpty())
        return false;
    // The program and an empty argument list: a path with spaces is taken as one path. The
    // window system gives a newly started program's first window the focus.
    return QProcess::startDetached(program, {});
}
