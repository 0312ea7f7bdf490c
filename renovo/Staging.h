// Brings each planned file to its staged place beside the installed one:
// downloaded, checked, unpacked, time-stamped and given its permissions,
// before anything installed is touched.
#pragma once

#include <QList>
#include <QString>

#include "platform/Platform.h"
#include "renovo/UpdatePlan.h"

namespace orvane {

class DownloadCancel;

// No update writes more than this in all, whatever the entries say (the
// manifest's declared sizes are capped the same, but an entry may list no
// size).
constexpr qint64 kMaxStagedTotal = 1024LL * 1024 * 1024;

// Why the files cannot be staged for want of room, or empty: the
// installation's file systems must hold every staged file beside the old
// ones, the working folder's the largest packed file, each with a margin.
QString SpaceProblem(const QList<PlannedFile>& files, const QString& workDir);

class Staging {
public:
    Staging(platform::SystemApi& system, DownloadCancel* cancel) : m_system(system), m_cancel(cancel) {}

    // Stages one file; empty on success, else why not, with nothing of it
    // left (neither the packed copy nor a partial staged file).
    QString Stage(const PlannedFile& file);
    // Removes every staged file of the list.
    static void RemoveStaged(const QList<PlannedFile>& files);

private:
    platform::SystemApi& m_system;
    DownloadCancel* m_cancel;
    qint64 m_stagedBytes = 0;
};

}  // namespace orvane
