#include "RecordFiles.h"

#include <QDir>
#include <QRegularExpression>
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

std::optional<FileName> readFileName(QStringView name)
{
    static const QRegularExpression pattern(QStringLiteral(
        R"(^tarnwick-COM([0-9]{1,4})-([0-9]{4}-[0-9]{2}-[0-9]{2})(?:-([2-9]|[1-9][0-9]))?\.csv(\.gz)?$)"));
    const QRegularExpressionMatch match = pattern.match(name);
    if (!match.hasMatch())
        return std::nullopt;
    FileName file;
    file.port = match.capturedView(1).toInt();
    file.day = QDate::fromString(match.captured(2), Qt::ISODate);
    file.sequence = match.hasCaptured(3) ? match.capturedView(3).toInt() : 1;
    file.compressed = match.hasCaptured(4);
    if (!file.day.isValid())
        return std::nullopt;
    return file;
}

} // namespace RecordFiles
