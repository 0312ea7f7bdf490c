#include "common/Settings.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace orvane {

namespace {

// Only a regular file is read: a FIFO or device in its place would block the
// start for ever. Anything else reads as a missing file, every key its default.
bool IsReadableSettingsFile(const QString& path)
{
    return QFileInfo(path).isFile();
}

}  // namespace

QString SettingsFilePath()
{
    return QCoreApplication::applicationDirPath() + "/RunInfo.ini";
}

QString UserSettingsFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/orvane/RunInfo.ini";
}

QStringList SettingsFilePaths(const QString& programDir)
{
    const QString beside = programDir.isEmpty() ? SettingsFilePath() : programDir + "/RunInfo.ini";
    return {beside, UserSettingsFilePath()};
}

QVariant ReadSetting(const QString& key, const QVariant& fallback, const QString& programDir)
{
    for (const QString& path : SettingsFilePaths(programDir)) {
        if (!IsReadableSettingsFile(path))
            continue;
        QSettings settings(path, QSettings::IniFormat);
        if (settings.contains(key))
            return settings.value(key);
    }
    return fallback;
}

int ReadTraceLevel(const QString& programDir)
{
    return ReadSetting("TraceSet/TraceLevel", 1, programDir).toInt();
}

bool ReadTestSiteFlag(const QString& programDir)
{
    return ReadSetting("Others/Site", QString(), programDir).toBool();
}

QStringList ReadExtraModelEntries(const QString& programDir)
{
    QStringList entries;
    for (const QString& path : SettingsFilePaths(programDir)) {
        if (!IsReadableSettingsFile(path))
            continue;
        QSettings settings(path, QSettings::IniFormat);
        entries += settings.value("Monitors/Models").toStringList();
    }
    return entries;
}

}  // namespace orvane
