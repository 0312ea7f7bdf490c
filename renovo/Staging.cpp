#include "renovo/Staging.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStorageInfo>

#include "common/Download.h"
#include "common/Log.h"
#include "common/UpdateTrust.h"
#include "renovo/UnpackFile.h"

namespace orvane {

namespace {

// Room kept free on top of the files themselves: folder entries, the
// journal, the logs.
constexpr qint64 kSpaceMargin = 1024 * 1024;

bool LooksExecutable(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(4);
    return head == QByteArray("\x7f" "ELF", 4) || head.startsWith("#!");
}

QString Room(const QString& folder, qint64 needed)
{
    const QStorageInfo storage(folder);
    if (!storage.isValid() || !storage.isReady())
        return {};
    if (storage.bytesAvailable() < needed + kSpaceMargin)
        return QStringLiteral("%1 bytes free for \"%2\", %3 needed")
            .arg(storage.bytesAvailable())
            .arg(folder)
            .arg(needed + kSpaceMargin);
    return {};
}

}  // namespace

QString SpaceProblem(const QList<PlannedFile>& files, const QString& workDir)
{
    // Each file system once, with all the staged files it is to hold.
    QHash<QString, qint64> perFileSystem;
    QHash<QString, QString> someFolder;
    qint64 largest = 0;
    for (const PlannedFile& file : files) {
        const QString folder = QFileInfo(file.installed).path();
        const QString root = QStorageInfo(folder).rootPath();
        perFileSystem[root] += qMax<qint64>(file.size, 0);
        someFolder[root] = folder;
        largest = qMax(largest, PackedSizeLimit(file.size < 0 ? 0 : file.size));
    }
    for (auto it = perFileSystem.cbegin(); it != perFileSystem.cend(); ++it) {
        const QString problem = Room(someFolder.value(it.key()), it.value());
        if (!problem.isEmpty())
            return problem;
    }
    return files.isEmpty() ? QString() : Room(workDir, largest);
}

QString Staging::Stage(const PlannedFile& file)
{
    QFile::remove(file.packed);
    QFile::remove(file.staged);
    auto fail = [&](const QString& why) {
        QFile::remove(file.packed);
        QFile::remove(file.staged);
        return why;
    };
    if (!DownloadFile(file.url, file.packed, PackedSizeLimit(file.size), m_cancel))
        return fail(QStringLiteral("the download of %1 failed").arg(file.url));
    if (m_cancel && m_cancel->IsCancelled())
        return fail(QStringLiteral("cancelled"));
    // A signed site lists each file's hash: a file that differs is not the
    // publisher's, and the whole run is refused with it.
    if (SignedUpdatesRequired()) {
        const QString hash = FileSha256(file.packed);
        if (hash.isEmpty() || hash.compare(file.sha256, Qt::CaseInsensitive) != 0) {
            qCDebug(lcOrvane) << "Refused file:" << file.url << "hash differs from the manifest's";
            return fail(QStringLiteral("%1: hash differs from the manifest's").arg(file.url));
        }
    }
    QString unpackProblem;
    if (!UnpackFile(file.packed, file.staged, file.size, kMaxStagedTotal - m_stagedBytes, &unpackProblem))
        return fail(unpackProblem);
    QFile::remove(file.packed);
    m_stagedBytes += QFileInfo(file.staged).size();

    // A replaced file keeps its permissions; a new program gets its execute bits.
    const QFileInfo existing(file.installed);
    if (existing.exists()) {
        QFile::setPermissions(file.staged, existing.permissions());
    } else if (LooksExecutable(file.staged)) {
        QFile::setPermissions(file.staged, QFile::permissions(file.staged) | QFileDevice::ExeOwner
                                               | QFileDevice::ExeGroup | QFileDevice::ExeOther);
    }
    // The manifest's date, so that the next check finds the file current.
    if (file.fileTime && *file.fileTime >= 0)
        m_system.SetFileLastWriteTime(file.staged.toUtf8().toStdString(), static_cast<std::uint64_t>(*file.fileTime));
    return {};
}

void Staging::RemoveStaged(const QList<PlannedFile>& files)
{
    for (const PlannedFile& file : files)
        QFile::remove(file.staged);
}

}  // namespace orvane
