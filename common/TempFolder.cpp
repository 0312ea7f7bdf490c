#include "common/TempFolder.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#endif

namespace orvane {

namespace {

#ifdef _WIN32
QString PlatformDefaultTempFolder()
{
    // Where Windows puts a user's TEMP when nothing else is set.
    const QString local = qEnvironmentVariable("LOCALAPPDATA");
    if (!local.isEmpty() && QFileInfo(local + "/Temp").isDir())
        return local + "/Temp";
    return qEnvironmentVariable("SystemRoot", QStringLiteral("C:/Windows")) + "/Temp";
}
#else
QString FolderFromEnvironment(const char* name)
{
    const QString value = qEnvironmentVariable(name);
    if (value.isEmpty() || value == QLatin1String("/") || !QFileInfo(value).isDir())
        return {};
    return value;
}

// A folder of this user alone: not a link, owned by us, no rights for others.
bool IsOwnPrivateFolder(const QByteArray& path)
{
    struct stat info {};
    return ::lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
           (info.st_mode & 077) == 0;
}
#endif

}  // namespace

QString PrivateTempFolder(const QString& base)
{
#ifdef _WIN32
    Q_UNUSED(base);
    return {};
#else
    const QByteArray named = QFile::encodeName(base + "/orvane-" + QString::number(::geteuid()));
    ::mkdir(named.constData(), 0700);
    if (IsOwnPrivateFolder(named))
        return QFile::decodeName(named);
    QByteArray fresh = named + "-XXXXXX";
    if (::mkdtemp(fresh.data()) && IsOwnPrivateFolder(fresh))
        return QFile::decodeName(fresh);
    return {};
#endif
}

QString TempFolder()
{
#ifdef _WIN32
    const QString located = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    if (!located.isEmpty() && located != QLatin1String("/") && QFileInfo(located).isDir())
        return located;
    return PlatformDefaultTempFolder();
#else
    for (const char* name : {"TMPDIR", "XDG_RUNTIME_DIR"}) {
        const QString folder = FolderFromEnvironment(name);
        if (!folder.isEmpty())
            return folder;
    }
    const QString folder = PrivateTempFolder();
    // Nothing private can be made: the log then cannot be opened and stays
    // with Qt's default output, rather than landing in a shared folder.
    return folder.isEmpty() ? QStringLiteral("/nonexistent-private-folder") : folder;
#endif
}

}  // namespace orvane
