#include "common/UpdaterFiles.h"

#include <QStringList>

namespace orvane {

bool IsUpdaterStateName(const QString& name)
{
    static const QStringList reserved = {
        QStringLiteral("RunInfo.ini"),  QLatin1String(kSequenceFileName), QLatin1String(kJournalFileName),
        QStringLiteral("Orvane_log.txt"), QStringLiteral("Renovo_log.txt"),
    };
    for (const QString& own : reserved) {
        if (name.compare(own, Qt::CaseInsensitive) == 0)
            return true;
    }
    // Every staged, backup and partial name carries ".renovo-"; the
    // single-instance lock files end in ".lock".
    return name.contains(QLatin1String(".renovo-"), Qt::CaseInsensitive)
        || name.endsWith(QLatin1String(".lock"), Qt::CaseInsensitive);
}

}  // namespace orvane
