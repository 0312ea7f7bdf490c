#include "renovo/UpdatePlan.h"

#include <QFileInfo>

#include "common/UpdaterFiles.h"
#include "renovo/FileTime.h"

namespace orvane {

PlannedFile PlacesOf(const QString& name, const QString& installDir)
{
    PlannedFile file;
    file.name = name;
    file.installed = installDir + "/" + name;
    file.staged = file.installed + kStagedSuffix;
    file.backup = file.installed + kBackupSuffix;
    return file;
}

QString UpdatePlan::Add(const ManifestEntry& entry)
{
    const QString name = entry.subDir.isEmpty() ? entry.file : entry.subDir.mid(1) + "/" + entry.file;
    if (entry.packedName.isEmpty())
        return QStringLiteral("\"%1\" lists no packed file").arg(name);
    // Windows does not tell "A" from "a"; neither may the plan.
    for (const PlannedFile& planned : m_files) {
        if (planned.name.compare(name, Qt::CaseInsensitive) == 0)
            return QStringLiteral("\"%1\" is listed twice").arg(name);
    }
    PlannedFile file = PlacesOf(name, m_installDir);
    file.url = PackedUrl(entry, m_siteUrl);
    file.packed = PackedWorkPath(entry, m_workDir);
    bool sizeGiven = false;
    const int listed = entry.fileSize.toInt(&sizeGiven, 10);
    file.size = sizeGiven && listed >= 0 ? listed : -1;
    const QDateTime date = ParseFileDate(entry.fileDate);
    if (date.isValid())
        file.fileTime = FileTimeFromDate(date);
    file.sha256 = entry.sha256.trimmed();
    file.replaces = QFileInfo::exists(file.installed);
    m_files.append(file);
    return {};
}

}  // namespace orvane
