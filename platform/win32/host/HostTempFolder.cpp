#include "platform/host/HostTempFolder.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace orvane::platform::host {

QStringList TempFolderCandidates()
{
    return {QStandardPaths::writableLocation(QStandardPaths::TempLocation)};
}

QString DefaultTempFolder()
{
    // Where Windows puts a user's TEMP when nothing else is set.
    const QString local = qEnvironmentVariable("LOCALAPPDATA");
    if (!local.isEmpty() && QFileInfo(local + "/Temp").isDir())
        return local + "/Temp";
    return qEnvironmentVariable("SystemRoot", QStringLiteral("C:/Windows")) + "/Temp";
}

QString PrivateTempFolder(const QString&)
{
    return {};
}

}  // namespace orvane::platform::host
