#include "common/Settings.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>
#include <QVariant>

namespace orvane {

QString SettingsFilePath()
{
    return QCoreApplication::applicationDirPath() + "/RunInfo.ini";
}

namespace {

// Only a regular file is read: a FIFO or device in its place would block the
// start for ever. Anything else reads as a missing file, every key its default.
QVariant ReadSetting(const QString& key, const QVariant& fallback)
{
    const QString path = SettingsFilePath();
    if (!QFileInfo(path).isFile())
        return fallback;
    QSettings settings(path, QSettings::IniFormat);
    return settings.value(key, fallback);
}

}  // namespace

int ReadTraceLevel()
{
    return ReadSetting("TraceSet/TraceLevel", 1).toInt();
}

bool ReadTestSiteFlag()
{
    return ReadSetting("Others/Site", QString()).toBool();
}

}  // namespace orvane
