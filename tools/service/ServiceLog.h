#pragma once

#include <QString>

// The service's log: one line per event on standard error. Under systemd (JOURNAL_STREAM
// set) the journal stamps each line itself; elsewhere each line begins with the local time.
namespace ServiceLog {

void line(const QString &text);

// The line as written, for a given moment and whether the journal takes it.
QString format(const QString &text, const QString &localTime, bool toJournal);

} // namespace ServiceLog
