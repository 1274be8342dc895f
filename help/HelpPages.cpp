#include "HelpPages.h"

// The resource sits in an object file that registers itself when it is linked in; the
// explicit registration covers a link that would leave it out. Registering twice is harmless.
static void registerHelpPages()
{
    Q_INIT_RESOURCE(help_pages);
}

namespace HelpPages {

QUrl contentsUrl()
{
    static const bool registered = (registerHelpPages(), true);
    Q_UNUSED(registered);
    return QUrl(QStringLiteral("qrc:/help/index.html"));
}

} // namespace HelpPages
