#pragma once

#include <QString>

// The per-user "COM<n>" symlink through which the panel finds the simulated board.
namespace PortLink {

// Makes `link` a symbolic link to the pseudo-terminal slave `target`.
//
// A link left behind by an earlier board (one into /dev/pts/ whose device is gone) is
// replaced. Anything else at that path is left alone and refused, with the reason in
// *error: a file or folder, a link that leads somewhere other than /dev/pts/ (the user's
// link to a real adapter, even while the adapter is unplugged), or a link to a live
// device (another board running).
bool place(const QString &link, const QString &target, QString *error);

// Removes `link` if it is still a symbolic link to `target`; someone else's link is kept.
void removeIfLeadsTo(const QString &link, const QString &target);

} // namespace PortLink
