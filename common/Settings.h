// RunInfo.ini: read once at start, never written. The file beside the
// executables comes first; a key it does not hold is taken from the user's
// own file in the configuration folder, so an installed program that the
// user cannot write to can still be configured.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

namespace orvane {

// applicationDirPath() + "/RunInfo.ini".
QString SettingsFilePath();

// The user's file: the configuration folder ($XDG_CONFIG_HOME, else
// ~/.config, on Linux) + "/orvane/RunInfo.ini".
QString UserSettingsFilePath();

// The files in the order they are consulted. programDir: the executable's
// folder; empty means applicationDirPath() (which needs the application
// object; code running before it exists passes the folder itself).
QStringList SettingsFilePaths(const QString& programDir = QString());

// The value of key from the first file that holds it, else fallback.
QVariant ReadSetting(const QString& key, const QVariant& fallback, const QString& programDir = QString());

// "TraceSet/TraceLevel", default 1; a non-numeric text reads as 0.
int ReadTraceLevel(const QString& programDir = QString());

// "Others/Site": true selects the test update site. Absent, "", "0" and
// "false" in any case read as false; every other text as true.
bool ReadTestSiteFlag(const QString& programDir = QString());

// "Monitors/Models": models supported in addition to the built-in list,
// entries such as "ABC1234" separated by commas; the entries of both files.
QStringList ReadExtraModelEntries(const QString& programDir);

}  // namespace orvane
