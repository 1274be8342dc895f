#pragma once

#include <QUrl>

// The help pages built into the program as a resource under qrc:/help/.
namespace HelpPages {

// The contents page, qrc:/help/index.html. Asking for it also makes sure the pages are
// registered, whichever way the library was linked.
QUrl contentsUrl();

} // namespace HelpPages
