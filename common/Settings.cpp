#include "common/Settings.h"

#include <QCoreApplication>
#include <QSettings>
#include <QVariant>

namespace orvane {

QString SettingsFilePath()
{
    return QCoreApplication::applicationDirPath() + "/RunInfo.ini";
}

int ReadTraceLevel()
{
    QSettings settings(SettingsFilePath(), QSettings::IniFormat);
    return settings.value("TraceSet/TraceLevel", 1).toInt();
}

bool ReadTestSiteFlag()
{
    QSettings settings(SettingsFilePath(), QSettings::IniFormat);
    return settings.value("Others/Site", QString()).toBool();
}

}  // namespace orvane
