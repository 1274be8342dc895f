#pragma once

#include <QString>

// Lock files that nobody holds any more.
//
// QLockFile takes over a lock whose process has died only when the file names it; a file
// left empty (the process was killed between creating and filling it) or garbled counts as
// held until it is 30 s old, and QSettings would wait that long before the window appears.
namespace StaleLock {

// Removes the lock file at `path` when no living process holds it: it is empty or unreadable
// (and not being written at this moment), or it names a process of this computer that has
// ended. A lock held by a living process, or by another computer, is left alone. Returns
// true when a stale lock was removed.
bool clear(const QString &path);

// True when a process of this computer with that id is running (or exists but is not ours to
// signal); false for ids below 1.
bool isProcessAlive(qint64 pid);

} // namespace StaleLock
