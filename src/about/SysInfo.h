#pragma once

#include <QString>
#include <QtGlobal>

class QWidget;
class Registry;
struct AboutPlatform;

// Finds the operating system's system-information program through the registry and starts
// it; when there is none, or it does not start, says so in SysInfo::unavailableMessage,
// whose window belongs to `messageParent`. The about box stays open either way.
void StartSysInfo(const AboutPlatform &platform, QWidget *messageParent);

// Reads the value `SubKeyRef` of the key `KeyName` under the root `KeyRoot` into `KeyVal`.
// True when the value was read; a text value comes back without a terminating zero
// character, a value of another type as the empty text. False, with the empty text, when the
// key cannot be opened or the value cannot be read. Every key opened is closed again.
bool GetKeyValue(Registry &registry, quint32 KeyRoot, const QString &KeyName,
                 const QString &SubKeyRef, QString &KeyVal);

namespace SysInfo {

// Where the system-information program is recorded: its full path, or else the folder that
// holds MSINFO32.EXE.
inline const QString pathKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
inline const QString pathValue = QStringLiteral("PATH");
inline const QString folderKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
inline const QString folderValue = QStringLiteral("MSINFO");
inline const QString programInFolder = QStringLiteral("\\MSINFO32.EXE");

// Room for a value's data, in characters.
inline constexpr int valueBufferSize = 1024;

inline const QString unavailableMessage =
    QStringLiteral("System Information Is Unavailable At This Time");

} // namespace SysInfo
