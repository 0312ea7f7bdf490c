#include "common/NeedsUpdate.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <array>

#include "common/Log.h"
#include "common/UpdateTrust.h"

namespace orvane {

namespace {

std::array<int, 4> VersionParts(const QString& text)
{
    std::array<int, 4> parts{0, 0, 0, 0};
    const QStringList items = text.split('.', Qt::KeepEmptyParts);
    for (int i = 0; i < 4 && i < items.size(); ++i) {
        bool ok = false;
        const int value = items.at(i).toInt(&ok, 10);
        parts[static_cast<std::size_t>(i)] = ok ? value : 0;
    }
    return parts;
}

void MakeOneLevel(const QString& path)
{
    QDir dir(path);
    if (!dir.exists())
        dir.mkdir(path);
}

}  // namespace

int CompareVersion(const QString& manifestVersion, const QString& installedVersion)
{
    const auto m = VersionParts(manifestVersion);
    const auto i = VersionParts(installedVersion);
    if (m == i)
        return 0;
    for (std::size_t k = 0; k < 4; ++k) {
        if (i[k] < m[k])
            return 1;
    }
    return -1;
}

bool NeedsUpdate(const ManifestEntry& entry, const QString& installDir, const VersionReader& readVersion)
{
    const QString installed = InstalledPath(entry, installDir);
    const QFileInfo info(installed);
    if (!info.exists())
        return true;
    if (!entry.fileVersion.isEmpty())
        return CompareVersion(entry.fileVersion, readVersion(installed)) == 1;
    const QDateTime modified = info.lastModified();
    qCDebug(lcOrvane) << modified;
    const QDateTime listed = ParseFileDate(entry.fileDate);
    if (listed.isValid() && modified < listed)
        return true;
    return info.size() != static_cast<qint64>(ParseFileSize(entry.fileSize));
}

bool IsOlderThanInstalled(const ManifestEntry& entry, const QString& installDir, const VersionReader& readVersion)
{
    const QString installed = InstalledPath(entry, installDir);
    const QFileInfo info(installed);
    if (!info.exists())
        return false;
    if (!entry.fileVersion.isEmpty())
        return VersionParts(entry.fileVersion) < VersionParts(readVersion(installed));
    const QDateTime listed = ParseFileDate(entry.fileDate);
    return listed.isValid() && info.lastModified() > listed;
}

void LogUpdateDecision(const QString& installedPath, bool needsUpdate)
{
    qCDebug(lcOrvane) << installedPath << "  " << needsUpdate;
}

void CreateEntryFolders(const ManifestEntry& entry, const QString& installDir, const QString& workDir)
{
    MakeOneLevel(installDir + entry.subDir);
    MakeOneLevel(workDir + entry.subDir);
}

QString LinkOnPath(const ManifestEntry& entry, const QString& installDir, const QString& workDir)
{
    const QStringList places = {installDir + entry.subDir, InstalledPath(entry, installDir), workDir + entry.subDir,
                                UnpackedWorkPath(entry, workDir), PackedWorkPath(entry, workDir)};
    for (const QString& place : places) {
        if (QFileInfo(place).isSymLink())
            return QStringLiteral("\"%1\" is a link").arg(place);
    }
    return {};
}

EntryVerdict JudgeEntry(const ManifestEntry& entry, const QString& installDir, const QString& workDir,
                        const VersionReader& readVersion)
{
    QString problem = EntryProblem(entry);
    if (problem.isEmpty())
        problem = LinkOnPath(entry, installDir, workDir);
    if (!problem.isEmpty()) {
        qCDebug(lcOrvane) << "Refused manifest entry:" << problem;
        return EntryVerdict::Refused;
    }
    CreateEntryFolders(entry, installDir, workDir);
    qCDebug(lcOrvane) << ParseFileDate(entry.fileDate);
    if (!NeedsUpdate(entry, installDir, readVersion))
        return EntryVerdict::UpToDate;
    // The component-wise rule would take installed 2.0 for older than 1.5;
    // a signed site's file never goes back to an older one.
    if (SignedUpdatesRequired() && IsOlderThanInstalled(entry, installDir, readVersion)) {
        qCDebug(lcOrvane) << "Kept the installed file, newer than the manifest's:" << InstalledPath(entry, installDir);
        return EntryVerdict::UpToDate;
    }
    return EntryVerdict::OutOfDate;
}

}  // namespace orvane
