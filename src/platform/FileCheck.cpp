#include "FileCheck.h"

#include <QFileInfo>

bool QtFileCheck::fileExists(const QString &path) const
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}
