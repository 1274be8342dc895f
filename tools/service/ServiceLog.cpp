#include "ServiceLog.h"

#include <QDateTime>
#include <cstdio>

namespace ServiceLog {

QString format(const QString &text, const QString &localTime, bool toJournal)
{
    // One event, one line: a reason that carries a line feed is joined up.
    QString flat = text;
    flat.replace(u'\n', u' ');
    return toJournal ? flat : localTime + u' ' + flat;
}

void line(const QString &text)
{
    static const bool toJournal = !qEnvironmentVariableIsEmpty("JOURNAL_STREAM");
    const QString time =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    const QByteArray bytes = format(text, time, toJournal).toLocal8Bit();
    std::fprintf(stderr, "tarnwickd: %s\n", bytes.constData());
    std::fflush(stderr);
}

} // namespace ServiceLog
