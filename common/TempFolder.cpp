#include "common/TempFolder.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace orvane {

namespace {

QString PlatformDefaultTempFolder()
{
#ifdef _WIN32
    // Where Windows puts a user's TEMP when nothing else is set.
    const QString local = qEnvironmentVariable("LOCALAPPDATA");
    if (!local.isEmpty() && QFileInfo(local + "/Temp").isDir())
        return local + "/Temp";
    return qEnvironmentVariable("SystemRoot", QStringLiteral("C:/Windows")) + "/Temp";
#else
    return QStringLiteral("/tmp");
#endif
}

}  // namespace

QString TempFolder()
{
    const QString located = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    if (!located.isEmpty() && located != QLatin1String("/") && QFileInfo(located).isDir())
        return located;
    return PlatformDefaultTempFolder();
}

}  // namespace orvane
