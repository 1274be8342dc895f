#include "SysInfo.h"

#include "AboutPlatform.h"
#include "AboutText.h"
#include "FileCheck.h"
#include "MessageBox.h"
#include "ProcessStarter.h"
#include "Registry.h"

#include <array>

namespace {

// Closes an opened key on every way out of the lookup.
class OpenKey
{
public:
    OpenKey(Registry &registry, Registry::Key key)
        : m_registry(registry)
        , m_key(key)
    {}
    ~OpenKey() { m_registry.closeKey(m_key); }
    OpenKey(const OpenKey &) = delete;
    OpenKey &operator=(const OpenKey &) = delete;

private:
    Registry &m_registry;
    Registry::Key m_key;
};

} // namespace

bool GetKeyValue(Registry &registry, quint32 KeyRoot, const QString &KeyName,
                 const QString &SubKeyRef, QString &KeyVal)
{
    KeyVal.clear();
    Registry::Key key{};
    // Read rights only: write rights under the local-machine root are refused to an
    // ordinary user, and the lookup would fail for everyone but an administrator.
    if (!registry.openKey(KeyRoot, KeyName, Registry::readAccess, key))
        return false;
    const OpenKey open(registry, key);

    std::array<QChar, SysInfo::valueBufferSize> buffer{}; // all zero characters
    auto size = static_cast<quint32>(buffer.size());
    quint32 type = 0;
    if (!registry.queryValue(key, SubKeyRef, type, buffer, size))
        return false;
    // A size beyond the buffer cannot be true of data that fitted in it.
    if (size > buffer.size())
        return false;

    // A text stored with its terminating zero counts it in its size; one stored without keeps
    // every character. An empty value has no last character to look at.
    qsizetype kept = size;
    if (size > 0 && buffer[size - 1].isNull())
        kept = size - 1;
    if (type == Registry::textType)
        KeyVal = QString(buffer.data(), kept);
    return true;
}

void StartSysInfo(const AboutPlatform &platform, QWidget *messageParent)
{
    const auto unavailable = [&] {
        platform.messages.showMessage(messageParent, AboutText::applicationTitle,
                                      SysInfo::unavailableMessage);
    };

    // The recorded path of the program itself is started as it stands.
    QString SysInfoPath;
    if (!GetKeyValue(platform.registry, Registry::localMachine, SysInfo::pathKey,
                     SysInfo::pathValue, SysInfoPath)) {
        // Otherwise the program in the recorded folder, if it is there. An empty folder
        // (a value that is not text) names no folder: the test would look at the root of the
        // current drive instead.
        if (!GetKeyValue(platform.registry, Registry::localMachine, SysInfo::folderKey,
                         SysInfo::folderValue, SysInfoPath) ||
            SysInfoPath.isEmpty() ||
            !platform.files.fileExists(SysInfoPath + SysInfo::programInFolder)) {
            unavailable();
            return;
        }
        SysInfoPath += SysInfo::programInFolder;
    }

    // An empty path (a value that is not text) names no program and cannot start.
    if (SysInfoPath.isEmpty() || !platform.processes.startProgram(SysInfoPath))
        unavailable();
}
