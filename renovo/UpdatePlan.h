// The run's plan: every out-of-date file with each place it passes through,
// worked out once from its manifest entry and then walked by the staging,
// the swap and the undo.
#pragma once

#include <QList>
#include <QString>

#include <optional>

#include "common/ManifestEntry.h"

namespace orvane {

struct PlannedFile {
    QString name;       // the installed file relative to the installation folder ("a" or "sub/a")
    QString url;        // where the packed file is fetched
    QString packed;     // its downloaded copy in the working folder
    QString installed;  // the installed file
    QString staged;     // the new file, unpacked beside the installed one
    QString backup;     // the old file, kept beside it until the run is done
    qint64 size = -1;   // the listed unpacked size, -1 when not listed
    std::optional<qint64> fileTime;  // the manifest date as a file time, when it parses
    QString sha256;     // the packed file's listed hash (signed sites)
    bool replaces = false;  // an installed file is there to be replaced
};

// The places of one installed file, from its name relative to the
// installation folder: installed, staged and backup.
PlannedFile PlacesOf(const QString& name, const QString& installDir);

class UpdatePlan {
public:
    UpdatePlan(QString installDir, QString workDir, QString siteUrl)
        : m_installDir(std::move(installDir)), m_workDir(std::move(workDir)), m_siteUrl(std::move(siteUrl))
    {
    }
    // Plans the entry (already judged out of date). Empty on success, else
    // why the run cannot go on: the entry lists no packed file, or another
    // entry installs the same file.
    QString Add(const ManifestEntry& entry);

    const QList<PlannedFile>& Files() const { return m_files; }
    const QString& InstallDir() const { return m_installDir; }

private:
    QString m_installDir;
    QString m_workDir;
    QString m_siteUrl;
    QList<PlannedFile> m_files;
};

}  // namespace orvane
