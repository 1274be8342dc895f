#include "RecordFiles.h"

#include <QDir>
#include <QStandardPaths>

namespace RecordFiles {

QString defaultFolder()
{
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath();
    return QDir(documents).filePath(QStringLiteral("Tarnwick"));
}

QString fileName(int port, QDate day, int sequence)
{
    QString name = QStringLiteral("tarnwick-COM%1-%2").arg(port).arg(day.toString(Qt::ISODate));
    if (sequence > 1)
        name += QStringLiteral("-%1").arg(sequence);
    return name + QStringLiteral(".csv");
}

} // namespace RecordFiles
