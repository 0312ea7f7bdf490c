#include "common/UpdateWorkDir.h"

#include <QFileInfo>

#include "common/TempFolder.h"

#ifndef _WIN32
#include <unistd.h>
#endif

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
#ifndef _WIN32
    if (info.ownerId() != ::geteuid())
        return false;
#endif
    return true;
}

}  // namespace orvane
