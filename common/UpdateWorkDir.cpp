#include "common/UpdateWorkDir.h"

#include <QFileInfo>

#include "common/TempFolder.h"
#include "platform/host/HostFiles.h"

namespace orvane {

QString UpdateWorkDir()
{
    return TempFolder() + "/Renovo";
}

bool IsPrivateFolder(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isDir())
        return false;
    return platform::host::IsOwnedByThisUser(path);
}

}  // namespace orvane
