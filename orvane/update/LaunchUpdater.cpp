#include "orvane/update/LaunchUpdater.h"

#include <QDebug>
#include <QFileInfo>

#include <string>
#include <vector>

#include "common/Log.h"
#include "platform/host/HostFiles.h"

namespace orvane {

QString UpdaterPath(platform::SystemApi& system)
{
    const QString own = QString::fromStdString(system.ModuleFileName());
    if (own.isEmpty())
        return {};
    // The folder decides, not the file name: a renamed program still finds
    // its updater.
    QString folder = own;
    folder.replace('\\', '/');
    folder = folder.left(folder.lastIndexOf('/'));
    return folder + "/Renovo" + platform::host::ExecutableSuffix();
}

QStringList UpdaterArguments(const QByteArray& siteUrl)
{
    return {QStringLiteral("Orvane") + platform::host::ExecutableSuffix(), QString::fromUtf8(siteUrl), QStringLiteral("ServerManifest.xml")};
}

bool LaunchUpdater(platform::SystemApi& system, const QByteArray& siteUrl)
{
    const QString updater = UpdaterPath(system);
    if (updater.isEmpty() || !QFileInfo::exists(updater)) {
        qCDebug(lcOrvane) << "Updater not found:" << updater;
        return false;
    }
    std::vector<std::string> args;
    for (const QString& argument : UpdaterArguments(siteUrl))
        args.push_back(argument.toStdString());
    const bool started = system.StartElevated(updater.toStdString(), args, platform::SW_SHOWNORMAL);
    if (!started)
        qCDebug(lcOrvane) << "Updater start failed:" << updater;
    return started;
}

}  // namespace orvane
