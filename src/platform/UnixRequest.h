#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// One request to a Unix stream socket and the first line of its reply, waited for without an
// event loop: for a program that asks before it has one.
namespace UnixRequest {

// The reply's first line with its line feed; nothing when no socket answers at `path`, or
// no whole line comes within `patienceMs` from the start.
std::optional<QByteArray> firstLine(const QString &path, const QByteArray &request, int patienceMs);

} // namespace UnixRequest
