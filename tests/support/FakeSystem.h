// A SystemApi for the update tests: version records by path, recorded
// updater starts, and real last-write times.
#pragma once

#include <QDateTime>
#include <QFile>
#include <QMap>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

#include "platform/Platform.h"

namespace orvane::test {

class FakeSystem : public platform::SystemApi {
public:
    struct Start {
        std::string file;
        std::vector<std::string> args;
        int showCommand = -1;
    };

    std::string moduleFileName = "/opt/orvane/Orvane";
    bool startSucceeds = true;
    std::vector<Start> starts;
    // Path -> {ms, ls}; absent paths have no version record.
    QMap<QString, QPair<std::uint32_t, std::uint32_t>> versions;
    QStringList noFixedInfo;

    std::string ModuleFileName() override { return moduleFileName; }
    platform::InstanceLock AcquireSingleInstance(const std::string&) override
    {
        return platform::InstanceLock::Acquired;
    }
    bool IsRunAtStartup() override { return false; }
    bool StartElevated(const std::string& file, const std::vector<std::string>& args, int showCommand) override
    {
        starts.push_back({file, args, showCommand});
        return startSucceeds;
    }
    bool SetFileLastWriteTime(const std::string& path, std::uint64_t fileTime) override
    {
        // 100-ns ticks since 1601 -> ms since 1970.
        const qint64 ms = static_cast<qint64>(fileTime / 10000) - 11644473600000LL;
        QFile file(QString::fromStdString(path));
        return file.open(QIODevice::ReadWrite)
            && file.setFileTime(QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC), QFileDevice::FileModificationTime);
    }
    platform::VersionRead ReadFileVersion(const std::string& path, std::uint32_t& ms, std::uint32_t& ls) override
    {
        const QString key = QString::fromStdString(path);
        if (noFixedInfo.contains(key))
            return platform::VersionRead::NoFixedInfo;
        if (!versions.contains(key))
            return platform::VersionRead::NoVersionInfo;
        ms = versions.value(key).first;
        ls = versions.value(key).second;
        return platform::VersionRead::Ok;
    }
};

inline QPair<std::uint32_t, std::uint32_t> Version(int a, int b, int c, int d)
{
    return {static_cast<std::uint32_t>(a) << 16 | static_cast<std::uint32_t>(b),
            static_cast<std::uint32_t>(c) << 16 | static_cast<std::uint32_t>(d)};
}

}  // namespace orvane::test
