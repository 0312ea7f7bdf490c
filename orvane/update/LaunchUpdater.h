// Starts the updater beside the running program with administrator rights.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "platform/Platform.h"

namespace orvane {

// "Renovo" (".exe" on Windows) in the folder of the program's own file.
QString UpdaterPath(platform::SystemApi& system);

// The updater's three arguments: the program to start again ("Orvane", with
// ".exe" on Windows), the site's base URL and "ServerManifest.xml".
QStringList UpdaterArguments(const QByteArray& siteUrl);

// True when the updater process was started; false when the own path is
// unknown, the updater is missing or the elevation was refused.
bool LaunchUpdater(platform::SystemApi& system, const QByteArray& siteUrl);

}  // namespace orvane
