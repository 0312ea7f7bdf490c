#include "platform/host/HostTempFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>

#include <cstdlib>

namespace orvane::platform::host {

namespace {

// A folder of this user alone: not a link, owned by us, no rights for others.
bool IsOwnPrivateFolder(const QByteArray& path)
{
    struct stat info {};
    return ::lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
           (info.st_mode & 077) == 0;
}

}  // namespace

QStringList TempFolderCandidates()
{
    return {qEnvironmentVariable("TMPDIR"), qEnvironmentVariable("XDG_RUNTIME_DIR")};
}

QString DefaultTempFolder()
{
    return PrivateTempFolder(QStringLiteral("/tmp"));
}

QString PrivateTempFolder(const QString& base)
{
    const QByteArray named = QFile::encodeName(base + "/orvane-" + QString::number(::geteuid()));
    ::mkdir(named.constData(), 0700);
    if (IsOwnPrivateFolder(named))
        return QFile::decodeName(named);
    QByteArray fresh = named + "-XXXXXX";
    if (::mkdtemp(fresh.data()) && IsOwnPrivateFolder(fresh))
        return QFile::decodeName(fresh);
    return {};
}

}  // namespace orvane::platform::host
