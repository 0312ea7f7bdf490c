#include "common/TempFolder.h"

#include <QFileInfo>

#include "platform/host/HostTempFolder.h"

namespace orvane {

QString PrivateTempFolder(const QString& base)
{
    return platform::host::PrivateTempFolder(base);
}

QString TempFolder()
{
    for (const QString& folder : platform::host::TempFolderCandidates()) {
        if (!folder.isEmpty() && folder != QLatin1String("/") && QFileInfo(folder).isDir())
            return folder;
    }
    const QString folder = platform::host::DefaultTempFolder();
    // Nothing private can be made: the log then cannot be opened and stays
    // with Qt's default output, rather than landing in a shared folder.
    return folder.isEmpty() ? QStringLiteral("/nonexistent-private-folder") : folder;
}

}  // namespace orvane
