#include "common/FileVersion.h"

#include <QDebug>
#include <QFile>

#include "common/Log.h"

namespace orvane {

bool ReadVersionWords(platform::SystemApi& system, const QString& path, std::uint32_t& ms, std::uint32_t& ls)
{
    switch (system.ReadFileVersion(path.toUtf8().toStdString(), ms, ls)) {
    case platform::VersionRead::NoVersionInfo:
        qCDebug(lcOrvane) << "error in GetFileVersionInfo";
        return false;
    case platform::VersionRead::NoFixedInfo:
        qCDebug(lcOrvane) << "error in VerQueryValue";
        return false;
    case platform::VersionRead::Ok:
        break;
    }
    return true;
}

QString ReadFileVersion(platform::SystemApi& system, const QString& path)
{
    std::uint32_t ms = 0;
    std::uint32_t ls = 0;
    if (!ReadVersionWords(system, path, ms, ls))
        return {};
    return QStringLiteral("%1.%2.%3.%4").arg(ms >> 16).arg(ms & 0xFFFF).arg(ls >> 16).arg(ls & 0xFFFF);
}

}  // namespace orvane
