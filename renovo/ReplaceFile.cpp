#include "renovo/ReplaceFile.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>

#include "platform/host/HostFiles.h"

namespace orvane {

namespace {

bool CopyDurably(const QString& source, const QString& target)
{
    QFile in(source);
    QFile out(target);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    QByteArray chunk;
    while (!(chunk = in.read(64 * 1024)).isEmpty()) {
        if (out.write(chunk) != chunk.size())
            return false;
    }
    // The rename must not become visible before the data is on disk.
    return in.error() == QFileDevice::NoError && out.flush() && platform::host::FlushToDisk(out.handle());
}

bool LooksExecutable(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(4);
    return head == QByteArray("\x7f" "ELF", 4) || head.startsWith("#!");
}

}  // namespace

QString StagedPath(const QString& target)
{
    return target + ".renovo-new";
}

bool ReplaceInstalledFile(platform::SystemApi& system, const QString& source, const QString& target,
                          std::optional<qint64> lastWriteTime)
{
    const QString staged = StagedPath(target);
    QFile::remove(staged);
    if (!CopyDurably(source, staged)) {
        qDebug() << "Cannot stage" << staged;
        QFile::remove(staged);
        return false;
    }
    const QFileInfo existing(target);
    if (existing.exists()) {
        QFile::setPermissions(staged, existing.permissions());
    } else if (LooksExecutable(staged)) {
        QFile::setPermissions(staged, QFile::permissions(staged) | QFileDevice::ExeOwner | QFileDevice::ExeGroup
                                          | QFileDevice::ExeOther);
    }
    if (lastWriteTime && *lastWriteTime >= 0)
        system.SetFileLastWriteTime(staged.toUtf8().toStdString(), static_cast<std::uint64_t>(*lastWriteTime));
    if (!platform::host::ReplaceWithStaged(staged, target)) {
        qDebug() << "Cannot replace" << target;
        QFile::remove(staged);
        return false;
    }
    return true;
}

}  // namespace orvane
