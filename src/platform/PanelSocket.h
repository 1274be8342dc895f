#pragma once

#include <QString>

// Where a panel's socket is, derived from the environment alone, so the panel and a
// tarnwick-ctl run with the same configuration find the same one. Qt Core only: the
// command-line client links this and nothing of the window.
namespace PanelSocket {

// The configuration folder the settings store lives in ($XDG_CONFIG_HOME or ~/.config).
QString configFolder();
// $XDG_RUNTIME_DIR/tarnwick, or without a runtime folder a folder of the user's own under
// the temp folder; made with mode 0700 when missing. Empty when it cannot be made private:
// a folder that another user owns or may enter is never used.
QString folder();
// <folder>/panel-<hash of the configuration folder>; empty without a folder.
QString path();

} // namespace PanelSocket
